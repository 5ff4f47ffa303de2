#pragma once

#include "loader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

class PtyPort;

// Puts the loader's output on the line at the times it asks for. Paced, it
// also lets every byte take its wire time: bytes go out in slices of a few
// milliseconds, each holding the bytes whose time has come on an absolute
// schedule, so timer jitter never adds up over a long frame.
class Transmitter : public QObject
{
    Q_OBJECT
public:
    Transmitter(PtyPort &port, bool paced, QObject *parent = nullptr);

    // The emissions count as handed over LATEUS ago: the box had them before the receiver's
    // timer woke.
    void send(const QVector<Emission> &emissions, qint64 lateUs);
    // Forget everything not yet on the line (the box lost power).
    void clear();

signals:
    void hangUpDue();
    // The last byte of a block frame has gone into the kernel.
    void frameOut();

private:
    struct Pending
    {
        Emission emission;
        qint64 handedOverUs;
    };

    void pump();
    void onDrained();
    void wakeAt(qint64 us);
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }

    PtyPort &m_port;
    const bool m_paced;
    std::deque<Pending> m_queue;
    bool m_started = false;    // the front emission has begun to go out
    qsizetype m_written = 0;   // of the front emission
    qint64 m_wireStartUs = 0;  // paced: when its first byte started
    qint64 m_lastEndUs = 0;    // when the previous emission was fully out
    bool m_frameInBacklog = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
};
