#pragma once
// One run of tamrix-read: a read-out session whose reports go to the console, and the exit
// status that says how it ended.

#include "cli/consolelog.h"
#include "cli/readoptions.h"
#include "session/readoutsession.h"

#include <QObject>
#include <QTimer>

enum ExitStatus {
    kExitComplete = 0,  // every block sum and the total checked
    kExitFailed = 1,    // the read-out failed after the port opened
    kExitUsage = 2,
    kExitPortNotOpened = 3,
    kExitSavedWithWarnings = 4,  // --strict: saved, but with warnings about what the dump holds
    kExitHungUp = 129,           // SIGHUP: the terminal went away (not on Windows)
    kExitInterrupted = 130,      // Ctrl-C (SIGINT): 128 + its number, as shells report it
    kExitTerminated = 143,       // SIGTERM, or on Windows the console closed
};

class ReadCommand : public QObject
{
    Q_OBJECT

public:
    ReadCommand(const ReadOptions &options, ConsoleLog &console, QObject *parent = nullptr);

    // Checks the folder, opens the port and starts keying. False, with the reason on standard
    // error, when the read-out cannot start; exitStatus() then says why.
    bool start();
    // Ctrl-C (SIGINT), SIGTERM or SIGHUP: close port and dump file, what was written stays. The
    // run then ends with the signal's exit status.
    void interrupt(int signalNumber);
    int exitStatus() const { return m_exitStatus; }

signals:
    void finished(int exitStatus);

private:
    void onEnded(const ReadoutEnd &end);
    void onWaitExpired();
    void finish(int exitStatus);

    ReadOptions m_options;
    ConsoleLog &m_console;
    ReadoutSession m_session;
    QTimer m_answerWait;        // --wait: the download has to begin within it
    int m_interruptStatus = 0;  // the exit status an interrupt asked for, 0 while none came
    int m_exitStatus = kExitFailed;
};
