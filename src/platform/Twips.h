#pragma once
// Positions and sizes are designed in twips (1/1440 inch); the screen works
// in logical pixels. 15 twips per pixel at 96 DPI.

#include <QString>

class QFont;

namespace nbr {

constexpr int kTwipsPerInch = 1440;

// The logical DPI of the primary screen (96 when there is no screen).
double logicalDpi();
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

// Width of text in the given font, in twips (the classic TextWidth).
double textWidthTwips(const QFont& font, const QString& text);

} // namespace nbr
