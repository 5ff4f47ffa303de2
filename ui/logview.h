#pragma once
// The log: a text box the tool appends to and the user may type into. After every change the
// caret goes to the end, so the last line stays in view and typed text lands at the end.

#include <QPlainTextEdit>

class LogView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LogView(QWidget *parent = nullptr);

    // Messages carry their own line ends (CR LF), or none when a line is to be continued.
    void appendMessage(const QString &message);
    void replaceText(const QString &message);
    // The next message begins a line of its own, whatever the last one left open.
    void startLine();
    QString text() const { return toPlainText(); }

private:
    void followEnd();

    bool m_appending = false;
};
