#pragma once
// The report window's design and its layout rules, in twips: where each
// control sits at the design size, and, as pure functions, the main layout
// on every resize of the window and the detail panel's layout on every
// resize of the panel. An assignment that would give a negative width or
// height is skipped and the control keeps its previous size, the way the
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

// The window's controls the main layout moves, and the bottom bar's buttons,
// at their design values (Picture1 … Picture4, TreeView1, MSFlexGrid1,
// Command1 … Command3 and ProgressBar1 in the window design). The search
// box takes the tree's place at the top, and the tree starts as much lower.
struct MainGeometry {
    TwipRect topBar{0, 0, 22455, 630};
    TwipRect leftPanel{0, 630, 3990, 9135};
    TwipRect deptSearch{60, 885, 3885, 330};
    TwipRect deptTree{60, 885 + 330, 3885, 8160 - 330};
    TwipRect mainPanel{4125, 840, 18435, 8550};
    TwipRect summaryTitle{8272, 90, 1890, 285};
    TwipRect runLabel{10312, 90, 7898, 285}; // after the title, to the panel's right margin
    TwipRect summaryGrid{30, 435, 18345, 8055};
    TwipRect bottomBar{4005, 9180, 18435, 585};
    TwipRect runButton{1155, 105, 1290, 345};
    TwipRect exportButton{3705, 105, 1290, 345};
    TwipRect exitButton{16125, 135, 1155, 345};
    TwipRect exportProgress{105, 195, 18225, 240};
    TwipRect statusBar{0, 9765, 22455, 375};
};

// The detail panel's controls, at their design values (Picture7, Picture5,
// MSFlexGrid2, Command4, Command5, ProgressBar2).
struct DetailGeometry {
    TwipRect panel{4125, 840, 18435, 9135};
    TwipRect bottomBar{75, 8505, 18285, 630};
    TwipRect closeButton{15255, 120, 1155, 345};
    TwipRect exportButton{1875, 120, 1155, 345};
    TwipRect grid{30, 780, 18345, 7725};
    TwipRect exportProgress{165, 150, 17955, 255};
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
