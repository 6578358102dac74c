// The hot image: a picture button that swaps its picture (and optionally
// draws a coloured frame) while the mouse pointer is over it.
#pragma once

#include <memory>

#include "controls/SkClasses.h"
#include "controls/SkControls.h"
#include "gui/draw/Graphics.h"

namespace controls {

// The frame drawn around a hot image while it is hot.
class TSkHotRect : public TSkPersistent {
public:
    TSkHotRect() = default;

    void Assign(gui::TPersistent* Source) override;

    gui::TColor Color() const { return FColor; }
    void SetColor(gui::TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);

private:
    gui::TColor FColor = gui::clYellow;
    int FWidth = 1;
    bool FVisible = true;
};

enum TSkHotImageDrawStyle { dsCenter, dsStretch };

class TSkHotImage : public TSkGraphicImageControl {
public:
    explicit TSkHotImage(gui::TComponent* AOwner);
    ~TSkHotImage() override;

    // Setting copies the given picture into the owned bitmap.
    gui::TBitmap* ImageLeave() const { return FImageLeave.get(); }
    void SetImageLeave(gui::TBitmap* Value) { FImageLeave->Assign(Value); }
    gui::TBitmap* ImageEnter() const { return FImageEnter.get(); }
    void SetImageEnter(gui::TBitmap* Value) { FImageEnter->Assign(Value); }
    gui::TColor ColorEnter() const { return FColorEnter; }
    void SetColorEnter(gui::TColor Value);
    gui::TColor ColorLeave() const { return FColorLeave; }
    void SetColorLeave(gui::TColor Value);
    TSkHotImageDrawStyle DrawStyle() const { return FDrawStyle; }
    void SetDrawStyle(TSkHotImageDrawStyle Value);
    TSkTextAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TSkTextAlignment Value);
    TSkHotRect* HotRect() const { return FHotRect.get(); }
    void SetHotRect(TSkHotRect* Value) { FHotRect->Assign(Value); }

    // True while the mouse pointer is over the control.
    bool Hot() const { return FHot; }

    using TSkGraphicImageControl::SetTransparent;
    using TSkGraphicImageControl::Transparent;
    using TSkGraphicControl::OnFontChanged;
    using TSkGraphicControl::OnMouseEnter;
    using TSkGraphicControl::OnMouseLeave;

protected:
    void Paint() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FontChanged() override;
    void TextChanged() override;

private:
    std::unique_ptr<gui::TBitmap> FImageLeave;
    std::unique_ptr<gui::TBitmap> FImageEnter;
    gui::TColor FColorEnter = gui::clBlue;
    gui::TColor FColorLeave = gui::clBlack;
    TSkHotImageDrawStyle FDrawStyle = dsCenter;
    TSkTextAlignment FTextAlignment = vtaBottom;
    std::unique_ptr<TSkHotRect> FHotRect;
    bool FHot = false;
};

}  // namespace controls
