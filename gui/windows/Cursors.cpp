#include "gui/windows/Cursors.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <vector>

#include "gui/windows/Forms.h"
#include "gui/base/Resources.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Cursor.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

HINSTANCE HInstance = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));

namespace {
HCURSOR& Current() {
    static HCURSOR c = nullptr;
    return c;
}

Qt::CursorShape StockShape(TCursor c) {
    switch (c) {
        case crNone: return Qt::BlankCursor;
        case crCross: return Qt::CrossCursor;
        case crIBeam: return Qt::IBeamCursor;
        case crSizeNESW: return Qt::SizeBDiagCursor;
        case crSizeNS: return Qt::SizeVerCursor;
        case crSizeNWSE: return Qt::SizeFDiagCursor;
        case crSizeWE: return Qt::SizeHorCursor;
        case crUpArrow: return Qt::UpArrowCursor;
        case crHourGlass:
        case crSQLWait: return Qt::WaitCursor;
        case crDrag:
        case crMultiDrag: return Qt::DragCopyCursor;
        case crNoDrop:
        case crNo: return Qt::ForbiddenCursor;
        case crHSplit: return Qt::SplitHCursor;
        case crVSplit: return Qt::SplitVCursor;
        case crAppStart: return Qt::BusyCursor;
        case crHelp: return Qt::WhatsThisCursor;
        case crHandPoint: return Qt::PointingHandCursor;
        case crSizeAll: return Qt::SizeAllCursor;
        default: return Qt::ArrowCursor;
    }
}

// A resource name is either text or a small number passed as a pointer.
String ResourceKey(const char* name) {
    auto v = reinterpret_cast<std::uintptr_t>(name);
    if (v < 0x10000) return std::to_string(v);
    return String(name);
}
}  // namespace

bool IsStockCursor(TCursor c) { return c <= 0 && c >= -22; }

HCURSOR CreateCursorFromBytes(const void* data, int size, int hotX, int hotY) {
    if (!data || size <= 0) return nullptr;
    detail::EnsureQtApp();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    QImage img;
    // A .cur file carries its hot spot in the directory entry.
    if (size >= 22 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 2 && bytes[3] == 0) {
        hotX = bytes[10] | (bytes[11] << 8);
        hotY = bytes[12] | (bytes[13] << 8);
        std::vector<std::uint8_t> ico(bytes, bytes + size);
        ico[2] = 1;  // read it as an icon for the image decoder
        img.loadFromData(ico.data(), static_cast<int>(ico.size()), "ICO");
    }
    if (img.isNull()) img.loadFromData(bytes, size);
    if (img.isNull()) return nullptr;
    QPixmap pm = QPixmap::fromImage(img);
    auto* h = new HICON__{QCursor(pm, std::min(hotX, img.width() - 1), std::min(hotY, img.height() - 1))};
    return h;
}

HCURSOR LoadCursor(HINSTANCE instance, const char* name) {
    detail::EnsureQtApp();
    auto id = reinterpret_cast<std::uintptr_t>(name);
    if (!instance) {
        Qt::CursorShape shape = Qt::ArrowCursor;
        switch (id) {
            case 32513: shape = Qt::IBeamCursor; break;
            case 32514: shape = Qt::WaitCursor; break;
            case 32515: shape = Qt::CrossCursor; break;
            case 32649: shape = Qt::PointingHandCursor; break;
            case 32512: break;
            default: return nullptr;
        }
        return new HICON__{QCursor(shape)};
    }
    if (!name) return nullptr;
    std::vector<std::uint8_t> bytes;
    if (!FindResource(ResourceKey(name), RT_CURSOR, bytes) || bytes.empty()) return nullptr;
    return CreateCursorFromBytes(bytes.data(), static_cast<int>(bytes.size()), 0, 0);
}

bool DestroyCursor(HCURSOR cursor) {
    if (!cursor) return false;
    if (Current() == cursor) Current() = nullptr;
    delete cursor;
    return true;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = Current();
    Current() = cursor;
    TPoint p;
    GetCursorPos(&p);
    if (TWinControl* w = FindVCLWindow(p)) {
        if (QWidget* qw = detail::WidgetOf(w)) {
            if (cursor)
                qw->setCursor(cursor->cursor);
            else
                qw->setCursor(Qt::BlankCursor);
        }
    }
    return old;
}

HCURSOR GetCursor() { return Current(); }

namespace detail {

QCursor QCursorFor(TCursor c) {
    if (Screen) {
        if (HCURSOR h = Screen->Cursors.Find(c)) return h->cursor;
    }
    return QCursor(StockShape(c));
}

void ApplyControlCursor(TControl* control) {
    if (!control) return;
    TWinControl* host = control->IsGraphic() ? control->Parent() : static_cast<TWinControl*>(control);
    if (!host) return;
    QWidget* w = WidgetOf(host);
    if (!w) return;
    QCursor want = QCursorFor(control->Cursor());
    if (w->cursor().shape() != want.shape() || want.shape() == Qt::BitmapCursor) w->setCursor(want);
}

}  // namespace detail
}  // namespace gui
