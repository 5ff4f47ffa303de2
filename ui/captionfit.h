#pragma once
// The layout was drawn for a narrow dialog font. Where the platform's is wider, the window's
// font is condensed just enough for every caption to fit its box, instead of cutting captions off.

class QWidget;

// The width a control needs for its caption, as it lays it out; 0 for a control without one.
// A push button's own hint has a minimum width far beyond the design's small buttons: its text
// needs a few pixels of face on either side.
int captionWidth(const QWidget *control);

void condenseToFit(QWidget *window);
