#pragma once
// Reading the boot banner: when it is complete, which loader version it names, which family
// that version belongs to.

#include "readout/tokenwait.h"

#include <QByteArray>

// Collects the boot output until "MICOM" shows and remembers just enough of it to take the
// version the way the whole collected text would give it: up to 8 characters after the first
// " Version ", or, when the text holds no " Version ", characters 9 to 16 of the text.
class BannerScanner
{
public:
    BannerScanner() { reset(); }
    void reset();

    // One read's worth of text. Returns true once "MICOM" has been seen.
    bool feed(const QByteArray &chunk);

    // The version as the text collected so far gives it (at most 8 characters, maybe none).
    QByteArray rawVersion() const;

private:
    static constexpr qsizetype kVersionLength = 8;
    static constexpr qsizetype kNoMarkOffset = 8;  // version taken from position 9 when no mark

    TokenWait m_banner;
    TokenWait m_mark;
    bool m_markFound = false;
    QByteArray m_head;       // first characters of the text, for the case without a mark
    QByteArray m_afterMark;  // up to 8 characters after the first mark
};

struct LoaderFamily
{
    qint16 sizeKb = 0;       // 0: not recognised, the window's block settings stay
    qint16 startBlock = 0;
    qint16 blockCount = 0;
};

// The family by the version's first character: "1" to "3" are 64 kB loaders, "5" and "6" 128 kB.
LoaderFamily loaderFamily(const QByteArray &version);

// The blocks a loader of that size occupies, up to the last block 2047: 64 kB from 1984, 128 kB
// from 1920. Any other size is no family.
LoaderFamily familyOfSize(int sizeKb);

// A recognised version whose characters 7 and 8 are CR LF is cut to its first 5 characters.
QByteArray trimRecognisedVersion(const QByteArray &version);
