#pragma once
// Brings another program's top-level window to the front by its exact title
// (Windows: FindWindow/SetForegroundWindow; X11: the EWMH active-window
// request for the managed window whose _NET_WM_NAME, or when that is absent
// its legacy WM_NAME, is the title). Returns false when no such window
// exists or the platform has no window system to ask; never fails otherwise.

#include <QString>

#if defined(NBR_HAVE_X11)
struct _XDisplay; // Xlib's Display
#endif

namespace nbr {

bool activateWindowByTitle(const QString& title);

#if defined(NBR_HAVE_X11)
// The X11 part on a given connection to an X server.
bool activateX11WindowByTitle(_XDisplay* display, const QString& title);
#endif

} // namespace nbr
