#pragma once
// The layout was drawn for a narrow dialog font. Where the platform's is wider, the window's
// font is condensed just enough for every caption to fit its box, instead of cutting captions off.

class QWidget;

void condenseToFit(QWidget *window);
