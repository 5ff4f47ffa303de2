#pragma once
// Which device a choice in the port list means, and how messages name it.

#include <QString>

struct PortChoice
{
    QString device;  // what the serial layer opens
    QString label;   // how messages name the port: "COM 3", or the text the user typed
};

// Port n of the list: COM n on Windows, the n-th serial device (/dev/ttyS(n-1)) elsewhere.
PortChoice portForNumber(int number);

// A device typed into the port box that matches no entry, opened as it stands.
PortChoice portForTypedName(const QString &text);

// The file behind a device name (Unix).
QString deviceFile(const QString &device);

// The port as messages name it, with the device it stands for where that is another name:
// "COM 7 (/dev/ttyS6)". On Windows a COM port is its own device: "COM 7".
QString labelWithDevice(const PortChoice &port);

// A pseudo-terminal, such as a virtual receiver opens: gone after a reboot, or by then another
// program's, so no port to offer at the next start.
bool isPseudoTerminal(const QString &device);
