// The window around a read-out: opening and closing the port against real pseudo-terminals, the
// busy and idle states, the lamp, the message boxes, and what it shows of a whole read-out.

#include "formprobe.h"
#include "session/outputfolder.h"
#include "support/virtualreceiver.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

struct Box
{
    QString prompt, title;
};

// A window whose message boxes are recorded instead of shown, and its questions answered.
struct Window
{
    Window()
    {
        form.setMessageBoxHandler([this](const QString &p, const QString &t) {
            boxes << Box{p, t};
            return answer;
        });
    }
    Form1 form;
    QList<Box> boxes;
    bool answer = true;
};

}  // namespace

class TestWindowReadout : public QObject
{
    Q_OBJECT

private slots:
    void openingAPtyMakesTheWindowBusyAndCloseMakesItIdle();
    void aMissingPortShowsTheNotPresentBox_data();
    void aMissingPortShowsTheNotPresentBox();
    void aPortHeldByAnotherProgramShowsTheBlockedBox();
    void closeKeepsTheSizeLockWhileTheHeaderIsTicked();
    void aFolderThatCannotTakeTheDumpIsRefusedAtOpen_data();
    void aFolderThatCannotTakeTheDumpIsRefusedAtOpen();
    void theWindowShowsAFailedAndAGoodReadout();
};

void TestWindowReadout::openingAPtyMakesTheWindowBusyAndCloseMakesItIdle()
{
    VirtualReceiver box;  // switched off: it only listens
    QVERIFY(box.start({"--silent"}));
    Window w;
    choosePort(w.form, box.devicePath());
    clickOpen(w.form);

    QVERIFY(w.boxes.isEmpty());
    QVERIFY(w.form.isPortOpen());
    QCOMPARE(controlStates(w.form), kBusy);
    QCOMPARE(lampColor(w.form), 65280);
    auto *bar = child<QProgressBar>(w.form, "ProgressBar1");
    QVERIFY(bar->isEnabled());
    QCOMPARE(bar->maximum(), 128);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(logText(w.form), QStringLiteral("sending request... Turn now your receiver on.\n"));
    QVERIFY(w.form.isKeying());
    // The keying reaches the other end, one byte per tick.
    QTRY_VERIFY(box.received().startsWith(QByteArray(1, 0x1F)));

    clickClose(w.form);
    QVERIFY(!w.form.isPortOpen());
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);
    QCOMPARE(logText(w.form), QStringLiteral("sending request... Turn now your receiver on.\nSerial port closed.\n"));
    QCOMPARE(bar->maximum(), 128);  // the bar keeps its state until the next open
    // The timer stops itself at its next tick and sends nothing more.
    QTRY_VERIFY(!w.form.isKeying());

    // A second close with the port closed changes nothing but the idle state, here by a
    // failed open, which closes once more.
    choosePort(w.form, QStringLiteral("/dev/tamrix-no-such-port"));
    clickOpen(w.form);
    QCOMPARE(logText(w.form), QStringLiteral("sending request... Turn now your receiver on.\nSerial port closed.\n"));
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);
}

void TestWindowReadout::aMissingPortShowsTheNotPresentBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("title");
    QTest::newRow("typed device") << "/dev/tamrix-no-such-port"
                                  << "Serial port /dev/tamrix-no-such-port not present."
                                  << "Error opening /dev/tamrix-no-such-port";
    if (!QFile::exists(QStringLiteral("/dev/ttyS3")))
        QTest::newRow("com4 without a fourth port") << "com4"
                                                    << "Serial port COM 4 (/dev/ttyS3) not present."
                                                    << "Error opening COM 4";
    QTest::newRow("a device that is no terminal") << "/dev/null"
                                                  << "/dev/null is not a serial port."
                                                  << "Error opening /dev/null";
    const QString file = QCoreApplication::applicationFilePath();
    QTest::newRow("a regular file") << file << file + " is not a serial port."
                                    << "Error opening " + file;
    QTest::newRow("an empty port box") << " "
                                       << "Choose the serial port of the receiver in the list, or type its name."
                                       << "No serial port";
}

void TestWindowReadout::aMissingPortShowsTheNotPresentBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, prompt);
    QFETCH(QString, title);
    Window w;
    const QString before = logText(w.form);
    choosePort(w.form, typed);
    clickOpen(w.form);
    QCOMPARE(w.boxes.size(), 1);
    QCOMPARE(w.boxes[0].prompt, prompt);
    QCOMPARE(w.boxes[0].title, title);
    QCOMPARE(logText(w.form), before);
    QCOMPARE(controlStates(w.form), kIdle);
    QVERIFY(!w.form.isKeying());
}

void TestWindowReadout::aPortHeldByAnotherProgramShowsTheBlockedBox()
{
    VirtualReceiver box;
    QVERIFY(box.start({"--silent"}));
    PortHolder holder;
    QVERIFY(holder.hold(box.devicePath()));
    Window w;
    choosePort(w.form, box.devicePath());
    clickOpen(w.form);
    QCOMPARE(w.boxes.size(), 1);
    QCOMPARE(w.boxes[0].prompt, box.devicePath() + " blocked by another application.");
    QCOMPARE(w.boxes[0].title, "Error opening " + box.devicePath());
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);

    // Once the other program lets go, the same port opens.
    holder.release();
    clickOpen(w.form);
    QVERIFY(w.form.isPortOpen());
}

void TestWindowReadout::closeKeepsTheSizeLockWhileTheHeaderIsTicked()
{
    VirtualReceiver box;
    QVERIFY(box.start({"--silent"}));
    Window w;
    child<QCheckBox>(w.form, "chkBL")->click();
    choosePort(w.form, box.devicePath());
    clickOpen(w.form);
    QCOMPARE(controlStates(w.form), kBusy);
    clickClose(w.form);
    QCOMPARE(controlStates(w.form), QString(kIdle).replace("optBL64+ optBL128+", "optBL64- optBL128-"));
    child<QCheckBox>(w.form, "chkBL")->click();
    QCOMPARE(controlStates(w.form), kIdle);
}

void TestWindowReadout::aFolderThatCannotTakeTheDumpIsRefusedAtOpen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder, not made") << "missing";  // the user says No
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("empty text: the default folder") << "empty";
}

void TestWindowReadout::aFolderThatCannotTakeTheDumpIsRefusedAtOpen()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString folder = dir.filePath("out");
    if (kind == "read-only") {
        // Permissions do not stop root; the kernel's own folders do.
        if (geteuid() == 0) {
            folder = QStringLiteral("/proc");
        } else {
            QVERIFY(QDir().mkdir(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        }
    } else if (kind == "empty") {
        folder.clear();
    }
    // The default folder goes into a home of the test's own.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir.path().toLocal8Bit());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });
    VirtualReceiver box;
    QVERIFY(box.start({"--silent"}));
    Window w;
    w.answer = false;
    child<QLineEdit>(w.form, "Text2")->setText(folder);
    choosePort(w.form, box.devicePath());
    const QString log = logText(w.form);
    clickOpen(w.form);
    if (kind == "empty") {
        // The default folder, made by the first read-out that goes there.
        QVERIFY(w.boxes.isEmpty());
        QVERIFY(w.form.isPortOpen());
        QVERIFY(QFileInfo(dir.filePath("Tamrix")).isDir());
        clickClose(w.form);
        return;
    }
    QCOMPARE(w.boxes.size(), 1);
    const QString expected = kind == "missing" ? "The folder " + folder + " does not exist. Make it for the dump?"
                                               : "Cannot save the dump in " + folder + ": ";
    QVERIFY2(w.boxes[0].prompt.startsWith(expected), qPrintable(w.boxes[0].prompt));
    QVERIFY(!QFileInfo::exists(dir.filePath("out")));
    QVERIFY(!w.form.isPortOpen());
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(logText(w.form), log);
    QTest::qWait(400);
    QVERIFY(box.received().isEmpty());
}

void TestWindowReadout::theWindowShowsAFailedAndAGoodReadout()
{
    VirtualReceiver receiver;
    QTemporaryDir dir;
    QVERIFY(receiver.start(
        {"--bad-block", "1", "--faults-once", "--version", "4.1.0.0", "--write-image", dir.filePath("image.bin")}));
    Window w;
    w.form.show();
    // A folder for the box, made when Open asks, whose name labels its dumps.
    const QString folder = dir.filePath("SN1004");
    child<QLineEdit>(w.form, "Text2")->setText(folder);
    choosePort(w.form, receiver.devicePath());
    auto *bar = child<QProgressBar>(w.form, "ProgressBar1");

    // A failed block: the window stays busy, with the lamp green, until Close.
    clickOpen(w.form);
    const QString failed = "REQUEST Block: 1921      CRC Error while receiving BLOCK: 1921\n"
                           "The read-out has stopped and the dump is incomplete. Click Close to end it.\n";
    QTRY_VERIFY_WITH_TIMEOUT(logText(w.form).endsWith(failed), 20000);
    QCOMPARE(controlStates(w.form), kBusy);
    QCOMPARE(lampColor(w.form), 65280);
    QCOMPARE(bar->value(), 1);
    clickClose(w.form);
    QVERIFY(logText(w.form).endsWith(failed
                                     + "Serial port closed.\n"
                                       "Dump incomplete: "
                                     + folder + "/BLdump.bin.part"
                                     + " holds 1 of 128 checked blocks and the failed block 1921\n"));
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);

    // Open again: a whole read-out, and the window idle when it is over.
    clickOpen(w.form);
    QTRY_VERIFY_WITH_TIMEOUT(!w.form.isPortOpen(), 20000);
    const QString log = logText(w.form);
    const QString warning = "the loader was not recognised, so the size comes from the size option: blocks 1920 to 2047.";
    QVERIFY2(log.startsWith("sending request... Turn now your receiver on.\nBL version: 4.1.0.0\n\nBL size:  0 kB\nWarning: "
                            + warning),
             qPrintable(log));
    // The next name: the unfinished dump keeps its own.
    QVERIFY(log.contains("Transfered successfully Block: 2047\nTransfer succesfull!\nSaved " + folder + "/BLdump.1.bin"
                         + " (131072 bytes, SHA-256 "));
    // The warning, 130 lines up, once more at the end.
    QVERIFY(log.endsWith(")\nSerial port closed.\nSaved with warnings: T" + warning.mid(1) + '\n'));
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);
    QCOMPARE(bar->value(), 128);
    QCOMPARE(bar->maximum(), 128);
    // However fast the blocks came, log and bar are painted again once they stop.
    QTRY_VERIFY(child<LogView>(w.form, "Text1")->updatesEnabled() && bar->updatesEnabled());
    QFile dump(folder + "/BLdump.1.bin"), image(dir.filePath("image.bin")), record(folder + "/BLdump.1.bin.txt");
    QVERIFY(dump.open(QIODevice::ReadOnly) && image.open(QIODevice::ReadOnly) && record.open(QIODevice::ReadOnly));
    QCOMPARE(dump.readAll(), image.readAll());
    QVERIFY(record.readAll().contains("\nlabel: SN1004\n"));
    QCOMPARE(w.boxes.size(), 1);  // the folder's

    // Closing the window in the middle of a read-out asks first; Yes closes port and dump file as
    // Close does, and the lines that adds go to the terminal too.
    QVERIFY(receiver.start({"--stall", "3:100"}));
    choosePort(w.form, receiver.devicePath());
    clickOpen(w.form);
    QTRY_VERIFY_WITH_TIMEOUT(logText(w.form).endsWith("REQUEST Block: 1923      "), 20000);
    QVERIFY(w.form.isDumpFileOpen());
    QStringList lastLines;
    connect(&w.form, &Form1::closedDuringReadout, [&](const QStringList &lines) { lastLines = lines; });
    w.answer = false;
    w.form.close();
    QCOMPARE(w.boxes.size(), 2);
    QCOMPARE(w.boxes[1].prompt, QStringLiteral("A read-out is running. Stop it and close Tamrix?"));
    QVERIFY(w.form.isVisible() && w.form.isDumpFileOpen());
    w.answer = true;
    w.form.close();
    QVERIFY(!w.form.isVisible());
    QVERIFY(!w.form.isPortOpen());
    QVERIFY(!w.form.isDumpFileOpen());
    QCOMPARE(QFileInfo(folder + "/BLdump.2.bin.part").size(), 3 * 1024);
    QCOMPARE(
        lastLines,
        (QStringList{"Serial port closed.", "Dump incomplete: " + folder + "/BLdump.2.bin.part holds 3 of 128 checked blocks"}));
    QCOMPARE(w.boxes.size(), 3);
}

QTEST_MAIN(TestWindowReadout)
#include "tst_windowreadout.moc"
