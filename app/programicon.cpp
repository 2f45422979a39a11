#include "app/programicon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(50, 95, 175));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
    p.setPen(QPen(QColor(70, 70, 70), 0.8));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(7, 4, 18, 24));
    for (int row = 0; row < 4; ++row) {
        const qreal y = 9 + row * 5;
        p.setPen(QPen(QColor(200, 40, 40), 1.6));
        p.drawLine(QPointF(9.5, y), QPointF(12, y));
        p.setPen(QPen(QColor(110, 120, 150), 1.2));
        p.drawLine(QPointF(14, y), QPointF(22.5, y));
    }
    p.end();
    return image;
}

} // namespace

QImage programIconImage(int size)
{
    return drawIcon(size);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(drawIcon(size)));
    return icon;
}
