// The program's identity towards the desktop: the application name and
// desktop entry id (X11 WM_CLASS, Wayland app id), the window icon, and one
// taskbar entry: forms with ShowInTaskbar off skip the taskbar and pager.
//
// Qt has no call for the skip states, so on X11 they are written as the
// EWMH window state the window managers read. Wayland has no such request
// for ordinary clients; there the desktop groups the windows by app id.
#include "gui/windows/detail/win_Identity.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gui/windows/Forms.h"
#include "gui/base/Resources.h"
#include "gui/draw/detail/GdiInternal.h"

namespace gui {

namespace {

xcb_connection_t* X11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    if (!r) return XCB_ATOM_NONE;
    xcb_atom_t a = r->atom;
    std::free(r);
    return a;
}

// Adds or removes the skip-taskbar and skip-pager states on a window that is
// not mapped yet; the window manager reads them when it maps the window. The
// other states (Qt's own, set when it maps) are kept.
void SetSkipStates(xcb_connection_t* c, xcb_window_t w, bool skip) {
    const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
    const xcb_atom_t flags[] = {Atom(c, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    std::vector<xcb_atom_t> atoms;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
    if (r) {
        if (r->format == 32 && r->type == XCB_ATOM_ATOM) {
            auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
            atoms.assign(data, data + xcb_get_property_value_length(r) / 4);
        }
        std::free(r);
    }
    for (xcb_atom_t f : flags) {
        atoms.erase(std::remove(atoms.begin(), atoms.end(), f), atoms.end());
        if (skip) atoms.push_back(f);
    }
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32, static_cast<uint32_t>(atoms.size()),
                        atoms.data());
    xcb_flush(c);
}

}  // namespace

namespace detail {

void ApplyWindowIdentity(QWidget* window, const TCustomForm* form) {
    if (!window || !form || !window->isWindow()) return;
    xcb_connection_t* c = X11Connection();
    if (!c) return;
    SetSkipStates(c, static_cast<xcb_window_t>(window->winId()), !form->ShowInTaskbar());
}

}  // namespace detail

void SetDesktopIdentity(const TDesktopIdentity& identity) {
    detail::EnsureQtApp();
    // The application name is the class of WM_CLASS (read when the first
    // window is created) and the desktop file name the Wayland app id; both
    // let the desktop match the windows to the installed desktop entry.
    if (!identity.Name.empty()) QGuiApplication::setApplicationName(QString::fromStdString(identity.Name));
    if (!identity.DesktopId.empty()) QGuiApplication::setDesktopFileName(QString::fromStdString(identity.DesktopId));
    if (!identity.IconKind.empty()) {
        QIcon icon;
        for (const String& name : ResourceNames(identity.IconKind)) {
            std::vector<std::uint8_t> bytes;
            QPixmap pm;
            if (FindResource(name, identity.IconKind, bytes) &&
                pm.loadFromData(bytes.data(), static_cast<uint>(bytes.size()))) {
                icon.addPixmap(pm);
            }
        }
        if (!icon.isNull()) QGuiApplication::setWindowIcon(icon);
    }
}

}  // namespace gui
