// Window regions from one-bit mask bitmaps: the mask scan, the set
// operations that combine the regions of several components, and handing a
// region to a window (or taking it back). A region is a GDI region handle.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/base/Classes.h"
#include "gui/windows/Controls.h"
#include "gui/draw/Gdi.h"
#include "gui/draw/Graphics.h"
#include "gui/windows/Messages.h"

namespace shapedwin {

// How a component's region joins the accumulated one. Stored as one byte;
// the order is part of the stored layouts.
enum TCombineMode : std::uint8_t { cmAnd, cmCopy, cmDifference, cmOR, cmXOR };

// The CombineRgn operation for a mode.
int CombineOperation(TCombineMode Mode);

// The rectangle-list region block (header followed by one-row runs in scan
// order) for the black pixels of Mask within Bounds. Right and bottom of
// Bounds are inclusive limits; the header carries Bounds as given. The mask
// is converted to one bit per pixel first. Columns and rows outside the mask
// are never read, whatever the bounds.
std::vector<std::uint8_t> MaskRegionData(gui::TBitmap* Mask, const gui::TRect& Bounds);

// A new region from the mask's black pixels within Bounds, made by one
// ExtCreateRegion call over MaskRegionData. A null mask gives an empty region.
void RegionFromMask(gui::HRGN& Region, gui::TBitmap* Mask, const gui::TRect& Bounds);

void CreateEmptyRegion(gui::HRGN& Region);

// Accumulated := Accumulated <op> Component; a null Accumulated becomes an
// empty region first. Component is neither changed nor deleted.
void CombineWithMode(gui::HRGN& Accumulated, gui::HRGN Component, TCombineMode Mode);

// Offsets the region (when dx or dy is not 0) and gives it to the window,
// which owns it from then on. A window that refuses it (a dead handle) does
// not take ownership, so the region is deleted here instead of leaking.
void SetFormRegion(gui::HWND Wnd, gui::HRGN Region, int dx, int dy);

// The window gets its whole rectangle back.
void ClearFormRegion(gui::HWND Wnd);

void OffsetRegion(gui::HRGN Region, int dx, int dy);

// Deletes the region and clears the handle; a null handle is left alone.
void DeleteRegionHandle(gui::HRGN& Region);

// Writes "RGN", the 32-bit little-endian size N of the region data, then the
// N bytes of region data as GetRegionData reports them. When the data cannot
// be retrieved, raises "Unable to retrieve region data!" with nothing written.
void SaveRegionToStream(gui::HRGN Region, gui::TStream* Stream);

// Creates (or replaces) the file and writes the region to it;
// "Cannot create file %s" when it cannot be created.
void SaveRegionToFile(gui::HRGN Region, const gui::String& FileName);

// Where a control's top-left corner lies in its form's client area (its own
// position when it sits straight on the form, or has no parent).
gui::TPoint PositionInForm(const gui::TControl* Control);

}  // namespace shapedwin
