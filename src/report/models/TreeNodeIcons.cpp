#include "report/models/TreeNodeIcons.h"

#include <QPainter>
#include <QPixmap>

namespace nbr {

namespace {

constexpr int kIconSize = 16;

QPixmap blankPixmap() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon drawFolder() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(150, 110, 20));
    painter.setBrush(QColor(240, 200, 90));
    painter.drawRect(QRectF(1.5, 3.5, 6, 3));  // tab
    painter.drawRect(QRectF(1.5, 5.5, 13, 9)); // body
    return QIcon(pixmap);
}

QIcon drawDocument() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    const QPointF sheet[] = {{3.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {3.5, 14.5}};
    painter.drawPolygon(sheet, 5);
    painter.setPen(QColor(70, 110, 190));
    for (int y = 6; y <= 12; y += 2)
        painter.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
    return QIcon(pixmap);
}

} // namespace

QIcon treeNodeIcon(int image) {
    // Drawn once, on first use (pixmaps need the GUI application).
    static const QIcon folder = drawFolder();
    static const QIcon document = drawDocument();
    switch (image) {
    case kFolderImage:
        return folder;
    case kDocumentImage:
        return document;
    default:
        return {};
    }
}

} // namespace nbr
