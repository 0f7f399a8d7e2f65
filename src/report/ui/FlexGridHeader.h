#pragma once
// The fixed row or the fixed column of a FlexGridView, shown as the view's
// own header so it stays in place while the body scrolls. Its sections are
// the model's row 0 or column 0 (texts, alignment, colours through
// headerData) at the grid's widths and heights; the user cannot resize,
// move or sort them, and a click on a section is a click on that fixed cell.

#include <QHeaderView>

namespace nbr {

class FlexGridHeader : public QHeaderView {
    Q_OBJECT
public:
    FlexGridHeader(Qt::Orientation orientation, QWidget* parent);

    // The header's thickness in pixels: the fixed column's width or the
    // fixed row's height. 0 hides it.
    void setThickness(int pixels);
    QSize sizeHint() const override;

    // Paints one fixed cell with the header look: the button face, the text
    // whole while it fits, elided with "…" when it does not.
    static void paintCell(QPainter* painter, QStyleOptionHeaderV2& option, const QWidget* widget);

signals:
    // A user click on the section of that logical index.
    void cellClicked(int logicalIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_pressed = -1;
};

} // namespace nbr
