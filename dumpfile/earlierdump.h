#pragma once
// What a finished dump leaves beside itself: a checksum file, and an earlier, different dump of
// the same name kept under a numbered name rather than lost.

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

// `path` with `n` before its extension: BLdump.bin, 1 gives BLdump.1.bin.
QString numberedPath(const QString &path, int n);

// Copies the dump at `path` to the first free numbered name, with a checksum file of its own.
// The copy is whole or absent: it takes its name only once written. Returns that name, or an
// empty string with `error` set.
QString keepUnderNumberedName(const QString &path, const FileDigest &digest, QString *error);

// Writes `path`.sha256 in the form `sha256sum -c` reads, replacing an older one whole.
bool writeChecksumFile(const QString &path, const QByteArray &sha256, QString *error);
