#include "enginecheck.h"

#include "../enginetranscript.h"

#include "readout/wiretext.h"
#include "session/dumprequest.h"

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
    m_headerOption = input.headerOption;
    apply(m_engine.start());

    for (qsizetype i = 0; i < input.reads.size(); ++i) {
        if (i == input.closeBefore) {
            m_over = true;
            m_engine.stop();
        }
        const QByteArray &read = input.reads[i];
        apply(read.isNull() ? m_engine.stallTimeout(std::chrono::seconds(10)) : m_engine.feed(read));
    }
}

void EngineCheck::apply(const ReadoutEvents &events)
{
    for (const ReadoutEvent &event : events) {
        require(!m_over, "nothing is asked for once the read-out is over or its port closed");
        std::visit(overloaded{
                       [this](const SendBytes &send) { checkSend(send.bytes); },
                       [this](const FirstBlock &block) {
                           require(!m_dumpNamed && m_writes == 0, "the dump is named once, before any data");
                           require(m_framesRequested == 1, "the dump is named at the first frame");
                           checkFileName(planDump(dumpRequest(block, m_headerOption)).fileName);
                           m_dumpNamed = true;
                       },
                       [this](const WriteData &write) {
                           require(m_dumpNamed, "data goes to a named dump");
                           require(write.data.size() == wire::kBlockDataSize, "a frame gives 1024 data bytes");
                           require(++m_writes <= m_framesRequested, "one write per requested frame at most");
                       },
                       [this](const ReadoutEnd &end) {
                           if (end.is<ReadoutEnd::Complete>())
                               require(m_writes == m_engine.BlockCount() && m_sent == m_goodWire,
                                       "only a read-out with every block is complete");
                           // Once ended it asks for nothing more, whether its port closes now or at Close.
                           m_over = true;
                       },
                       [](const auto &) {},
                   },
                   event);
    }
    require(m_engine.blocksChecked() >= 0 && m_engine.blocksChecked() <= m_engine.BlockCount(),
            "progress stays within its maximum");
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
