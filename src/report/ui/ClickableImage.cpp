#include "report/ui/ClickableImage.h"

#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace nbr {

ClickableImage::ClickableImage(int index, QWidget* parent) : QLabel(parent), m_index(index) {
    setCursor(Qt::PointingHandCursor);
}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(m_index);
    QLabel::mouseReleaseEvent(event);
}

} // namespace nbr
