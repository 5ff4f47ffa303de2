#include "session/readoutsession.h"

#include "readout/loaderfamily.h"
#include "readout/wiretext.h"
#include "serial/portlist.h"
#include "session/outputfolder.h"

#include <QDir>

#include <utility>

ReadoutSession::ReadoutSession(QObject *parent) : QObject(parent)
{
    Timer1.setInterval(300);
    m_silenceTimer.setSingleShot(true);
    m_silenceTimer.setInterval(kSilenceHint);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] {
        emit warning(QStringLiteral("No answer from the receiver yet. Check that the cable is a null-modem cable, "
                                    "that the right port is chosen, and that the receiver has power.\r\n"));
    });
    m_stallTimer.setSingleShot(true);
    MSComm1.applyLineSettings();
    connect(&Timer1, &QTimer::timeout, this, &ReadoutSession::onTimer1Tick);
    connect(&m_stallTimer, &QTimer::timeout, this, &ReadoutSession::onStallTimeout);
    connect(&MSComm1, &SerialLine::dataArrived, this, &ReadoutSession::onDataArrived);
    connect(&MSComm1, &SerialLine::lost, this, [this](const QString &cause) { end(ReadoutEnd::lineLost(m_port.label, cause)); });
}

StartOutcome ReadoutSession::start(const ReadoutRequest &request)
{
    using Refused = StartOutcome::Refused;
    if (request.portText.trimmed().isEmpty())
        return {Refused::Request, QStringLiteral("Choose the serial port of the receiver in the list, or type its name."),
                QStringLiteral("No serial port")};
    const LoaderFamily *family = familyOfSize(request.sizeKb ? request.sizeKb : kDefaultLoaderSizeKb);
    if (!family)
        return {Refused::Request, QStringLiteral("There is no %1 kB loader.").arg(request.sizeKb), QStringLiteral("Loader size")};
    // Found out before the box is woken, not at the first block.
    const QString folder = outputFolder(request.folderText, request.defaultFolder);
    if (const QString problem = folderProblem(folder); !problem.isEmpty()) {
        const QString shown = QDir::toNativeSeparators(folder);
        return {Refused::Request, "Cannot save the dump in " + shown + ": " + problem + '.', "Error with the folder " + shown};
    }
    // A plain dump's name is known now, so a read-out already writing it is found before the
    // box is woken. A named dump is claimed at its first block, when its name is known.
    if (!request.headerOption) {
        const QString path = pathInFolder(folder, kPlainDumpName);
        if (m_dumpFile.claim(path) == DumpWriter::Claim::InUse)
            return {Refused::Request, dumpInUseText(path), QStringLiteral("Dump file in use")};
    }
    const PortChoice port = portForText(request.portText, request.portList);
    const OpenOutcome opened = MSComm1.open(port.device);
    if (opened != OpenOutcome::Opened) {
        m_dumpFile.close();
        const OpenFailureReport report = describeOpenFailure(opened, port);
        if (report.boxPrompt.isEmpty())
            return {Refused::Port, report.logLine.trimmed(), {}};
        return {Refused::Port, report.boxPrompt, report.boxTitle};
    }
    m_port = port;
    m_folder = folder;
    m_running = true;
    m_lastEnd = {};
    m_totalMatched = false;
    m_engine.setRequest(qint16(family->startBlock), qint16(family->blockCount));
    setProgress(0, family->blockCount);
    emit portOpened();
    m_silenceTimer.start();
    carryOut(m_engine.start(request.headerOption));
    return {};
}

void ReadoutSession::stop()
{
    const bool wasRunning = m_running;
    if (wasRunning)
        m_lastEnd = ReadoutEnd::stopped();
    closePort();
    if (wasRunning) {
        m_running = false;
        emit ended(ReadoutEnd::stopped());
    }
}

void ReadoutSession::carryOut(const ReadoutActions &actions)
{
    // In the engine's order: a block is in the dump file before the confirmation that follows
    // it leaves. Only the log and the progress wait until the batch's bytes are out, as the
    // loader is kept waiting for as long as its answer takes.
    using Kind = ReadoutAction::Kind;
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
        case Kind::OpenDump:
            openDump(action.text, action.bytes);
            break;
        case Kind::WriteDump:
            writeDump(action.bytes);
            break;
        case Kind::End:
            end(action.end);
            break;
        case Kind::AppendLog:
        case Kind::ReplaceLog:
        case Kind::ProgressMax:
        case Kind::ProgressValue:
        case Kind::Warning:
            m_pending.push_back(action);
            break;
        }
    }
    showPending();
    watchForStall();
    if (MSComm1.isOpen())
        MSComm1.setWakeThreshold(m_engine.bytesAwaited());
}

void ReadoutSession::showPending()
{
    using Kind = ReadoutAction::Kind;
    const ReadoutActions pending = std::exchange(m_pending, {});
    for (const ReadoutAction &action : pending) {
        if (!MSComm1.isOpen())
            break;
        switch (action.kind) {
        case Kind::AppendLog:
            emit logAppended(action.text);
            break;
        case Kind::ReplaceLog:
            emit logReplaced(action.text);
            break;
        case Kind::Warning:
            emit warning(action.text);
            break;
        case Kind::ProgressMax:
            setProgress(m_progressValue, action.value);
            break;
        case Kind::ProgressValue:
            setProgress(action.value, m_progressMax);
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
    if (!m_dumpFile.open(pathInFolder(m_folder, fileName), header)) {
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
    // What the batch had to show before its end comes first.
    showPending();
    reportEnd(end);
    if (end.reason == EndReason::Complete && m_dumpFile.isOpen()) {
        m_totalMatched = true;
        // Only now, with every sum checked, does the dump take its name.
        if (m_dumpFile.commit()) {
            emit logLine(savedText(m_dumpFile));
            if (const QString earlier = earlierDumpText(m_dumpFile); !earlier.isEmpty())
                emit logLine(earlier);
            if (const QString warning = uniformDataWarning(m_dumpFile); !warning.isEmpty())
                emit this->warning(warning);
        } else {
            end = dumpFileError();
            reportEnd(end);
        }
    }
    m_lastEnd = end;
    // A failed block leaves port and dump file open until the user closes them.
    if (end.reason != EndReason::BlockSumWrong)
        closePort();
    // A line lost after a failed block closes what was left open; that read-out has ended before.
    if (std::exchange(m_running, false))
        emit ended(end);
}

void ReadoutSession::reportEnd(const ReadoutEnd &end)
{
    switch (end.reason) {
    case EndReason::Complete:
        emit logAppended(endLogText(end));
        break;
    case EndReason::BlockSumWrong:
        // Continues the block's request line.
        emit logAppended(endLogText(end));
        emit failed(endLogText(end) + QStringLiteral("\r\n"));
        break;
    case EndReason::Stopped:
        break;
    default:
        emit logLine(endLogText(end));
        emit failed(endLogText(end));
        break;
    }
}

void ReadoutSession::closePort()
{
    // Whatever the read-out waited for, it is over: nothing more goes to the loader.
    m_engine.stop();
    m_stallTimer.stop();
    m_silenceTimer.stop();
    m_pending.clear();
    if (!MSComm1.isOpen())
        return;
    MSComm1.close();
    const bool unfinished = m_dumpFile.close();
    emit logLine(QStringLiteral("Serial port closed.\r\n"));
    if (unfinished)
        emit incompleteDumpLeft(incompleteDumpText(m_dumpFile.partPath(), tally()));
    emit portClosed();
}

BlockTally ReadoutSession::tally() const
{
    BlockTally tally;
    tally.checked = m_engine.blocksChecked();
    tally.count = m_engine.BlockCount();
    if (m_lastEnd.reason == EndReason::BlockSumWrong)
        tally.failedBlock = m_engine.StartBlock() + tally.checked;
    if (m_totalMatched)
        tally.total = BlockTally::Total::Matched;
    else if (m_lastEnd.reason == EndReason::TotalSumWrong)
        tally.total = BlockTally::Total::Wrong;
    return tally;
}

void ReadoutSession::onDataArrived()
{
    const QByteArray chunk = MSComm1.readAll();
    if (chunk.isEmpty())
        return;
    const bool awaitedBanner = m_engine.state() == ReadoutEngine::State::Banner;
    carryOut(m_engine.feed(chunk));
    if (awaitedBanner && m_engine.state() != ReadoutEngine::State::Banner && MSComm1.isOpen()) {
        m_silenceTimer.stop();
        emit bannerReceived();
    }
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
