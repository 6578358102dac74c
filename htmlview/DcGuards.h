// Scoped device-context state for the document's painting and measuring:
// whatever a guard changes is put back when it goes out of scope, also when
// an exception passes through. Internal to htmlview/.
#pragma once

#include "gui/Gdi.h"
#include "gui/Graphics.h"

namespace htmlview::detail {

// Saves the DC's whole state and restores it at scope end; the canvas is told
// that its objects must be selected again.
class TSavedDC {
public:
    explicit TSavedDC(gui::TCanvas* Canvas) : FCanvas(Canvas), FDC(Canvas->Handle()), FSaved(gui::SaveDC(FDC)) {}
    ~TSavedDC() {
        gui::RestoreDC(FDC, FSaved);
        FCanvas->Refresh();
    }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;
    gui::HDC DC() const { return FDC; }

private:
    gui::TCanvas* FCanvas;
    gui::HDC FDC;
    int FSaved;
};

// One object selected into a DC for a scope.
class TSelectObject {
public:
    TSelectObject(gui::HDC DC, gui::HGDIOBJ Obj) : FDC(DC), FOld(gui::SelectObject(DC, Obj)) {}
    ~TSelectObject() {
        if (FOld) gui::SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    gui::HDC FDC;
    gui::HGDIOBJ FOld;
};

// A memory DC for measuring, deleted at scope end.
class TMeasureDC {
public:
    TMeasureDC() : FDC(gui::CreateCompatibleDC(nullptr)) {}
    ~TMeasureDC() {
        if (FDC) gui::DeleteDC(FDC);
    }
    TMeasureDC(const TMeasureDC&) = delete;
    TMeasureDC& operator=(const TMeasureDC&) = delete;
    gui::HDC DC() const { return FDC; }

private:
    gui::HDC FDC;
};

// The DC's palette for a scope.
class TSelectPalette {
public:
    TSelectPalette(gui::HDC DC, gui::HPALETTE Pal) : FDC(DC), FOld(Pal ? gui::SelectPalette(DC, Pal, false) : nullptr) {
        if (Pal) gui::RealizePalette(DC);
    }
    ~TSelectPalette() {
        if (FOld) gui::SelectPalette(FDC, FOld, true);
    }
    TSelectPalette(const TSelectPalette&) = delete;
    TSelectPalette& operator=(const TSelectPalette&) = delete;

private:
    gui::HDC FDC;
    gui::HPALETTE FOld;
};

}  // namespace htmlview::detail
