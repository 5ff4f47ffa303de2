#include "dumpfile/dumpfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

bool endsWithSeparator(const QString &text)
{
#ifdef Q_OS_WIN
    return text.endsWith('/') || text.endsWith('\\');
#else
    return text.endsWith('/');
#endif
}

} // namespace

QString outputFolder(const QString &text, const QString &defaultFolder)
{
    return text.trimmed().isEmpty() ? defaultFolder : text;
}

QString pathInFolder(const QString &folder, const QString &fileName)
{
    return endsWithSeparator(folder) ? folder + fileName : folder + QDir::separator() + fileName;
}

QString folderProblem(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    if (!info.exists())
        return QStringLiteral("it does not exist");
    if (!info.isDir())
        return QStringLiteral("it is not a folder");
    // Permissions alone do not tell (root, read-only mounts, the kernel's own folders): try it.
    QTemporaryFile probe(pathInFolder(folder, QStringLiteral(".tamrix-XXXXXX")));
    if (!probe.open())
        return probe.errorString();
    return {};
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}
