#include "readout/readoutengine.h"

#include "readout/wiretext.h"

using Kind = ReadoutAction::Kind;

namespace {

void send(ReadoutActions &out, const QByteArray &bytes)
{
    out.push_back({Kind::Send, bytes});
}
void log(ReadoutActions &out, const QString &text)
{
    out.push_back({Kind::AppendLog, {}, text});
}
void warn(ReadoutActions &out, const QString &text)
{
    out.push_back({Kind::Warning, {}, text});
}
void order(ReadoutActions &out, Kind kind, int value = 0)
{
    out.push_back({kind, {}, {}, value});
}

const QString kLineEnd = QStringLiteral("\r\n");

}  // namespace

void ReadoutEngine::setRequest(qint16 startBlock, qint16 blockCount)
{
    m_startBlock = startBlock;
    m_blockCount = blockCount;
}

ReadoutActions ReadoutEngine::start(bool headerOption)
{
    m_headerOption = headerOption;
    m_loaderVersion.clear();
    m_family = nullptr;
    m_blockIndex = 0;
    m_blockSum = 0;
    m_totalSum = 0;
    m_rxBytes.clear();
    m_banner.reset();
    m_state = State::Banner;

    ReadoutActions out;
    order(out, Kind::KeyingOn);
    out.push_back({Kind::ReplaceLog, {}, QStringLiteral("sending request... Turn now your receiver on.\r\n")});
    order(out, Kind::DiscardInput);
    return out;
}

ReadoutActions ReadoutEngine::feed(const QByteArray &chunk)
{
    ReadoutActions out;
    switch (m_state) {
    case State::Idle:
    case State::BlockFailed:
        break;
    case State::Banner:
        if (m_banner.feed(chunk))
            identify(out);
        break;
    case State::Frame:
    case State::Total:
        m_rxBytes += chunk;
        if (m_rxBytes.size() > expectedBytes())
            finish(out, ReadoutEnd::tooManyBytes(pendingName(), m_rxBytes.size(), expectedBytes()));
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

ReadoutActions ReadoutEngine::stallTimeout(std::chrono::seconds quiet)
{
    ReadoutActions out;
    if (awaitsBinary())
        finish(out, ReadoutEnd::stalled(pendingName(), m_rxBytes.size(), expectedBytes(), quiet.count()));
    return out;
}

void ReadoutEngine::identify(ReadoutActions &out)
{
    QByteArray version = m_banner.rawVersion();
    m_family = familyOfVersion(version);
    if (m_family) {
        version = trimRecognisedVersion(version);
        m_startBlock = qint16(m_family->startBlock);
        m_blockCount = qint16(m_family->blockCount);
        order(out, Kind::ProgressValue, 0);
        order(out, Kind::ProgressMax, m_blockCount);
    }
    m_loaderVersion = version;
    log(out, "BL version: " + wire::toLogText(m_loaderVersion) + kLineEnd);
    // The number keeps the blank of its sign position: "BL size:  128 kB".
    log(out, QStringLiteral("BL size:  %1 kB").arg(m_family ? m_family->sizeKb : 0) + kLineEnd);
    if (!m_family)
        warn(out,
             QStringLiteral("Warning: the loader was not recognised, so the size comes from the size option: "
                            "blocks %1 to %2.")
                     .arg(m_startBlock)
                     .arg(int(m_startBlock) + m_blockCount - 1)
                 + kLineEnd);
    awaitText(State::FlashEnd, {wire::kFlashEnd});
}

void ReadoutEngine::awaitText(State state, QList<QByteArray> tokens)
{
    m_state = state;
    m_rxText.reset(std::move(tokens));
}

void ReadoutEngine::advanceHandshake(ReadoutActions &out)
{
    switch (m_state) {
    case State::FlashEnd:
        order(out, Kind::KeyingOff);
        log(out, "got answer..." + kLineEnd);
        send(out, wire::kKData);
        awaitText(State::UpperAck, {wire::kUpperAck});
        break;
    case State::UpperAck:
        awaitText(State::LineEnd, {wire::kLineEnd});
        break;
    case State::LineEnd:
        send(out, wire::kAckReply);
        awaitText(State::StartBlockRequest, {wire::kStartBlockRequest, wire::kStartBlockRequestAlt});
        break;
    case State::StartBlockRequest: {
        const QByteArray start = wire::fourDigits(m_startBlock);
        log(out, "DATA Request Startblock: " + QString::fromLatin1(start) + kLineEnd);
        send(out, start);
        awaitText(State::BlockCountRequest, {wire::kBlockCountRequest, wire::kBlockCountRequestAlt});
        break;
    }
    case State::BlockCountRequest: {
        const QByteArray count = wire::fourDigits(m_blockCount);
        log(out, "DATA Request Number of Blocks: " + QString::fromLatin1(count) + kLineEnd);
        send(out, count);
        awaitText(State::LowerAck, {wire::kLowerAck});
        break;
    }
    case State::LowerAck:
        send(out, wire::kRequestDownload);
        requestNext(out);
        break;
    default:
        break;
    }
}

void ReadoutEngine::requestNext(ReadoutActions &out)
{
    m_rxBytes.clear();
    m_rxBytes.reserve(wire::kFrameSize);
    if (m_blockIndex < m_blockCount) {
        m_state = State::Frame;
        m_blockSum = 0;
        send(out, wire::kRequestBlock + wire::fourDigits(blockNumber()) + '\r');
        log(out, QStringLiteral("REQUEST Block: %1      ").arg(blockNumber()));
    } else {
        m_state = State::Total;
        send(out, wire::kRequestTotal);
    }
}

void ReadoutEngine::takeFrame(ReadoutActions &out)
{
    const QByteArray data = m_rxBytes.left(wire::kBlockDataSize);
    if (m_blockIndex == 0) {
        const DumpPlan plan = planDump({m_headerOption, m_family ? m_family->sizeKb : 0, m_loaderVersion, m_rxBytes.left(7)});
        if (!plan.note.isEmpty())
            warn(out, plan.note);
        out.push_back({Kind::OpenDump, plan.header, plan.fileName});
    }
    // The data goes to the file before the check, so a failed block is in the dump too.
    out.push_back({Kind::WriteDump, data});

    m_blockSum = wire::byteSum(data.constData(), data.size());
    m_totalSum += m_blockSum;
    if (static_cast<quint8>(m_rxBytes.at(wire::kFrameChecksumOffset)) != m_blockSum) {
        finish(out, ReadoutEnd::blockSumWrong(QString::fromLatin1(wire::fourDigits(blockNumber()))), State::BlockFailed);
        return;
    }
    send(out, wire::kBlockSuccess + wire::fourDigits(blockNumber()) + '\r');
    log(out, QStringLiteral("Transfered successfully Block: %1").arg(blockNumber()) + kLineEnd);
    ++m_blockIndex;
    order(out, Kind::ProgressValue, m_blockIndex);
    requestNext(out);
}

void ReadoutEngine::takeTotal(ReadoutActions &out)
{
    m_totalSum %= 256;
    const int received = static_cast<quint8>(m_rxBytes.at(0));
    if (received == m_totalSum) {
        send(out, wire::kDownSuccess);
        finish(out, ReadoutEnd::complete());
    } else {
        // A wrong total means the dump cannot be trusted; say so rather than end quietly.
        finish(out, ReadoutEnd::totalSumWrong(received, m_totalSum));
    }
}

void ReadoutEngine::finish(ReadoutActions &out, const ReadoutEnd &end, State after)
{
    out.push_back({Kind::End, {}, {}, 0, end});
    m_state = after;
}

int ReadoutEngine::expectedBytes() const
{
    return m_state == State::Frame ? wire::kFrameSize : 1;
}

QString ReadoutEngine::pendingName() const
{
    return m_state == State::Frame ? "BLOCK: " + QString::fromLatin1(wire::fourDigits(blockNumber()))
                                   : QStringLiteral("TOTALCRC");
}
