// Change-notifying value objects of the controls: the persistent base with
// update counting, the multi-ring bevel and the two-colour palette.
#pragma once

#include <vector>

#include "gui/base/Classes.h"
#include "gui/draw/Graphics.h"
#include "gui/base/Types.h"

namespace controls {

enum TSkBevelStyle { bsNone, bsLowered, bsRaised };
enum TSkBevelOutlineStyle { osOuter, osInner, osNone };
using TSkBorderWidth = int;  // 0 .. 2147483647
using TSkBevelWidth = int;   // 1 .. 2147483647
using TSkBevelSpace = int;   // 0 .. 2147483647

// A value object that tells its owner about changes. BeginUpdate/EndUpdate
// batch several changes into one notification.
class TSkPersistent : public gui::TPersistent {
public:
    TSkPersistent() = default;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Set by the owning control when it creates the object.
    gui::TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    int FUpdateCount = 0;
};

// A bevel of up to nine rings drawn inward from a rectangle's edge: border,
// outer outline, outer 3-D edge, outer space, inner outline, inner 3-D edge
// and inner space.
class TSkBevel : public TSkPersistent {
public:
    TSkBevel() = default;

    void Assign(gui::TPersistent* Source) override;

    // Shrinks Rect by the bevel width on all four sides.
    void GetVisibleArea(gui::TRect& Rect) const;
    // The total ring width on one side (0 when not visible).
    long long BevelWidth() const;
    // Draws the rings inward from Rect's edge; Rect ends as GetVisibleArea gives.
    void PaintTo(gui::TCanvas* Canvas, gui::TRect& Rect) const;

    // Names of the properties a window layout would store (those that differ
    // from their stored default, plus those without one), in field order.
    std::vector<gui::String> StoredProperties() const;

    TSkBorderWidth BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(TSkBorderWidth v);
    gui::TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(gui::TColor v);
    gui::TColor InnerShadow() const { return FInnerShadow; }
    void SetInnerShadow(gui::TColor v);
    gui::TColor InnerHighlight() const { return FInnerHighlight; }
    void SetInnerHighlight(gui::TColor v);
    TSkBevelWidth InnerWidth() const { return FInnerWidth; }
    void SetInnerWidth(TSkBevelWidth v);
    TSkBevelStyle InnerStyle() const { return FInnerStyle; }
    void SetInnerStyle(TSkBevelStyle v);
    TSkBevelOutlineStyle InnerOutline() const { return FInnerOutline; }
    void SetInnerOutline(TSkBevelOutlineStyle v);
    TSkBevelSpace InnerSpace() const { return FInnerSpace; }
    void SetInnerSpace(TSkBevelSpace v);
    gui::TColor InnerColor() const { return FInnerColor; }
    void SetInnerColor(gui::TColor v);
    gui::TColor OuterShadow() const { return FOuterShadow; }
    void SetOuterShadow(gui::TColor v);
    gui::TColor OuterHighlight() const { return FOuterHighlight; }
    void SetOuterHighlight(gui::TColor v);
    TSkBevelWidth OuterWidth() const { return FOuterWidth; }
    void SetOuterWidth(TSkBevelWidth v);
    TSkBevelStyle OuterStyle() const { return FOuterStyle; }
    void SetOuterStyle(TSkBevelStyle v);
    TSkBevelOutlineStyle OuterOutline() const { return FOuterOutline; }
    void SetOuterOutline(TSkBevelOutlineStyle v);
    TSkBevelSpace OuterSpace() const { return FOuterSpace; }
    void SetOuterSpace(TSkBevelSpace v);
    gui::TColor OuterColor() const { return FOuterColor; }
    void SetOuterColor(gui::TColor v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);

private:
    template <typename T>
    void Set(T& field, T v);

    TSkBorderWidth FBorderWidth = 0;
    gui::TColor FBorderColor = gui::clBtnFace;
    gui::TColor FInnerShadow = gui::clBtnShadow;
    gui::TColor FInnerHighlight = gui::clBtnHighlight;
    TSkBevelWidth FInnerWidth = 1;
    TSkBevelStyle FInnerStyle = bsLowered;
    TSkBevelOutlineStyle FInnerOutline = osNone;
    TSkBevelSpace FInnerSpace = 1;
    gui::TColor FInnerColor = gui::clBtnFace;
    gui::TColor FOuterShadow = gui::clBtnShadow;
    gui::TColor FOuterHighlight = gui::clBtnHighlight;
    TSkBevelWidth FOuterWidth = 1;
    TSkBevelStyle FOuterStyle = bsRaised;
    TSkBevelOutlineStyle FOuterOutline = osOuter;
    TSkBevelSpace FOuterSpace = 0;
    gui::TColor FOuterColor = gui::clBtnFace;
    bool FVisible = true;
};

// The unlit (Low) and lit (High) colour of a meter zone.
class TSkPalette : public TSkPersistent {
public:
    TSkPalette() = default;

    void Assign(gui::TPersistent* Source) override;

    gui::TColor Low() const { return FLow; }
    void SetLow(gui::TColor v);
    gui::TColor High() const { return FHigh; }
    void SetHigh(gui::TColor v);

    // Low for an index of 0 or less, High otherwise.
    virtual gui::TColor ColorFor(int Index) const;

private:
    gui::TColor FLow = gui::clGreen;
    gui::TColor FHigh = gui::clLime;
};

}  // namespace controls
