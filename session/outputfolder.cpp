#include "session/outputfolder.h"

#include "dumpfile/diskroom.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

namespace {

bool isSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

bool endsWithSeparator(const QString &text)
{
    return !text.isEmpty() && isSeparator(text.back());
}

}  // namespace

QString outputFolder(const QString &text, const QString &defaultFolder)
{
    if (text.trimmed().isEmpty())
        return defaultFolder;
#ifdef Q_OS_WIN
    // "%USERPROFILE%\dumps" as the command prompt means it; a name it does not know stays as typed.
    static const QRegularExpression variable(QStringLiteral("%([^%]+)%"));
    QString folder = text;
    for (qsizetype from = 0;;) {
        const QRegularExpressionMatch match = variable.match(folder, from);
        if (!match.hasMatch())
            return folder;
        const QString value = qEnvironmentVariable(match.captured(1).toLocal8Bit().constData());
        if (value.isEmpty()) {
            from = match.capturedEnd() - 1;
            continue;
        }
        folder.replace(match.capturedStart(), match.capturedLength(), value);
        from = match.capturedStart() + value.size();
    }
#else
    // "~" and "~/dumps/" as a shell means them: the window's text, a quoted option and
    // --output=~/dumps never went through one. The rest, a separator at the end too, stays.
    if (text == QLatin1Char('~') || (text.startsWith(QLatin1Char('~')) && isSeparator(text.at(1))))
        return QDir::toNativeSeparators(QDir::homePath()) + text.mid(1);
    return text;
#endif
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

QString roomProblem(const QString &folder, qint64 dumpBytes)
{
    const DiskRoom room = roomFor(QDir::cleanPath(folder), dumpBytes);
    if (room.isEnough())
        return {};
    const auto kB = [](qint64 bytes) { return QString::number((bytes + 1023) / 1024); };
    return "its disk has " + kB(room.free) + " kB free, and a read-out needs " + kB(room.needed) + " kB";
}

QString folderLabel(const QString &folder, const QString &defaultFolder)
{
    const QString clean = QDir::cleanPath(folder);
    if (clean == QDir::cleanPath(defaultFolder))
        return {};
    return QFileInfo(clean).fileName();
}

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}
