#pragma once
// The screen's mouse pointer in the classic numbering: 11 hourglass, 0 default.

namespace nbr {

enum class MousePointer { Default = 0, Hourglass = 11 };

void setMousePointer(MousePointer pointer);
MousePointer mousePointer();

} // namespace nbr
