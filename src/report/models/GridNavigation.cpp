#include "report/models/GridNavigation.h"

#include <algorithm>

namespace nbr {

std::optional<GridCell> navigationTarget(GridCell from, int key, Qt::KeyboardModifiers modifiers,
                                         const GridShape& shape) {
    const std::vector<int>& columns = shape.columns;
    const int lastRow = shape.rows - 1;
    if (lastRow < 0 || columns.empty())
        return std::nullopt;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int row = std::clamp(from.row, 0, lastRow);
    // A cell outside the reachable columns (序, a hidden one) moves as from
    // the nearest reachable column on the side the key leads to.
    const auto after = std::upper_bound(columns.begin(), columns.end(), from.col);
    const auto before = std::lower_bound(columns.begin(), columns.end(), from.col);
    const bool reachable = before != columns.end() && *before == from.col;
    const int col = reachable ? from.col : (before != columns.end() ? *before : columns.back());
    switch (key) {
    case Qt::Key_Up:
        return GridCell{std::max(row - 1, 0), col};
    case Qt::Key_Down:
        return GridCell{from.row < 0 ? 0 : std::min(row + 1, lastRow), col};
    case Qt::Key_PageUp:
        return GridCell{std::max(row - shape.pageRows, 0), col};
    case Qt::Key_PageDown:
        return GridCell{std::min(row + shape.pageRows, lastRow), col};
    case Qt::Key_Left:
        return GridCell{row, before == columns.begin() ? columns.front() : *(before - 1)};
    case Qt::Key_Right:
        return GridCell{row, after == columns.end() ? columns.back() : *after};
    case Qt::Key_Home:
        return GridCell{ctrl ? 0 : row, columns.front()};
    case Qt::Key_End:
        return GridCell{ctrl ? lastRow : row, columns.back()};
    default:
        return std::nullopt;
    }
}

} // namespace nbr
