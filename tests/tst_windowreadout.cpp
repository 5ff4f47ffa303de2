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
    void aBlankFolderTextMakesTheDefaultFolder();
    void aFailedBlockKeepsTheWindowBusyUntilClose();
    void aFolderMadeAtOpenLabelsItsDumps();
    void closingTheWindowDuringAReadoutAsksFirst();
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
    QTest::addColumn<bool>("readOnly");   // made so; otherwise missing
    QTest::addColumn<QString>("prompt");  // how the box begins, %1 the folder
    QTest::newRow("missing folder, not made") << false << "The folder %1 does not exist. Make it for the dump?";
    QTest::newRow("read-only folder") << true << "Cannot save the dump in %1: ";
}

void TestWindowReadout::aFolderThatCannotTakeTheDumpIsRefusedAtOpen()
{
    QFETCH(bool, readOnly);
    QFETCH(QString, prompt);
    QTemporaryDir dir;
    QString folder = dir.filePath("out");
    // Permissions do not stop root; the kernel's own folders do.
    if (readOnly && geteuid() == 0)
        folder = QStringLiteral("/proc");
    else if (readOnly)
        QVERIFY(QDir().mkdir(folder) && QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    VirtualReceiver box;
    QVERIFY(box.start({"--silent"}));
    Window w;
    w.answer = false;  // No to making the folder
    child<QLineEdit>(w.form, "Text2")->setText(folder);
    choosePort(w.form, box.devicePath());
    const QString log = logText(w.form);
    clickOpen(w.form);
    QCOMPARE(w.boxes.size(), 1);
    QVERIFY2(w.boxes[0].prompt.startsWith(prompt.arg(folder)), qPrintable(w.boxes[0].prompt));
    QCOMPARE(QFileInfo::exists(dir.filePath("out")), readOnly && geteuid() != 0);
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(logText(w.form), log);
    QTest::qWait(400);
    QVERIFY(box.received().isEmpty());
}

void TestWindowReadout::aBlankFolderTextMakesTheDefaultFolder()
{
    // The default folder goes into a home of the test's own, made by the first read-out there.
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", realHome); });
    VirtualReceiver box;
    QVERIFY(box.start({"--silent"}));
    Window w;
    child<QLineEdit>(w.form, "Text2")->clear();
    choosePort(w.form, box.devicePath());
    clickOpen(w.form);
    QVERIFY(w.boxes.isEmpty());
    QVERIFY(w.form.isPortOpen());
    QVERIFY(QFileInfo(home.filePath("Tamrix")).isDir());
    clickClose(w.form);
}

void TestWindowReadout::aFailedBlockKeepsTheWindowBusyUntilClose()
{
    VirtualReceiver receiver;
    QVERIFY(receiver.start({"--bad-block", "1"}));
    QTemporaryDir dir;
    Window w;
    child<QLineEdit>(w.form, "Text2")->setText(dir.path());
    choosePort(w.form, receiver.devicePath());
    clickOpen(w.form);
    const QString stopped = "REQUEST Block: 1921      CRC Error while receiving BLOCK: 1921\n"
                            "The read-out has stopped and the dump is incomplete. Click Close to end it.\n";
    QTRY_VERIFY_WITH_TIMEOUT(logText(w.form).endsWith(stopped), 20000);
    QCOMPARE(controlStates(w.form), kBusy);
    QCOMPARE(lampColor(w.form), 65280);
    clickClose(w.form);
    QVERIFY2(logText(w.form).section(stopped, 1).startsWith("Serial port closed.\nDump incomplete: "),
             qPrintable(logText(w.form)));
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);
}

void TestWindowReadout::aFolderMadeAtOpenLabelsItsDumps()
{
    VirtualReceiver receiver;
    QVERIFY(receiver.start());
    QTemporaryDir dir;
    Window w;
    w.form.show();
    // A folder for the box, made when Open asks, whose name labels its dumps.
    const QString folder = dir.filePath("SN1004");
    child<QLineEdit>(w.form, "Text2")->setText(folder);
    choosePort(w.form, receiver.devicePath());
    clickOpen(w.form);
    QTRY_VERIFY_WITH_TIMEOUT(!w.form.isPortOpen(), 20000);
    QCOMPARE(w.boxes.size(), 1);
    QFile record(folder + "/BLdump.bin.txt");
    QVERIFY(record.open(QIODevice::ReadOnly) && record.readAll().contains("\nlabel: SN1004\n"));
    auto *bar = child<QProgressBar>(w.form, "ProgressBar1");
    QCOMPARE(bar->value(), 128);
    // However fast the blocks came, log and bar are painted again once they stop.
    QTRY_VERIFY(child<LogView>(w.form, "Text1")->updatesEnabled() && bar->updatesEnabled());
}

void TestWindowReadout::closingTheWindowDuringAReadoutAsksFirst()
{
    VirtualReceiver receiver;
    QVERIFY(receiver.start({"--stall", "3:100"}));
    QTemporaryDir dir;
    Window w;
    w.form.show();
    child<QLineEdit>(w.form, "Text2")->setText(dir.path());
    choosePort(w.form, receiver.devicePath());
    clickOpen(w.form);
    QTRY_VERIFY_WITH_TIMEOUT(logText(w.form).endsWith("REQUEST Block: 1923      "), 20000);
    QStringList lastLines;
    connect(&w.form, &Form1::closedDuringReadout, [&](const QStringList &lines) { lastLines = lines; });
    w.answer = false;
    w.form.close();
    QCOMPARE(w.boxes.size(), 1);
    QCOMPARE(w.boxes[0].prompt, QStringLiteral("A read-out is running. Stop it and close Tamrix?"));
    QVERIFY(w.form.isVisible() && w.form.isDumpFileOpen());
    // Yes closes port and dump file as Close does, and the lines that adds go to the terminal too.
    w.answer = true;
    w.form.close();
    QVERIFY(!w.form.isVisible());
    QVERIFY(!w.form.isPortOpen() && !w.form.isDumpFileOpen());
    QCOMPARE(lastLines,
             (QStringList{"Serial port closed.",
                          "Dump incomplete: " + dir.path() + "/BLdump.bin.part holds 3 of 128 checked blocks"}));
}

QTEST_MAIN(TestWindowReadout)
#include "tst_windowreadout.moc"
