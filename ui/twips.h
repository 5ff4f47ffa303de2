#pragma once
// The window's layout is given in twips: 15 twips are one pixel at 96 DPI. Qt's high-DPI
// scaling takes care of other screens.

class QWidget;

constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}

void placeInTwips(QWidget *widget, int left, int top, int width, int height);
