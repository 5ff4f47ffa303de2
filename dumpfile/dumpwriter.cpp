#include "dumpfile/dumpwriter.h"

#include "dumpfile/diskwrite.h"
#include "dumpfile/earlierdump.h"

#include <QFileInfo>
#include <QLockFile>

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
    m_keptPath.clear();
    m_keptDumpChanged = false;
    m_identicalPath.clear();
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
    // Unbuffered: each block goes to the system whole or not at all, as writeAll() sees it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(partPath(), m_file.errorString());
    m_unfinished = true;
    // What a failed read-out recorded of the unfinished dump before goes with it.
    QFile::remove(recordPath(partPath()));
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

bool DumpWriter::commit(DumpRecord record)
{
    m_file.close();
    QString reason;
    // On the disk before it takes its name: the name never stands for bytes still in a cache.
    if (!syncFileToDisk(partPath(), &reason))
        return fail(partPath(), reason);
    if (!keepEarlier(m_hash.result()) || !takeName())
        return false;

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

bool DumpWriter::keepEarlier(const QByteArray &written)
{
    const EarlierDumps earlier = earlierDumpsOf(m_path);
    FileDigest underName;
    for (const QString &path : earlier.paths) {
        const bool isUnderName = path == m_path;
        // Sizes first: a numbered dump is read only when it may hold the same bytes.
        if (!isUnderName && QFileInfo(path).size() != m_size)
            continue;
        const FileDigest digest = digestOf(path);
        if (isUnderName && !digest.isValid())
            return fail(path, digest.error);
        if (isUnderName)
            underName = digest;
        if (m_identicalPath.isEmpty() && digest.isValid() && digest.size == m_size && digest.sha256 == written)
            m_identicalPath = path;
    }
    // The same bytes under the name need no keeping: this dump takes their place.
    if (!underName.isValid() || m_identicalPath == m_path)
        return true;
    m_keptDumpChanged = checkAgainstChecksumFile(m_path, underName.sha256) == ChecksumCheck::Differs;
    const QString kept = numberedPath(m_path, earlier.highestNumber + 1);
    QString reason;
    const bool keptWhole = keepUnder(m_path, kept, &reason);
    // Once it has moved it is reported where it is, even when what goes with it failed.
    if (!QFileInfo::exists(m_path) && QFileInfo::exists(kept))
        m_keptPath = kept;
    if (!keptWhole)
        return fail(m_path, "cannot keep the earlier dump of this name: " + reason);
    return true;
}

bool DumpWriter::takeName()
{
    QString reason;
    // Only a file with these very bytes is replaced; any other was kept under a number first, and
    // one that appeared since stays where it is.
    const bool renamed = m_identicalPath == m_path ? renameReplacing(partPath(), m_path, &reason)
                                                   : renameToFreeName(partPath(), m_path, &reason);
    if (!renamed)
        return fail(m_path, reason);
    m_unfinished = false;
    if (!syncFolderToDisk(QFileInfo(m_path).absolutePath(), &reason))
        return fail(m_path, reason);
    return true;
}

void DumpWriter::addFileFacts(DumpRecord *record) const
{
    record->size = m_size;
    record->sha256 = m_hash.result();
    if (!m_keptPath.isEmpty())
        record->keptEarlier = QFileInfo(m_keptPath).fileName();
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
    m_claimedPath.clear();
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
