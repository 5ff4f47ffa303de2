#include "dumpfile/dumpcheck.h"

#include "dumpfile/checksumfile.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString problemOf(const QString &path, DumpRecord *checked)
{
    // Read as it streams by: a file given by mistake may be large.
    const FileDigest digest = digestOf(path);
    if (!digest.isValid())
        return "cannot be read: " + digest.error;
    switch (checkAgainstChecksumFile(path, digest.sha256)) {
    case ChecksumCheck::NoChecksumFile:
        return "no checksum file " + nameOf(checksumPath(path));
    case ChecksumCheck::Differs:
        return "its SHA-256 is not the one in " + nameOf(checksumPath(path));
    case ChecksumCheck::Matches:
        break;
    }
    QFile recordFile(recordPath(path));
    if (!recordFile.open(QIODevice::ReadOnly))
        return "no record " + nameOf(recordPath(path));
    const std::optional<DumpRecord> record = recordFromText(recordFile.read(kRecordBytesAtMost));
    if (!record)
        return nameOf(recordPath(path)) + " is not the record of a dump";
    *checked = *record;
    if (!record->isComplete())
        return "its record says the read-out did not finish: " + record->result;
    if (digest.size != record->size)
        return QStringLiteral("it has %1 bytes, its record says %2").arg(digest.size).arg(record->size);
    if (digest.sha256 != record->sha256)
        return QStringLiteral("its SHA-256 is not the one in its record");
    if (const std::optional<QByteArray> &header = record->header; header) {
        QFile file(path);
        const bool begins = file.open(QIODevice::ReadOnly) && file.read(header->size()) == *header;
        if (!begins || digest.size != header->size() + record->dataSize())
            return header->isEmpty()
                ? QStringLiteral("its record says it is a plain dump of %1 blocks").arg(record->blocksChecked)
                : QStringLiteral("it does not begin with the KUP header its record gives");
    }
    return {};
}

}  // namespace

DumpCheck checkDump(const QString &path)
{
    DumpCheck check;
    check.problem = problemOf(path, &check.record);
    return check;
}
