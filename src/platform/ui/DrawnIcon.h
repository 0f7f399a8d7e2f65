#pragma once
// Icons of our own drawn with a painter instead of shipped as bitmaps: drawn
// afresh for the size and the device pixel ratio they are shown at, they
// stay sharp on a high-resolution screen or at a scale factor of 2.

#include <QIcon>
#include <QSizeF>
#include <functional>

class QPainter;

namespace nbr {

// draw paints the picture into a design-sized square (antialiased, from the
// origin); the icon scales it to whatever it is shown at.
QIcon drawnIcon(QSizeF designSize, std::function<void(QPainter&)> draw);

} // namespace nbr
