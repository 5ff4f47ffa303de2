#pragma once
// The ports the port list offers: "COM 1" to "COM 4" first, as always, then every serial port the
// system reports that is not one of those four. A pure function of the system's records, so it
// can be checked with made-up ones; reading the system is one call.

#include "serial/portchoice.h"

#include <QList>
#include <QString>

struct PortRecord  // what the system says of one port
{
    QString name;          // "ttyUSB0", "COM7"
    QString device;        // "/dev/ttyUSB0", "\\.\COM7"
    QString description;   // "FT232R USB UART", or empty
    QString manufacturer;  // "FTDI", or empty
    QString usbId;         // "0403:6001" (vendor:product), or empty
};

struct PortEntry
{
    QString shortName;  // what the box shows once it is chosen: "COM 1", "ttyUSB0"
    QString listText;   // what the drop-down shows: "ttyUSB0 – FT232R USB UART"
    PortChoice port;    // what choosing it opens
    int number = 0;     // 1 to 4 for "COM 1" to "COM 4", 0 for the others
    PortRecord record;  // what the system said of it, where it did
};

QList<PortEntry> portList(const QList<PortRecord> &systemPorts);
QList<PortRecord> systemPorts();

// The port a text in the box means: an entry's name, "COM n" however spelled ("COM1", "com 1")
// or a bare number n, or else a device name as typed.
PortChoice portForText(const QString &text, const QList<PortEntry> &entries = {});

// One line for a listing: device, then what is known of it.
QString describePort(const PortEntry &entry);
