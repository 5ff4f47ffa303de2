#pragma once
// Saved dumps checked and converted later, with no port, and what each came to in the words a
// read-out's log uses. A front end only prints the lines.

#include <QString>
#include <QStringList>

struct SavedDumpOutcome
{
    bool ok = false;
    QStringList lines;
};

// Checks the dump at `path` against its checksum file and its record. One line, as sha256sum -c
// gives it: "FILE: OK", or "FILE: FAILED (why)".
SavedDumpOutcome verifySavedDump(const QString &path);

// Makes the KUP form of the plain dump at `path`, as a read-out with the header option saves it.
// Made: the Saved line, and the Identical line when an earlier dump holds the same bytes. Not
// made: "FILE: why".
SavedDumpOutcome addKupHeaderTo(const QString &path);
