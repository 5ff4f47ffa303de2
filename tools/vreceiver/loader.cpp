#include "loader.h"

#include "escapes.h"

#include <utility>

namespace {

constexpr int MaxLineBytes = 64;  // longer without a CR is not a command
constexpr char TailFill = 0x55;   // bytes 1025..1031 of a frame: never examined
constexpr char ExtraFill = char(0xA5);

const QByteArray FrameRequest = "REQUEST_1024DOWN:";
const QByteArray FrameConfirm = "1024DOWN_SUCCESS:";

// Block numbers: plain decimal digits, more than four allowed.
bool parseBlock(const QByteArray &digits, int *block)
{
    if (digits.isEmpty() || digits.size() > 9)
        return false;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *block = value;
    return true;
}

}  // namespace

quint8 byteSum(const QByteArray &bytes)
{
    quint8 sum = 0;
    for (char c : bytes)
        sum = quint8(sum + quint8(c));
    return sum;
}

LoaderMachine::LoaderMachine(LoaderConfig config, const FlashImage &flash) : m_config(std::move(config)), m_flash(flash) {}

const char *LoaderMachine::stateName(State state)
{
    switch (state) {
    case State::Off:
        return "off";
    case State::Booted:
        return "booted";
    case State::AwaitKdata:
        return "waiting for KDATA";
    case State::AwaitAck:
        return "waiting for ack";
    case State::AwaitStart:
        return "waiting for the start block";
    case State::AwaitCount:
        return "waiting for the block count";
    case State::AwaitDownload:
        return "waiting for REQUEST_DOWNLOAD";
    case State::Downloading:
        return "downloading";
    case State::Stalled:
        return "stalled";
    case State::HungUp:
        return "hung up";
    }
    return "?";
}

QString LoaderMachine::where() const
{
    return QStringLiteral("session %1, %2").arg(m_session).arg(QLatin1String(stateName(m_state)));
}

const LoaderFaults &LoaderMachine::faults() const
{
    static const LoaderFaults none;
    return (m_config.faultsOnce && m_session > 1) ? none : m_config.faults;
}

Reaction LoaderMachine::feed(const QByteArray &bytes)
{
    Reaction r;
    m_bootedInThisFeed = false;
    for (char c : bytes) {
        if (c == Key)
            onKey(r);
        else
            onByte(c, r);
    }
    reportJunk(r);
    return r;
}

void LoaderMachine::onKey(Reaction &r)
{
    // Keys that arrive together with the one that powered the box up were
    // sent before the tool could have seen a banner; they mean nothing.
    if (m_bootedInThisFeed)
        return;

    switch (m_state) {
    case State::Off:
        if (!m_config.silent)
            boot(r);
        return;
    case State::Booted:
        reportJunk(r);
        // The gap keeps BL_FLASH_END out of the read that carries "MICOM".
        sendText(r, "BL_FLASH_END\r\n", m_config.lineGapMs);
        m_state = State::AwaitKdata;
        return;
    case State::AwaitKdata:  // the tool keys until it has seen BL_FLASH_END
    case State::HungUp:
        return;
    case State::AwaitAck:
    case State::AwaitStart:
    case State::AwaitCount:
    case State::AwaitDownload:
    case State::Downloading:
    case State::Stalled:
        // The tool only keys before KDATA, so this is a box switched off and
        // on again: whatever it was doing is gone.
        reportJunk(r);
        r.powerCycled = true;
        boot(r);
        return;
    }
}

void LoaderMachine::boot(Reaction &r)
{
    reportJunk(r);
    ++m_session;
    m_state = State::Booted;
    m_bootedInThisFeed = true;
    m_buffer.clear();
    m_startBlock = m_blockCount = m_lastBlock = -1;
    m_framesServed = 0;
    m_checkByteSum = 0;

    if (!m_config.noise.isEmpty())
        r.send << Emission{m_config.noise, 0, false};
    sendText(r, m_config.banner);
    if (faults().hangUp == LoaderFaults::HangUp::Banner)
        hangUp(r, m_config.lineGapMs);  // gives the tool a moment to read the banner first
}

void LoaderMachine::onByte(char c, Reaction &r)
{
    switch (m_state) {
    case State::Off:
    case State::Booted:
    case State::Stalled:
        m_junk += c;
        return;
    case State::HungUp:
        return;
    case State::AwaitKdata:
        if (collectToken(c, "KDATA"))
            onKdata(r);
        return;
    case State::AwaitAck:
        if (collectToken(c, "ack")) {
            reportJunk(r);
            sendText(r, m_config.reqdata ? "REQDATA_START_BLOCK\r\n" : "REQUEST_START_BLOCK\r\n");
            m_state = State::AwaitStart;
        }
        return;
    case State::AwaitStart:
        if (collectDigits(c)) {
            reportJunk(r);
            m_startBlock = takeBuffer().toInt();
            sendText(r, m_config.reqdata ? "REQDATA_BLOCK\r\n" : "REQUEST_BLOCK\r\n");
            m_state = State::AwaitCount;
        }
        return;
    case State::AwaitCount:
        if (collectDigits(c)) {
            reportJunk(r);
            m_blockCount = takeBuffer().toInt();
            if (m_startBlock + m_blockCount > FlashImage::BlockCount)
                r.complaints << where()
                        + QStringLiteral(": blocks %1..%2 run past the end of the flash")
                              .arg(m_startBlock)
                              .arg(m_startBlock + m_blockCount - 1);
            sendText(r, m_config.wrongCase ? "ACK\r\n" : "ack\r\n");
            m_state = State::AwaitDownload;
        }
        return;
    case State::AwaitDownload:
        if (collectLine(c)) {
            const QByteArray line = takeBuffer();
            if (line == "REQUEST_DOWNLOAD") {
                reportJunk(r);
                m_state = State::Downloading;
            } else {
                m_junk += line + '\r';
            }
        }
        return;
    case State::Downloading:
        if (collectLine(c))
            onCommand(takeBuffer(), r);
        return;
    }
}

void LoaderMachine::onKdata(Reaction &r)
{
    reportJunk(r);
    if (faults().hangUp == LoaderFaults::HangUp::Handshake) {
        hangUp(r, 0);
        return;
    }
    sendText(r, m_config.wrongCase ? "ack\r\n" : "ACK\r\n");
    // The tool drops whatever shares a read with "ACK\r\n", so the next line
    // has to come later.
    sendText(r, "KDATA OK\r\n", m_config.lineGapMs);
    m_state = State::AwaitAck;
}

void LoaderMachine::onCommand(const QByteArray &line, Reaction &r)
{
    int block = -1;
    if (line.startsWith(FrameRequest)) {
        if (!parseBlock(line.mid(FrameRequest.size()), &block) || block >= FlashImage::BlockCount) {
            m_junk += line + '\r';
            return;
        }
        reportJunk(r);
        r.firstFrameAsked = m_framesServed == 0;
        serveFrame(block, r);
    } else if (line.startsWith(FrameConfirm)) {
        if (!parseBlock(line.mid(FrameConfirm.size()), &block)) {
            m_junk += line + '\r';
            return;
        }
        reportJunk(r);
        if (block != m_lastBlock)
            r.complaints << where()
                    + QStringLiteral(": confirmation of block %1, but the last one sent was %2").arg(block).arg(m_lastBlock);
    } else if (line == "REQUEST_TOTALCRC") {
        reportJunk(r);
        if (faults().hangUp == LoaderFaults::HangUp::Total) {
            hangUp(r, 0);
            return;
        }
        const quint8 total = quint8(m_checkByteSum + (faults().badTotal ? 1 : 0));
        r.send << Emission{QByteArray(1, char(total)), 0, false};
    } else if (line == "DOWN_SUCCESS") {
        reportJunk(r);
        r.downloadDone = true;
        m_state = State::Off;
    } else {
        m_junk += line + '\r';
    }
}

void LoaderMachine::serveFrame(int block, Reaction &r)
{
    const LoaderFaults &f = faults();
    const int k = m_framesServed++;
    m_lastBlock = block;
    if (m_startBlock >= 0 && (block < m_startBlock || block >= m_startBlock + m_blockCount))
        r.complaints << where()
                + QStringLiteral(": block %1 lies outside the %2 blocks from %3 (served anyway)")
                      .arg(block)
                      .arg(m_blockCount)
                      .arg(m_startBlock);

    const QByteArray data = m_flash.block(block);
    quint8 check = byteSum(data);
    if (k == f.badBlock)
        check = quint8(check + 1);
    m_checkByteSum = quint8(m_checkByteSum + check);

    QByteArray frame = data;
    frame += char(check);
    frame += QByteArray(FrameSize - frame.size(), TailFill);
    if (k == f.extraBlock)
        frame += QByteArray(f.extraBytes, ExtraFill);

    bool silentAfter = false;
    if (k == f.shortBlock) {
        frame.truncate(FrameSize - 1);
        silentAfter = true;
    }
    if (k == f.stallBlock) {
        frame.truncate(f.stallOffset);
        silentAfter = true;
    }
    const bool hangUpAfter = f.hangUp == LoaderFaults::HangUp::Frame && k == f.hangUpBlock;
    if (hangUpAfter)
        frame.truncate(f.hangUpOffset);

    r.send << Emission{frame, 0, false, true};
    if (hangUpAfter) {
        hangUp(r, m_config.lineGapMs);
    } else if (silentAfter) {
        m_state = State::Stalled;
    }
}

void LoaderMachine::sendText(Reaction &r, const QByteArray &text, int gapMs) const
{
    r.send << Emission{text, gapMs, false};
}

void LoaderMachine::hangUp(Reaction &r, int gapMs)
{
    r.send << Emission{QByteArray(), gapMs, true};
    m_state = State::HungUp;
}

void LoaderMachine::reportJunk(Reaction &r)
{
    if (m_junk.isEmpty())
        return;
    r.complaints << where() + QStringLiteral(": ignored unexpected \"%1\"").arg(printableBytes(m_junk));
    m_junk.clear();
}

bool LoaderMachine::collectToken(char c, const QByteArray &token)
{
    m_buffer += c;
    // Resynchronise: whatever cannot start the token is junk.
    while (!m_buffer.isEmpty() && !token.startsWith(m_buffer)) {
        m_junk += m_buffer.at(0);
        m_buffer.remove(0, 1);
    }
    if (m_buffer != token)
        return false;
    m_buffer.clear();
    return true;
}

bool LoaderMachine::collectDigits(char c)
{
    if (c < '0' || c > '9') {
        m_junk += c;
        return false;
    }
    m_buffer += c;
    return m_buffer.size() == 4;
}

bool LoaderMachine::collectLine(char c)
{
    if (c == '\r')
        return true;
    m_buffer += c;
    if (m_buffer.size() > MaxLineBytes)
        m_junk += takeBuffer();
    return false;
}

QByteArray LoaderMachine::takeBuffer()
{
    return std::exchange(m_buffer, QByteArray());
}
