#include "dumpfile/earlierdump.h"

#include "dumpfile/diskwrite.h"
#include "dumpfile/dumprecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>

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

QString numberedPath(const QString &path, int n)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = info.fileName().chopped(suffix.isEmpty() ? 0 : suffix.size() + 1);
    return info.dir().filePath(stem + '.' + QString::number(n) + (suffix.isEmpty() ? QString() : '.' + suffix));
}

QString checksumPath(const QString &dumpPath)
{
    return dumpPath + kChecksumSuffix;
}

EarlierDumps earlierDumpsOf(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
    const QString stem = info.fileName().chopped(suffix.size());
    // stem.N.suffix, and the checksum file and record of one.
    const QRegularExpression numbered('^' + QRegularExpression::escape(stem) + "\\.([0-9]{1,9})"
                                      + QRegularExpression::escape(suffix) + "(" + QRegularExpression::escape(kChecksumSuffix)
                                      + '|' + QRegularExpression::escape(kRecordSuffix) + ")?$");
    EarlierDumps earlier;
    if (info.isFile())
        earlier.paths << path;
    QMap<int, QString> dumps;  // by number, lowest first
    const QDir folder = info.dir();
    for (const QFileInfo &entry : folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = numbered.match(entry.fileName());
        if (!match.hasMatch())
            continue;
        const int n = match.captured(1).toInt();
        earlier.highestNumber = qMax(earlier.highestNumber, n);
        if (match.captured(2).isEmpty() && entry.isFile())
            dumps.insert(n, entry.filePath());
    }
    earlier.paths += dumps.values();
    return earlier;
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

bool keepUnder(const QString &path, const QString &keptPath, QString *error)
{
    // A dump copied in by hand may still be in the system's cache.
    if (!syncFileToDisk(path, error) || !renameToFreeName(path, keptPath, error))
        return false;
    QFile checksum(checksumPath(path));
    if (checksum.exists()) {
        if (!checksum.open(QIODevice::ReadOnly)) {
            *error = checksum.errorString();
            return false;
        }
        // Its SHA-256 stays as it was: only the name it checks changes.
        QList<QByteArray> lines = checksum.readAll().split('\n');
        checksum.close();
        for (QByteArray &text : lines) {
            const std::optional<ChecksumLine> line = checksumLine(text);
            if (line && line->name == fileNameOf(path))
                text = text.left(66) + fileNameOf(keptPath) + (text.endsWith('\r') ? "\r" : "");
        }
        if (!writeFileToDisk(checksumPath(keptPath), lines.join('\n'), error))
            return false;
        if (!checksum.remove()) {
            *error = checksum.errorString();
            return false;
        }
    }
    if (QFileInfo::exists(recordPath(path)) && !renameToFreeName(recordPath(path), recordPath(keptPath), error))
        return false;
    return syncFolderToDisk(QFileInfo(keptPath).absolutePath(), error);
}

bool writeChecksumFile(const QString &path, const QByteArray &sha256, QString *error)
{
    // Two blanks: the text-mode form, which every sha256sum reads.
    return writeFileToDisk(checksumPath(path), sha256.toHex() + "  " + fileNameOf(path) + '\n', error);
}
