#include "ui/captionfit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

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
    if (auto *button = qobject_cast<const QPushButton *>(control)) {
        // What the style leaves of the button for its caption, which needs some of the face on
        // either side or it touches the frame: Windows' own style keeps more of it than Fusion.
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect contents = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        return button->fontMetrics().horizontalAdvance(button->text()) + button->width() - contents.width() + 4;
    }
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
