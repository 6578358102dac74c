// Inside gui/ only: cursor handles and the Qt cursor for a cursor number.
#pragma once

#include <QCursor>

#include "gui/windows/Cursors.h"

struct HICON__ {
    QCursor cursor;
};

namespace gui::detail {

// The Qt cursor shown for a cursor number: a registered custom cursor
// (Screen->Cursors) or the stock shape.
QCursor QCursorFor(TCursor c);
// Shows the cursor of the control under the pointer on its window.
void ApplyControlCursor(TControl* control);

}  // namespace gui::detail
