#include "session/readout.h"

#include "session/dumprequest.h"
#include "session/loglines.h"
#include "session/outputfolder.h"
#include "version.h"

#include <QDateTime>
#include <QFileInfo>

#include <utility>

Readout::Readout(const ReadoutRequest &request, QString folder, QString port, LogLines &log)
    : m_folder(std::move(folder)), m_headerOption(request.headerOption), m_fileName(request.fileName), m_label(request.label),
      m_port(std::move(port)), m_failedBlock(request.failedBlock), m_log(log)
{
}

std::optional<ReadoutEnd> Readout::openDump(const FirstBlock &block)
{
    m_first = block;
    const DumpPlan plan = planDump(dumpRequest(block, m_headerOption, m_fileName));
    if (!plan.note.isEmpty())
        warn(plan.note);
    if (!m_dump.open(pathInFolder(m_folder, plan.fileName), plan.header))
        return dumpFileError();
    if (plan.isNamed())
        m_namedFileName = plan.fileName;
    return std::nullopt;
}

std::optional<ReadoutEnd> Readout::writeDump(const QByteArray &data)
{
    if (!m_dump.append(data))
        return dumpFileError();
    ++m_blocksWritten;
    return std::nullopt;
}

void Readout::warn(const QString &text)
{
    m_warnings << text;
    m_log.warn(text);
}

ReadoutEnd Readout::end(const ReadoutEnd &end)
{
    m_end = end;
    if (!end.is<ReadoutEnd::Complete>() || !m_dump.isOpen())
        return end;
    m_totalMatched = true;
    // Known before the record is written, shown after the Saved line.
    const QString uniform = uniformDataWarning(m_dump);
    if (!uniform.isEmpty())
        m_warnings << uniform;
    // Only now, with every sum checked, does the dump take its name; Saved is said once it is on
    // the disk.
    m_saved = m_dump.commit(record());
    if (!m_saved)
        return *(m_end = dumpFileError());
    m_log.show(LogEntry::line(savedText(m_dump)));
    if (const QString identical = identicalText(m_dump); !identical.isEmpty())
        m_log.show(LogEntry::line(identical));
    if (!uniform.isEmpty())
        m_log.warn(uniform);
    return end;
}

void Readout::closeDump()
{
    m_leftUnfinished = m_dump.close();
}

QString Readout::whatIsLeft()
{
    if (savedWithWarnings())
        m_log.show(LogEntry::line(savedWithWarningsText(m_warnings)));
    if (!m_leftUnfinished)
        return {};
    if (!QFileInfo::exists(m_dump.partPath()))
        return vanishedDumpText(m_dump.partPath());
    // The unfinished dump's record says how it ended.
    if (!m_dump.recordUnfinished(record()))
        m_log.warn("Warning: cannot write " + shownPath(m_dump.errorPath()) + ": " + m_dump.errorString());
    return incompleteDumpText(m_dump.partPath(), tally(), m_dump.isDiskFull());
}

ReadoutEnd Readout::dumpFileError() const
{
    return {ReadoutEnd::DumpFileError{shownPath(m_dump.errorPath()), m_dump.errorString()}};
}

BlockTally Readout::tally() const
{
    BlockTally tally;
    tally.count = m_first.blockCount;
    // A failed block is in the dump too, after the checked ones.
    const ReadoutEnd::BlockSumWrong *failed = m_end ? m_end->as<ReadoutEnd::BlockSumWrong>() : nullptr;
    tally.checked = m_blocksWritten - (failed ? 1 : 0);
    if (failed)
        tally.failedBlock = failed->block;
    if (m_totalMatched)
        tally.total = BlockTally::Total::Matched;
    else if (m_end && m_end->is<ReadoutEnd::TotalSumWrong>())
        tally.total = BlockTally::Total::Wrong;
    return tally;
}

DumpRecord Readout::record() const
{
    const BlockTally blocks = tally();
    DumpRecord record;
    record.time = QDateTime::currentDateTime();
    record.tamrixVersion = QStringLiteral(TAMRIX_VERSION);
    record.port = m_port;
    record.label = m_label;
    record.banner = m_banner;
    record.loaderVersion = m_first.loaderVersion;
    record.loaderSizeKb = m_first.blockCount;
    record.sizeFromOption = m_first.loaderSizeKb == 0;
    record.firstBlock = m_first.startBlock;
    record.blockCount = m_first.blockCount;
    record.blocksChecked = blocks.checked;
    record.failedBlock = blocks.failedBlock;
    record.totalSum = totalSumWords(blocks.total);
    record.result = resultWords(m_end.value_or(ReadoutEnd{}), !m_warnings.isEmpty());
    record.warnings = m_warnings;
    return record;
}
