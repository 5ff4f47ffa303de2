#include "dumpfile/diskwrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <string>

#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool failed(QString *error)
{
    const DWORD code = GetLastError();
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    *error = text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("system error %1").arg(code);
    LocalFree(text);
    return false;
}

// Written through: the call returns once the new name is on the device. Windows cannot flush a
// folder, so this is how its renames get there.
bool move(const QString &from, const QString &to, DWORD flags, QString *error)
{
    return MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(), flags | MOVEFILE_WRITE_THROUGH) || failed(error);
}

#else

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

bool failed(QString *error)
{
    *error = qt_error_string(errno);
    return false;
}

// fsync of a file or folder opened for reading: Linux flushes whatever the system holds of it.
bool syncPath(const QString &path, int flags, QString *error)
{
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0)
        return failed(error);
    // EINVAL: a file system with nothing of its own to flush for a folder.
    const bool synced = ::fsync(fd) == 0 || ((flags & O_DIRECTORY) && errno == EINVAL) || failed(error);
    ::close(fd);
    return synced;
}

#endif

}  // namespace

bool syncFileToDisk(const QString &path, QString *error)
{
#ifdef Q_OS_WIN
    // FlushFileBuffers wants a handle that may write; it flushes the file, whoever wrote it.
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failed(error);
    const bool flushed = FlushFileBuffers(file) || failed(error);
    CloseHandle(file);
    return flushed;
#else
    return syncPath(path, 0, error);
#endif
}

bool syncFolderToDisk(const QString &folder, QString *error)
{
#ifdef Q_OS_WIN
    // A folder cannot be flushed on Windows; every rename here is written through instead.
    Q_UNUSED(folder);
    Q_UNUSED(error);
    return true;
#else
    return syncPath(folder, O_DIRECTORY, error);
#endif
}

bool renameReplacing(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_WIN
    return move(from, to, MOVEFILE_REPLACE_EXISTING, error);
#else
    return ::rename(nativePath(from).constData(), nativePath(to).constData()) == 0 || failed(error);
#endif
}

bool renameToFreeName(const QString &from, const QString &to, QString *error)
{
#ifdef Q_OS_WIN
    return move(from, to, 0, error);
#else
    const QByteArray source = nativePath(from);
    const QByteArray target = nativePath(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return failed(error);
    // A file system that cannot refuse by itself: the name is looked at first.
    struct stat existing;
    if (::lstat(target.constData(), &existing) == 0) {
        errno = EEXIST;
        return failed(error);
    }
    return ::rename(source.constData(), target.constData()) == 0 || failed(error);
#endif
}

bool writeFileToDisk(const QString &path, const QByteArray &content, QString *error)
{
    // Only the read-out that holds the dump's claim writes the files beside it, so the temporary
    // name is its alone.
    QFile file(path + QStringLiteral(".tmp"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size() || !file.flush()) {
        *error = file.errorString();
        file.remove();
        return false;
    }
    file.close();
    if (syncFileToDisk(file.fileName(), error) && renameReplacing(file.fileName(), path, error))
        return syncFolderToDisk(QFileInfo(path).absolutePath(), error);
    file.remove();
    return false;
}

bool lastWriteFoundNoRoom()
{
#ifdef Q_OS_WIN
    // ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers do not name.
    constexpr DWORD kDiskQuotaExceeded = 1295;
    const DWORD code = GetLastError();
    return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL || code == kDiskQuotaExceeded
        || code == ERROR_FILE_TOO_LARGE;
#else
    return errno == ENOSPC || errno == EDQUOT || errno == EFBIG;
#endif
}
