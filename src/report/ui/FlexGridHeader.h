#pragma once
// The fixed row or the fixed column of a FlexGridView, shown as the view's
// own header so it stays in place while the body scrolls. Its sections are
// the model's row 0 or column 0 (texts, alignment, colours through
// headerData) at the grid's widths and heights; the user cannot resize,
// move or sort them. The fixed column also carries the frozen columns: body
// columns kept beside it, painted in the body cells' look. The view handles
// the mouse on both.

#include <QHeaderView>

namespace nbr {

class FlexGridModel;

class FlexGridHeader : public QHeaderView {
    Q_OBJECT
public:
    FlexGridHeader(Qt::Orientation orientation, QWidget* parent);

    // The header's thickness in pixels: the fixed column's width or the
    // fixed row's height. 0 hides it.
    void setThickness(int pixels);
    QSize sizeHint() const override;

    // The fixed column: how many columns after column 0 it carries, and
    // the columns it shows (0 first, then the frozen ones that are not
    // hidden) with where each starts and how wide it is, in pixels.
    void setFrozenColumns(int count);
    int frozenColumns() const { return m_frozen; }
    struct Span {
        int col;
        int left;
        int width;
    };
    std::vector<Span> spans() const;

    // Paints one fixed cell with the header look: the button face, the text
    // whole while it fits, elided with "…" when it does not.
    static void paintCell(QPainter* painter, QStyleOptionHeaderV2& option, const QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void paintFixedCell(QPainter* painter, const QRect& rect, int logicalIndex) const;
    void paintFrozenCell(QPainter* painter, const QRect& rect, int row, int col) const;
    FlexGridModel* grid() const;

    int m_frozen = 0;
};

} // namespace nbr
