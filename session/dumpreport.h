#pragma once
// The words that tell the user what became of a dump: where it was saved, which earlier one of
// its name holds the same bytes, what an unfinished one holds, and what looks wrong in its
// content; and the words of the record beside it.

#include <QString>
#include <QStringList>

class DumpWriter;
struct ReadoutEnd;

// The log's lines after a dump took its name; each is empty when there is nothing to say.
QString savedText(const DumpWriter &dump);
QString identicalText(const DumpWriter &dump);       // an earlier dump holds the same bytes
QString uniformDataWarning(const DumpWriter &dump);  // the data bytes are all one
// The last line of a read-out that saved its dump with `warnings`: all of them once more.
QString savedWithWarningsText(const QStringList &warnings);

// How far an unfinished read-out got.
struct BlockTally
{
    enum class Total { NotChecked, Wrong, Matched };
    int checked = 0;       // blocks whose sums were checked
    int count = 0;         // blocks asked for
    int failedBlock = -1;  // the block whose sum was wrong, whose data is in the dump too
    Total total = Total::NotChecked;
};

// `diskFull`: the dump stopped because the disk had no room for the next block.
QString incompleteDumpText(const QString &partPath, const BlockTally &tally, bool diskFull = false);
// An unfinished dump that is gone from the disk, removed by itself or with its folder.
QString vanishedDumpText(const QString &partPath);

// The record's words for the total sum and for how the read-out ended, `warned` or not.
QString totalSumWords(BlockTally::Total total);
QString resultWords(const ReadoutEnd &end, bool warned);
