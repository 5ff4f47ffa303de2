#pragma once
// The words that tell the user what became of a dump: where it was saved, what happened to the
// earlier ones of its name, what an unfinished one holds, and what looks wrong in its content;
// and the words of the record beside it.

#include <QString>

class DumpWriter;
struct ReadoutEnd;

// The log's lines after a dump took its name; each is empty when there is nothing to say.
QString savedText(const DumpWriter &dump);
QString keptText(const DumpWriter &dump);                // the earlier dump under the name, kept
QString keptDumpChangedWarning(const DumpWriter &dump);  // it had changed since it was saved
QString identicalText(const DumpWriter &dump);           // an earlier dump holds the same bytes
QString uniformDataWarning(const DumpWriter &dump);      // the data bytes are all one

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

// The record's words for the total sum and for how the read-out ended.
QString totalSumWords(BlockTally::Total total);
QString resultWords(const ReadoutEnd &end);
