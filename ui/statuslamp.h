#pragma once
// The port lamp: a filled circle, red while the port is closed, green while it is open.

#include <QWidget>

class StatusLamp : public QWidget
{
    Q_OBJECT

public:
    // Colours as 0x00BBGGRR values: 255 is pure red, 65280 pure green.
    static constexpr int kRed = 255;
    static constexpr int kGreen = 65280;

    explicit StatusLamp(QWidget *parent = nullptr);

    void setFillColor(int bgr);
    int fillColor() const { return m_fillColor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_fillColor = kRed;
};
