#pragma once
// The name of a new dump. A saved file is never renamed or written over, so a new dump takes the
// name it wants only while its folder holds nothing of that name. Otherwise it takes the next
// number, one more than the highest that any file of the name carries: BLdump.bin, then
// BLdump.1.bin, BLdump.2.bin, ... The numbers only grow, so they tell the order the dumps were
// made in, and a gap left by a deleted file is never filled again. Folders in which earlier
// versions kept dumps under such numbers go on from their highest.

#include <QString>
#include <QStringList>

#include <memory>

class QLockFile;

// A dump grows under its name with this added until it is complete.
inline const QString kPartSuffix = QStringLiteral(".part");

// `path` with `n` before its extension: BLdump.bin, 1 gives BLdump.1.bin.
QString numberedPath(const QString &path, int n);

// The dumps of the name at `path` in its folder: the file of that name, if there, then its
// numbered ones, lowest number first.
QStringList dumpsOfName(const QString &path);

// A name for a new dump of the name at `path`, held by `lock` until it is released: no other
// read-out, in this program or another, takes it meanwhile, and the folder held nothing of that
// name (dump, .part, checksum file, record) when it was claimed. A claim left by a program that
// died does not count.
struct NameClaim
{
    QString path;
    std::unique_ptr<QLockFile> lock;  // none: no name could be claimed, and `error` says why
    QString error;
};
NameClaim claimNewName(const QString &path);
