#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal. A signal handler may only do
// async-signal-safe things, so it writes one byte into a pipe and the event
// loop picks that up; the tools then leave exec() and close their ports cleanly.
class SignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuit(QObject* parent = nullptr);
    ~SignalQuit() override;

    bool isValid() const { return m_notifier != nullptr; }

signals:
    void quitRequested(int signalNumber);

private:
    void onPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
};
