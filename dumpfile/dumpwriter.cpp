#include "dumpfile/dumpwriter.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path fileSystemPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace

bool DumpWriter::open(const QString &path, const QByteArray &header)
{
    close();
    m_path = path;
    m_headerSize = header.size();
    m_size = 0;
    m_hash.reset();
    // Found now rather than after the whole download.
    if (QFileInfo(path).isDir())
        return fail(path, QStringLiteral("a folder has that name"));
    m_file.setFileName(partPath());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(partPath(), m_file.errorString());
    m_unfinished = true;
    return writeAll(header);
}

bool DumpWriter::append(const QByteArray &data)
{
    return m_file.isOpen() && writeAll(data);
}

bool DumpWriter::commit()
{
    m_file.close();
    std::error_code error;
    // One step that replaces the older dump: there is never a moment without either file.
    std::filesystem::rename(fileSystemPath(partPath()), fileSystemPath(m_path), error);
    if (error)
        return fail(m_path, QString::fromStdString(error.message()));
    m_unfinished = false;
    return true;
}

bool DumpWriter::close()
{
    m_file.close();
    const bool leftBehind = m_unfinished;
    m_unfinished = false;
    return leftBehind;
}

bool DumpWriter::writeAll(const QByteArray &data)
{
    if (m_file.write(data) != data.size() || !m_file.flush())
        return fail(partPath(), m_file.errorString());
    m_hash.addData(data);
    m_size += data.size();
    return true;
}

bool DumpWriter::fail(const QString &path, const QString &reason)
{
    m_errorPath = path;
    m_error = reason;
    return false;
}
