#include "dumpfile/dumpwriter.h"

bool DumpWriter::open(const QString &path, const QByteArray &header)
{
    close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return writeAll(header);
}

bool DumpWriter::append(const QByteArray &data)
{
    return m_file.isOpen() && writeAll(data);
}

void DumpWriter::close()
{
    if (m_file.isOpen())
        m_file.close();
}

bool DumpWriter::writeAll(const QByteArray &data)
{
    return m_file.write(data) == data.size() && m_file.flush();
}
