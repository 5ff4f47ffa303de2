#pragma once
// Reading the boot banner: when it is complete and which loader version it names.

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
    // The text collected up to the end of "MICOM", its last kTextLimit bytes.
    QByteArray text() const { return m_text.right(kTextLimit); }

    static constexpr qsizetype kTextLimit = 4096;

private:
    static constexpr qsizetype kVersionLength = 8;
    static constexpr qsizetype kNoMarkOffset = 8;  // version taken from position 9 when no mark

    TokenWait m_banner;
    TokenWait m_mark;
    bool m_markFound = false;
    QByteArray m_head;       // first characters of the text, for the case without a mark
    QByteArray m_afterMark;  // up to 8 characters after the first mark
    QByteArray m_text;       // the end of the text, at most twice kTextLimit
};

// A recognised version whose characters 7 and 8 are CR LF is cut to its first 5 characters.
QByteArray trimRecognisedVersion(const QByteArray &version);
