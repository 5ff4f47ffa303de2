#include "serial/portlist.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>

namespace {

constexpr int kListedComPorts = 4;

bool isListedComPort(const PortRecord &record)
{
    for (int number = 1; number <= kListedComPorts; ++number) {
        const QString device = portForNumber(number).device;
        if (record.device == device || record.name == device)
            return true;
    }
    return false;
}

// ttyUSB2 before ttyUSB10: by the name's letters, then by its number.
bool inListOrder(const QString &a, const QString &b)
{
    static const QRegularExpression trailingNumber(QStringLiteral("^(.*?)(\\d*)$"));
    const QRegularExpressionMatch ma = trailingNumber.match(a), mb = trailingNumber.match(b);
    return std::make_tuple(ma.captured(1), ma.captured(2).toULongLong(), a)
        < std::make_tuple(mb.captured(1), mb.captured(2).toULongLong(), b);
}

// How a port the system reports is opened, and how messages name it. Windows calls its ports
// COMn, which the messages name as they name the list's first four: "COM 7".
PortChoice portOfRecord(const PortRecord &record)
{
#ifdef Q_OS_WIN
    static const QRegularExpression comName(QStringLiteral("^COM(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = comName.match(record.name); match.hasMatch())
        return portForNumber(match.captured(1).toInt());
#endif
    return {record.device, record.name};
}

}  // namespace

QList<PortEntry> portList(const QList<PortRecord> &systemPorts)
{
    QList<PortEntry> entries;
    for (int number = 1; number <= kListedComPorts; ++number) {
        const PortChoice port = portForNumber(number);
        const auto known = std::find_if(systemPorts.cbegin(), systemPorts.cend(),
                                        [&](const PortRecord &r) { return r.device == port.device || r.name == port.device; });
        entries.append({port.label, port.label, port, number, known != systemPorts.cend() ? *known : PortRecord{}});
    }

    QList<PortRecord> others;
    for (const PortRecord &record : systemPorts) {
        const bool seen = std::any_of(others.cbegin(), others.cend(),
                                      [&](const PortRecord &r) { return r.device == record.device; });
        if (!seen && !record.name.isEmpty() && !isListedComPort(record))
            others.append(record);
    }
    std::sort(others.begin(), others.end(), [](const PortRecord &a, const PortRecord &b) { return inListOrder(a.name, b.name); });
    for (const PortRecord &record : others) {
        const QString text = record.description.isEmpty() ? record.name
                                                          : record.name + QStringLiteral(" \u2013 ") + record.description;
        entries.append({record.name, text, portOfRecord(record), 0, record});
    }
    return entries;
}

QList<PortRecord> systemPorts()
{
    QList<PortRecord> records;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString usbId = info.hasVendorIdentifier() && info.hasProductIdentifier()
            ? QStringLiteral("%1:%2")
                  .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                  .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'))
            : QString();
        records.append({info.portName(), info.systemLocation(), info.description(), info.manufacturer(), usbId});
    }
    return records;
}

PortChoice portForText(const QString &text, const QList<PortEntry> &entries)
{
    const QString typed = text.trimmed();
    for (const PortEntry &entry : entries) {
        if (typed == entry.shortName || typed == entry.listText)
            return entry.port;
    }
    static const QRegularExpression comNumber(QStringLiteral("^(?:com\\s*)?(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comNumber.match(typed);
    if (match.hasMatch() && match.captured(1).toInt() > 0)
        return portForNumber(match.captured(1).toInt());
    return portForTypedName(typed);
}

QString describePort(const PortEntry &entry)
{
    QStringList known;
    if (entry.number > 0)
        known << entry.shortName;
    for (const QString &detail : {entry.record.description, entry.record.manufacturer})
        if (!detail.isEmpty())
            known << detail;
    if (!entry.record.usbId.isEmpty())
        known << "USB " + entry.record.usbId;
    return known.isEmpty() ? entry.port.device : entry.port.device + "  " + known.join(QStringLiteral(", "));
}
