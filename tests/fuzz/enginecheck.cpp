#include "enginecheck.h"

#include "../enginetranscript.h"

#include "readout/wiretext.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *rule)
{
    std::fprintf(stderr, "read-out rule broken: %s\n", rule);
    std::abort();
}

void require(bool holds, const char *rule)
{
    if (!holds)
        broken(rule);
}

}  // namespace

void EngineCheck::run(const SessionInput &input)
{
    const LoaderFamily *window = familyOfSize(input.window64 ? 64 : 128);
    m_engine.setRequest(qint16(window->startBlock), qint16(window->blockCount));
    m_progressMax = window->blockCount;
    apply(m_engine.start(input.headerOption));

    for (qsizetype i = 0; i < input.reads.size(); ++i) {
        if (i == input.closeBefore) {
            m_portOpen = false;
            m_engine.stop();
        }
        const QByteArray &read = input.reads[i];
        apply(read.isNull() ? m_engine.stallTimeout(std::chrono::seconds(10)) : m_engine.feed(read));
    }
}

void EngineCheck::apply(const ReadoutActions &actions)
{
    using Kind = ReadoutAction::Kind;
    for (const ReadoutAction &action : actions) {
        require(m_portOpen, "nothing is asked for once the port is closed");
        switch (action.kind) {
        case Kind::Send:
            checkSend(action.bytes);
            break;
        case Kind::ProgressMax:
            m_progressMax = action.value;
            break;
        case Kind::ProgressValue:
            require(action.value >= 0 && action.value <= m_progressMax, "progress stays within its maximum");
            break;
        case Kind::OpenDump:
            require(!m_dumpOpen && m_writes == 0, "the dump is opened once, before any data");
            require(m_framesRequested == 1, "the dump is opened at the first frame");
            checkFileName(action.text);
            m_dumpOpen = true;
            break;
        case Kind::WriteDump:
            require(m_dumpOpen, "data goes to an open dump");
            require(action.bytes.size() == wire::kBlockDataSize, "a frame gives 1024 data bytes");
            require(++m_writes <= m_framesRequested, "one write per requested frame at most");
            break;
        case Kind::End:
            if (action.end.reason == EndReason::Complete)
                require(m_writes == m_engine.BlockCount() && m_sent == m_goodWire,
                        "only a read-out with every block is complete");
            if (action.end.reason != EndReason::BlockSumWrong) {
                m_portOpen = false;
                m_engine.stop();
            }
            break;
        case Kind::AppendLog:
        case Kind::ReplaceLog:
        case Kind::KeyingOn:
        case Kind::KeyingOff:
        case Kind::DiscardInput:
        case Kind::Warning:
            break;
        }
    }
}

void EngineCheck::checkSend(const QByteArray &bytes)
{
    // Start block and count are final once the banner is read, before anything is sent.
    if (m_goodWire.isEmpty())
        m_goodWire = completeWire(m_engine.StartBlock(), m_engine.BlockCount());
    m_sent += bytes;
    require(m_goodWire.startsWith(m_sent), "only the protocol's messages, in the protocol's order");
    if (bytes.startsWith(wire::kRequestBlock))
        ++m_framesRequested;
}

void EngineCheck::checkFileName(const QString &name)
{
    require(!name.isEmpty(), "a dump file has a name");
    for (QChar c : name)
        require(c.unicode() >= 0x20 && c.unicode() != 0x7F && c != '/' && c != '\\',
                "no separator or control character in a file name");
}
