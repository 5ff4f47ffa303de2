#include "dumpfile/dumpcheck.h"

#include "dumpfile/checksumfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString problemOf(const QString &path, DumpCheck *check)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "cannot be read: " + file.errorString();
    check->data = file.readAll();
    const QByteArray sha256 = QCryptographicHash::hash(check->data, QCryptographicHash::Sha256);
    switch (checkAgainstChecksumFile(path, sha256)) {
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
    const std::optional<DumpRecord> record = recordFromText(recordFile.readAll());
    if (!record)
        return nameOf(recordPath(path)) + " is not the record of a dump";
    check->record = *record;
    if (!record->isComplete())
        return "its record says the read-out did not finish: " + record->result;
    if (check->data.size() != record->size)
        return QStringLiteral("it has %1 bytes, its record says %2").arg(check->data.size()).arg(record->size);
    if (sha256 != record->sha256)
        return QStringLiteral("its SHA-256 is not the one in its record");
    if (const std::optional<QByteArray> &header = record->header;
        header && (!check->data.startsWith(*header) || check->data.size() != header->size() + record->dataSize()))
        return header->isEmpty() ? QStringLiteral("its record says it is a plain dump of %1 blocks").arg(record->blocksChecked)
                                 : QStringLiteral("it does not begin with the KUP header its record gives");
    return {};
}

}  // namespace

DumpCheck checkDump(const QString &path)
{
    DumpCheck check;
    check.problem = problemOf(path, &check);
    return check;
}
