#include "ui/statuslamp.h"

#include <QPainter>

StatusLamp::StatusLamp(QWidget *parent) : QWidget(parent) {}

void StatusLamp::setFillColor(int bgr)
{
    if (bgr == m_fillColor)
        return;
    m_fillColor = bgr;
    update();
}

void StatusLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(m_fillColor & 0xFF, (m_fillColor >> 8) & 0xFF, (m_fillColor >> 16) & 0xFF));
    const int side = qMin(width(), height()) - 1;
    painter.drawEllipse(QRectF(0.5, 0.5, side, side));
}
