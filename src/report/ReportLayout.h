#pragma once
// The report window's layout rules, in twips, as pure functions: the main
// layout on every resize of the window and the detail panel's layout on
// every resize of Picture7. An assignment that would give a negative width
// or height is skipped and the control keeps its previous size, the way the
// classic controls refuse such a value; the next assignment still runs.

#include <QRect>

namespace nbr {

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The rectangle in the screen's pixels: the one conversion of a layout.
QRect pixelRect(const TwipRect& r);

// The controls the main layout moves, at their design values.
struct MainGeometry {
    TwipRect picture1{0, 0, 22455, 630};
    TwipRect picture2{0, 630, 3990, 9135};
    TwipRect treeView1{60, 885, 3885, 8160};
    TwipRect picture3{4125, 840, 18435, 8550};
    TwipRect label1_2{8272, 90, 1890, 285};
    TwipRect msFlexGrid1{30, 435, 18345, 8055};
    TwipRect picture4{4005, 9180, 18435, 585};
    TwipRect command1{16125, 135, 1155, 345};
    TwipRect command3{1155, 105, 1290, 345};
    TwipRect progressBar1{105, 195, 18225, 240};
    TwipRect statusBar1{0, 9765, 22455, 375};
};

// The controls of the detail panel Picture7, at their design values.
struct DetailGeometry {
    TwipRect picture7{4125, 840, 18435, 9135};
    TwipRect picture5{75, 8505, 18285, 630};
    TwipRect command4{15255, 120, 1155, 345};
    TwipRect command5{1875, 120, 1155, 345};
    TwipRect msFlexGrid2{30, 780, 18345, 7725};
    TwipRect progressBar2{165, 150, 17955, 255};
};

// The window's smallest inner size: 退出 stays 120 twips clear of 导出Excel
// (whose right edge is at 4995 in the bottom bar), and the summary grid keeps
// room for its header row and a few rows.
constexpr int kMinScaleWidth = 3990 + 30 + 4995 + 120 + 2 * 1155;
constexpr int kMinScaleHeight = 630 + 375 + 585 + 435 + 1500 + 60;

// The window's inner size is scaleWidth x scaleHeight.
void applyMainLayout(MainGeometry& g, int scaleWidth, int scaleHeight);
void applyDetailLayout(DetailGeometry& g);

} // namespace nbr
