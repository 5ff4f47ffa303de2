#include "serial/portchoice.h"

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
