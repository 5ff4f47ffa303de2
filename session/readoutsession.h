#pragma once
// One read-out as it runs: the serial line, the engine, the dump file and the timers. The
// engine decides, the session carries it out, and a front end (the window, tamrix-read) shows
// what the session reports through its signals.

#include "dumpfile/dumpwriter.h"
#include "readout/readoutengine.h"
#include "readout/wiretext.h"
#include "serial/portchoice.h"
#include "serial/serialline.h"
#include "session/awaitedanswer.h"
#include "session/dumpreport.h"
#include "session/readoutfacts.h"
#include "session/readoutrequest.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

class ReadoutSession : public QObject
{
    Q_OBJECT

public:
    // How often a quiet line is looked at for bytes waiting below the wake threshold.
    static constexpr std::chrono::seconds kStallCheck{1};
    // A frame or the total byte that stops coming ends the read-out after this long.
    static constexpr std::chrono::seconds kStallLimit{10};
    // A box that has not answered this long after Open, or after the banner, gets a hint at the
    // usual causes.
    static constexpr std::chrono::seconds kSilenceHint{15};

    explicit ReadoutSession(QObject *parent = nullptr);

    // Resolves the port, checks the folder, the room on its disk and a given file name, picks the
    // blocks of the size option, opens the port and starts keying the loader awake. The dump's
    // name is claimed only at the first block. Unless it started, nothing is open, nothing was
    // sent, and the outcome says why in words for the user.
    StartOutcome start(const ReadoutRequest &request);
    // Closes port and dump file, as Close does; logs "Serial port closed." if the port was open.
    // A read-out still running ends as Stopped.
    void stop();

    // Started, and its end not yet reported.
    bool isRunning() const { return m_running; }
    bool isPortOpen() const { return MSComm1.isOpen(); }
    bool isDumpFileOpen() const { return m_dumpFile.isOpen(); }
    bool isKeying() const { return Timer1.isActive(); }
    // What the read-out waits for before the download; nothing once the download runs.
    AwaitedAnswer awaitedAnswer() const { return m_engine.awaitedAnswer(); }
    QString outputFileName() const { return m_outputFileName; }
    // The last read-out saved its dump, with warnings about what it holds.
    bool savedWithWarnings() const { return m_facts.saved && !m_facts.warnings.isEmpty(); }
    // The data bytes of one block, for a front end that shows a rate.
    static constexpr int kBlockBytes = wire::kBlockDataSize;

signals:
    // The read-out's log, one entry at a time. A read-out's log begins when the port opens.
    void logged(const LogEntry &entry);
    // A line of its own about something that looks wrong although the read-out goes on.
    void warning(const QString &text);
    void progressChanged(int blocksDone, int blocksInAll);
    void portOpened();
    void portClosed();
    // After a read-out that did not finish its dump, where the dump was left.
    void incompleteDumpLeft(const QString &text);
    // Once per read-out, when its end is decided and its words are in the log. Port and dump
    // file close right after, unless the end waits for Close.
    void ended(const ReadoutEnd &end);

private:
    void carryOut(const ReadoutEvents &events);
    // What carryOut() leaves until the loader's bytes are out: log entries and warnings.
    void showPending();
    void show(const LogEntry &entry);
    // A warning waits while a block's line is open, so that the line stays whole.
    void showWarning(const QString &text);
    // A warning about the dump: shown, and kept for its record.
    void warnOfDump(const QString &text);
    void releaseWarnings();
    BlockTally tally() const;
    void openDump(const FirstBlock &block);
    void writeDump(const QByteArray &data);
    void end(ReadoutEnd end);
    void reportEnd(const ReadoutEnd &end);
    // What the record beside the dump says of this read-out, which ended as `end`.
    DumpRecord record(const ReadoutEnd &end) const;
    ReadoutEnd dumpFileError() const;
    void closePort();
    void onDataArrived();
    void onTimer1Tick();
    void watchForStall();
    void onStallTimeout();

    SerialLine MSComm1;     // the serial line to the receiver
    QTimer Timer1;          // wake-up keying: one byte every 300 ms until the loader answers
    QTimer m_stallTimer;    // a frame or the total byte that stops coming
    QTimer m_silenceTimer;  // no banner yet, or no download yet after it: a hint, once each
    QElapsedTimer m_lastProgress;
    ReadoutEngine m_engine;
    DumpWriter m_dumpFile;
    PortChoice m_port;
    ReadoutFacts m_facts;        // of the read-out running, or the last one
    ReadoutEvents m_pending;     // log entries and warnings of the batch being carried out
    bool m_lineOpen = false;     // the last log entry left its line open
    QStringList m_heldWarnings;  // warnings that came while it was open
    ReadoutEnd m_lastEnd;        // how the last read-out ended, for what its unfinished dump holds
    bool m_totalMatched = false;
    int m_blocksWritten = 0;   // blocks whose data is in the dump file
    QString m_outputFileName;  // the last named dump, kept between read-outs
    bool m_running = false;    // started, and its end not yet reported
};
