#include "flashimage.h"

#include <QFile>

FlashImage::FlashImage(int loaderKb) : m_loaderKb(loaderKb)
{
    const quint32 first = quint32(loaderFirstBlock()) * BlockSize;
    m_loader.resize(qsizetype(loaderKb) * BlockSize);
    for (int i = 0; i < m_loader.size(); ++i)
        m_loader[i] = char(patternByte(first + quint32(i)));
}

quint8 FlashImage::patternByte(quint32 offset)
{
    // An integer hash: every byte value occurs, including CR, LF and 0x1F,
    // so a reader that treats frame data as text gets caught.
    quint32 x = offset * 0x9E3779B1u;
    x ^= x >> 15;
    x *= 0x85EBCA77u;
    x ^= x >> 13;
    return quint8(x >> 24);
}

bool FlashImage::loadLoader(const QString &file, QString *error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(file, in.errorString());
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (bytes.size() != m_loader.size()) {
        *error = QStringLiteral("%1 has %2 bytes, a %3 kB loader needs %4")
                     .arg(file)
                     .arg(bytes.size())
                     .arg(m_loaderKb)
                     .arg(m_loader.size());
        return false;
    }
    m_loader = bytes;
    return true;
}

bool FlashImage::setLoaderName(const QByteArray &name, QString *error)
{
    if (name.size() != 5) {
        *error = QStringLiteral("the loader name must be 5 bytes, not %1").arg(name.size());
        return false;
    }
    m_loader.replace(0, 7, QByteArray("BL") + name);
    return true;
}

bool FlashImage::saveLoader(const QString &file, QString *error) const
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(m_loader) != m_loader.size() || !out.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
        return false;
    }
    return true;
}

QByteArray FlashImage::block(int number) const
{
    Q_ASSERT(number >= 0 && number < BlockCount);
    const int first = loaderFirstBlock();
    if (number >= first)
        return m_loader.mid(qsizetype(number - first) * BlockSize, BlockSize);

    QByteArray bytes(BlockSize, Qt::Uninitialized);
    const quint32 base = quint32(number) * BlockSize;
    for (int i = 0; i < BlockSize; ++i)
        bytes[i] = char(patternByte(base + quint32(i)));
    return bytes;
}
