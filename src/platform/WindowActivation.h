#pragma once
// Brings another program's top-level window to the front by its exact title
// (Windows: FindWindow/SetForegroundWindow; X11: the EWMH active-window
// request). Returns false when no such window exists or the platform has
// no window system to ask; never fails otherwise.

#include <QString>

namespace nbr {

bool activateWindowByTitle(const QString& title);

} // namespace nbr
