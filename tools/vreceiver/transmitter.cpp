#include "transmitter.h"

#include "ptyport.h"
#include "wiretime.h"

#include <algorithm>
#include <utility>

namespace {

constexpr qint64 SliceUs = 4000;

}  // namespace

Transmitter::Transmitter(PtyPort &port, bool paced, QObject *parent) : QObject(parent), m_port(port), m_paced(paced)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Transmitter::pump);
    connect(&m_port, &PtyPort::drained, this, &Transmitter::onDrained);
}

void Transmitter::send(const QVector<Emission> &emissions, qint64 lateUs)
{
    const qint64 handedOverUs = nowUs() - lateUs;
    for (const Emission &e : emissions)
        m_queue.push_back({e, handedOverUs});
    pump();
}

void Transmitter::clear()
{
    m_queue.clear();
    m_started = false;
    m_frameInBacklog = false;
    m_timer.stop();
    m_port.discardBacklog();
}

void Transmitter::onDrained()
{
    // Gaps count from when the bytes really left, not from when they were queued.
    m_lastEndUs = std::max(m_lastEndUs, nowUs());
    if (std::exchange(m_frameInBacklog, false))
        emit frameOut();
    pump();
}

void Transmitter::wakeAt(qint64 us)
{
    m_timer.start(timerMsUntil(us, nowUs()));
}

void Transmitter::pump()
{
    while (!m_queue.empty()) {
        if (m_port.backlog() > 0)
            return;  // onDrained() resumes
        const qint64 now = nowUs();
        Pending &front = m_queue.front();
        const Emission &e = front.emission;

        if (!m_started) {
            const qint64 readyUs = std::max(front.handedOverUs, m_lastEndUs + e.gapMs * 1000LL);
            if (now + TimerSlackUs < readyUs) {
                wakeAt(readyUs);
                return;
            }
            m_started = true;
            m_written = 0;
            m_wireStartUs = readyUs;
        }

        if (e.hangUp) {
            m_queue.clear();
            m_started = false;
            emit hangUpDue();
            return;
        }

        const qsizetype size = e.bytes.size();
        qsizetype due = size;
        if (m_paced) {
            // A byte counts as sent once its stop bit is out.
            due = std::min<qsizetype>(size,
                                      std::max<qint64>(0, now + TimerSlackUs - m_wireStartUs) * WireBytesPerSecond / 1000000);
        }
        if (due > m_written) {
            m_port.write(e.bytes.mid(m_written, due - m_written));
            m_written = due;
        }
        if (m_written < size) {
            const qint64 nextByteUs = m_wireStartUs + wireTimeUs(m_written + 1);
            const qint64 lastByteUs = m_wireStartUs + wireTimeUs(size);
            wakeAt(std::clamp(now + SliceUs, nextByteUs, lastByteUs));
            return;
        }

        m_lastEndUs = m_paced ? m_wireStartUs + wireTimeUs(size) : now;
        m_started = false;
        if (e.frame) {
            if (m_port.backlog() > 0)
                m_frameInBacklog = true;
            else
                emit frameOut();
        }
        m_queue.pop_front();
    }
}
