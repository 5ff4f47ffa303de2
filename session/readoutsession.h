#pragma once
// The serial line to the receiver, its timers and the read-out engine, and the read-out running
// on them. The engine decides, the session carries it out, and a front end (the window,
// tamrix-read) shows what the session reports through its signals.

#include "readout/readoutengine.h"
#include "readout/wiretext.h"
#include "serial/portchoice.h"
#include "serial/serialline.h"
#include "session/awaitedanswer.h"
#include "session/loglines.h"
#include "session/readout.h"
#include "session/readoutrequest.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

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

    // Checks the request (requestcheck.h), opens the port and starts keying the loader awake.
    // Unless it started, nothing is open, nothing was sent, and the outcome says why in words
    // for the user.
    StartOutcome start(const ReadoutRequest &request);
    // Closes port and dump file, as Close does; logs "Serial port closed." if the port was open.
    // A read-out still running ends as Stopped.
    void stop();

    // Started, and its end not yet reported.
    bool isRunning() const { return m_readout && !m_readout->hasEnded(); }
    bool isPortOpen() const { return MSComm1.isOpen(); }
    bool isDumpFileOpen() const { return m_readout && m_readout->isDumpOpen(); }
    bool isKeying() const { return Timer1.isActive(); }
    // What the read-out waits for before the download; nothing once the download runs.
    AwaitedAnswer awaitedAnswer() const { return m_engine.awaitedAnswer(); }
    QString outputFileName() const { return m_outputFileName; }
    // The read-out saved its dump, with warnings about what it holds; known from its end until
    // the port closes.
    bool savedWithWarnings() const { return m_readout && m_readout->savedWithWarnings(); }
    // The data bytes of one block, for a front end that shows a rate.
    static constexpr int kBlockBytes = wire::kBlockDataSize;

signals:
    // The read-out's log, one entry at a time. A read-out's log begins when the port opens.
    void logged(const LogEntry &entry);
    // A line of its own about something that looks wrong although the read-out goes on, or
    // about how it stopped.
    void warning(const QString &text);
    void progressChanged(int blocksDone, int blocksInAll);
    void portOpened();
    void portClosed();
    // After a read-out that did not finish its dump, where the dump was left.
    void incompleteDumpLeft(const QString &text);
    // Once per read-out, when its end is decided and its words are in the log. Port and dump
    // file close right after, unless a failed block waits for Close.
    void ended(const ReadoutEnd &end);

private:
    void carryOut(const ReadoutEvents &events);
    void openDump(const FirstBlock &block);
    void end(const ReadoutEnd &end);
    void showEnd(const ReadoutEnd &end);
    void closePort();
    void onDataArrived();
    void onTimer1Tick();
    void watchForStall();
    void onStallTimeout();

    SerialLine MSComm1;     // the serial line to the receiver
    QTimer Timer1;          // wake-up keying: one byte each wire::kKeyingInterval until the loader answers
    QTimer m_stallTimer;    // a frame or the total byte that stops coming
    QTimer m_silenceTimer;  // no banner yet, or no download yet after it: a hint, once each
    QElapsedTimer m_lastProgress;
    ReadoutEngine m_engine;
    LogLines m_log;
    PortChoice m_port;                   // the port open, or last opened
    std::unique_ptr<Readout> m_readout;  // from the port's opening to its closing
    QString m_outputFileName;            // the last named dump, kept between read-outs
};
