#include "report/ui/ClickableImage.h"

#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace nbr {

ClickableImage::ClickableImage(int index, QWidget* parent) : QLabel(parent), m_index(index) {
    setCursor(Qt::PointingHandCursor);
}

void ClickableImage::setIcon(const QIcon& icon, QSize size) {
    m_icon = icon;
    setFixedSize(size);
    update();
}

void ClickableImage::paintEvent(QPaintEvent* event) {
    if (m_icon.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    m_icon.paint(&painter, rect());
}

void ClickableImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(m_index);
    QLabel::mouseReleaseEvent(event);
}

} // namespace nbr
