// Opening and closing the port from the window, against real pseudo-terminals.

#include "formprobe.h"
#include "ptypair.h"
#include "support/virtualreceiver.h"

#include <QSignalSpy>
#include <QTest>

namespace {

struct Box { QString prompt, title; };

// A window whose message boxes are recorded instead of shown.
struct Window
{
    Window() { form.setMessageBoxHandler([this](const QString &p, const QString &t) { boxes << Box{p, t}; }); }
    Form1 form;
    QList<Box> boxes;
};

} // namespace

class TestOpenPort : public QObject
{
    Q_OBJECT

private slots:
    void openingAPtyMakesTheWindowBusyAndCloseMakesItIdle();
    void aMissingPortShowsTheNotPresentBox_data();
    void aMissingPortShowsTheNotPresentBox();
    void aPortHeldByAnotherProgramShowsTheBlockedBox();
    void closeKeepsTheSizeLockWhileTheHeaderIsTicked();
};

void TestOpenPort::openingAPtyMakesTheWindowBusyAndCloseMakesItIdle()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    Window w;
    choosePort(w.form, pty.path());
    clickOpen(w.form);

    QVERIFY(w.boxes.isEmpty());
    QVERIFY(w.form.isPortOpen());
    QCOMPARE(controlStates(w.form), kBusy);
    QCOMPARE(lampColor(w.form), 65280);
    auto *bar = child<QProgressBar>(w.form, "ProgressBar1");
    QVERIFY(bar->isEnabled());
    QCOMPARE(bar->maximum(), 128);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(logText(w.form), shown("sending request... Turn now your receiver on.\r\n"));
    QVERIFY(w.form.isKeying());
    // The keying reaches the other end, one byte per tick.
    QByteArray keyed;
    QTRY_VERIFY((keyed += pty.readAvailable()).startsWith(QByteArray(1, 0x1F)));

    clickClose(w.form);
    QVERIFY(!w.form.isPortOpen());
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);
    QCOMPARE(logText(w.form), shown("sending request... Turn now your receiver on.\r\nSerial port closed.\r\n"));
    QCOMPARE(bar->maximum(), 128);  // the bar keeps its state until the next open
    // The timer stops itself at its next tick and sends nothing more.
    QTRY_VERIFY(!w.form.isKeying());

    // A second close with the port closed changes nothing but the idle state, here by a
    // failed open, which closes once more.
    choosePort(w.form, QStringLiteral("/dev/tamrix-no-such-port"));
    clickOpen(w.form);
    QCOMPARE(logText(w.form), shown("sending request... Turn now your receiver on.\r\nSerial port closed.\r\n"));
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);
}

void TestOpenPort::aMissingPortShowsTheNotPresentBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");
    QTest::newRow("typed device") << "/dev/tamrix-no-such-port" << "/dev/tamrix-no-such-port";
    if (!QFile::exists(QStringLiteral("/dev/ttyS3")))
        QTest::newRow("COM 4 without a fourth port") << "COM 4" << "COM 4";
}

void TestOpenPort::aMissingPortShowsTheNotPresentBox()
{
    QFETCH(QString, typed);
    QFETCH(QString, label);
    Window w;
    const QString before = logText(w.form);
    choosePort(w.form, typed);
    clickOpen(w.form);
    QCOMPARE(w.boxes.size(), 1);
    QCOMPARE(w.boxes[0].prompt, "Serial port " + label + " not present.");
    QCOMPARE(w.boxes[0].title, "Error opening " + label);
    QCOMPARE(logText(w.form), before);
    QCOMPARE(controlStates(w.form), kIdle);
    QVERIFY(!w.form.isKeying());
}

void TestOpenPort::aPortHeldByAnotherProgramShowsTheBlockedBox()
{
    PtyPair pty;
    PortHolder holder;
    QVERIFY(holder.hold(pty.path()));
    Window w;
    choosePort(w.form, pty.path());
    clickOpen(w.form);
    QCOMPARE(w.boxes.size(), 1);
    QCOMPARE(w.boxes[0].prompt, pty.path() + " blocked by another application.");
    QCOMPARE(w.boxes[0].title, "Error opening " + pty.path());
    QCOMPARE(controlStates(w.form), kIdle);
    QCOMPARE(lampColor(w.form), 255);

    // Once the other program lets go, the same port opens.
    holder.release();
    clickOpen(w.form);
    QVERIFY(w.form.isPortOpen());
}

void TestOpenPort::closeKeepsTheSizeLockWhileTheHeaderIsTicked()
{
    PtyPair pty;
    Window w;
    child<QCheckBox>(w.form, "chkBL")->click();
    choosePort(w.form, pty.path());
    clickOpen(w.form);
    QCOMPARE(controlStates(w.form), kBusy);
    clickClose(w.form);
    QCOMPARE(controlStates(w.form), QString(kIdle).replace("optBL64+ optBL128+", "optBL64- optBL128-"));
    child<QCheckBox>(w.form, "chkBL")->click();
    QCOMPARE(controlStates(w.form), kIdle);
}

QTEST_MAIN(TestOpenPort)
#include "tst_openport.moc"
