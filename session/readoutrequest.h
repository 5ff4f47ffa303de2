#pragma once
// What a front end hands a read-out session: what the user gave, as the user gave it. And what
// it gets back when the read-out cannot start: the words, and where they belong.

#include "serial/portlist.h"

#include <QList>
#include <QString>

struct ReadoutRequest
{
    QString portText;           // the port box's text, or --port
    QList<PortEntry> portList;  // the list the port was chosen from, if any
    int sizeKb = 0;             // the size option; 0: the one a window starts with
    bool headerOption = false;  // size from the banner, named dump with the KUP header
    QString folderText;         // "Save to", or --output
    QString defaultFolder;      // where a blank folder text points
    QString label{};            // the box's label for the record; empty: none
    QString fileName{};         // the dump's file name, in place of the rules' one; empty: none
    // A block whose sum is wrong ends the read-out. Port and dump file then stay open until the
    // user closes them, with the log in view (the window's Close), or close at once.
    enum class FailedBlock { WaitForClose, CloseAtOnce };
    FailedBlock failedBlock = FailedBlock::WaitForClose;
};

struct StartOutcome
{
    enum class Refused {
        No,
        Request,  // a port, size, folder or file name that cannot serve
        Port,     // the port did not open
    };
    Refused refused = Refused::No;
    QString words;     // what to tell the user, without a line end
    QString boxTitle;  // the words belong in a message box with this title; empty: in the log

    bool started() const { return refused == Refused::No; }
};

// The size options there are, smallest first, and the one a window starts with.
QList<int> loaderSizeOptions();
int defaultLoaderSize();

// The blocks a size option asks for, as the window's block boxes show them: "1920", "0128".
struct BlockRangeText
{
    QString start;
    QString count;
};
BlockRangeText blockRangeText(int sizeKb);
