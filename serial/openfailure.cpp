#include "serial/openfailure.h"

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
        return accessible ? OpenOutcome::Busy : OpenOutcome::Failed;
    default:
        return OpenOutcome::Failed;
    }
}

OpenFailureReport describeOpenFailure(OpenOutcome outcome, const QString &portLabel)
{
    const QString title = "Error opening " + portLabel;
    switch (outcome) {
    case OpenOutcome::NotPresent:
        return {{}, "Serial port " + portLabel + " not present.", title};
    case OpenOutcome::Busy:
        return {{}, portLabel + " blocked by another application.", title};
    case OpenOutcome::ClosedAfterOpen:
    case OpenOutcome::Failed:
        // A failed open must never look as if nothing happened.
        return {"error opening " + portLabel + "\r\n", {}, {}};
    case OpenOutcome::Opened:
        break;
    }
    return {};
}
