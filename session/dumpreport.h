#pragma once
// The words that tell the user what became of a dump: where it was saved, what happened to an
// earlier one of its name, what an unfinished one holds, and what looks wrong in its content.

#include <QString>

class DumpWriter;

// The log's lines after a dump took its name.
QString savedText(const DumpWriter &dump);
QString earlierDumpText(const DumpWriter &dump);     // empty when there was none
QString uniformDataWarning(const DumpWriter &dump);  // empty unless the data bytes are all one

// Refusal at Open: the plain dump is being written by another read-out.
QString dumpInUseText(const QString &path);

// How far an unfinished read-out got.
struct BlockTally
{
    enum class Total { NotChecked, Wrong, Matched };
    int checked = 0;       // blocks whose sums were checked
    int count = 0;         // blocks asked for
    int failedBlock = -1;  // the block whose sum was wrong, whose data is in the dump too
    Total total = Total::NotChecked;
};

QString incompleteDumpText(const QString &partPath, const BlockTally &tally);
// An unfinished dump that is gone from the disk, removed by itself or with its folder.
QString vanishedDumpText(const QString &partPath);
