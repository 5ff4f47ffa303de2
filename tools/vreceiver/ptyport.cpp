#include "ptyport.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

PtyPort::PtyPort(QObject *parent) : QObject(parent) {}

PtyPort::~PtyPort()
{
    hangUp();
    if (m_slave >= 0)
        ::close(m_slave);
}

bool PtyPort::open(QString *error)
{
    if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
        *error = systemError("openpty");
        return false;
    }
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    // Raw, so the line discipline neither echoes the tool's bytes back nor
    // turns CR into LF, including while nobody else has the port open.
    termios tio = {};
    if (::tcgetattr(m_slave, &tio) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    tio.c_cflag |= CLOCAL | CREAD;
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = systemError("fcntl O_NONBLOCK");
        return false;
    }

    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        *error = systemError("ptsname_r");
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(name);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyPort::onReadable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyPort::onWritable);
    return true;
}

void PtyPort::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            emit received(QByteArray(buffer, n));
            if (m_master < 0)  // a receiver may hang up in response
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        fail(n == 0 ? QStringLiteral("read: end of file") : systemError("read"));
        return;
    }
}

void PtyPort::write(const QByteArray &bytes)
{
    if (m_master < 0 || bytes.isEmpty())
        return;
    if (!m_backlog.isEmpty()) {
        m_backlog += bytes;
        return;
    }
    const qsizetype done = writeSome(bytes.constData(), bytes.size());
    if (done < bytes.size() && m_master >= 0) {
        m_backlog = bytes.mid(done);
        m_writeNotifier->setEnabled(true);
    }
}

void PtyPort::onWritable()
{
    const qsizetype done = writeSome(m_backlog.constData(), m_backlog.size());
    if (m_master < 0)
        return;
    m_backlog.remove(0, done);
    if (m_backlog.isEmpty()) {
        m_writeNotifier->setEnabled(false);
        emit drained();
    }
}

qsizetype PtyPort::writeSome(const char *data, qsizetype size)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_master, data + done, size_t(size - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            fail(systemError("write"));
            break;
        }
    }
    return done;
}

void PtyPort::discardBacklog()
{
    m_backlog.clear();
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
}

void PtyPort::fail(const QString &why)
{
    hangUp();
    emit lost(why);
}

void PtyPort::hangUp()
{
    if (m_master < 0)
        return;
    // This may run inside one of the notifiers' own signals.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (!notifier)
            continue;
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    m_readNotifier = m_writeNotifier = nullptr;
    m_backlog.clear();
    ::close(m_master);
    m_master = -1;
}
