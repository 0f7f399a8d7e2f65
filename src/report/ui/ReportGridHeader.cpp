#include "report/ui/ReportGridHeader.h"

#include "platform/Twips.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridDelegate.h"

#include <QPainter>
#include <QTableView>

namespace nbr {

ReportGridHeader::ReportGridHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    // Fixed sections: widths come from the grid, and uniform row heights
    // keep scrolling through tens of thousands of rows cheap.
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
    setHighlightSections(false);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
}

void ReportGridHeader::setThickness(int pixels) {
    if (orientation() == Qt::Horizontal)
        setFixedHeight(pixels);
    else
        setFixedWidth(pixels);
    setVisible(pixels > 0);
    emit geometriesChanged(); // the table view makes room for it again
}

// The table view makes room for its headers by their size hints: exactly
// the thickness the grid gives them, whatever their texts.
QSize ReportGridHeader::sizeHint() const {
    return orientation() == Qt::Horizontal ? QSize(length(), minimumHeight())
                                           : QSize(minimumWidth(), length());
}

void ReportGridHeader::setFrozenColumns(int count) {
    if (count == m_frozen)
        return;
    m_frozen = count;
    viewport()->update();
}

ReportGridModel* ReportGridHeader::grid() const {
    return qobject_cast<ReportGridModel*>(model());
}

std::vector<ReportGridHeader::Span> ReportGridHeader::spans() const {
    std::vector<Span> spans;
    const ReportGridModel* g = grid();
    if (!g)
        return spans;
    int left = 0;
    for (int c = 0; c <= m_frozen && c < g->columnCount(); ++c) {
        const int width = twipsToPixels(g->columnWidth(c));
        spans.push_back({c, left, width});
        left += width;
    }
    return spans;
}

void ReportGridHeader::paintCell(QPainter* painter, QStyleOptionHeaderV2& option,
                               const QWidget* widget) {
    option.textElideMode =
        ReportGridDelegate::fits(option.fontMetrics, option.text, option.rect.width())
            ? Qt::ElideNone
            : Qt::ElideRight;
    widget->style()->drawControl(QStyle::CE_Header, &option, painter, widget);
}

void ReportGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    if (orientation() == Qt::Horizontal || m_frozen == 0) {
        paintFixedCell(painter, rect, logicalIndex);
        return;
    }
    for (const Span& span : spans()) {
        const QRect cell(rect.left() + span.left, rect.top(), span.width, rect.height());
        if (span.col == 0)
            paintFixedCell(painter, cell, logicalIndex);
        else
            paintFrozenCell(painter, cell, logicalIndex, span.col);
    }
}

void ReportGridHeader::paintFixedCell(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    // The style paints a vertical header's section across the header's
    // whole width, over the frozen cells beside it: only its cell may show.
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setBrushOrigin(rect.topLeft());
    paintCell(painter, option, this);
    painter->restore();
}

// A frozen cell as the table view paints its body cells: the delegate on
// the cell less its grid lines, selected and focused as the body shows them,
// then the grid lines at its right and bottom edges.
void ReportGridHeader::paintFrozenCell(QPainter* painter, const QRect& rect, int row, int col) const {
    const auto* view = qobject_cast<const QTableView*>(parentWidget());
    if (!view)
        return;
    const QModelIndex index = model()->index(row, col);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    option.rect = rect.adjusted(0, 0, -1, -1);
    // As the view's own cells: no hover, and without the focus the
    // selection shows inactive.
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_HasFocus);
    if (!view->hasFocus())
        option.state &= ~QStyle::State_Active;
    if (view->selectionModel() && view->selectionModel()->isSelected(index))
        option.state |= QStyle::State_Selected;
    if (view->hasFocus() && view->currentIndex() == index)
        option.state |= QStyle::State_HasFocus;
    // The body's background lies under its cells; here the header's would.
    painter->fillRect(option.rect, view->palette().base());
    view->itemDelegate()->paint(painter, option, index);
    const QColor lines = QColor::fromRgb(
        QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
    painter->save();
    painter->setPen(lines);
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->restore();
}

void ReportGridHeader::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    // Beyond the last section the grid is empty, and white.
    const int end = length() - offset();
    QRect empty = viewport()->rect();
    if (orientation() == Qt::Horizontal)
        empty.setLeft(end);
    else
        empty.setTop(end);
    if (empty.isValid())
        QPainter(viewport()).fillRect(empty, palette().base());
}

} // namespace nbr
