#include "readout/readoutengine.h"

#include "readout/wiretext.h"

void ReadoutEngine::setRequest(qint16 startBlock, qint16 blockCount)
{
    m_startBlock = startBlock;
    m_blockCount = blockCount;
}

ReadoutEvents ReadoutEngine::start()
{
    m_loaderVersion.clear();
    m_family = nullptr;
    m_blockIndex = 0;
    m_blockSum = 0;
    m_totalSum = 0;
    m_rxBytes.clear();
    m_banner.reset();
    m_state = State::Banner;
    m_awaited = {wire::kBanner, {}};

    return {KeyingOn{}, LogEntry::line(QStringLiteral("sending request... Turn now your receiver on.")), DiscardInput{}};
}

ReadoutEvents ReadoutEngine::feed(const QByteArray &chunk)
{
    ReadoutEvents out;
    switch (m_state) {
    case State::Idle:
        break;
    case State::Banner:
        if (m_banner.feed(chunk))
            identify(out);
        break;
    case State::Frame:
    case State::Total:
        m_rxBytes += chunk;
        if (m_rxBytes.size() > expectedBytes())
            finish(out, {ReadoutEnd::TooManyBytes{awaitedBlock(), int(m_rxBytes.size()), expectedBytes()}});
        else if (m_rxBytes.size() == expectedBytes())
            m_state == State::Frame ? takeFrame(out) : takeTotal(out);
        break;
    default:
        // Whatever came in the same read after the token is dropped with the wait's text.
        if (m_rxText.feed(chunk) >= 0)
            advanceHandshake(out);
        break;
    }
    return out;
}

ReadoutEvents ReadoutEngine::stallTimeout(std::chrono::seconds quiet)
{
    ReadoutEvents out;
    if (awaitsBinary())
        finish(out, {ReadoutEnd::Stalled{awaitedBlock(), int(m_rxBytes.size()), expectedBytes(), quiet}});
    return out;
}

void ReadoutEngine::identify(ReadoutEvents &out)
{
    out.push_back(BannerRead{m_banner.text()});
    QByteArray version = m_banner.rawVersion();
    m_family = familyOfVersion(version);
    if (m_family) {
        version = trimRecognisedVersion(version);
        m_startBlock = qint16(m_family->startBlock);
        m_blockCount = qint16(m_family->blockCount);
    }
    m_loaderVersion = version;
    out.push_back(LogEntry::line("BL version: " + wire::toLogText(m_loaderVersion)));
    // The number keeps the blank of its sign position: "BL size:  128 kB".
    out.push_back(LogEntry::line(QStringLiteral("BL size:  %1 kB").arg(loaderSizeKb())));
    if (!m_family)
        out.push_back(LogWarning{QStringLiteral("Warning: the loader was not recognised, so the size comes from the size option: "
                                                "blocks %1 to %2.")
                                     .arg(m_startBlock)
                                     .arg(int(m_startBlock) + m_blockCount - 1)});
    awaitText(State::FlashEnd, {wire::kFlashEnd});
}

void ReadoutEngine::awaitText(State state, QList<QByteArray> tokens, const QByteArray &answersTo)
{
    m_state = state;
    m_awaited = {tokens.constFirst(), answersTo};
    m_rxText.reset(std::move(tokens));
}

void ReadoutEngine::advanceHandshake(ReadoutEvents &out)
{
    switch (m_state) {
    case State::FlashEnd:
        out.push_back(KeyingOff{});
        out.push_back(LogEntry::line(QStringLiteral("got answer...")));
        out.push_back(SendBytes{wire::kKData});
        awaitText(State::UpperAck, {wire::kUpperAck}, wire::kKData);
        break;
    case State::UpperAck:
        // The rest of ACK's line, which still answers KDATA.
        awaitText(State::LineEnd, {wire::kLineEnd}, wire::kKData);
        break;
    case State::LineEnd:
        out.push_back(SendBytes{wire::kAckReply});
        awaitText(State::StartBlockRequest, {wire::kStartBlockRequest, wire::kStartBlockRequestAlt}, wire::kAckReply);
        break;
    case State::StartBlockRequest: {
        const QByteArray start = wire::fourDigits(m_startBlock);
        out.push_back(LogEntry::line("DATA Request Startblock: " + QString::fromLatin1(start)));
        out.push_back(SendBytes{start});
        awaitText(State::BlockCountRequest, {wire::kBlockCountRequest, wire::kBlockCountRequestAlt}, start);
        break;
    }
    case State::BlockCountRequest: {
        const QByteArray count = wire::fourDigits(m_blockCount);
        out.push_back(LogEntry::line("DATA Request Number of Blocks: " + QString::fromLatin1(count)));
        out.push_back(SendBytes{count});
        awaitText(State::LowerAck, {wire::kLowerAck}, count);
        break;
    }
    case State::LowerAck:
        out.push_back(SendBytes{wire::kRequestDownload});
        requestNext(out);
        break;
    default:
        break;
    }
}

void ReadoutEngine::requestNext(ReadoutEvents &out)
{
    m_rxBytes.clear();
    m_rxBytes.reserve(wire::kFrameSize);
    if (m_blockIndex < m_blockCount) {
        m_state = State::Frame;
        m_blockSum = 0;
        out.push_back(SendBytes{wire::kRequestBlock + wire::fourDigits(blockNumber()) + '\r'});
        // The block's result ends this line.
        out.push_back(LogEntry::opening(QStringLiteral("REQUEST Block: %1      ").arg(blockNumber())));
    } else {
        m_state = State::Total;
        out.push_back(SendBytes{wire::kRequestTotal});
    }
}

void ReadoutEngine::takeFrame(ReadoutEvents &out)
{
    const QByteArray data = m_rxBytes.left(wire::kBlockDataSize);
    // The session names the dump from the first block and the banner before any data goes in.
    if (m_blockIndex == 0)
        out.push_back(FirstBlock{m_loaderVersion, loaderSizeKb(), data, m_startBlock, m_blockCount});
    // The data goes to the file before the check, so a failed block is in the dump too.
    out.push_back(WriteData{data});

    m_blockSum = wire::byteSum(data.constData(), data.size());
    m_totalSum += m_blockSum;
    if (static_cast<quint8>(m_rxBytes.at(wire::kFrameChecksumOffset)) != m_blockSum) {
        finish(out, {ReadoutEnd::BlockSumWrong{blockNumber()}});
        return;
    }
    out.push_back(SendBytes{wire::kBlockSuccess + wire::fourDigits(blockNumber()) + '\r'});
    out.push_back(LogEntry::closing(QStringLiteral("Transfered successfully Block: %1").arg(blockNumber())));
    ++m_blockIndex;
    requestNext(out);
}

void ReadoutEngine::takeTotal(ReadoutEvents &out)
{
    m_totalSum %= 256;
    const int received = static_cast<quint8>(m_rxBytes.at(0));
    if (received == m_totalSum) {
        out.push_back(SendBytes{wire::kDownSuccess});
        finish(out, {ReadoutEnd::Complete{}});
    } else {
        // A wrong total means the dump cannot be trusted; say so rather than end quietly.
        finish(out, {ReadoutEnd::TotalSumWrong{received, m_totalSum}});
    }
}

void ReadoutEngine::finish(ReadoutEvents &out, const ReadoutEnd &end)
{
    out.push_back(end);
    m_state = State::Idle;
}

int ReadoutEngine::expectedBytes() const
{
    return m_state == State::Frame ? wire::kFrameSize : 1;
}

std::optional<int> ReadoutEngine::awaitedBlock() const
{
    if (m_state == State::Frame)
        return blockNumber();
    return std::nullopt;
}
