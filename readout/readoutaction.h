#pragma once
// What the read-out engine asks the window to do, in the order it must happen.

#include <QByteArray>
#include <QString>

#include <vector>

struct ReadoutAction
{
    enum class Kind {
        Send,           // bytes: to the loader
        AppendLog,      // text
        ReplaceLog,     // text
        ProgressMax,    // value
        ProgressValue,  // value
        KeyingOn,       // start sending the wake-up byte every 300 ms
        KeyingOff,
        DiscardInput,   // drop whatever the port has received so far
        OpenDump,       // text: file name without folder; bytes: header to write first
        WriteDump,      // bytes: block data
        ClosePort,      // the read-out is over: close port and dump file, back to idle
    };

    Kind kind;
    QByteArray bytes = {};
    QString text = {};
    int value = 0;
};

using ReadoutActions = std::vector<ReadoutAction>;
