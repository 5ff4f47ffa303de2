#pragma once
// The log: a text box the tool appends to and the user may type into. After every change the
// caret goes to the end, so the last line stays in view and typed text lands at the end.

#include "session/loglines.h"

#include <QPlainTextEdit>

class LogView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogView(QWidget *parent = nullptr);

    // Adds an entry, which holds no line end, and ends its line (CR LF) where the entry does. The
    // log's line ends are added here and nowhere else.
    void add(const LogEntry &entry);
    QString text() const { return toPlainText(); }

private:
    void insertAtEnd(const QString &message);
    void followEnd();

    bool m_appending = false;
};
