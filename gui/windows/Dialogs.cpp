#include "gui/windows/Dialogs.h"

#include <QMessageBox>
#include <QPushButton>

#include "gui/windows/Forms.h"
#include "gui/draw/detail/GdiInternal.h"
#include "gui/windows/detail/win_Internal.h"

namespace gui {

namespace {
TMessageBoxHandler& Handler() {
    static TMessageBoxHandler h;
    return h;
}

int ShowQtBox(const TMessageBoxRequest& r) {
    detail::EnsureQtApp();
    QMessageBox box;
    box.setWindowTitle(detail::FromAnsi(r.Caption));
    box.setText(detail::FromAnsi(r.Text));
    switch (r.Flags & 0xF0) {
        case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
        case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
        case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
        case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    struct B {
        QMessageBox::StandardButton qt;
        int id;
    };
    std::vector<B> buttons;
    switch (r.Flags & 0x0F) {
        case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
        case MB_ABORTRETRYIGNORE:
            buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
            break;
        case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
        case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
        default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons set;
    for (auto& b : buttons) set |= b.qt;
    box.setStandardButtons(set);
    if (TWinControl* owner = FindControl(r.Owner)) {
        if (QWidget* w = detail::WidgetOf(owner)) box.setParent(w->window(), Qt::Dialog);
    }
    int res = box.exec();
    for (auto& b : buttons)
        if (res == b.qt) return b.id;
    return buttons.size() == 1 ? IDOK : IDCANCEL;
}
}  // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler h) {
    TMessageBoxHandler old = Handler();
    Handler() = std::move(h);
    return old;
}

int MessageBoxA(HWND Owner, const char* Text, const char* Caption, int Flags) {
    TMessageBoxRequest r{Owner, Text ? Text : "", Caption ? Caption : "Error", Flags};
    if (Handler()) return Handler()(r);
    return ShowQtBox(r);
}

void ShowMessage(const String& Text) {
    String title = Application ? Application->Title() : String("korvane");
    MessageBoxA(nullptr, Text.c_str(), title.c_str(), MB_OK);
}

}  // namespace gui
