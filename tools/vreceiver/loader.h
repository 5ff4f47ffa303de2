#pragma once

#include "flashimage.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

// Faults to play. Frame indices K count the frames served in a session:
// 0 is the first block the tool asks for.
struct LoaderFaults
{
    enum class HangUp { None, Banner, Handshake, Frame, Total };

    int badBlock = -1;  // frame K carries a wrong checksum byte
    bool badTotal = false;
    int extraBlock = -1;  // frame K is followed by extraBytes more bytes
    int extraBytes = 0;
    int shortBlock = -1;  // frame K is 1031 bytes long, then silence
    int stallBlock = -1;  // frame K stops after stallOffset bytes, then silence
    int stallOffset = 0;
    HangUp hangUp = HangUp::None;
    int hangUpBlock = -1;  // for HangUp::Frame: after hangUpOffset bytes of frame K
    int hangUpOffset = 0;
};

struct LoaderConfig
{
    QByteArray noise;   // sent before the banner, as the box powers up
    QByteArray banner;  // one write
    bool silent = false;
    int lineGapMs = 50;
    bool reqdata = false;    // REQDATA_ spellings of the block questions
    bool wrongCase = false;  // swaps "ACK\r\n" and "ack\r\n"
    LoaderFaults faults;
    bool faultsOnce = false;
};

// One piece of output and when it may go out.
struct Emission
{
    QByteArray bytes;
    int gapMs = 0;        // not before this long after the previous piece was out
    bool hangUp = false;  // close the line here (bytes is empty)
    bool frame = false;   // a block frame, which the tool answers
};

// What the loader does about the bytes it was fed.
struct Reaction
{
    bool powerCycled = false;  // drop whatever of the old session is still unsent
    QVector<Emission> send;
    QStringList complaints;  // unexpected input, reported on stderr
    // The ends of the block phase, for timing it as the box sees it.
    bool firstFrameAsked = false;
    bool downloadDone = false;
};

// The set-top box's boot loader as seen from the serial line. It does no
// I/O: it is fed the bytes the tool sent, and answers with what to send back
// and when.
// The loader's block and total check: the 8-bit sum of the bytes. The receiver keeps its own,
// apart from Tamrix's, so that a fault in Tamrix's cannot agree with itself.
quint8 byteSum(const QByteArray &bytes);

class LoaderMachine
{
public:
    enum class State {
        Off,     // waits for a wake-up key
        Booted,  // banner out; the next key brings BL_FLASH_END
        AwaitKdata,
        AwaitAck,
        AwaitStart,  // 4 digits: first block
        AwaitCount,  // 4 digits: number of blocks
        AwaitDownload,
        Downloading,
        Stalled,  // a fault made it fall silent; only a power cycle helps
        HungUp,
    };

    static constexpr char Key = 0x1F;
    static constexpr int FrameSize = FlashImage::BlockSize + 8;

    LoaderMachine(LoaderConfig config, const FlashImage &flash);

    Reaction feed(const QByteArray &bytes);

    State state() const { return m_state; }
    int session() const { return m_session; }
    static const char *stateName(State state);

private:
    void onKey(Reaction &r);
    void onByte(char c, Reaction &r);
    void boot(Reaction &r);
    void onKdata(Reaction &r);
    void onCommand(const QByteArray &line, Reaction &r);
    void serveFrame(int block, Reaction &r);
    void sendText(Reaction &r, const QByteArray &text, int gapMs = 0) const;
    void hangUp(Reaction &r, int gapMs);
    void reportJunk(Reaction &r);
    QString where() const;

    bool collectToken(char c, const QByteArray &token);
    bool collectDigits(char c);
    bool collectLine(char c);
    QByteArray takeBuffer();

    const LoaderFaults &faults() const;

    const LoaderConfig m_config;
    const FlashImage &m_flash;

    State m_state = State::Off;
    int m_session = 0;
    bool m_bootedInThisFeed = false;
    QByteArray m_buffer;  // the token or line being received
    QByteArray m_junk;    // unexpected bytes not yet reported

    int m_startBlock = -1;
    int m_blockCount = -1;
    int m_framesServed = 0;
    int m_lastBlock = -1;
    quint8 m_checkByteSum = 0;
};
