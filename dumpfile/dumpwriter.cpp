#include "dumpfile/dumpwriter.h"

#include "dumpfile/checksumfile.h"
#include "dumpfile/diskroom.h"
#include "dumpfile/diskwrite.h"

#include <QFileInfo>
#include <QLockFile>

DumpWriter::DumpWriter() = default;
DumpWriter::~DumpWriter() = default;

bool DumpWriter::open(const QString &path, const QByteArray &header)
{
    close();
    m_wantedPath = path;
    m_path = path;
    m_header = header;
    m_size = 0;
    m_hash.reset();
    m_sha256.clear();
    m_dataUniform = true;
    m_identicalPath.clear();
    m_diskFull = false;
    NameClaim claim = claimNewName(path);
    if (!claim.lock)
        return fail(partPath(), claim.error);
    m_claim = std::move(claim.lock);
    m_path = claim.path;
    m_file.setFileName(partPath());
    // Unbuffered: each block goes to the system whole or not at all, as writeAll() sees it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return fail(partPath(), m_file.errorString());
    m_unfinished = true;
    return writeAll(header);
}

bool DumpWriter::append(const QByteArray &data)
{
    if (!m_file.isOpen())
        return false;
    if (!data.isEmpty() && m_dataUniform) {
        if (m_size == m_header.size())
            m_firstDataByte = data.front();
        m_dataUniform = data.count(m_firstDataByte) == data.size();
    }
    if (!writeAll(data))
        return false;
    // Linux lets a file be written on after it, or its folder, was removed: that is found now,
    // not once the whole download is over.
    if (!QFileInfo::exists(partPath()))
        return fail(partPath(), QStringLiteral("it is gone from the disk"));
    return true;
}

std::optional<quint8> DumpWriter::uniformDataByte() const
{
    if (!m_dataUniform || m_size == m_header.size())
        return std::nullopt;
    return quint8(m_firstDataByte);
}

bool DumpWriter::commit(DumpRecord record)
{
    m_file.close();
    QString reason;
    // On the disk before it takes its name: the name never stands for bytes still in a cache.
    if (!syncFileToDisk(partPath(), &reason))
        return fail(partPath(), reason);
    findIdentical(m_hash.result());
    // The name was claimed free; a file that appeared there since stays where it is.
    if (!renameToFreeName(partPath(), m_path, &reason))
        return fail(m_path, reason);
    m_unfinished = false;
    if (!syncFolderToDisk(QFileInfo(m_path).absolutePath(), &reason))
        return fail(m_path, reason);

    // What is reported is what the file under its name holds now.
    const FileDigest onDisk = digestOf(m_path);
    if (!onDisk.isValid())
        return fail(m_path, onDisk.error);
    if (onDisk.size != m_size || onDisk.sha256 != m_hash.result())
        return fail(m_path, QStringLiteral("the file on disk does not hold the bytes received"));
    m_sha256 = onDisk.sha256;
    addFileFacts(&record);
    if (!writeFileToDisk(recordPath(m_path), recordText(record), &reason))
        return fail(recordPath(m_path), reason);
    // The checksum file comes last: once it is there, so is everything else.
    if (!writeChecksumFile(m_path, m_sha256, &reason))
        return fail(checksumPath(m_path), reason);
    return true;
}

void DumpWriter::findIdentical(const QByteArray &written)
{
    for (const QString &path : dumpsOfName(m_wantedPath)) {
        // Sizes first: a dump is read only when it may hold the same bytes.
        if (QFileInfo(path).size() != m_size)
            continue;
        const FileDigest digest = digestOf(path);
        if (digest.isValid() && digest.size == m_size && digest.sha256 == written) {
            m_identicalPath = path;
            return;
        }
    }
}

void DumpWriter::addFileFacts(DumpRecord *record) const
{
    record->header = m_header;
    record->size = m_size;
    record->sha256 = m_hash.result();
    if (!m_identicalPath.isEmpty())
        record->identicalEarlier = QFileInfo(m_identicalPath).fileName();
}

bool DumpWriter::recordUnfinished(DumpRecord record)
{
    addFileFacts(&record);
    QString reason;
    if (!writeFileToDisk(recordPath(partPath()), recordText(record), &reason))
        return fail(recordPath(partPath()), reason);
    return true;
}

bool DumpWriter::close()
{
    m_file.close();
    m_claim.reset();  // gives the claim up
    const bool leftBehind = m_unfinished;
    m_unfinished = false;
    return leftBehind;
}

bool DumpWriter::writeAll(const QByteArray &data)
{
    qint64 written = m_file.write(data);
    // A write cut short without a reason: writing the rest gets the system's (a full disk).
    if (written >= 0 && written < data.size()) {
        const qint64 more = m_file.write(data.constData() + written, data.size() - written);
        written = more < 0 ? more : written + more;
    }
    if (written != data.size()) {
        m_diskFull = lastWriteFoundNoRoom() || ::isDiskFull(QFileInfo(m_path).absolutePath());
        const QString reason = m_file.errorString();
        // What an unfinished dump is said to hold is what it holds: whole blocks only.
        m_file.resize(m_size);
        return fail(partPath(), reason);
    }
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
