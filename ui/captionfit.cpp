#include "ui/captionfit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

bool captionsFit(const QWidget *window)
{
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    return std::all_of(controls.cbegin(), controls.cend(), [](const QWidget *c) { return captionWidth(c) <= c->width(); });
}

}  // namespace

int captionWidth(const QWidget *control)
{
    if (auto *button = qobject_cast<const QPushButton *>(control))
        return button->fontMetrics().horizontalAdvance(button->text()) + 8;
    if (qobject_cast<const QAbstractButton *>(control) || qobject_cast<const QLabel *>(control))
        return control->sizeHint().width();
    return 0;
}

void condenseToFit(QWidget *window)
{
    QFont font = window->font();
    for (int stretch = 98; stretch >= 60 && !captionsFit(window); stretch -= 2) {
        font.setStretch(stretch);
        window->setFont(font);
    }
}
