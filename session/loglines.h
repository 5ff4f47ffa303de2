#pragma once
// The order of a read-out's log. The window and tamrix-read only render what comes out of here:
// a line end where an entry ends its line, nothing where it leaves it open.
// - While held, entries and warnings wait, in order, so that the loader's bytes go out first.
// - A warning waits while a line is open, so that a block's line stays whole.
// - An entry that begins a line while another is open ends that one first.

#include "readout/logentry.h"

#include <QObject>
#include <QStringList>

#include <deque>
#include <variant>

class LogLines : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // From here entries and warnings wait until release().
    void hold();
    // Shows what waited, and whatever comes next at once.
    void release();
    // Forgets what waited, and holds no more: the port closed before it could be shown.
    void drop();

    void show(const LogEntry &entry);
    // A line of its own about something that looks wrong.
    void warn(const QString &text);
    // Ends the line left open, if one is.
    void endLine();

signals:
    void logged(const LogEntry &entry);
    void warning(const QString &text);

private:
    void showNow(const LogEntry &entry);
    void releaseWarnings();

    bool m_holding = false;
    std::deque<std::variant<LogEntry, QString>> m_held;  // entries, and warnings as their text
    bool m_lineOpen = false;
    QStringList m_warningsWaiting;  // for the open line to end
};
