#include "ui/logview.h"

#include <QTextBlock>
#include <QTextCursor>

LogView::LogView(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(this, &QPlainTextEdit::textChanged, this, &LogView::followEnd);
}

void LogView::appendMessage(const QString &message)
{
    // Inserting at the end is the same as setting old text + message, without rewriting it all.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(message);
}

void LogView::replaceText(const QString &message)
{
    setPlainText(message);
}

void LogView::startLine()
{
    if (!document()->lastBlock().text().isEmpty())
        appendMessage(QStringLiteral("\r\n"));
}

void LogView::followEnd()
{
    moveCursor(QTextCursor::End);
}
