// The serial side's pure rules: which ports the list offers, what a typed port name means, and
// the words for a failed open.

#include "serial/openfailure.h"
#include "serial/portlist.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <QTest>

class TestSerial : public QObject
{
    Q_OBJECT

private slots:
    void portListFromTheSystemsRecords();
    void typedPortNames();
    void openFailuresSayWhatToDo();
};

void TestSerial::portListFromTheSystemsRecords()
{
    const QList<PortRecord> records{
        {"ttyUSB10", "/dev/ttyUSB10", "", "", ""},
        {"ttyS0", "/dev/ttyS0", "", "", ""},  // built in: already "COM 1"
        {"ttyUSB2", "/dev/ttyUSB2", "FT232R USB UART", "FTDI", "0403:6001"},
        {"ttyACM0", "/dev/ttyACM0", "USB Modem", "", "1546:01a7"},
        {"ttyS3", "/dev/ttyS3", "", "", ""},
        {"ttyUSB2", "/dev/ttyUSB2", "FT232R USB UART", "FTDI", "0403:6001"},  // reported twice
        {"ttyS4", "/dev/ttyS4", "", "", ""},
    };
    const QList<PortEntry> entries = portList(records);
    QStringList texts, shortNames, devices, lines;
    for (const PortEntry &e : entries) {
        texts << e.listText;
        shortNames << e.shortName;
        devices << e.port.device;
        lines << describePort(e);
    }
    QCOMPARE(texts,
             (QStringList{"COM 1", "COM 2", "COM 3", "COM 4", "ttyACM0 \u2013 USB Modem", "ttyS4",
                          "ttyUSB2 \u2013 FT232R USB UART", "ttyUSB10"}));
    QCOMPARE(shortNames, (QStringList{"COM 1", "COM 2", "COM 3", "COM 4", "ttyACM0", "ttyS4", "ttyUSB2", "ttyUSB10"}));
    QCOMPARE(devices,
             (QStringList{"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3", "/dev/ttyACM0", "/dev/ttyS4", "/dev/ttyUSB2",
                          "/dev/ttyUSB10"}));
    QCOMPARE(lines[0], QStringLiteral("/dev/ttyS0  COM 1"));
    QCOMPARE(lines[6], QStringLiteral("/dev/ttyUSB2  FT232R USB UART, FTDI, USB 0403:6001"));
    QCOMPARE(lines[7], QStringLiteral("/dev/ttyUSB10"));
    // No system ports at all: the four of the list are still there.
    QCOMPARE(portList({}).size(), 4);
}

void TestSerial::typedPortNames()
{
    const QList<PortEntry> entries = portList({{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", "", ""}});
    for (const char *com1 : {"COM 1", "COM1", "com 1", " Com1 ", "1"}) {
        QCOMPARE(portForText(com1, entries).label, QStringLiteral("COM 1"));
        QCOMPARE(portForText(com1, entries).device, QStringLiteral("/dev/ttyS0"));
    }
    QCOMPARE(portForText("com7").label, QStringLiteral("COM 7"));
    QCOMPARE(portForText("ttyUSB0", entries).device, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(portForText("ttyUSB0 \u2013 FT232R USB UART", entries).device, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(portForText(" /dev/ttyUSB9 ", entries).device, QStringLiteral("/dev/ttyUSB9"));
    QCOMPARE(portForText("COM0").device, QStringLiteral("COM0"));
}

void TestSerial::openFailuresSayWhatToDo()
{
    // Held by another program, or not ours to use: the same error, told apart by access.
    QCOMPARE(classifyOpenError(QSerialPort::PermissionError, true), OpenOutcome::Busy);
    QCOMPARE(classifyOpenError(QSerialPort::PermissionError, false), OpenOutcome::PermissionDenied);
    QCOMPARE(classifyOpenError(QSerialPort::DeviceNotFoundError, false), OpenOutcome::NotPresent);

    // The cure names the device's own group, where that group may use it.
    QTemporaryFile device;
    QVERIFY(device.open());
    const PortChoice port{device.fileName(), "ttyUSB0"};
    QVERIFY(device.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup));
    const OpenFailureReport denied = describeOpenFailure(OpenOutcome::PermissionDenied, port);
    QCOMPARE(denied.logLine,
             "error opening ttyUSB0: permission denied (add your user to the group '" + QFileInfo(device.fileName()).group()
                 + "' and log in again)");
    QVERIFY(denied.boxPrompt.isEmpty());
    // Only its owner may use it (as root's 0600 ttyS0): joining a group would not help.
    QVERIFY(device.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(describeOpenFailure(OpenOutcome::PermissionDenied, port).logLine,
             "error opening ttyUSB0: permission denied (only its owner, " + QFileInfo(device.fileName()).owner() + ", may use "
                 + device.fileName() + "; a serial device is usually given to a group with a udev rule such as KERNEL==\""
                 + QFileInfo(device.fileName()).fileName() + "\", GROUP=\"dialout\", MODE=\"0660\")");
    // The group may read but not write it: neither cure fits.
    QVERIFY(device.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QCOMPARE(describeOpenFailure(OpenOutcome::PermissionDenied, port).logLine,
             QStringLiteral("error opening ttyUSB0: permission denied"));
    const OpenFailureReport busy = describeOpenFailure(OpenOutcome::Busy, {"/dev/ttyS2", "COM 3"});
    QCOMPARE(busy.boxPrompt, QStringLiteral("COM 3 blocked by another application."));
    QCOMPARE(busy.boxTitle, QStringLiteral("Error opening COM 3"));
    QCOMPARE(describeOpenFailure(OpenOutcome::Failed, {"/dev/ttyS2", "COM 3"}).logLine, QStringLiteral("error opening COM 3"));
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
