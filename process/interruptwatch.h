#pragma once
// Ctrl-C, SIGINT, SIGTERM and SIGHUP as a Qt signal, so a program can close its port and dump file
// and leave its event loop cleanly instead of dying in the middle of a write. The signal says
// which request it was, so a program can end with the status a shell expects of it.

#include <QObject>

class QSocketNotifier;

class InterruptWatch : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

signals:
    // SIGINT for Ctrl-C (on Windows also Ctrl-Break), SIGTERM for a request to end (on Windows
    // the console window being closed), SIGHUP for a terminal that went away, as an SSH session
    // that drops (not on Windows). The numbers are <csignal>'s on every platform.
    void interrupted(int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
};
