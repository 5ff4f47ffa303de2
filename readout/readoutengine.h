#pragma once
// The read-out's protocol, without any I/O.
//
// Its session feeds it each chunk the port delivers (one chunk is one read of the port) and
// carries out the events it returns. The engine owns no port, no timer and no file, so every
// wait, every split of a token and every fault can be driven from a test.

#include "readout/loaderbanner.h"
#include "readout/loaderfamily.h"
#include "readout/readoutevent.h"
#include "readout/tokenwait.h"

#include <QByteArray>

#include <chrono>
#include <optional>

// What a read-out waits for before the download, in the protocol's own terms.
struct AwaitedAnswer
{
    QByteArray token;      // what the loader is to send: "MICOM", "ACK\r\n", ...; empty: nothing
    QByteArray answersTo;  // the message of ours it answers: "KDATA", "ack", "1920"; empty: none
};

class ReadoutEngine
{
public:
    // The block settings of the window, taken before the port is opened.
    void setRequest(qint16 startBlock, qint16 blockCount);
    // The port is open: begin keying and wait for the banner.
    ReadoutEvents start();
    // One read of the port.
    ReadoutEvents feed(const QByteArray &chunk);
    // No byte came for `quiet` while awaitsBinary().
    ReadoutEvents stallTimeout(std::chrono::seconds quiet);
    // The port was closed (Close, window closed, line lost): the read-out is over, silently.
    void stop() { m_state = State::Idle; }

    bool awaitsBinary() const { return m_state == State::Frame || m_state == State::Total; }
    // The banner, or the loader's next answer in the handshake; nothing once the download runs
    // or the read-out has ended.
    AwaitedAnswer awaitedAnswer() const { return m_state == State::Idle || awaitsBinary() ? AwaitedAnswer{} : m_awaited; }
    // Bytes still to come before the engine has anything to do: the rest of a frame or the
    // total; 1 while it reads text, which it looks at as it comes.
    int bytesAwaited() const { return awaitsBinary() ? expectedBytes() - int(m_rxBytes.size()) : 1; }

    // The progress: blocks whose sums were checked and matched, of BlockCount().
    int blocksChecked() const { return m_blockIndex; }
    qint16 StartBlock() const { return m_startBlock; }
    qint16 BlockCount() const { return m_blockCount; }

private:
    enum class State {
        Idle,      // no read-out, or one that ended
        Banner,    // keying, waiting for "MICOM"
        FlashEnd,  // keying, waiting for "BL_FLASH_END"
        UpperAck,
        LineEnd,
        StartBlockRequest,
        BlockCountRequest,
        LowerAck,
        Frame,  // waiting for a block frame
        Total,  // waiting for the total sum byte
    };

    void identify(ReadoutEvents &out);
    void advanceHandshake(ReadoutEvents &out);
    void awaitText(State state, QList<QByteArray> tokens, const QByteArray &answersTo = {});
    void requestNext(ReadoutEvents &out);
    void takeFrame(ReadoutEvents &out);
    void takeTotal(ReadoutEvents &out);
    void finish(ReadoutEvents &out, const ReadoutEnd &end);
    int blockNumber() const { return int(m_startBlock) + m_blockIndex; }
    int loaderSizeKb() const { return m_family ? m_family->sizeKb : 0; }
    int expectedBytes() const;
    // The block whose frame is awaited; none while the total byte is.
    std::optional<int> awaitedBlock() const;

    State m_state = State::Idle;

    qint16 m_startBlock = 0;
    qint16 m_blockCount = 0;
    QByteArray m_loaderVersion;
    const LoaderFamily *m_family = nullptr;  // none: not recognised

    BannerScanner m_banner;
    TokenWait m_rxText;  // the text of the current handshake wait
    AwaitedAnswer m_awaited;
    QByteArray m_rxBytes;  // the frame, or the total byte, received so far
    int m_blockIndex = 0;  // blocks that passed their check
    qint32 m_blockSum = 0;
    int m_totalSum = 0;
};
