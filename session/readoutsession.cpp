#include "session/readoutsession.h"

#include "dumpfile/dumpname.h"
#include "readout/loaderfamily.h"
#include "readout/wiretext.h"
#include "serial/portlist.h"
#include "session/outputfolder.h"
#include "version.h"

#include <QDir>
#include <QFileInfo>

#include <utility>
#include <variant>

namespace {

// The largest dump a read-out may write: a banner may name a larger loader than the size option.
qint64 largestDump()
{
    int blocks = 0;
    for (const LoaderFamily &family : kLoaderFamilies)
        blocks = qMax(blocks, family.blockCount);
    return kLongestHeaderSize + qint64(blocks) * wire::kBlockDataSize;
}

}  // namespace

ReadoutSession::ReadoutSession(QObject *parent) : QObject(parent)
{
    Timer1.setInterval(300);
    m_silenceTimer.setSingleShot(true);
    m_silenceTimer.setInterval(kSilenceHint);
    connect(&m_silenceTimer, &QTimer::timeout, this, [this] {
        if (const AwaitedAnswer awaited = m_engine.awaitedAnswer(); !awaited.token.isEmpty())
            showWarning(answerHint(awaited, kSilenceHint));
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
    if (const QString problem = request.fileName.isEmpty() ? QString() : fileNameProblem(request.fileName); !problem.isEmpty())
        return {Refused::Request, "Cannot save the dump as " + request.fileName + ": " + problem + '.',
                QStringLiteral("Dump file name")};
    const QString folder = outputFolder(request.folderText, request.defaultFolder);
    // The default folder is made by the first read-out that goes there; any other must exist.
    if (QDir::cleanPath(folder) == QDir::cleanPath(request.defaultFolder))
        QDir().mkpath(folder);
    // Found out before the box is woken, not at the first block.
    QString problem = folderProblem(folder);
    if (problem.isEmpty())
        problem = roomProblem(folder, largestDump());
    if (!problem.isEmpty()) {
        const QString shown = QDir::toNativeSeparators(folder);
        return {Refused::Request, "Cannot save the dump in " + shown + ": " + problem + '.', "Error with the folder " + shown};
    }
    const PortChoice port = portForText(request.portText, request.portList);
    const OpenOutcome opened = MSComm1.open(port.device);
    if (opened != OpenOutcome::Opened) {
        const OpenFailureReport report = describeOpenFailure(opened, port);
        if (report.boxPrompt.isEmpty())
            return {Refused::Port, report.logLine, {}};
        return {Refused::Port, report.boxPrompt, report.boxTitle};
    }
    m_port = port;
    m_facts = {folder, request.headerOption, request.fileName, request.label};
    m_running = true;
    m_lastEnd = {};
    m_totalMatched = false;
    m_lineOpen = false;
    m_heldWarnings.clear();
    m_blocksWritten = 0;
    m_engine.setRequest(qint16(family->startBlock), qint16(family->blockCount));
    emit portOpened();
    m_silenceTimer.start();
    carryOut(m_engine.start());
    return {};
}

void ReadoutSession::stop()
{
    if (m_running)
        end(ReadoutEnd::stopped());
    else
        closePort();
}

void ReadoutSession::carryOut(const ReadoutEvents &events)
{
    // In the engine's order: a block is in the dump file before the confirmation that follows
    // it leaves. Only the log and the progress wait until the batch's bytes are out, as the
    // loader is kept waiting for as long as its answer takes.
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
                           m_facts.banner = e.text;
                           m_silenceTimer.start();
                       },
                       [this](const FirstBlock &e) { openDump(e); },
                       [this](const WriteData &e) { writeDump(e.data); },
                       [this](const LogEntry &e) { m_pending.push_back(e); },
                       [this](const LogWarning &e) { m_pending.push_back(e); },
                       [this](const ReadoutEnd &e) { end(e); },
                   },
                   event);
    }
    showPending();
    if (m_engine.awaitedAnswer().token.isEmpty())
        m_silenceTimer.stop();
    // Only a batch that did something can have moved the engine's count; once a read-out has
    // ended its count stays as it was.
    if (m_running && !events.empty())
        emit progressChanged(m_engine.blocksChecked(), m_engine.BlockCount());
    watchForStall();
    if (MSComm1.isOpen())
        MSComm1.setWakeThreshold(m_engine.bytesAwaited());
}

void ReadoutSession::showPending()
{
    const ReadoutEvents pending = std::exchange(m_pending, {});
    for (const ReadoutEvent &event : pending) {
        if (!MSComm1.isOpen())
            break;
        if (const auto *entry = std::get_if<LogEntry>(&event))
            show(*entry);
        else if (const auto *warning = std::get_if<LogWarning>(&event))
            warnOfDump(warning->text);
    }
}

void ReadoutSession::show(const LogEntry &entry)
{
    // A line of its own ends the open one: what waited for that comes first.
    if (!entry.continuesLine) {
        m_lineOpen = false;
        releaseWarnings();
    }
    emit logged(entry);
    m_lineOpen = entry.leavesLineOpen;
    releaseWarnings();
}

void ReadoutSession::showWarning(const QString &text)
{
    m_heldWarnings << text;
    releaseWarnings();
}

void ReadoutSession::warnOfDump(const QString &text)
{
    m_facts.warnings << text;
    showWarning(text);
}

void ReadoutSession::releaseWarnings()
{
    if (m_lineOpen)
        return;
    for (const QString &text : std::exchange(m_heldWarnings, {}))
        emit warning(text);
}

void ReadoutSession::openDump(const FirstBlock &block)
{
    // The dump file's rules name it, and its name is claimed only now that there is something
    // to write: a read-out that waits for its box holds nothing.
    const DumpPlan plan = planDump({m_facts.headerOption, block.loaderSizeKb, block.loaderVersion, block.data, m_facts.fileName});
    if (!plan.note.isEmpty())
        m_pending.push_back(LogWarning{plan.note});
    m_facts.loaderVersion = block.loaderVersion;
    m_facts.loaderSizeKb = block.loaderSizeKb;
    if (!m_dumpFile.open(pathInFolder(m_facts.folder, plan.fileName), plan.header)) {
        end(dumpFileError());
        return;
    }
    if (plan.isNamed())
        m_outputFileName = plan.fileName;
}

void ReadoutSession::writeDump(const QByteArray &data)
{
    if (!m_dumpFile.append(data)) {
        end(dumpFileError());
        return;
    }
    ++m_blocksWritten;
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
        // Known before the record is written, shown after the Saved line.
        const QString uniform = uniformDataWarning(m_dumpFile);
        if (!uniform.isEmpty())
            m_facts.warnings << uniform;
        // Only now, with every sum checked, does the dump take its name; Saved is said once it
        // is on the disk.
        m_facts.saved = m_dumpFile.commit(record(end));
        if (m_facts.saved) {
            show({savedText(m_dumpFile)});
            if (const QString identical = identicalText(m_dumpFile); !identical.isEmpty())
                show({identical});
            if (!uniform.isEmpty())
                showWarning(uniform);
        } else {
            end = dumpFileError();
            reportEnd(end);
        }
    }
    m_lastEnd = end;
    // A line lost after a failed block closes what was left open; that read-out has ended before.
    if (std::exchange(m_running, false))
        emit ended(end);
    if (!end.waitsForClose())
        closePort();
}

void ReadoutSession::reportEnd(const ReadoutEnd &end)
{
    if (const LogEntry entry = endLogEntry(end); !entry.text.isEmpty())
        show(entry);
}

DumpRecord ReadoutSession::record(const ReadoutEnd &end) const
{
    const BlockTally blocks = tally();
    DumpRecord record;
    record.time = QDateTime::currentDateTime();
    record.tamrixVersion = QStringLiteral(TAMRIX_VERSION);
    record.port = labelWithDevice(m_port);
    record.label = m_facts.label;
    record.banner = m_facts.banner;
    record.loaderVersion = m_facts.loaderVersion;
    record.loaderSizeKb = m_engine.BlockCount();
    record.sizeFromOption = m_facts.loaderSizeKb == 0;
    record.firstBlock = m_engine.StartBlock();
    record.blockCount = m_engine.BlockCount();
    record.blocksChecked = blocks.checked;
    record.failedBlock = blocks.failedBlock;
    record.totalSum = totalSumWords(blocks.total);
    record.result = resultWords(end, !m_facts.warnings.isEmpty());
    record.warnings = m_facts.warnings;
    return record;
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
    show({QStringLiteral("Serial port closed.")});
    if (unfinished) {
        if (QFileInfo::exists(m_dumpFile.partPath())) {
            // The unfinished dump's record says how it ended.
            if (!m_dumpFile.recordUnfinished(record(m_lastEnd)))
                showWarning("Warning: cannot write " + shownPath(m_dumpFile.errorPath()) + ": " + m_dumpFile.errorString());
            emit incompleteDumpLeft(incompleteDumpText(m_dumpFile.partPath(), tally(), m_dumpFile.isDiskFull()));
        } else {
            emit incompleteDumpLeft(vanishedDumpText(m_dumpFile.partPath()));
        }
    }
    // The end of the log repeats what the warnings said, which may have scrolled far away.
    if (savedWithWarnings())
        show({savedWithWarningsText(m_facts.warnings)});
    emit portClosed();
}

BlockTally ReadoutSession::tally() const
{
    BlockTally tally;
    // The engine has counted a block by the time the session writes it: one whose write failed
    // is not in the file, and is not counted.
    tally.checked = qMin(m_engine.blocksChecked(), m_blocksWritten);
    tally.count = m_engine.BlockCount();
    if (m_lastEnd.reason == EndReason::BlockSumWrong && m_blocksWritten > tally.checked)
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
