#pragma once
// The KUP form of a plain dump, made later from the dump and its record, with no port: the name
// and header that a read-out of the box with the header option gives, then the same data.

#include <QString>

class DumpWriter;

// Checks the plain dump at `plainPath` (dumpcheck.h), then writes its KUP form through `writer`
// into the same folder, as a read-out writes a dump: a name of its own, its record and its
// checksum file. False, with `problem` in words for the user, when it cannot; nothing is left
// then.
bool addKupHeader(const QString &plainPath, DumpWriter *writer, QString *problem);
