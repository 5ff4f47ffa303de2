#pragma once

#include "loader.h"
#include "recorder.h"
#include "transmitter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

class PtyPort;
struct ReceiverOptions;

// Connects the loader to the line: records what the tool sends, hands it to
// the loader (paced: once it would have crossed the wire), passes the
// loader's answers to the transmitter and reports on stderr.
class Receiver : public QObject
{
    Q_OBJECT
public:
    Receiver(const ReceiverOptions &options, const FlashImage &flash, PtyPort &port, QObject *parent = nullptr);

    bool start(const ReceiverOptions &options, QString *error);

signals:
    void finished(int exitCode);

private:
    struct Arrival
    {
        qint64 dueUs;
        QByteArray bytes;
    };

    void onReceived(const QByteArray &bytes);
    void deliverDue();
    // ATUS: when the box has the bytes; the receiver's own timer may wake after that.
    void deliver(const QByteArray &bytes, qint64 atUs);
    void onHangUpDue();
    void onLost(const QString &why);
    void say(const QString &line) const;
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }

    PtyPort &m_port;
    LoaderMachine m_loader;
    Transmitter m_transmitter;
    Recorder m_recorder;
    Recorder m_timings;
    qint64 m_frameOutUs = -1;         // when the last frame was out, until its answer begins
    qint64 m_blockPhaseStartUs = -1;  // when the first block request was in
    const bool m_paced;
    QElapsedTimer m_clock;

    std::deque<Arrival> m_inbox;  // paced input not yet due
    qint64 m_inputWireEndUs = 0;
    QTimer m_inboxTimer;
};
