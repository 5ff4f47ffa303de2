#include "ui/appicon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap drawIcon(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const qreal u = side / 16.0;
    p.setPen(Qt::NoPen);
    // The box
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(QRectF(1 * u, 5 * u, 14 * u, 7 * u));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(2 * u, 6 * u, 12 * u, 5 * u));
    // Display and lamp
    p.setBrush(QColor(0, 0, 0));
    p.drawRect(QRectF(3 * u, 7 * u, 5 * u, 2 * u));
    p.setBrush(QColor(0, 255, 0));
    p.drawEllipse(QRectF(11 * u, 7 * u, 2 * u, 2 * u));
    // The serial cable leaving the box
    p.setBrush(QColor(128, 0, 0));
    p.drawRect(QRectF(7 * u, 12 * u, 2 * u, 3 * u));
    return pixmap;
}

} // namespace

QIcon tamrixIcon()
{
    QIcon icon;
    icon.addPixmap(drawIcon(16));
    icon.addPixmap(drawIcon(32));
    return icon;
}
