#pragma once
// The log: a text box the tool appends to and the user may type into. After every change the
// caret goes to the end, so the last line stays in view and typed text lands at the end.

#include <QPlainTextEdit>

class LogView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogView(QWidget *parent = nullptr);

    // Adds `text`, which holds no line end: continuing the line left open, or else on a line of
    // its own; the line is then ended (CR LF), unless `leaveOpen`. The log's line ends are added
    // here and nowhere else.
    void add(const QString &text, bool continueLine = false, bool leaveOpen = false);
    QString text() const { return toPlainText(); }

private:
    void insertAtEnd(const QString &message);
    void followEnd();

    bool m_appending = false;
};
