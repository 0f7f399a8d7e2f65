#pragma once
// The window font of every window: "微软雅黑" 9 pt, with CJK fallbacks so
// that text measurement is stable where that font is missing.

#include <QFont>

namespace nbr {

QFont windowFont();

} // namespace nbr
