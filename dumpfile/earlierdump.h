#pragma once
// What a finished dump finds and leaves beside itself: the earlier dumps of its name, kept under
// numbered names rather than lost, and a checksum file.

#include <QByteArray>
#include <QString>
#include <QStringList>

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

QString checksumPath(const QString &dumpPath);

// The dumps of the name at `path` already in its folder: the file of that name, if there, then
// its numbered ones, lowest number first.
struct EarlierDumps
{
    QStringList paths;
    // The highest number a dump, a checksum file or a record of the name uses; 0: none.
    int highestNumber = 0;
};
EarlierDumps earlierDumpsOf(const QString &path);

// Whether the dump at `path` still holds what its checksum file says.
enum class ChecksumCheck { NoChecksumFile, Matches, Differs };
ChecksumCheck checkAgainstChecksumFile(const QString &path, const QByteArray &sha256);

// Moves the dump at `path` to `keptPath`, a name not in use, with its checksum file and its
// record: renamed, so that the dump keeps its bytes and its date. The checksum file keeps the
// SHA-256 it holds, whatever the dump holds now, and names the kept file.
bool keepUnder(const QString &path, const QString &keptPath, QString *error);

// Writes `path`.sha256 in the form `sha256sum -c` reads, replacing an older one whole.
bool writeChecksumFile(const QString &path, const QByteArray &sha256, QString *error);
