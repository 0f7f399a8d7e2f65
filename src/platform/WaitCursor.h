#pragma once
// The hourglass for as long as the guard lives: it goes back to the default
// pointer however the scope is left, an exception included. Guards may nest;
// as with the classic pointer, the innermost one to end restores the default.

#include "platform/MousePointer.h"

namespace nbr {

class WaitCursor {
public:
    WaitCursor() { setMousePointer(MousePointer::Hourglass); }
    ~WaitCursor() { setMousePointer(MousePointer::Default); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace nbr
