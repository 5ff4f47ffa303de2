#include "session/readoutsession.h"

#include "dumpfile/dumpfolder.h"
#include "readout/wiretext.h"

#include <utility>

ReadoutSession::ReadoutSession(QObject *parent) : QObject(parent)
{
    Timer1.setInterval(300);
    m_stallTimer.setSingleShot(true);
    MSComm1.applyLineSettings();
    connect(&Timer1, &QTimer::timeout, this, &ReadoutSession::onTimer1Tick);
    connect(&m_stallTimer, &QTimer::timeout, this, &ReadoutSession::onStallTimeout);
    connect(&MSComm1, &SerialLine::dataArrived, this, &ReadoutSession::onDataArrived);
    connect(&MSComm1, &SerialLine::lost, this, [this](const QString &cause) {
        end(ReadoutEnd::lineLost(m_settings.port.label, cause));
    });
}

OpenOutcome ReadoutSession::start(const ReadoutSettings &settings)
{
    const OpenOutcome outcome = MSComm1.open(settings.port.device);
    if (outcome != OpenOutcome::Opened)
        return outcome;
    m_settings = settings;
    m_running = true;
    m_engine.setRequest(settings.startBlock, settings.blockCount);
    setProgress(0, settings.blockCount);
    emit portOpened();
    carryOut(m_engine.start(settings.headerOption, settings.templates));
    return outcome;
}

void ReadoutSession::stop()
{
    const bool wasRunning = m_running;
    closePort();
    if (wasRunning) {
        m_running = false;
        emit ended(ReadoutEnd::stopped());
    }
}

void ReadoutSession::carryOut(const ReadoutActions &actions)
{
    // The loader is kept waiting for as long as its answer takes to leave, so the line comes
    // first: the dump file and the view follow, in the order the engine gave them.
    using Kind = ReadoutAction::Kind;
    ReadoutActions afterwards;
    for (const ReadoutAction &action : actions) {
        // A closed port ends the read-out: whatever was still to be done is dropped.
        if (!MSComm1.isOpen())
            break;
        switch (action.kind) {
        case Kind::Send:
            MSComm1.write(action.bytes);
            break;
        case Kind::DiscardInput:
            MSComm1.discardInput();
            break;
        case Kind::KeyingOn:
            Timer1.start();
            break;
        case Kind::KeyingOff:
            Timer1.stop();
            break;
        case Kind::End:
            record(std::exchange(afterwards, {}));
            if (MSComm1.isOpen())
                end(action.end);
            break;
        default:
            afterwards.push_back(action);
            break;
        }
    }
    record(afterwards);
    watchForStall();
    if (MSComm1.isOpen())
        MSComm1.setWakeThreshold(m_engine.bytesAwaited());
}

void ReadoutSession::record(const ReadoutActions &actions)
{
    using Kind = ReadoutAction::Kind;
    for (const ReadoutAction &action : actions) {
        if (!MSComm1.isOpen())
            break;
        switch (action.kind) {
        case Kind::AppendLog:
            emit logAppended(action.text);
            break;
        case Kind::ReplaceLog:
            emit logReplaced(action.text);
            break;
        case Kind::ProgressMax:
            setProgress(m_progressValue, action.value);
            break;
        case Kind::ProgressValue:
            setProgress(action.value, m_progressMax);
            break;
        case Kind::OpenDump:
            openDump(action.text, action.bytes);
            break;
        case Kind::WriteDump:
            writeDump(action.bytes);
            break;
        default:
            break;
        }
    }
}

void ReadoutSession::setProgress(int value, int maximum)
{
    m_progressValue = value;
    m_progressMax = maximum;
    emit progressChanged(value, maximum);
}

void ReadoutSession::openDump(const QString &fileName, const QByteArray &header)
{
    if (!m_dumpFile.open(pathInFolder(m_settings.outputFolder, fileName), header)) {
        end(dumpFileError());
        return;
    }
    if (!header.isEmpty())
        m_outputFileName = fileName;
}

void ReadoutSession::writeDump(const QByteArray &data)
{
    if (!m_dumpFile.append(data))
        end(dumpFileError());
}

ReadoutEnd ReadoutSession::dumpFileError() const
{
    return ReadoutEnd::dumpFileError(shownPath(m_dumpFile.errorPath()), m_dumpFile.errorString());
}

void ReadoutSession::end(ReadoutEnd end)
{
    emit logAppended(endLogText(end));
    if (end.reason == EndReason::Complete && m_dumpFile.isOpen()) {
        // Only now, with every sum checked, does the dump take its name.
        if (m_dumpFile.commit()) {
            emit logAppended(QStringLiteral("Saved %1 (%2 bytes, SHA-256 %3)\r\n")
                                 .arg(shownPath(m_dumpFile.path()))
                                 .arg(m_dumpFile.size())
                                 .arg(QString::fromLatin1(m_dumpFile.sha256().toHex())));
        } else {
            end = dumpFileError();
            emit logAppended(endLogText(end));
        }
    }
    // A failed block leaves port and dump file open until the user closes them.
    if (end.reason != EndReason::BlockSumWrong)
        closePort();
    // A line lost after a failed block closes what was left open; that read-out has ended before.
    if (std::exchange(m_running, false))
        emit ended(end);
}

void ReadoutSession::closePort()
{
    // Whatever the read-out waited for, it is over: nothing more goes to the loader.
    m_engine.stop();
    m_stallTimer.stop();
    if (!MSComm1.isOpen())
        return;
    MSComm1.close();
    const bool unfinished = m_dumpFile.close();
    emit logAppended(QStringLiteral("Serial port closed.\r\n"));
    if (unfinished)
        emit incompleteDumpLeft(QStringLiteral("Dump incomplete: %1 holds %2 of %3 blocks\r\n")
                                    .arg(shownPath(m_dumpFile.partPath()))
                                    .arg(m_dumpFile.dataSize() / wire::kBlockDataSize)
                                    .arg(m_engine.BlockCount()));
    emit portClosed();
}

void ReadoutSession::onDataArrived()
{
    const QByteArray chunk = MSComm1.readAll();
    if (chunk.isEmpty())
        return;
    const bool awaitedBanner = m_engine.state() == ReadoutEngine::State::Banner;
    carryOut(m_engine.feed(chunk));
    if (awaitedBanner && m_engine.state() != ReadoutEngine::State::Banner && MSComm1.isOpen())
        emit bannerReceived();
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
    carryOut(m_engine.stallTimeout());
}
