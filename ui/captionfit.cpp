#include "ui/captionfit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

namespace {

// Each control is asked what it needs for its caption, as it lays it out. A push button's
// own hint has a minimum width far beyond the design's small buttons; its text needs a few
// pixels of face on either side.
bool captionsFit(const QWidget *window)
{
    for (const QWidget *control : window->findChildren<QWidget *>()) {
        int needed = 0;
        if (auto *button = qobject_cast<const QPushButton *>(control))
            needed = button->fontMetrics().horizontalAdvance(button->text()) + 8;
        else if (qobject_cast<const QAbstractButton *>(control) || qobject_cast<const QLabel *>(control))
            needed = control->sizeHint().width();
        if (needed > control->width())
            return false;
    }
    return true;
}

} // namespace

void condenseToFit(QWidget *window)
{
    QFont font = window->font();
    for (int stretch = 98; stretch >= 60 && !captionsFit(window); stretch -= 2) {
        font.setStretch(stretch);
        window->setFont(font);
    }
}
