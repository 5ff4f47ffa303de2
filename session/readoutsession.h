#pragma once
// One read-out as it runs: the serial line, the engine, the dump file and the timers. The
// engine decides, the session carries it out, and a front end (the window, tamrix-read) shows
// what the session reports through its signals.

#include "dumpfile/dumpwriter.h"
#include "readout/readoutengine.h"
#include "readout/wiretext.h"
#include "serial/portchoice.h"
#include "serial/serialline.h"
#include "session/dumpreport.h"
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
    // A box that has not answered this long after Open gets a hint at the usual causes.
    static constexpr std::chrono::seconds kSilenceHint{15};

    explicit ReadoutSession(QObject *parent = nullptr);

    // Resolves the port, checks the folder, picks the blocks of the size option, claims a plain
    // dump's name, opens the port and starts keying the loader awake. Unless it started, nothing
    // is open, nothing was sent, and the outcome says why in words for the user.
    StartOutcome start(const ReadoutRequest &request);
    // Closes port and dump file, as Close does; logs "Serial port closed." if the port was open.
    // A read-out still running ends as Stopped.
    void stop();

    bool isPortOpen() const { return MSComm1.isOpen(); }
    bool isDumpFileOpen() const { return m_dumpFile.isOpen(); }
    bool isKeying() const { return Timer1.isActive(); }
    QString outputFileName() const { return m_outputFileName; }
    // The data bytes of one block, for a front end that shows a rate.
    static constexpr int kBlockBytes = wire::kBlockDataSize;

signals:
    // The read-out's log: a text may continue the last line, as a block's result continues the
    // line of its request.
    void logAppended(const QString &text);
    // A message of Tamrix's own, which starts a line of its own.
    void logLine(const QString &text);
    void logReplaced(const QString &text);
    // A line of its own about something that looks wrong although the read-out goes on.
    void warning(const QString &line);
    // Why the read-out failed, for a front end that reports failures apart from the log; the
    // log has the same words.
    void failed(const QString &line);
    void progressChanged(int blocksDone, int blocksInAll);
    void portOpened();
    void portClosed();
    void bannerReceived();
    // After a failed read-out, where its unfinished dump was left.
    void incompleteDumpLeft(const QString &line);
    // Once per read-out, when its end is decided and everything that goes with it is done.
    void ended(const ReadoutEnd &end);

private:
    void carryOut(const ReadoutActions &actions);
    // What carryOut() leaves until the loader's bytes are out: log and progress.
    void showPending();
    BlockTally tally() const;
    void setProgress(int value, int maximum);
    void openDump(const QString &fileName, const QByteArray &header);
    void writeDump(const QByteArray &data);
    void end(ReadoutEnd end);
    void reportEnd(const ReadoutEnd &end);
    ReadoutEnd dumpFileError() const;
    void closePort();
    void onDataArrived();
    void onTimer1Tick();
    void watchForStall();
    void onStallTimeout();

    SerialLine MSComm1;     // the serial line to the receiver
    QTimer Timer1;          // wake-up keying: one byte every 300 ms until the loader answers
    QTimer m_stallTimer;    // a frame or the total byte that stops coming
    QTimer m_silenceTimer;  // no banner yet: a hint at the usual causes, once
    QElapsedTimer m_lastProgress;
    ReadoutEngine m_engine;
    DumpWriter m_dumpFile;
    PortChoice m_port;
    QString m_folder;          // where the dump goes
    ReadoutActions m_pending;  // log and progress of the batch being carried out
    ReadoutEnd m_lastEnd;      // how the last read-out ended, for what its unfinished dump holds
    bool m_totalMatched = false;
    QString m_outputFileName;  // the last named dump, kept between read-outs
    int m_progressValue = 0;
    int m_progressMax = 0;
    bool m_running = false;  // started, and its end not yet reported
};
