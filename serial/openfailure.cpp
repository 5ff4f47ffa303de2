#include "serial/openfailure.h"

#include <QFileInfo>

OpenOutcome classifyOpenError(QSerialPort::SerialPortError error, bool accessible)
{
    switch (error) {
    case QSerialPort::NoError:
        return OpenOutcome::Opened;
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::ResourceError:  // a device node without hardware behind it
        return OpenOutcome::NotPresent;
    case QSerialPort::OpenError:  // already open in this program
        return OpenOutcome::Busy;
    case QSerialPort::PermissionError:
        return accessible ? OpenOutcome::Busy : OpenOutcome::PermissionDenied;
    default:
        return OpenOutcome::Failed;
    }
}

namespace {

// What lets this user at the device, where its mode tells: joining its group, or, where only
// its owner may use it, a rule that gives it to a group in the first place. Windows has no such
// modes: it refuses a port only while another program holds it.
QString permissionCure(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return {};
#else
    const QFileInfo file(path);
    if (file.permission(QFile::ReadGroup | QFile::WriteGroup) && !file.group().isEmpty())
        return " (add your user to the group '" + file.group() + "' and log in again)";
    const QFile::Permissions othersMayUse = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    if (!file.exists() || (file.permissions() & othersMayUse))
        return {};
    QString cure = " (only its owner" + (file.owner().isEmpty() ? QString() : ", " + file.owner() + ",") + " may use " + path;
#ifdef Q_OS_LINUX
    cure += "; a serial device is usually given to a group with a udev rule such as KERNEL==\"" + file.fileName()
        + "\", GROUP=\"dialout\", MODE=\"0660\"";
#endif
    return cure + ')';
#endif
}

}  // namespace

OpenFailureReport describeOpenFailure(OpenOutcome outcome, const PortChoice &port)
{
    const QString &portLabel = port.label;
    const QString title = "Error opening " + portLabel;
    switch (outcome) {
    case OpenOutcome::NotPresent:
        return {{}, "Serial port " + labelWithDevice(port) + " not present.", title};
    case OpenOutcome::NotSerialPort:
        return {{}, portLabel + " is not a serial port.", title};
    case OpenOutcome::Busy:
        return {{}, portLabel + " blocked by another application.", title};
    case OpenOutcome::PermissionDenied:
        return {"error opening " + portLabel + ": permission denied" + permissionCure(deviceFile(port.device)), {}, {}};
    case OpenOutcome::ClosedAfterOpen:
    case OpenOutcome::Failed:
        // A failed open must never look as if nothing happened.
        return {"error opening " + portLabel, {}, {}};
    case OpenOutcome::Opened:
        break;
    }
    return {};
}
