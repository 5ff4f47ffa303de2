#pragma once
// How a failed open of the port is told to the user.

#include "serial/portchoice.h"

#include <QSerialPort>
#include <QString>

enum class OpenOutcome {
    Opened,
    NotPresent,        // no such device
    NotSerialPort,     // a file, a folder or a device that is no terminal, such as /dev/null
    Busy,              // another program holds it
    PermissionDenied,  // this user may not read and write the device
    ClosedAfterOpen,   // the open reported success but the port reads closed
    Failed,            // any other reason
};

// `accessible`: whether this user may read and write the device at all, which tells a port
// held by another program from a missing permission (both come back as a permission error).
OpenOutcome classifyOpenError(QSerialPort::SerialPortError error, bool accessible);

struct OpenFailureReport
{
    QString logLine;    // a line for the log, without its line end, or empty
    QString boxPrompt;  // shown in a message box, or empty
    QString boxTitle;
};

// The words for a failed open of `port`. A permission problem says what would let the user at
// the device: joining its group, or, where only its owner may use it, giving it to a group.
OpenFailureReport describeOpenFailure(OpenOutcome outcome, const PortChoice &port);
