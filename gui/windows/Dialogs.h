// Message boxes. Every box goes through one replaceable handler, so tests can
// capture the text instead of showing a modal window.
#pragma once

#include <functional>

#include "gui/windows/Messages.h"
#include "gui/base/Types.h"

namespace gui {

constexpr int MB_OK = 0x00;
constexpr int MB_OKCANCEL = 0x01;
constexpr int MB_ABORTRETRYIGNORE = 0x02;
constexpr int MB_YESNOCANCEL = 0x03;
constexpr int MB_YESNO = 0x04;
constexpr int MB_RETRYCANCEL = 0x05;
constexpr int MB_ICONHAND = 0x10;
constexpr int MB_ICONERROR = MB_ICONHAND;
constexpr int MB_ICONSTOP = MB_ICONHAND;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONEXCLAMATION = 0x30;
constexpr int MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr int MB_ICONASTERISK = 0x40;
constexpr int MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr int MB_APPLMODAL = 0x0000;
constexpr int MB_TASKMODAL = 0x2000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// One message box request: owner window, text, caption and MB_ flags.
struct TMessageBoxRequest {
    HWND Owner = nullptr;
    String Text;
    String Caption;
    int Flags = 0;
};
// Returns the button chosen (IDOK, ...).
using TMessageBoxHandler = std::function<int(const TMessageBoxRequest&)>;

// Installs a handler (null restores the modal Qt box); returns the previous one.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler Handler);

int MessageBoxA(HWND Owner, const char* Text, const char* Caption, int Flags);
inline int MessageBox(HWND Owner, const String& Text, const String& Caption, int Flags) {
    return MessageBoxA(Owner, Text.c_str(), Caption.c_str(), Flags);
}
// A plain information box captioned with the application title.
void ShowMessage(const String& Text);

}  // namespace gui
