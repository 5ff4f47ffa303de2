#include "receiver.h"

#include "options.h"
#include "ptyport.h"
#include "wiretime.h"

#include <algorithm>
#include <cstdio>

Receiver::Receiver(const ReceiverOptions &options, const FlashImage &flash, PtyPort &port, QObject *parent)
    : QObject(parent), m_port(port), m_loader(options.loader, flash), m_transmitter(port, options.paced), m_paced(options.paced)
{
    m_clock.start();
    m_inboxTimer.setSingleShot(true);
    m_inboxTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_inboxTimer, &QTimer::timeout, this, &Receiver::deliverDue);
    connect(&m_port, &PtyPort::received, this, &Receiver::onReceived);
    connect(&m_port, &PtyPort::lost, this, &Receiver::onLost);
    connect(&m_transmitter, &Transmitter::hangUpDue, this, &Receiver::onHangUpDue);
    connect(&m_transmitter, &Transmitter::frameOut, this, [this] { m_frameOutUs = nowUs(); });
}

bool Receiver::start(const ReceiverOptions &options, QString *error)
{
    return (options.recordFile.isEmpty() || m_recorder.open(options.recordFile, error))
        && (options.timingsFile.isEmpty() || m_timings.open(options.timingsFile, error));
}

void Receiver::onReceived(const QByteArray &bytes)
{
    // How long the tool kept the loader waiting after a frame, as the box sees it.
    if (m_frameOutUs >= 0) {
        m_timings.append("reply " + QByteArray::number(nowUs() - m_frameOutUs) + '\n');
        m_frameOutUs = -1;
    }
    m_recorder.append(bytes);
    if (!m_paced) {
        deliver(bytes, nowUs());
        return;
    }
    // A pty hands over a whole command at once; on a real line the box only
    // has it once its last byte is in, and the next command queues behind it.
    m_inputWireEndUs = std::max(nowUs(), m_inputWireEndUs) + wireTimeUs(bytes.size());
    m_inbox.push_back({m_inputWireEndUs, bytes});
    if (!m_inboxTimer.isActive())
        deliverDue();
}

void Receiver::deliverDue()
{
    while (!m_inbox.empty() && m_inbox.front().dueUs <= nowUs() + TimerSlackUs) {
        const Arrival arrival = m_inbox.front();
        m_inbox.pop_front();
        deliver(arrival.bytes, std::min(arrival.dueUs, nowUs()));
    }
    if (!m_inbox.empty())
        m_inboxTimer.start(timerMsUntil(m_inbox.front().dueUs, nowUs()));
}

void Receiver::deliver(const QByteArray &bytes, qint64 atUs)
{
    const Reaction r = m_loader.feed(bytes);
    for (const QString &line : r.complaints)
        say(line);
    // From the first bit of the first block request to the last of DOWN_SUCCESS.
    if (r.firstFrameAsked)
        m_blockPhaseStartUs = atUs - wireTimeUs(22);
    if (r.downloadDone && m_blockPhaseStartUs >= 0)
        m_timings.append("block-phase " + QByteArray::number(atUs - m_blockPhaseStartUs) + '\n');
    if (r.powerCycled)
        m_transmitter.clear();
    if (!r.send.isEmpty())
        m_transmitter.send(r.send, nowUs() - atUs);
}

void Receiver::onHangUpDue()
{
    say(QStringLiteral("hanging up the line, as the --hangup fault asks"));
    m_inboxTimer.stop();
    m_inbox.clear();
    m_port.hangUp();
    emit finished(0);
}

void Receiver::onLost(const QString &why)
{
    say(QStringLiteral("lost the line: %1").arg(why));
    emit finished(1);
}

void Receiver::say(const QString &line) const
{
    const QByteArray text =
        QStringLiteral("tamrix-vreceiver [%1]: %2\n").arg(double(nowUs()) / 1e6, 8, 'f', 3).arg(line).toLocal8Bit();
    // One write per line, so lines never interleave with anything else.
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
}
