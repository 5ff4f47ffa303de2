#include "session/dumpreport.h"

#include "dumpfile/dumprecord.h"
#include "dumpfile/dumpwriter.h"
#include "readout/readoutend.h"
#include "session/outputfolder.h"

QString savedText(const DumpWriter &dump)
{
    return QStringLiteral("Saved %1 (%2 bytes, SHA-256 %3)")
        .arg(shownPath(dump.path()))
        .arg(dump.size())
        .arg(QString::fromLatin1(dump.sha256().toHex()));
}

QString identicalText(const DumpWriter &dump)
{
    if (dump.identicalPath().isEmpty())
        return {};
    return "Identical to the earlier dump " + shownPath(dump.identicalPath());
}

QString uniformDataWarning(const DumpWriter &dump)
{
    const std::optional<quint8> byte = dump.uniformDataByte();
    if (!byte)
        return {};
    return "Warning: every data byte of the dump is 0x" + QString::number(*byte, 16).toUpper().rightJustified(2, '0') + '.';
}

QString savedWithWarningsText(const QStringList &warnings)
{
    QStringList sentences;
    for (const QString &warning : warnings) {
        const QString sentence = warningSentence(warning);
        sentences << sentence.left(1).toUpper() + sentence.mid(1);
    }
    return "Saved with warnings: " + sentences.join(' ');
}

QString incompleteDumpText(const QString &partPath, const BlockTally &tally, bool diskFull)
{
    QString holds;
    if (tally.checked < tally.count) {
        holds = QStringLiteral("%1 of %2 checked blocks").arg(tally.checked).arg(tally.count);
        if (tally.failedBlock >= 0)
            holds += QStringLiteral(" and the failed block %1").arg(tally.failedBlock);
    } else {
        holds = QStringLiteral("all %1 blocks").arg(tally.count);
        switch (tally.total) {
        case BlockTally::Total::NotChecked:
            holds += QStringLiteral(", but the total sum was not checked");
            break;
        case BlockTally::Total::Wrong:
            holds += QStringLiteral(", but the total sum did not match");
            break;
        case BlockTally::Total::Matched:
            holds += QStringLiteral(" and the matching total, but was not saved under its name");
            break;
        }
    }
    return "Dump incomplete: " + shownPath(partPath) + " holds " + holds + (diskFull ? "; the disk is full" : "");
}

QString vanishedDumpText(const QString &partPath)
{
    return "Dump incomplete: " + shownPath(partPath)
        + " was removed during the read-out (or its folder was); nothing of it is left";
}

QString totalSumWords(BlockTally::Total total)
{
    switch (total) {
    case BlockTally::Total::Matched:
        return QStringLiteral("matched");
    case BlockTally::Total::Wrong:
        return QStringLiteral("did not match");
    case BlockTally::Total::NotChecked:
        break;
    }
    return QStringLiteral("not checked");
}

QString resultWords(const ReadoutEnd &end, bool warned)
{
    if (end.is<ReadoutEnd::Complete>())
        return warned ? QStringLiteral("complete with warnings") : QStringLiteral("complete");
    if (end.is<ReadoutEnd::Stopped>())
        return QStringLiteral("stopped before it was complete");
    return endLogText(end);
}
