#include "ui/returnpress.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// Hands the button a Space for each Return or Enter, pressed and released as the key was.
class ReturnAsSpace : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || (key->modifiers() & ~Qt::KeypadModifier))
            return false;
        QKeyEvent space(key->type(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), key->isAutoRepeat());
        QCoreApplication::sendEvent(watched, &space);
        return true;
    }
};

}  // namespace

void pressWithReturn(QPushButton *button)
{
    button->installEventFilter(new ReturnAsSpace(button));
}
