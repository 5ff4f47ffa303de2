#pragma once

#include <QByteArray>
#include <QString>

// The set-top box's 2 MiB flash as the loader serves it, block by block.
// The loader sits in the last 64 or 128 kB; its bytes come from an image
// file or from the same pattern that fills the rest of the flash. The
// pattern depends on the absolute offset only, so a block read from the
// wrong place never looks right by accident.
class FlashImage
{
public:
    static constexpr int BlockSize = 1024;
    static constexpr int BlockCount = 2048;

    explicit FlashImage(int loaderKb);

    int loaderKb() const { return m_loaderKb; }
    int loaderFirstBlock() const { return BlockCount - m_loaderKb; }

    // Replaces the loader region with FILE, which must be exactly loaderKb kB.
    bool loadLoader(const QString &file, QString *error);
    // The loader's first 7 bytes become "BL" + name (5 bytes).
    bool setLoaderName(const QByteArray &name, QString *error);
    bool saveLoader(const QString &file, QString *error) const;

    const QByteArray &loader() const { return m_loader; }
    // Block 0..BlockCount-1; 1024 bytes.
    QByteArray block(int number) const;

    static quint8 patternByte(quint32 offset);

private:
    int m_loaderKb;
    QByteArray m_loader;
};
