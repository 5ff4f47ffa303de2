#include "serial/serialline.h"

#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

bool mayAccess(const QString &device)
{
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return true;  // Windows answers "access denied" only when another program holds the port
#else
    const QFileInfo info(deviceFile(device));
    return info.isReadable() && info.isWritable();
#endif
}

// Whether `device`, which did not open, is there but is no serial port: a regular file, a folder,
// a device that is no terminal (/dev/null). A name without a folder that is no device but a file
// here ("dump.bin") counts as that file. Windows names serial ports only by their COM names.
bool isNoSerialPort(const QString &device)
{
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return false;
#else
    QString file = deviceFile(device);
    if (!QFileInfo::exists(file) && QFileInfo(device).isFile())
        file = device;
    const QByteArray path = QFile::encodeName(file);
    struct stat status = {};
    if (::stat(path.constData(), &status) != 0)
        return false;
    if (!S_ISCHR(status.st_mode))
        return true;
    // A device that cannot be opened now (busy, forbidden, no hardware) tells nothing: the error
    // of the open says what is wrong with it.
    const int fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool terminal = ::isatty(fd);
    ::close(fd);
    return !terminal;
#endif
}

}  // namespace

SerialLine::SerialLine(QObject *parent) : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLine::dataArrived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLine::handleError);
}

void SerialLine::applyLineSettings()
{
    m_port.setBaudRate(QSerialPort::Baud115200);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(kReceiveBufferSize);
}

OpenOutcome SerialLine::open(const QString &device)
{
    m_port.setPortName(device);
    m_lostReported = false;
    m_wakeThreshold = 1;
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        if (isNoSerialPort(device))
            return OpenOutcome::NotSerialPort;
        return classifyOpenError(error == QSerialPort::NoError ? QSerialPort::UnknownError : error, mayAccess(device));
    }
    return m_port.isOpen() ? OpenOutcome::Opened : OpenOutcome::ClosedAfterOpen;
}

void SerialLine::close()
{
    if (m_port.isOpen()) {
        // Hand the last answer ("DOWN_SUCCESS") to the system before closing; Qt's close
        // drops whatever it still holds.
        m_port.flush();
        m_port.close();
    }
    m_port.clearError();
}

void SerialLine::write(const QByteArray &bytes)
{
    // Out at once, not at the next turn of the event loop: the loader is waiting for them.
    if (m_port.isOpen() && m_port.write(bytes) > 0)
        m_port.flush();
}

void SerialLine::discardInput()
{
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void SerialLine::setWakeThreshold(int bytes)
{
#ifdef Q_OS_UNIX
    // The terminal's VMIN: with VTIME 0 the system reports the port readable only once VMIN
    // bytes are waiting; reads stay non-blocking and take whatever is there. VMIN 0 is what
    // the port was opened with.
    const int threshold = std::clamp(bytes, 1, kMaxWakeThreshold);
    if (threshold == m_wakeThreshold || !m_port.isOpen())
        return;
    termios settings{};
    const int fd = int(m_port.handle());
    if (::tcgetattr(fd, &settings) != 0)
        return;
    settings.c_cc[VMIN] = cc_t(threshold == 1 ? 0 : threshold);
    settings.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &settings) == 0)
        m_wakeThreshold = threshold;
#else
    Q_UNUSED(bytes);
#endif
}

void SerialLine::pullWaiting()
{
    if (!m_port.isOpen())
        return;
    setWakeThreshold(1);
    // A zero wait only looks: it reads what is there and emits readyRead, or reports a timeout,
    // which is no fault of the line.
    m_port.waitForReadyRead(0);
    if (m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
}

void SerialLine::handleError(QSerialPort::SerialPortError error)
{
    const bool lineGone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::WriteError;
    if (!lineGone || !m_port.isOpen() || m_lostReported)
        return;
    m_lostReported = true;
    emit lost(m_port.errorString());
}
