#include "report/ui/ReportGridDelegate.h"

namespace nbr {

bool ReportGridDelegate::fits(const QFontMetrics& metrics, const QString& text, int cellWidth) {
    return metrics.horizontalAdvance(text) <= cellWidth - 2;
}

void ReportGridDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = fits(option->fontMetrics, option->text, option->rect.width())
                                ? Qt::ElideNone
                                : Qt::ElideRight;
}

} // namespace nbr
