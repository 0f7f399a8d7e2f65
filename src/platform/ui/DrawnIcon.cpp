#include "platform/ui/DrawnIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace nbr {

namespace {

class DrawnIconEngine final : public QIconEngine {
public:
    DrawnIconEngine(QSizeF designSize, std::function<void(QPainter&)> draw)
        : m_designSize(designSize), m_draw(std::move(draw)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / m_designSize.width(), rect.height() / m_designSize.height());
        m_draw(*painter);
        painter->restore();
    }

    // Qt asks for the pixmap in device pixels: the drawing is done at that size.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, pixmap.rect(), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(*this); }

private:
    QSizeF m_designSize;
    std::function<void(QPainter&)> m_draw;
};

} // namespace

QIcon drawnIcon(QSizeF designSize, std::function<void(QPainter&)> draw) {
    return QIcon(new DrawnIconEngine(designSize, std::move(draw)));
}

} // namespace nbr
