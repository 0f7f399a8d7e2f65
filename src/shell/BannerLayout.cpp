#include "shell/BannerLayout.h"

namespace nbr {

std::vector<BannerCopy> bannerCopies(int stripWidthTwips) {
    std::vector<BannerCopy> copies;
    for (int i = 1; i <= 10000; ++i) {
        const int x = kBannerSliceSource + kBannerSliceWidth * i;
        if (!(stripWidthTwips - kBannerRightPart > x))
            break;
        copies.push_back({kBannerSliceSource, kBannerSliceWidth, x, kBannerSliceWidth});
    }
    copies.push_back({kBannerSliceSource, -1, stripWidthTwips - kBannerRightPart, kBannerRightPart});
    return copies;
}

} // namespace nbr
