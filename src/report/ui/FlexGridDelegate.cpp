#include "report/ui/FlexGridDelegate.h"

namespace nbr {

bool FlexGridDelegate::fits(const QFontMetrics& metrics, const QString& text, int cellWidth) {
    return metrics.horizontalAdvance(text) <= cellWidth - 2;
}

void FlexGridDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->textElideMode = fits(option->fontMetrics, option->text, option->rect.width())
                                ? Qt::ElideNone
                                : Qt::ElideRight;
}

} // namespace nbr
