#pragma once
// The colours of the report window and its workbooks, named by what they
// mark, in one place.

#include <QColor>

namespace nbr::ReportColour {

// The top, left and bottom bars and the detail panel's bottom bar.
inline constexpr QColor kPanel(232, 251, 255);
// The wait box of a summary run (Picture6).
inline constexpr QColor kWaitBox(255, 192, 192);

// Texts: the window's title line, the tree's caption and the wait box's
// second line; the hint; the year box's and the department's captions; the
// two grid titles; the wait box's first line.
inline constexpr QColor kTitleText(128, 0, 0);
inline constexpr QColor kHintText(255, 0, 0);
inline constexpr QColor kCaptionText(0, 0, 128);
inline constexpr QColor kGridTitleText(0, 0, 192);
inline constexpr QColor kWaitText(192, 0, 0);

// The drill-down button btnB, at rest, under the mouse, pressed; its border.
inline constexpr QColor kDrillDown(128, 128, 255);
inline constexpr QColor kDrillDownHover(152, 152, 255);
inline constexpr QColor kDrillDownPressed(96, 96, 224);
inline constexpr QColor kDrillDownBorder(64, 64, 176);

// The back colour of the department node last clicked.
inline constexpr QColor kClickedNode(0, 192, 192);
// The lines between the cells of both grids.
inline constexpr QColor kGridLines(192, 192, 192);

// The summary's rows of totals: a department's subtotal, the grand total.
inline constexpr QColor kSubtotal(192, 255, 255);
inline constexpr QColor kGrandTotal(128, 128, 255);
// The header and the last (totals) row of both workbooks.
inline constexpr QColor kWorkbookTotals(192, 192, 255);

} // namespace nbr::ReportColour
