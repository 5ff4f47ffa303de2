#pragma once
// The dump file of a read-out. It grows under a ".part" name, header first, then the data of each
// block as it arrives, and takes its real name only once the read-out is complete: a dump that
// stopped half-way never looks like a finished one, and never replaces one.

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

class DumpWriter
{
public:
    static inline const QString kPartSuffix = QStringLiteral(".part");

    // Starts `path`.part afresh (an older one is replaced) and writes `header`. A file at `path`
    // itself stays untouched until commit().
    bool open(const QString &path, const QByteArray &header);
    // Appends and hands the bytes to the system at once, so an unfinished dump still holds every
    // block received before.
    bool append(const QByteArray &data);
    // The dump is complete: `path`.part becomes `path`, replacing an older file of that name.
    bool commit();
    // Closes the file. True when it leaves an unfinished dump behind as `path`.part.
    bool close();

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_path; }
    QString partPath() const { return m_path + kPartSuffix; }
    qint64 size() const { return m_size; }
    qint64 dataSize() const { return qMax<qint64>(0, m_size - m_headerSize); }
    QByteArray sha256() const { return m_hash.result(); }

    // After a failure: the file concerned and why.
    QString errorPath() const { return m_errorPath; }
    QString errorString() const { return m_error; }

private:
    bool writeAll(const QByteArray &data);
    bool fail(const QString &path, const QString &reason);

    QFile m_file;
    QString m_path;
    bool m_unfinished = false;  // a .part file was started and has not become the dump
    qint64 m_headerSize = 0;
    qint64 m_size = 0;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    QString m_errorPath;
    QString m_error;
};
