// Scoped device-context state: each helper undoes what it did when the scope
// ends, also when a paint throws, so no caller writes try/catch for it.
#pragma once

#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"

namespace gui {

// Saves the DC's state (viewport origin, clip, selections, colours) and
// restores exactly that level at scope end.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : FDC(dc), FLevel(dc ? SaveDC(dc) : 0) {}
    ~SavedDC() {
        if (FLevel > 0) RestoreDC(FDC, FLevel);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC FDC;
    int FLevel;
};

// Owns a DC made with CreateDCA, CreateCompatibleDC or CreateDCOverImage and
// deletes it at scope end. A null DC is allowed (creation failed).
class OwnedDC {
public:
    explicit OwnedDC(HDC dc) : FDC(dc) {}
    ~OwnedDC() {
        if (FDC) DeleteDC(FDC);
    }
    OwnedDC(const OwnedDC&) = delete;
    OwnedDC& operator=(const OwnedDC&) = delete;

    HDC Get() const { return FDC; }
    explicit operator bool() const { return FDC != nullptr; }

private:
    HDC FDC;
};

// Selects and realizes a palette into a DC, and selects the previous one back
// at scope end. A null palette does nothing.
class SelectedPalette {
public:
    SelectedPalette(HDC dc, HPALETTE pal) : FDC(dc), FPal(pal) {
        if (FPal) {
            FOld = SelectPalette(FDC, FPal, FALSE);
            RealizePalette(FDC);
        }
    }
    ~SelectedPalette() {
        if (FPal) SelectPalette(FDC, FOld, FALSE);
    }
    SelectedPalette(const SelectedPalette&) = delete;
    SelectedPalette& operator=(const SelectedPalette&) = delete;

private:
    HDC FDC;
    HPALETTE FPal;
    HPALETTE FOld = nullptr;
};

// Binds a canvas to a device context for one paint: the canvas is locked and
// draws on dc until scope end, when it is unbound (the DC dies right after).
class CanvasBinding {
public:
    CanvasBinding(TCanvas& canvas, HDC dc) : FCanvas(canvas) {
        FCanvas.Lock();
        FCanvas.SetHandle(dc);
    }
    ~CanvasBinding() {
        FCanvas.SetHandle(nullptr);
        FCanvas.Unlock();
    }
    CanvasBinding(const CanvasBinding&) = delete;
    CanvasBinding& operator=(const CanvasBinding&) = delete;

private:
    TCanvas& FCanvas;
};

// Keeps a canvas locked (for one paint of an off-screen image) until scope end.
class CanvasLock {
public:
    explicit CanvasLock(TCanvas& canvas) : FCanvas(canvas) { FCanvas.Lock(); }
    ~CanvasLock() { FCanvas.Unlock(); }
    CanvasLock(const CanvasLock&) = delete;
    CanvasLock& operator=(const CanvasLock&) = delete;

private:
    TCanvas& FCanvas;
};


// Selects one object (font, pen, brush) into a DC and selects the previous
// one back at scope end.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ obj) : FDC(dc), FOld(SelectObject(dc, obj)) {}
    ~SelectedObject() {
        if (FOld) SelectObject(FDC, FOld);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// Saves the state of a canvas's DC and restores it at scope end; the canvas
// is then told that its own objects must be selected again.
class SavedCanvasDC {
public:
    explicit SavedCanvasDC(TCanvas& canvas)
        : FCanvas(canvas), FDC(canvas.Handle()), FLevel(FDC ? SaveDC(FDC) : 0) {}
    ~SavedCanvasDC() {
        if (FLevel > 0) RestoreDC(FDC, FLevel);
        FCanvas.Refresh();
    }
    HDC DC() const { return FDC; }
    SavedCanvasDC(const SavedCanvasDC&) = delete;
    SavedCanvasDC& operator=(const SavedCanvasDC&) = delete;

private:
    TCanvas& FCanvas;
    HDC FDC;
    int FLevel;
};

}  // namespace gui
