#pragma once
// The dump file of a read-out. It grows under a ".part" name, header first, then the data of each
// block as it arrives, and takes its real name only once the read-out is complete: a dump that
// stopped half-way never looks like a finished one, and never replaces one. While it is written
// its name is claimed, so no other read-out, in this program or another, writes the same file.

#include "dumpfile/dumprecord.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;

class DumpWriter
{
public:
    static inline const QString kPartSuffix = QStringLiteral(".part");

    enum class Claim { Held, InUse, Failed };

    DumpWriter();
    ~DumpWriter();

    // Claims `path` until close(). A claim left behind by a read-out that died does not count.
    Claim claim(const QString &path);
    // Claims `path` unless it is claimed already, starts `path`.part afresh (an older one is
    // replaced) and writes `header`. A file at `path` itself stays untouched until commit().
    bool open(const QString &path, const QByteArray &header);
    // Appends and hands the bytes to the system at once, so an unfinished dump still holds every
    // block received before. Bytes that could not all be written are taken out again.
    bool append(const QByteArray &data);
    // The dump is complete: an earlier, different file of its name is first kept under the next
    // number, then `path`.part becomes `path`, and `record` (with what the file holds) and
    // `path`.sha256 are written beside it. Each is on the disk before the next step, and all of
    // them when it returns. size() and sha256() are read back from the file on disk.
    bool commit(DumpRecord record);
    // Closes the file and gives up the claim. True when it leaves an unfinished dump behind as
    // `path`.part.
    bool close();
    // After close() left an unfinished dump: `record`, with what the .part holds, beside it.
    bool recordUnfinished(DumpRecord record);

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    QString partPath() const { return m_path + kPartSuffix; }
    qint64 size() const { return m_size; }
    QByteArray sha256() const { return m_sha256; }
    // The value of every data byte, when they are all one (erased flash, a line held low).
    std::optional<quint8> uniformDataByte() const;
    // What commit() did with the earlier dumps of the name: where the one under the name was
    // kept, whether it had changed since its checksum file was written, and which one holds the
    // same bytes as this dump. Empty, false, empty when there was nothing of the kind.
    QString keptPath() const { return m_keptPath; }
    bool keptDumpChanged() const { return m_keptDumpChanged; }
    QString identicalPath() const { return m_identicalPath; }

    // After a failure: the file concerned and why.
    QString errorPath() const { return m_errorPath; }
    QString errorString() const { return m_error; }

private:
    bool writeAll(const QByteArray &data);
    // `written`: the SHA-256 of what this dump holds.
    bool keepEarlier(const QByteArray &written);
    bool takeName();
    void addFileFacts(DumpRecord *record) const;
    bool fail(const QString &path, const QString &reason);

    QFile m_file;
    std::unique_ptr<QLockFile> m_claim;
    QString m_claimedPath;
    QString m_path;
    bool m_unfinished = false;  // a .part file was started and has not become the dump
    qint64 m_headerSize = 0;
    qint64 m_size = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    QByteArray m_sha256;
    bool m_dataUniform = true;
    char m_firstDataByte = 0;
    QString m_keptPath;
    bool m_keptDumpChanged = false;
    QString m_identicalPath;
    QString m_errorPath;
    QString m_error;
};
