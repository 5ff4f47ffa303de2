#pragma once
// The open dump file of a read-out: header first, then the data of each block as it arrives.

#include <QByteArray>
#include <QFile>
#include <QString>

class DumpWriter
{
public:
    // Creates or overwrites `path` (an older, longer file is cut) and writes `header`.
    bool open(const QString &path, const QByteArray &header);
    // Appends and hands the bytes to the system at once, so a dump cut short by a pulled cable
    // or a failed block still holds every block received before.
    bool append(const QByteArray &data);
    void close();

    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    QString errorString() const { return m_file.errorString(); }

private:
    bool writeAll(const QByteArray &data);

    QFile m_file;
};
