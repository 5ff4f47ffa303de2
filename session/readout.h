#pragma once
// One read-out and its dump, from the port's opening to its closing: what it was asked for, the
// dump from its first block to its end, how the read-out ended, and the record and the lines
// that say what became of the dump. Each read-out has one of its own, so nothing is carried over
// from the one before.

#include "dumpfile/dumprecord.h"
#include "dumpfile/dumpwriter.h"
#include "readout/readoutend.h"
#include "readout/readoutevent.h"
#include "session/dumpreport.h"
#include "session/readoutrequest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class LogLines;

class Readout
{
public:
    // `folder`: where the dump goes; `port`: the port as the record names it. The lines about
    // the dump go to `log`.
    Readout(const ReadoutRequest &request, QString folder, QString port, LogLines &log);

    ReadoutRequest::FailedBlock failedBlock() const { return m_failedBlock; }
    void setBanner(const QByteArray &banner) { m_banner = banner; }

    // The first block came: the dump's rules name the dump, and only now, with something to
    // write, is its name claimed and its header written. A read-out that waits for its box
    // holds nothing. Returns the end of the read-out when the dump cannot be started.
    std::optional<ReadoutEnd> openDump(const FirstBlock &block);
    // A block's data, before its sum is checked. Returns the end of the read-out when it cannot
    // be written.
    std::optional<ReadoutEnd> writeDump(const QByteArray &data);
    // A warning about the dump: shown, and kept for its record.
    void warn(const QString &text);

    // The read-out ended as `end`, once: a complete one's dump takes its name, and the log says
    // where it was saved. Returns how it ended after that, a dump file error when the dump could
    // not be saved.
    ReadoutEnd end(const ReadoutEnd &end);
    bool hasEnded() const { return m_end.has_value(); }

    // The port closed: so does the dump file.
    void closeDump();
    // Then an unfinished dump gets its record, and the line returned says what it holds; empty
    // when the read-out left none. A dump saved with warnings has them all once more as the
    // log's last line, as they may have scrolled far away.
    QString whatIsLeft();

    bool isDumpOpen() const { return m_dump.isOpen(); }
    // The named dump's file name as the rules or the user gave it; empty for a plain dump.
    QString namedFileName() const { return m_namedFileName; }
    bool savedWithWarnings() const { return m_saved && !m_warnings.isEmpty(); }

private:
    ReadoutEnd dumpFileError() const;
    BlockTally tally() const;
    // What the record beside the dump says of this read-out.
    DumpRecord record() const;

    // What it was asked for.
    const QString m_folder;
    const bool m_headerOption;
    const QString m_fileName;
    const QString m_label;
    const QString m_port;
    const ReadoutRequest::FailedBlock m_failedBlock;
    LogLines &m_log;

    // What it found out.
    QByteArray m_banner;  // as received
    FirstBlock m_first;   // the loader the banner named and the blocks asked for
    DumpWriter m_dump;
    QString m_namedFileName;
    int m_blocksWritten = 0;  // blocks whose data is in the dump file
    bool m_totalMatched = false;
    std::optional<ReadoutEnd> m_end;
    QStringList m_warnings;  // what looked wrong in the dump, as the log showed it
    bool m_saved = false;    // the dump took its name
    bool m_leftUnfinished = false;
};
