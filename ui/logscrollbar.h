#pragma once
// The log's scroll bar. A read-out changes its range with every block, and drawing it anew
// fills a gradient over its whole height, which Qt's raster engine hands to worker threads,
// waking them each time. Most blocks do not move the slider by a pixel, so the bar keeps its
// last picture and shows that while it would look the same.

#include <QImage>
#include <QRect>
#include <QScrollBar>
#include <QStyle>

class LogScrollBar : public QScrollBar
{
public:
    explicit LogScrollBar(QWidget *parent = nullptr) : QScrollBar(Qt::Vertical, parent) {}

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // What the picture depends on.
    struct Look
    {
        QRect rect;
        QRect slider;
        QStyle::State state;
        qint64 palette = 0;
        qreal pixelRatio = 0;
        bool operator==(const Look &o) const
        {
            return rect == o.rect && slider == o.slider && state == o.state && palette == o.palette && pixelRatio == o.pixelRatio;
        }
    };

    Look m_look;
    QImage m_picture;
};
