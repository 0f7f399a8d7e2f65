#pragma once
// Positions and sizes are designed in twips (1/1440 inch); the screen works
// in logical pixels. 15 twips per pixel at 96 DPI.

namespace nbr {

constexpr int kTwipsPerInch = 1440;

// The logical DPI of the primary screen (96 when there is no screen).
double logicalDpi();
int twipsToPixels(int twips);
int pixelsToTwips(int pixels);

} // namespace nbr
