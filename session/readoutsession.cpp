#include "session/readoutsession.h"

#include "readout/overloaded.h"
#include "serial/portlist.h"
#include "session/requestcheck.h"

#include <variant>

ReadoutSession::ReadoutSession(QObject *parent) : QObject(parent)
{
    Timer1.setInterval(wire::kKeyingInterval);
    m_silenceTimer.setSingleShot(true);
    m_silenceTimer.setInterval(kSilenceHint);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] {
        if (const AwaitedAnswer awaited = m_engine.awaitedAnswer(); !awaited.token.isEmpty())
            m_log.warn(answerHint(awaited, kSilenceHint));
    });
    m_stallTimer.setSingleShot(true);
    MSComm1.applyLineSettings();
    connect(&m_log, &LogLines::logged, this, &ReadoutSession::logged);
    connect(&m_log, &LogLines::warning, this, &ReadoutSession::warning);
    connect(&Timer1, &QTimer::timeout, this, &ReadoutSession::onTimer1Tick);
    connect(&m_stallTimer, &QTimer::timeout, this, &ReadoutSession::onStallTimeout);
    connect(&MSComm1, &SerialLine::dataArrived, this, &ReadoutSession::onDataArrived);
    connect(&MSComm1, &SerialLine::lost, this, [this](const QString &cause) {
        end({ReadoutEnd::LineLost{m_port.label, cause}});
    });
}

StartOutcome ReadoutSession::start(const ReadoutRequest &request)
{
    const RequestCheck check = checkRequest(request);
    if (!check.outcome.started())
        return check.outcome;
    const PortChoice port = portForText(request.portText, request.portList);
    const OpenOutcome opened = MSComm1.open(port.device);
    if (opened != OpenOutcome::Opened) {
        const OpenFailureReport report = describeOpenFailure(opened, port);
        if (report.boxPrompt.isEmpty())
            return {StartOutcome::Refused::Port, report.logLine, {}};
        return {StartOutcome::Refused::Port, report.boxPrompt, report.boxTitle};
    }
    m_port = port;
    m_readout = std::make_unique<Readout>(request, check.folder, labelWithDevice(port), m_log);
    m_engine.setRequest(qint16(check.family->startBlock), qint16(check.family->blockCount));
    emit portOpened();
    m_silenceTimer.start();
    carryOut(m_engine.start());
    return {};
}

void ReadoutSession::stop()
{
    if (isRunning())
        end({ReadoutEnd::Stopped{}});
    else
        closePort();
}

void ReadoutSession::carryOut(const ReadoutEvents &events)
{
    // In the engine's order: a block is in the dump file before the confirmation that follows
    // it leaves. Only the log and the progress wait until the batch's bytes are out, as the
    // loader is kept waiting for as long as its answer takes.
    m_log.hold();
    for (const ReadoutEvent &event : events) {
        // A closed port ends the read-out: whatever was still to be done is dropped.
        if (!MSComm1.isOpen())
            break;
        std::visit(overloaded{
                       [this](const SendBytes &e) { MSComm1.write(e.bytes); },
                       [this](const KeyingOn &) { Timer1.start(); },
                       [this](const KeyingOff &) { Timer1.stop(); },
                       [this](const DiscardInput &) { MSComm1.discardInput(); },
                       // The handshake gets a hint of its own if it stops.
                       [this](const BannerRead &e) {
                           m_readout->setBanner(e.text);
                           m_silenceTimer.start();
                       },
                       [this](const FirstBlock &e) { openDump(e); },
                       [this](const WriteData &e) {
                           if (const std::optional<ReadoutEnd> failed = m_readout->writeDump(e.data))
                               end(*failed);
                       },
                       [this](const LogEntry &e) { m_log.show(e); },
                       [this](const LogWarning &e) { m_readout->warn(e.text); },
                       [this](const ReadoutEnd &e) { end(e); },
                   },
                   event);
    }
    m_log.release();
    if (m_engine.awaitedAnswer().token.isEmpty())
        m_silenceTimer.stop();
    // Only a batch that did something can have moved the engine's count; once a read-out has
    // ended its count stays as it was.
    if (isRunning() && !events.empty())
        emit progressChanged(m_engine.blocksChecked(), m_engine.BlockCount());
    watchForStall();
    if (MSComm1.isOpen())
        MSComm1.setWakeThreshold(m_engine.bytesAwaited());
}

void ReadoutSession::openDump(const FirstBlock &block)
{
    if (const std::optional<ReadoutEnd> failed = m_readout->openDump(block)) {
        end(*failed);
        return;
    }
    if (const QString named = m_readout->namedFileName(); !named.isEmpty())
        m_outputFileName = named;
}

void ReadoutSession::end(const ReadoutEnd &reported)
{
    // What the batch had to show before its end comes first.
    m_log.release();
    showEnd(reported);
    // After a failed block the read-out has ended already: a line lost while it waits for Close
    // only closes what it left open.
    if (!isRunning()) {
        closePort();
        return;
    }
    const ReadoutEnd end = m_readout->end(reported);
    if (end.reason() != reported.reason())
        showEnd(end);  // the dump of a complete read-out could not be saved
    // A block's line left open ends with the read-out, before its end is reported.
    m_log.endLine();
    const bool failedBlock = end.is<ReadoutEnd::BlockSumWrong>();
    const bool waitForClose = failedBlock && m_readout->failedBlock() == ReadoutRequest::FailedBlock::WaitForClose;
    emit ended(end);
    if (failedBlock) {
        const QString stopped = QStringLiteral("The read-out has stopped and the dump is incomplete.");
        m_log.warn(waitForClose ? stopped + QStringLiteral(" Click Close to end it.") : stopped);
    }
    if (!waitForClose)
        closePort();
}

void ReadoutSession::showEnd(const ReadoutEnd &end)
{
    if (const LogEntry entry = endLogEntry(end); !entry.text.isEmpty())
        m_log.show(entry);
}

void ReadoutSession::closePort()
{
    // Whatever the read-out waited for, it is over: nothing more goes to the loader.
    m_engine.stop();
    m_stallTimer.stop();
    m_silenceTimer.stop();
    m_log.drop();
    if (!MSComm1.isOpen())
        return;
    MSComm1.close();
    // The read-out goes with its port: the next one starts afresh.
    const std::unique_ptr<Readout> readout = std::move(m_readout);
    readout->closeDump();
    m_log.show(LogEntry::line(QStringLiteral("Serial port closed.")));
    if (const QString left = readout->whatIsLeft(); !left.isEmpty())
        emit incompleteDumpLeft(left);
    emit portClosed();
}

void ReadoutSession::onDataArrived()
{
    const QByteArray chunk = MSComm1.readAll();
    if (chunk.isEmpty())
        return;
    carryOut(m_engine.feed(chunk));
}

void ReadoutSession::onTimer1Tick()
{
    if (MSComm1.isOpen())
        MSComm1.write(QByteArray(1, wire::kWakeUp));
    else
        Timer1.stop();
}

void ReadoutSession::watchForStall()
{
    // A frame or total that stops arriving must not leave the read-out waiting for ever. The
    // timer is not restarted for every read (hundreds a second); it checks the time of the
    // last one when it fires.
    if (!m_engine.awaitsBinary() || !MSComm1.isOpen()) {
        m_stallTimer.stop();
        return;
    }
    m_lastProgress.start();
    if (!m_stallTimer.isActive())
        m_stallTimer.start(kStallCheck);
}

void ReadoutSession::onStallTimeout()
{
    auto quiet = std::chrono::milliseconds(m_lastProgress.elapsed());
    if (quiet >= kStallCheck) {
        // Bytes held back by the wake threshold count as arrivals; they came since the last
        // check, so a stall is still called within a check of the limit.
        MSComm1.pullWaiting();
        if (!m_engine.awaitsBinary() || !MSComm1.isOpen() || m_stallTimer.isActive())
            return;
        quiet = std::chrono::milliseconds(m_lastProgress.elapsed());
    }
    if (quiet < kStallLimit) {
        m_stallTimer.start(std::min<std::chrono::milliseconds>(kStallCheck, kStallLimit - quiet));
        return;
    }
    carryOut(m_engine.stallTimeout(kStallLimit));
}
