#pragma once
// One entry of the read-out's log. It holds no line end: the window and tamrix-read each add
// them in one place, from what the entry says about its line.

#include <QString>

struct LogEntry
{
    QString text;
    // It continues the line the entry before left open, as a block's result continues the line
    // of its request; otherwise it begins a line of its own.
    bool continuesLine = false;
    // The next entry continues its line: a block's request waits there for its result.
    bool leavesLineOpen = false;
};
