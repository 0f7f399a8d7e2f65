#pragma once
// Paints the cells of a ReportGridView. Columns are as wide as the widening
// rule makes them (text width plus 90 twips), which the style's text margins
// use up to a fraction of a pixel; so a text is shown whole while it fits its
// cell, and elided with "…" only when it truly does not: a cut-off amount
// must never pass for a smaller one.

#include <QStyledItemDelegate>

namespace nbr {

class ReportGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Whether the text fits a cell of that width, one pixel kept on either side.
    static bool fits(const QFontMetrics& metrics, const QString& text, int cellWidth);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace nbr
