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
