#pragma once
// A saved dump checked later, with no port: against its checksum file and its record.

#include "dumpfile/dumprecord.h"

#include <QString>

struct DumpCheck
{
    QString problem;    // empty: the dump is what was saved; otherwise why not, in words for the user
    DumpRecord record;  // what its record says
    bool isOk() const { return problem.isEmpty(); }
};

// The dump at `path` against its checksum file and its record: that both are there, that the
// read-out was complete, and that the file has the size, the SHA-256 and the header (or none)
// they say. A record of an earlier Tamrix, which does not name the header, is held to the rest.
DumpCheck checkDump(const QString &path);
