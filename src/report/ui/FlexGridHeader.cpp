#include "report/ui/FlexGridHeader.h"

#include "report/ui/FlexGridDelegate.h"

#include <QMouseEvent>
#include <QPainter>
#include <utility>

namespace nbr {

FlexGridHeader::FlexGridHeader(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    // Fixed sections: widths come from the grid, and uniform row heights
    // keep scrolling through tens of thousands of rows cheap.
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
    setHighlightSections(false);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
}

void FlexGridHeader::setThickness(int pixels) {
    if (orientation() == Qt::Horizontal)
        setFixedHeight(pixels);
    else
        setFixedWidth(pixels);
    setVisible(pixels > 0);
    emit geometriesChanged(); // the table view makes room for it again
}

// The table view makes room for its headers by their size hints: exactly
// the thickness the grid gives them, whatever their texts.
QSize FlexGridHeader::sizeHint() const {
    return orientation() == Qt::Horizontal ? QSize(length(), minimumHeight())
                                           : QSize(minimumWidth(), length());
}

void FlexGridHeader::paintCell(QPainter* painter, QStyleOptionHeaderV2& option,
                               const QWidget* widget) {
    option.textElideMode =
        FlexGridDelegate::fits(option.fontMetrics, option.text, option.rect.width())
            ? Qt::ElideNone
            : Qt::ElideRight;
    widget->style()->drawControl(QStyle::CE_Header, &option, painter, widget);
}

void FlexGridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    const QPointF brushOrigin = painter->brushOrigin();
    painter->setBrushOrigin(rect.topLeft());
    paintCell(painter, option, this);
    painter->setBrushOrigin(brushOrigin);
}

void FlexGridHeader::paintEvent(QPaintEvent* event) {
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

// The mouse only clicks: no resizing, moving or sorting by the header.
void FlexGridHeader::mousePressEvent(QMouseEvent* event) {
    m_pressed =
        event->button() == Qt::LeftButton ? logicalIndexAt(event->position().toPoint()) : -1;
}

void FlexGridHeader::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = std::exchange(m_pressed, -1);
    if (event->button() == Qt::LeftButton && pressed >= 0 &&
        pressed == logicalIndexAt(event->position().toPoint()))
        emit cellClicked(pressed);
}

void FlexGridHeader::mouseMoveEvent(QMouseEvent*) {}

void FlexGridHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

} // namespace nbr
