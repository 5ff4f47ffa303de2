#include "dumpfile/checksumfile.h"

#include "dumpfile/diskwrite.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

const QString kChecksumSuffix = QStringLiteral(".sha256");

QByteArray fileNameOf(const QString &path)
{
    return QFile::encodeName(QFileInfo(path).fileName());
}

// A line as sha256sum writes it: 64 hex digits, a blank, a blank or "*", the file's name.
struct ChecksumLine
{
    QByteArray hex;
    QByteArray name;
};

std::optional<ChecksumLine> checksumLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() < 67 || line.at(64) != ' ' || (line.at(65) != ' ' && line.at(65) != '*'))
        return std::nullopt;
    const QByteArray hex = line.left(64);
    if (!std::all_of(hex.cbegin(), hex.cend(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    return ChecksumLine{hex, line.mid(66)};
}

}  // namespace

FileDigest digestOf(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    FileDigest digest;
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
        digest.error = file.errorString();
        return digest;
    }
    digest.size = file.size();
    digest.sha256 = hash.result();
    return digest;
}

QString checksumPath(const QString &dumpPath)
{
    return dumpPath + kChecksumSuffix;
}

ChecksumCheck checkAgainstChecksumFile(const QString &path, const QByteArray &sha256)
{
    QFile file(checksumPath(path));
    if (!file.exists())
        return ChecksumCheck::NoChecksumFile;
    // A checksum file that cannot be read, or says nothing of this dump, confirms nothing.
    if (!file.open(QIODevice::ReadOnly))
        return ChecksumCheck::Differs;
    const QByteArray name = fileNameOf(path);
    for (const QByteArray &text : file.readAll().split('\n')) {
        const std::optional<ChecksumLine> line = checksumLine(text);
        if (line && line->name == name)
            return QByteArray::fromHex(line->hex) == sha256 ? ChecksumCheck::Matches : ChecksumCheck::Differs;
    }
    return ChecksumCheck::Differs;
}

bool writeChecksumFile(const QString &path, const QByteArray &sha256, QString *error)
{
    // Two blanks: the text-mode form, which every sha256sum reads.
    return writeFileToDisk(checksumPath(path), sha256.toHex() + "  " + fileNameOf(path) + '\n', error);
}
