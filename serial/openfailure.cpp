#include "serial/openfailure.h"

#include <QFileInfo>

QString deviceFile(const QString &device)
{
    // The serial layer takes "ttyUSB0" for "/dev/ttyUSB0".
    return device.startsWith('/') ? device : "/dev/" + device;
}

OpenOutcome classifyOpenError(QSerialPort::SerialPortError error, bool accessible)
{
    switch (error) {
    case QSerialPort::NoError:
        return OpenOutcome::Opened;
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::ResourceError:  // a device node without hardware behind it
        return OpenOutcome::NotPresent;
    case QSerialPort::OpenError:      // already open in this program
        return OpenOutcome::Busy;
    case QSerialPort::PermissionError:
        return accessible ? OpenOutcome::Busy : OpenOutcome::PermissionDenied;
    default:
        return OpenOutcome::Failed;
    }
}

OpenFailureReport describeOpenFailure(OpenOutcome outcome, const PortChoice &port)
{
    const QString &portLabel = port.label;
    const QString title = "Error opening " + portLabel;
    switch (outcome) {
    case OpenOutcome::NotPresent:
        return {{}, "Serial port " + portLabel + " not present.", title};
    case OpenOutcome::Busy:
        return {{}, portLabel + " blocked by another application.", title};
    case OpenOutcome::PermissionDenied: {
        // Joining the device's group helps only where that group may read and write it.
        const QFileInfo file(deviceFile(port.device));
        const bool groupMayUse = file.permission(QFile::ReadGroup | QFile::WriteGroup);
        const QString cure = groupMayUse && !file.group().isEmpty()
            ? " (add your user to the group '" + file.group() + "' and log in again)" : QString();
        return {"error opening " + portLabel + ": permission denied" + cure + "\r\n", {}, {}};
    }
    case OpenOutcome::ClosedAfterOpen:
    case OpenOutcome::Failed:
        // A failed open must never look as if nothing happened.
        return {"error opening " + portLabel + "\r\n", {}, {}};
    case OpenOutcome::Opened:
        break;
    }
    return {};
}
