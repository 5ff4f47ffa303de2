#include "ui/logview.h"

#include "ui/logscrollbar.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

LogView::LogView(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setVerticalScrollBar(new LogScrollBar(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    connect(this, &QPlainTextEdit::textChanged, this, &LogView::followEnd);
    // The plain-text layout asks for the whole box to be repainted whenever a line is ended, ten
    // times a second in a read-out. Its requests pass through here, so that a message added at
    // the end repaints only the lines it changed; the box scrolls the others on screen.
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    disconnect(layout, &QAbstractTextDocumentLayout::update, nullptr, nullptr);
    connect(layout, &QAbstractTextDocumentLayout::update, this, [this] {
        if (!m_appending)
            viewport()->update();
    });
}

void LogView::add(const LogEntry &entry)
{
    const QString lineEnd = QStringLiteral("\r\n");
    // Text the user typed at the end, or the instruction the box starts with, keeps its line: an
    // entry that begins a line begins a fresh one.
    const bool endTypedLine = entry.place != LogEntry::Place::Closing && !document()->lastBlock().text().isEmpty();
    insertAtEnd((endTypedLine ? lineEnd : QString()) + entry.text + (entry.endsLine() ? lineEnd : QString()));
}

void LogView::insertAtEnd(const QString &message)
{
    // Inserting at the end is the same as setting old text + message, without rewriting it all.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    const QTextBlock continued = end.block();
    m_appending = true;
    end.insertText(message);
    m_appending = false;
    // The lines above the one the message continued are as they were (if the box scrolled, they
    // were moved on screen).
    const int top = qMax(0, int(blockBoundingGeometry(continued).translated(contentOffset()).top()));
    viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
}

void LogView::followEnd()
{
    moveCursor(QTextCursor::End);
    // Qt 5 can leave the box a line short of its end, the scroll bar not at the bottom.
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
