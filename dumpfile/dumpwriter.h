#pragma once
// The dump file of a read-out. It grows under a ".part" name, header first, then the data of each
// block as it arrives, and takes its real name only once the read-out is complete: a dump that
// stopped half-way never looks like a finished one. Its name is claimed at open(), so no other
// read-out, in this program or another, writes the same file; and it is a name no file had, so
// no saved file is ever renamed or written over.

#include "dumpfile/dumprecord.h"
#include "dumpfile/freename.h"

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
    DumpWriter();
    ~DumpWriter();

    // Claims the name `path`, or the next numbered one when the folder holds something of that
    // name (freename.h), starts its .part and writes `header`. path() says which name it is.
    bool open(const QString &path, const QByteArray &header);
    // Appends and hands the bytes to the system at once, so an unfinished dump still holds every
    // block received before. Bytes that could not all be written are taken out again. A .part
    // that is gone from the disk fails it.
    bool append(const QByteArray &data);
    // The dump is complete: `path`.part becomes `path`, and `record` (with what the file holds)
    // and `path`.sha256 are written beside it. Each is on the disk before the next step, and all
    // of them when it returns. size() and sha256() are read back from the file on disk.
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
    // An earlier dump of the name that holds the same bytes as this one, found by commit();
    // empty when there is none.
    QString identicalPath() const { return m_identicalPath; }

    // After a failure: the file concerned and why, and whether it was for want of room.
    QString errorPath() const { return m_errorPath; }
    QString errorString() const { return m_error; }
    bool isDiskFull() const { return m_diskFull; }

private:
    bool writeAll(const QByteArray &data);
    // `written`: the SHA-256 of what this dump holds.
    void findIdentical(const QByteArray &written);
    void addFileFacts(DumpRecord *record) const;
    bool fail(const QString &path, const QString &reason);

    QFile m_file;
    std::unique_ptr<QLockFile> m_claim;
    QString m_wantedPath;  // the name asked for; path() is it or a numbered one
    QString m_path;
    bool m_unfinished = false;  // a .part file was started and has not become the dump
    QByteArray m_header;
    qint64 m_size = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    QByteArray m_sha256;
    bool m_dataUniform = true;
    char m_firstDataByte = 0;
    QString m_identicalPath;
    QString m_errorPath;
    QString m_error;
    bool m_diskFull = false;
};
