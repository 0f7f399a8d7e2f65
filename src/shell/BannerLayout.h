#pragma once
// How the banner picture is stretched over the strip at the top of the main
// window, in twips: the left 8850 twips stay as the picture draws itself, the
// middle is filled with 300-twip slices taken at 8850, and the right 4000
// twips carry the picture's right-hand part from 8850 on.

#include <vector>

namespace nbr {

struct BannerCopy {
    int sourceLeft;  // twips in the picture
    int sourceWidth; // twips; -1: the picture's full extent from sourceLeft
    int destLeft;    // twips in the strip
    int destWidth;   // twips
};

constexpr int kBannerSliceSource = 8850;
constexpr int kBannerSliceWidth = 300;
constexpr int kBannerRightPart = 4000;

// The copies, in drawing order, for a strip of the given width.
std::vector<BannerCopy> bannerCopies(int stripWidthTwips);

} // namespace nbr
