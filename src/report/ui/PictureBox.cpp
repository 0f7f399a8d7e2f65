#include "report/ui/PictureBox.h"

#include <QPainter>

namespace nbr {

PictureBox::PictureBox(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAutoFillBackground(true);
}

void PictureBox::setBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

void PictureBox::setBackgroundImage(const QImage& image) {
    m_image = image;
    update();
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(rect(), m_image);
}

} // namespace nbr
