#include "ui/defaultfolder.h"

#include "session/outputfolder.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString defaultFolder(const QString &programFolder)
{
#ifdef Q_OS_WIN
    // The installer leaves its uninstaller beside the programs; the portable copy has none.
    const bool installed = QFileInfo::exists(QDir(programFolder).filePath(QStringLiteral(TAMRIX_WINDOWS_UNINSTALLER)));
    const QString usersOwn = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // A folder the user may not write, as an installed program's is, cannot take a dump either.
    const QString folder = !installed && folderProblem(programFolder).isEmpty() ? programFolder : usersOwn;
#else
    // A source build's own folder goes with the next clean build, an installed one's is not the
    // user's to write: one in the home stays.
    Q_UNUSED(programFolder);
    const QString folder = QDir::home().filePath(QStringLiteral("Tamrix"));
#endif
    return QDir::toNativeSeparators(folder) + QDir::separator();
}
