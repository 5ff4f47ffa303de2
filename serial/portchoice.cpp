#include "serial/portchoice.h"

#include <QFileInfo>

PortChoice portForNumber(int number)
{
#ifdef Q_OS_WIN
    const QString device = QStringLiteral("COM%1").arg(number);
#else
    const QString device = QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
    return {device, QStringLiteral("COM %1").arg(number)};
}

PortChoice portForTypedName(const QString &text)
{
    const QString name = text.trimmed();
    return {name, name};
}

QString deviceFile(const QString &device)
{
    // The serial layer takes "ttyUSB0" for "/dev/ttyUSB0".
    return device.startsWith('/') ? device : "/dev/" + device;
}

QString labelWithDevice(const PortChoice &port)
{
#ifdef Q_OS_WIN
    return port.label;
#else
    const QString file = deviceFile(port.device);
    return file == port.label ? port.label : port.label + " (" + file + ')';
#endif
}

bool isPseudoTerminal(const QString &device)
{
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return false;  // Windows has none; its COM ports are the ports
#else
    const QString real = QFileInfo(device).canonicalFilePath();
    return (real.isEmpty() ? device : real).startsWith(QStringLiteral("/dev/pts/"));
#endif
}
