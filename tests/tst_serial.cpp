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
#ifdef Q_OS_WIN
    // As Windows reports them: the built-in port, a USB adapter twice, one beyond COM9.
    const QList<PortRecord> records{
        {"COM12", "\\\\.\\COM12", "", "", ""},
        {"COM1", "\\\\.\\COM1", "Communications Port (COM1)", "(Standard port types)", ""},
        {"COM7", "\\\\.\\COM7", "USB Serial Port (COM7)", "FTDI", "0403:6001"},
        {"COM7", "\\\\.\\COM7", "USB Serial Port (COM7)", "FTDI", "0403:6001"},
    };
    const QStringList texts{"COM 1", "COM 2", "COM 3", "COM 4", "COM7 \u2013 USB Serial Port (COM7)", "COM12"};
    const QStringList shortNames{"COM 1", "COM 2", "COM 3", "COM 4", "COM7", "COM12"};
    // Messages name a COM port as the four of the list: "Serial port COM 7 not present."
    const QStringList labels{"COM 1", "COM 2", "COM 3", "COM 4", "COM 7", "COM 12"};
    const QStringList devices{"COM1", "COM2", "COM3", "COM4", "COM7", "COM12"};
    const QStringList described{"COM1  COM 1, Communications Port (COM1), (Standard port types)",
                                "COM7  USB Serial Port (COM7), FTDI, USB 0403:6001", "COM12"};
#else
    const QList<PortRecord> records{
        {"ttyUSB10", "/dev/ttyUSB10", "", "", ""},
        {"ttyS0", "/dev/ttyS0", "", "", ""},  // built in: already "COM 1"
        {"ttyUSB2", "/dev/ttyUSB2", "FT232R USB UART", "FTDI", "0403:6001"},
        {"ttyACM0", "/dev/ttyACM0", "USB Modem", "", "1546:01a7"},
        {"ttyS3", "/dev/ttyS3", "", "", ""},
        {"ttyUSB2", "/dev/ttyUSB2", "FT232R USB UART", "FTDI", "0403:6001"},  // reported twice
        {"ttyS4", "/dev/ttyS4", "", "", ""},
    };
    const QStringList texts{
        "COM 1", "COM 2", "COM 3", "COM 4", "ttyACM0 \u2013 USB Modem", "ttyS4", "ttyUSB2 \u2013 FT232R USB UART", "ttyUSB10"};
    const QStringList shortNames{"COM 1", "COM 2", "COM 3", "COM 4", "ttyACM0", "ttyS4", "ttyUSB2", "ttyUSB10"};
    const QStringList labels = shortNames;
    const QStringList devices{"/dev/ttyS0",   "/dev/ttyS1", "/dev/ttyS2",   "/dev/ttyS3",
                              "/dev/ttyACM0", "/dev/ttyS4", "/dev/ttyUSB2", "/dev/ttyUSB10"};
    const QStringList described{"/dev/ttyS0  COM 1", "/dev/ttyUSB2  FT232R USB UART, FTDI, USB 0403:6001", "/dev/ttyUSB10"};
#endif
    QStringList gotTexts, gotShortNames, gotLabels, gotDevices, lines;
    for (const PortEntry &e : portList(records)) {
        gotTexts << e.listText;
        gotShortNames << e.shortName;
        gotLabels << e.port.label;
        gotDevices << e.port.device;
        lines << describePort(e);
    }
    QCOMPARE(gotTexts, texts);
    QCOMPARE(gotShortNames, shortNames);
    QCOMPARE(gotLabels, labels);
    QCOMPARE(gotDevices, devices);
    QCOMPARE(lines.first(), described[0]);
    QCOMPARE(lines.mid(lines.size() - 2), described.mid(1));
    // No system ports at all: the four of the list are still there.
    QCOMPARE(portList({}).size(), 4);
}

void TestSerial::typedPortNames()
{
#ifdef Q_OS_WIN
    const PortRecord adapter{"COM7", "\\\\.\\COM7", "USB Serial Port (COM7)", "", ""};
    const QString firstPort = QStringLiteral("COM1");
#else
    const PortRecord adapter{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", "", ""};
    const QString firstPort = QStringLiteral("/dev/ttyS0");
#endif
    const QList<PortEntry> entries = portList({adapter});
    for (const char *com1 : {"COM 1", "COM1", "com 1", " Com1 ", "1"}) {
        QCOMPARE(portForText(com1, entries).label, QStringLiteral("COM 1"));
        QCOMPARE(portForText(com1, entries).device, firstPort);
    }
    QCOMPARE(portForText("com7").label, QStringLiteral("COM 7"));
    QCOMPARE(portForText(adapter.name, entries).device, portForText(entries.last().listText, entries).device);
    QCOMPARE(portForText("COM0").device, QStringLiteral("COM0"));
#ifdef Q_OS_WIN
    QCOMPARE(portForText("COM12").device, QStringLiteral("COM12"));
    QCOMPARE(portForText(" com12 ").label, QStringLiteral("COM 12"));
#else
    QCOMPARE(portForText("ttyUSB0", entries).device, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(portForText(" /dev/ttyUSB9 ", entries).device, QStringLiteral("/dev/ttyUSB9"));
#endif
}

void TestSerial::openFailuresSayWhatToDo()
{
    // Held by another program, or not ours to use: the same error, told apart by access.
    QCOMPARE(classifyOpenError(QSerialPort::PermissionError, true), OpenOutcome::Busy);
    QCOMPARE(classifyOpenError(QSerialPort::PermissionError, false), OpenOutcome::PermissionDenied);
    QCOMPARE(classifyOpenError(QSerialPort::DeviceNotFoundError, false), OpenOutcome::NotPresent);

    const OpenFailureReport busy = describeOpenFailure(OpenOutcome::Busy, portForText("COM 3"));
    QCOMPARE(busy.boxPrompt, QStringLiteral("COM 3 blocked by another application."));
    QCOMPARE(busy.boxTitle, QStringLiteral("Error opening COM 3"));
    const OpenFailureReport missing = describeOpenFailure(OpenOutcome::NotPresent, portForText("COM12"));
#ifdef Q_OS_WIN
    QCOMPARE(missing.boxPrompt, QStringLiteral("Serial port COM 12 not present."));
#else
    // A port named otherwise than its device names the device too.
    QCOMPARE(missing.boxPrompt, QStringLiteral("Serial port COM 12 (/dev/ttyS11) not present."));
    QCOMPARE(describeOpenFailure(OpenOutcome::NotPresent, portForText("ttyUSB9")).boxPrompt,
             QStringLiteral("Serial port ttyUSB9 (/dev/ttyUSB9) not present."));
    QCOMPARE(describeOpenFailure(OpenOutcome::NotPresent, portForText("/dev/ttyUSB9")).boxPrompt,
             QStringLiteral("Serial port /dev/ttyUSB9 not present."));
#endif
    QCOMPARE(missing.boxTitle, QStringLiteral("Error opening COM 12"));
    QCOMPARE(describeOpenFailure(OpenOutcome::Failed, portForText("COM 3")).logLine, QStringLiteral("error opening COM 3"));

#ifndef Q_OS_WIN  // Windows refuses a port only while another program holds it
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
#endif
}

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
