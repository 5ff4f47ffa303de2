// Fault drills: the line vanishes, the loader talks nonsense, the folder refuses the dump, the
// user clicks Close or closes the window at any moment. Each drill checks what the user sees
// and that port and dump file are left as they should be.

#include "readoutharness.h"

#include <QDir>
#include <QRegularExpression>

#include <unistd.h>

namespace {

// The read-out ended on its own: idle window, red lamp, nothing left open.
void verifyEnded(Readout &r)
{
    QVERIFY(!r.form.isPortOpen());
    QVERIFY(!r.form.isDumpFileOpen());
    QCOMPARE(controlStates(r.form), kIdle);
    QCOMPARE(lampColor(r.form), 255);
}

// Once a read-out is over, nothing more reaches the receiver.
void verifySilentAfterwards(Readout &r)
{
    const QByteArray sent = r.receiver.received();
    QTest::qWait(700);  // more than two keying ticks
    QCOMPARE(r.receiver.received(), sent);
    QVERIFY(!r.form.isKeying());
}

} // namespace

class TestFaultDrills : public QObject
{
    Q_OBJECT

private slots:
    void hangUpEndsTheReadoutWithOneLine_data();
    void hangUpEndsTheReadoutWithOneLine();
    void extraBytesAfterAFrameEndTheReadout();
    void noiseBeforeTheBannerIsHarmless_data();
    void noiseBeforeTheBannerIsHarmless();
    void hostileNameBytesStayInTheFolder_data();
    void hostileNameBytesStayInTheFolder();
    void aFolderThatRefusesTheDumpEndsTheReadout_data();
    void aFolderThatRefusesTheDumpEndsTheReadout();
    void closeDuringEachWaitEndsQuietly_data();
    void closeDuringEachWaitEndsQuietly();
    void closingTheWindowEndsTheReadout();
    void aGoodReadoutAfterAFailedOne();
};

void TestFaultDrills::hangUpEndsTheReadoutWithOneLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("blocksInDump");
    QTest::addColumn<QString>("logBefore");  // what the log shows right before the line
    QTest::newRow("waiting for the banner") << QStringList{"--silent"} << -1 << "on.\n";
    QTest::newRow("waiting for flash end") << QStringList{"--hangup", "banner"} << -1 << "kB\n";
    QTest::newRow("in the handshake") << QStringList{"--hangup", "handshake"} << -1 << "got answer...\n";
    QTest::newRow("in a frame") << QStringList{"--hangup", "frame:3:517"} << 3 << "REQUEST Block: 1923      ";
    QTest::newRow("waiting for the total") << QStringList{"--hangup", "total"} << 128 << "Block: 2047\n";
}

void TestFaultDrills::hangUpEndsTheReadoutWithOneLine()
{
    QFETCH(QStringList, args);
    QFETCH(int, blocksInDump);
    QFETCH(QString, logBefore);

    Readout r;
    QVERIFY(r.start(args));
    if (args.contains("--silent")) {
        QTRY_VERIFY(r.receiver.received().contains('\x1F'));
        r.receiver.stop();  // the cable is pulled while the tool waits for the box
    }
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    verifyEnded(r);
    const QString log = r.log();
    QCOMPARE(log.count("Lost serial port"), 1);
    QVERIFY2(log.contains(QRegularExpression(QRegularExpression::escape(logBefore)
                                             + "Lost serial port " + QRegularExpression::escape(r.receiver.devicePath())
                                             + ": [^\\n]+\\nSerial port closed.\\n$")),
             qPrintable(log));
    if (blocksInDump < 0)
        QVERIFY(!QFile::exists(r.folder.filePath("BLdump.bin")));
    else
        QCOMPARE(r.dump(), r.image().left(blocksInDump * 1024));

    // No error loop: the process idles once the line is gone.
    const double before = cpuSeconds();
    QTest::qWait(1000);
    QVERIFY2(cpuSeconds() - before < 0.2, qPrintable(QString::number(cpuSeconds() - before)));
    QCOMPARE(r.log(), log);
}

void TestFaultDrills::extraBytesAfterAFrameEndTheReadout()
{
    Readout r;
    QVERIFY(r.start({"--extra", "1:5"}));
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    verifyEnded(r);
    const QString log = r.log();
    // The extra bytes come with the frame or just after it, so they spoil block 1921 or 1922.
    QVERIFY2(log.contains(QRegularExpression("REQUEST Block: (1921|1922)      Too many bytes while receiving BLOCK: \\1 "
                                             "\\(\\d+ of 1032 bytes\\)\\nSerial port closed.\\n$")),
             qPrintable(log));
    QVERIFY(!r.receiver.received().contains("REQUEST_TOTALCRC"));
    QCOMPARE(r.dump(), r.image().left(r.progress() * 1024));
}

void TestFaultDrills::noiseBeforeTheBannerIsHarmless_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("version");
    QTest::newRow("binary noise") << QStringList{"--binary-noise", "65536"} << "6.0.2.1\n";
    QTest::newRow("a megabyte of boot output") << QStringList{"--noise", "1048576"} << "6.0.2.1\n";
    QTest::newRow("tokens split byte by byte") << QStringList{"--split"} << "6.0.2.1\n";
    // Without " Version " the version is read from position 9 and not recognised: the
    // window's 128 blocks from 1920 are read.
    QTest::newRow("MICOM without Version") << QStringList{"--no-version", "--banner", "MICOM boot 6.0.2.1\\r\\n"} << "ot 6.0.2\nBL size:  0 kB\n";
}

void TestFaultDrills::noiseBeforeTheBannerIsHarmless()
{
    QFETCH(QStringList, args);
    QFETCH(QString, version);
    Readout r;
    QVERIFY(r.start(args));
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    verifyEnded(r);
    QVERIFY2(r.log().startsWith("sending request... Turn now your receiver on.\nBL version: " + version), qPrintable(r.log()));
    QVERIFY(r.log().endsWith("Transfer succesfull!\nSerial port closed.\n"));
    QCOMPARE(afterKeying(r.receiver.received()), completeWire(1920, 128));
    QCOMPARE(r.dump(), r.image());
}

void TestFaultDrills::hostileNameBytesStayInTheFolder_data()
{
    QTest::addColumn<QString>("blName");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("parent folders") << "../.." << "BL_.._.._conv.bin";
    QTest::newRow("absolute path") << "/etc/" << "BL__etc__conv.bin";
    QTest::newRow("NUL and control bytes") << "\\x00\\x01\\x1f\\x7f|" << "BL_______conv.bin";
}

void TestFaultDrills::hostileNameBytesStayInTheFolder()
{
    QFETCH(QString, blName);
    QFETCH(QString, fileName);
    Readout r;
    QVERIFY(r.start({"--bl-name", blName}, true));
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    const QStringList files = QDir(r.folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(files, (QStringList{fileName, "image.bin"}));
    const QByteArray dump = r.dump(fileName);
    // The header keeps the loader's own bytes: the first seven of the image.
    QCOMPARE(dump.mid(33, 9), "BL_" + r.image().mid(2, 5) + "x");
    QCOMPARE(dump.mid(42), r.image());
}

void TestFaultDrills::aFolderThatRefusesTheDumpEndsTheReadout_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("a file in the folder's place") << "file";
    QTest::newRow("a folder in the dump's place") << "dump is a folder";
}

void TestFaultDrills::aFolderThatRefusesTheDumpEndsTheReadout()
{
    QFETCH(QString, kind);
    Readout r;
    QString folder = r.folder.filePath("out") + '/';
    if (kind == "read-only") {
        // Permissions do not stop root, the kernel's own folders do.
        if (geteuid() == 0) {
            folder = QStringLiteral("/proc/");
        } else {
            QVERIFY(QDir().mkdir(r.folder.filePath("out")));
            QVERIFY(QFile::setPermissions(r.folder.filePath("out"), QFile::ReadOwner | QFile::ExeOwner));
        }
    } else if (kind == "file") {
        QFile file(r.folder.filePath("out"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (kind == "dump is a folder") {
        QVERIFY(QDir().mkpath(r.folder.filePath("out/BLdump.bin")));
    }
    r.setFolder(folder);
    QVERIFY(r.start({}));
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    verifyEnded(r);
    const QString log = r.log();
    QVERIFY2(log.contains(QRegularExpression("\\nREQUEST Block: 1920      Cannot write the dump file "
                                             + QRegularExpression::escape(folder + "BLdump.bin") + ": [^\\n]+\\n"
                                             "Serial port closed.\\n$")),
             qPrintable(log));
    // The first block was not confirmed, and nothing landed anywhere else.
    QVERIFY(afterKeying(r.receiver.received()).endsWith("REQUEST_1024DOWN:1920\r"));
    QStringList files = QDir(r.folder.path()).entryList(QDir::Files);
    files.removeOne(QStringLiteral("out"));
    QCOMPARE(files, QStringList{"image.bin"});
    verifySilentAfterwards(r);
}

void TestFaultDrills::closeDuringEachWaitEndsQuietly_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("waitingAfter");  // the log's end while the tool waits
    QTest::newRow("banner") << QStringList{"--silent"} << "on.\n";
    QTest::newRow("flash end") << QStringList{"--line-gap", "60000"} << "kB\n";
    QTest::newRow("ACK in the wrong case") << QStringList{"--wrong-case"} << "got answer...\n";
    QTest::newRow("frame") << QStringList{"--stall", "2:100"} << "REQUEST Block: 1922      ";
}

void TestFaultDrills::closeDuringEachWaitEndsQuietly()
{
    QFETCH(QStringList, args);
    QFETCH(QString, waitingAfter);
    Readout r;
    QVERIFY(r.start(args));
    QTRY_VERIFY_WITH_TIMEOUT(r.log().endsWith(waitingAfter), kReadoutLimitMs);
    QTest::qWait(400);  // the tool has really settled in this wait
    const QString log = r.log();
    QVERIFY(log.endsWith(waitingAfter));
    clickClose(r.form);
    verifyEnded(r);
    QCOMPARE(r.log(), log + "Serial port closed.\n");
    verifySilentAfterwards(r);
    QCOMPARE(r.log(), log + "Serial port closed.\n");
}

void TestFaultDrills::closingTheWindowEndsTheReadout()
{
    Readout r;
    r.form.show();
    QVERIFY(r.start({"--paced"}));
    QTRY_VERIFY_WITH_TIMEOUT(r.progress() >= 3, kReadoutLimitMs);
    r.form.close();
    QVERIFY(!r.form.isPortOpen());
    QVERIFY(!r.form.isDumpFileOpen());
    const int passed = r.progress();
    QCOMPARE(r.dump().left(passed * 1024), r.image().left(passed * 1024));
    QVERIFY(r.dump().size() <= (passed + 1) * 1024);
    verifySilentAfterwards(r);
}

void TestFaultDrills::aGoodReadoutAfterAFailedOne()
{
    Readout r;
    QVERIFY(r.start({"--bad-block", "4", "--faults-once"}));
    QTRY_VERIFY_WITH_TIMEOUT(r.log().endsWith("CRC Error while receiving BLOCK: 1924"), kReadoutLimitMs);
    clickClose(r.form);
    QCOMPARE(r.dump(), r.image().left(5 * 1024));

    // Open again: the receiver is switched off and on, the dump starts afresh.
    const qsizetype firstSession = r.receiver.received().size();
    QVERIFY(r.open());
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    verifyEnded(r);
    QVERIFY(r.log().startsWith("sending request... Turn now your receiver on.\nBL version: "));
    QVERIFY(!r.log().contains("CRC Error"));
    QVERIFY(r.log().endsWith(shown(blockLog(1920, 128)) + "Transfer succesfull!\nSerial port closed.\n"));
    QCOMPARE(r.progress(), 128);
    QCOMPARE(afterKeying(r.receiver.received().mid(firstSession)), completeWire(1920, 128));
    QCOMPARE(r.dump(), r.image());
}

QTEST_MAIN(TestFaultDrills)
#include "tst_faultdrills.moc"
