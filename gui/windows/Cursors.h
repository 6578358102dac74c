// Mouse cursors: the stock cursor numbers, custom cursor handles loaded from
// program resources, and the calls that show a cursor.
#pragma once

#include "gui/base/Types.h"

struct HICON__;

namespace gui {

using TCursor = int;
using HCURSOR = ::HICON__*;
using HINSTANCE = void*;

// The program's own module, for resource look-ups.
extern HINSTANCE HInstance;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Stock cursor ids for LoadCursor(nullptr, IDC_xxx).
inline const char* const IDC_ARROW = reinterpret_cast<const char*>(32512);
inline const char* const IDC_IBEAM = reinterpret_cast<const char*>(32513);
inline const char* const IDC_WAIT = reinterpret_cast<const char*>(32514);
inline const char* const IDC_CROSS = reinterpret_cast<const char*>(32515);
inline const char* const IDC_HAND = reinterpret_cast<const char*>(32649);

// A cursor from the program's resources (kind CURSOR, by name or decimal
// number), or a stock cursor when instance is null. Null when not found.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
inline HCURSOR LoadCursorA(HINSTANCE instance, const char* name) { return LoadCursor(instance, name); }
// A cursor made from a picture file's bytes (BMP or .cur), hot spot given.
HCURSOR CreateCursorFromBytes(const void* data, int size, int hotX, int hotY);
bool DestroyCursor(HCURSOR cursor);
// Shows a cursor now (until the pointer moves over another control); returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// The stock look of a cursor number, for those that are not registered.
bool IsStockCursor(TCursor c);

}  // namespace gui
