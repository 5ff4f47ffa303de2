#include "dumpfile/earlierdump.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QString keepUnderNumberedName(const QString &path, const FileDigest &digest, QString *error)
{
    for (int n = 1;; ++n) {
        const QString kept = numberedPath(path, n);
        if (QFileInfo::exists(kept))
            continue;
        QFile source(path);
        // Copies into a temporary file and renames it, and never over a file that appeared
        // meanwhile: another program may be keeping a dump too.
        if (!source.copy(kept)) {
            if (QFileInfo::exists(kept))
                continue;
            *error = source.errorString();
            return {};
        }
        const FileDigest copy = digestOf(kept);
        if (copy.size != digest.size || copy.sha256 != digest.sha256) {
            *error = QStringLiteral("the copy of the earlier dump differs from it");
            return {};
        }
        if (!writeChecksumFile(kept, copy.sha256, error))
            return {};
        return kept;
    }
}

bool writeChecksumFile(const QString &path, const QByteArray &sha256, QString *error)
{
    QSaveFile file(path + QStringLiteral(".sha256"));
    // Two blanks: the text-mode form, which every sha256sum reads.
    const QByteArray line = sha256.toHex() + "  " + QFile::encodeName(QFileInfo(path).fileName()) + '\n';
    if (file.open(QIODevice::WriteOnly) && file.write(line) == line.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}
