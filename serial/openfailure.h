#pragma once
// How a failed open of the port is told to the user.

#include <QSerialPort>
#include <QString>

enum class OpenOutcome {
    Opened,
    NotPresent,       // no such device
    Busy,             // another program holds it
    ClosedAfterOpen,  // the open reported success but the port reads closed
    Failed,           // any other reason
};

// `accessible`: whether this user may read and write the device at all, which tells a port
// held by another program from a missing permission (both come back as a permission error).
OpenOutcome classifyOpenError(QSerialPort::SerialPortError error, bool accessible);

struct OpenFailureReport
{
    QString logLine;     // appended to the log, or empty
    QString boxPrompt;   // shown in a message box, or empty
    QString boxTitle;
};

OpenFailureReport describeOpenFailure(OpenOutcome outcome, const QString &portLabel);
