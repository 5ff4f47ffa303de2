#include "ui/logscrollbar.h"

#include <QPainter>
#include <QStyleOptionSlider>

void LogScrollBar::paintEvent(QPaintEvent *event)
{
    // Under the mouse the bar shows hover and press states that only Qt's own painting knows.
    if (underMouse() || isSliderDown()) {
        m_picture = QImage();
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    const Look look{option.rect, style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                    option.state, option.palette.cacheKey(), devicePixelRatioF()};
    if (m_picture.isNull() || !(look == m_look)) {
        m_picture = QImage(size() * look.pixelRatio, QImage::Format_ARGB32_Premultiplied);
        m_picture.setDevicePixelRatio(look.pixelRatio);
        m_picture.fill(Qt::transparent);
        QPainter picture(&m_picture);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &picture, this);
        m_look = look;
    }
    QPainter(this).drawImage(0, 0, m_picture);
}
