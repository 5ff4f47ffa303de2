#include "dumpfile/dumpwriter.h"

#include "dumpfile/earlierdump.h"

#include <QFileInfo>
#include <QLockFile>

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

}  // namespace

DumpWriter::DumpWriter() = default;
DumpWriter::~DumpWriter() = default;

DumpWriter::Claim DumpWriter::claim(const QString &path)
{
    if (m_claim && m_claimedPath == path)
        return Claim::Held;
    m_claim = std::make_unique<QLockFile>(path + kPartSuffix + QStringLiteral(".lock"));
    // A read-out may take minutes: only a holder that is no longer running makes a claim stale.
    m_claim->setStaleLockTime(0);
    if (m_claim->tryLock(0)) {
        m_claimedPath = path;
        return Claim::Held;
    }
    const bool inUse = m_claim->error() == QLockFile::LockFailedError;
    m_claim.reset();
    return inUse ? Claim::InUse : Claim::Failed;
}

bool DumpWriter::open(const QString &path, const QByteArray &header)
{
    // The claim made when the read-out started stays: giving it up for a moment would let
    // another read-out in.
    m_file.close();
    m_unfinished = false;
    m_path = path;
    m_headerSize = header.size();
    m_size = 0;
    m_hash.reset();
    m_sha256.clear();
    m_dataUniform = true;
    m_earlier = Earlier::None;
    m_keptPath.clear();
    // Found now rather than after the whole download.
    if (QFileInfo(path).isDir())
        return fail(path, QStringLiteral("a folder has that name"));
    switch (claim(path)) {
    case Claim::Held:
        break;
    case Claim::InUse:
        return fail(partPath(), QStringLiteral("another read-out is writing it"));
    case Claim::Failed:
        return fail(partPath(), QStringLiteral("cannot claim it for this read-out"));
    }
    m_file.setFileName(partPath());
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(partPath(), m_file.errorString());
    m_unfinished = true;
    return writeAll(header);
}

bool DumpWriter::append(const QByteArray &data)
{
    if (!m_file.isOpen())
        return false;
    if (!data.isEmpty() && m_dataUniform) {
        if (m_size == m_headerSize)
            m_firstDataByte = data.front();
        m_dataUniform = data.count(m_firstDataByte) == data.size();
    }
    return writeAll(data);
}

std::optional<quint8> DumpWriter::uniformDataByte() const
{
    if (!m_dataUniform || m_size == m_headerSize)
        return std::nullopt;
    return quint8(m_firstDataByte);
}

bool DumpWriter::commit()
{
    m_file.close();
    const QByteArray written = m_hash.result();
    if (!keepEarlier(written))
        return false;
    std::error_code error;
    // One step that replaces the earlier file: there is never a moment without either.
    std::filesystem::rename(fileSystemPath(partPath()), fileSystemPath(m_path), error);
    if (error)
        return fail(m_path, QString::fromStdString(error.message()));
    m_unfinished = false;

    // What is reported is what the file under its name holds now.
    const FileDigest onDisk = digestOf(m_path);
    if (!onDisk.isValid())
        return fail(m_path, onDisk.error);
    if (onDisk.size != m_size || onDisk.sha256 != written)
        return fail(m_path, QStringLiteral("the file on disk does not hold the bytes received"));
    m_sha256 = onDisk.sha256;
    QString reason;
    if (!writeChecksumFile(m_path, m_sha256, &reason))
        return fail(m_path + QStringLiteral(".sha256"), reason);
    return true;
}

bool DumpWriter::keepEarlier(const QByteArray &written)
{
    if (!QFileInfo::exists(m_path))
        return true;
    const FileDigest earlier = digestOf(m_path);
    if (!earlier.isValid())
        return fail(m_path, earlier.error);
    if (earlier.size == m_size && earlier.sha256 == written) {
        m_earlier = Earlier::Identical;
        return true;
    }
    QString reason;
    m_keptPath = keepUnderNumberedName(m_path, earlier, &reason);
    if (m_keptPath.isEmpty())
        return fail(m_path, "cannot keep the earlier dump of this name: " + reason);
    m_earlier = Earlier::Kept;
    return true;
}

bool DumpWriter::close()
{
    m_file.close();
    m_claim.reset();  // gives the claim up
    m_claimedPath.clear();
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
