#pragma once
// tamrix-read --verify and --add-header: saved dumps checked and converted later, with no port.
// Each prints what it found as the rest of tamrix-read does, and returns the exit status.

#include <QStringList>

// One line a file on standard output, as sha256sum -c gives them: "FILE: OK", or
// "FILE: FAILED (why)". Complete only when every file is OK.
int verifyDumps(const QStringList &files);

// The KUP form of each plain dump, with the Saved line of a read-out; why one cannot be made on
// standard error. Complete only when every one was made.
int addKupHeaders(const QStringList &files);
