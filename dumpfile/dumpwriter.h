#pragma once
// The dump file of a read-out. It grows under a ".part" name, header first, then the data of each
// block as it arrives, and takes its real name only once the read-out is complete: a dump that
// stopped half-way never looks like a finished one, and never replaces one. While it is written
// its name is claimed, so no other read-out, in this program or another, writes the same file.

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
    // What commit() found under the dump's name.
    enum class Earlier { None, Identical, Kept };

    DumpWriter();
    ~DumpWriter();

    // Claims `path` until close(). A claim left behind by a read-out that died does not count.
    Claim claim(const QString &path);
    // Claims `path` unless it is claimed already, starts `path`.part afresh (an older one is
    // replaced) and writes `header`. A file at `path` itself stays untouched until commit().
    bool open(const QString &path, const QByteArray &header);
    // Appends and hands the bytes to the system at once, so an unfinished dump still holds every
    // block received before.
    bool append(const QByteArray &data);
    // The dump is complete: an earlier, different file of its name is first kept under a
    // numbered name, then `path`.part becomes `path`, and `path`.sha256 is written. size() and
    // sha256() are then read back from the file on disk.
    bool commit();
    // Closes the file and gives up the claim. True when it leaves an unfinished dump behind as
    // `path`.part.
    bool close();

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    QString partPath() const { return m_path + kPartSuffix; }
    qint64 size() const { return m_size; }
    QByteArray sha256() const { return m_sha256; }
    // The value of every data byte, when they are all one (erased flash, a line held low).
    std::optional<quint8> uniformDataByte() const;
    Earlier earlier() const { return m_earlier; }
    QString keptPath() const { return m_keptPath; }

    // After a failure: the file concerned and why.
    QString errorPath() const { return m_errorPath; }
    QString errorString() const { return m_error; }

private:
    bool writeAll(const QByteArray &data);
    // `written`: the SHA-256 of what this dump holds.
    bool keepEarlier(const QByteArray &written);
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
    Earlier m_earlier = Earlier::None;
    QString m_keptPath;
    QString m_errorPath;
    QString m_error;
};
