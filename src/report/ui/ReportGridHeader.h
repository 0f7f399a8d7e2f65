#pragma once
// The headings or 序 of a ReportGridView, shown as the view's own header so
// they stay in place while the body scrolls. Their sections are the model's
// header data (texts, alignment, colours) at the grid's widths and heights;
// the user cannot resize, move or sort them. 序's header also carries the
// frozen columns: body columns kept beside it, painted in the body cells'
// look. The view handles the mouse on both.

#include <QHeaderView>

namespace nbr {

class ReportGridModel;

class ReportGridHeader : public QHeaderView {
    Q_OBJECT
public:
    ReportGridHeader(Qt::Orientation orientation, QWidget* parent);

    // The header's thickness in pixels: 序's width with the frozen columns,
    // or the headings' height. 0 hides it.
    void setThickness(int pixels);
    QSize sizeHint() const override;

    // 序's header: how many columns after 序 it carries, and the columns it
    // shows (序 first, then the frozen ones) with where each starts and how
    // wide it is, in pixels.
    void setFrozenColumns(int count);
    int frozenColumns() const { return m_frozen; }
    struct Span {
        int col;
        int left;
        int width;
    };
    std::vector<Span> spans() const;

    // Paints one heading or 序 cell with the header look: the button face, the text
    // whole while it fits, elided with "…" when it does not.
    static void paintCell(QPainter* painter, QStyleOptionHeaderV2& option, const QWidget* widget);

protected:
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void paintFixedCell(QPainter* painter, const QRect& rect, int logicalIndex) const;
    void paintFrozenCell(QPainter* painter, const QRect& rect, int row, int col) const;
    ReportGridModel* grid() const;

    int m_frozen = 0;
};

} // namespace nbr
