#pragma once
// Input a window got while it was busy (a run, an export) and the window
// system still holds for it: dropped, so that one click is one run even
// when the click came twice. Everything else is delivered as usual (closing
// the window still asks), and other windows, a message box, get their input.

class QWidget;

namespace nbr {

void discardQueuedInput(QWidget* window);

} // namespace nbr
