#pragma once
// What the read-out engine asks its session to do, in the order it must happen.

#include "readout/readoutend.h"

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
        DiscardInput,  // drop whatever the port has received so far
        OpenDump,      // text: file name without folder; bytes: header to write first
        WriteDump,     // bytes: block data
        End,           // end: the read-out is over; the session reports it and closes what it
                       // holds
        Warning,       // text: a line about something that looks wrong; the read-out goes on
    };

    Kind kind;
    QByteArray bytes = {};
    QString text = {};
    int value = 0;
    ReadoutEnd end = {};
};

using ReadoutActions = std::vector<ReadoutAction>;
