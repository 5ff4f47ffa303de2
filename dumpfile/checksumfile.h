#pragma once
// The checksum file beside a dump, <name>.sha256, in the form sha256sum writes and reads, and
// what a file holds on the disk.

#include <QByteArray>
#include <QString>

struct FileDigest
{
    qint64 size = -1;  // -1: the file could not be read
    QByteArray sha256;
    QString error;  // why it could not be read
    bool isValid() const { return size >= 0; }
};

// Size and SHA-256 of the file as it is on disk.
FileDigest digestOf(const QString &path);

QString checksumPath(const QString &dumpPath);

// Whether the dump at `path` holds what its checksum file says.
enum class ChecksumCheck { NoChecksumFile, Matches, Differs };
ChecksumCheck checkAgainstChecksumFile(const QString &path, const QByteArray &sha256);

// Writes `path`.sha256 in the form `sha256sum -c` reads.
bool writeChecksumFile(const QString &path, const QByteArray &sha256, QString *error);
