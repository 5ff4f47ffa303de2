// Whole read-outs and fault drills: a real session, the serial layer and the virtual receiver on
// a pty. Each drill checks how the read-out ended, what the log says, and what is left on disk.

#include "faileddrill.h"

#include <QElapsedTimer>
#include <QProcess>

using Reason = EndReason;

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void completeReadoutsInEveryLayout_data();
    void completeReadoutsInEveryLayout();
    void failedReadoutsLeaveAnIncompleteDump_data();
    void failedReadoutsLeaveAnIncompleteDump();
    void aFailedBlockKeepsPortAndDumpOpenUntilStop();
    void earlierDumpsAreComparedAndKeptAsTheyWere();
    void readoutsNeverTakeEachOthersDump();
};

void TestSession::completeReadoutsInEveryLayout_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("header");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("fileHeader");
    QTest::addColumn<QString>("identified");  // the log between "BL version: " and "got answer..."

    const QByteArray t128 = "KAON0008B9FFFFFFFFFFFF0000000000t";
    const QString v6021 = "6.0.2.1\r\r\nBL size:  128 kB\r\n";
    QTest::newRow("plain 128 kB") << QStringList{"--version", "6.0.2.1"} << false << 128 << "BLdump.bin" << QByteArray() << v6021;
    QTest::newRow("plain 64 kB, folder without trailing separator")
        << QStringList{"--version", "2.0.4 "} << false << 64 << "BLdump.bin" << QByteArray() << "2.0.4\r\nBL size:  64 kB\r\n";
    QTest::newRow("named from the first block")
        << QStringList{"--bl-name", "61234"} << true << 128 << "BL_61234_conv.bin" << t128 + "BL_61234x" << v6021;
    QTest::newRow("named 64 kB") << QStringList{"--version", "2.0.4 ", "--reqdata"} << true << 64 << "BL_204_conv.bin"
                                 << QByteArray("KAON0008B9FFFFFFFFFFFF0000000000LBL_204x") << "2.0.4\r\nBL size:  64 kB\r\n";
    // Name bytes that a file name cannot hold stay inside the folder; the header keeps them.
    QTest::newRow("name with parent folders") << QStringList{"--bl-name", "../\\x00/"} << true << 128 << "BL_..____conv.bin"
                                              << t128 + QByteArray("BL_../\0/x", 9) << v6021;
    // What comes before the banner does not disturb the read-out.
    QTest::newRow("binary noise") << QStringList{"--binary-noise", "65536"} << false << 128 << "BLdump.bin" << QByteArray()
                                  << v6021;
    QTest::newRow("unrecognised loader") << QStringList{"--version", "4.1.0.0", "--size", "128"} << false << 128 << "BLdump.bin"
                                         << QByteArray()
                                         << "4.1.0.0\r\r\nBL size:  0 kB\r\nWarning: the loader was not recognised, so the size "
                                            "comes from the size option: blocks 1920 to 2047.\r\n";
    QTest::newRow("a megabyte of boot output")
        << QStringList{"--noise", "1048576"} << false << 128 << "BLdump.bin" << QByteArray() << v6021;
}

void TestSession::completeReadoutsInEveryLayout()
{
    QFETCH(QStringList, args);
    QFETCH(bool, header);
    QFETCH(int, blocks);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, fileHeader);
    QFETCH(QString, identified);

    SessionRun r;
    if (QString(QTest::currentDataTag()).contains("without trailing separator"))
        r.outputFolder.chop(1);
    // An older dump of the same name is kept under a numbered name, an unfinished one from
    // before is gone.
    QFile(r.path(fileName)).open(QIODevice::WriteOnly);
    const QString kept = fileName.chopped(4) + ".1.bin";
    QFile stale(r.path(fileName + ".part"));
    QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(QByteArray(300000, 's')) > 0);
    stale.close();

    QVERIFY(r.start(args, header));
    QVERIFY2(r.waitForEnd(), qPrintable(r.log + r.receiver.stderrText()));
    QCOMPARE(r.end->reason, Reason::Complete);

    const QByteArray dump = r.dump(fileName);
    QCOMPARE(dump, fileHeader + r.image());
    QCOMPARE(r.image().size(), blocks * 1024);
    QCOMPARE(r.dump(kept), QByteArray());
    // The earlier dump had no checksum file and gets none made up.
    QCOMPARE(r.files(), (QStringList{kept, fileName, fileName + ".sha256", fileName + ".txt", "image.bin"}));
    const int start = 2048 - blocks;
    QCOMPARE(afterKeying(r.receiver.received()), completeWire(start, blocks));
    const QString saved = savedLine(r.path(fileName), dump) + "Kept the earlier, different dump as " + shownPath(r.path(kept))
        + "\r\n";
    QCOMPARE(r.log,
             "sending request... Turn now your receiver on.\r\nBL version: " + identified + "got answer...\r\n"
                 + QStringLiteral("DATA Request Startblock: %1\r\nDATA Request Number of Blocks: %2\r\n")
                       .arg(start)
                       .arg(blocks, 4, 10, QLatin1Char('0'))
                 + blockLog(start, blocks) + "Transfer succesfull!\r\n" + saved + "Serial port closed.\r\n");
    QCOMPARE(r.session.outputFileName(), header ? fileName : QString());
    QCOMPARE(r.progress, blocks);

    // The record beside it: how it was read and what the file holds.
    const QMap<QString, QString> record = recordOf(r.path(fileName + ".txt"));
    QCOMPARE(record.value("port"), r.receiver.devicePath());
    QVERIFY(QDateTime::fromString(record.value("time"), Qt::ISODate).secsTo(QDateTime::currentDateTime()) < 60);
    QVERIFY(!record.value("tamrix version").isEmpty());
    const QByteArray banner = fromRecord(record.value("banner"));
    QVERIFY2(banner.endsWith("\r\nMICOM"), banner.right(40).constData());
    QCOMPARE(banner.size() == 4096, args.contains("--noise") || args.contains("--binary-noise"));
    QCOMPARE(record.value("loader version"), identified.section("\r\n", 0, 0).replace("\r", "\\r"));
    QCOMPARE(record.value("loader size"), identified.section("BL size:  ", 1).section("\r\n", 0, 0));
    QCOMPARE(record.value("first block"), QString::number(start));
    QCOMPARE(record.value("blocks checked") + record.value("block count"), QString::number(blocks) + QString::number(blocks));
    QCOMPARE(record.value("total sum") + ", " + record.value("result"), QStringLiteral("matched, complete"));
    QCOMPARE(record.value("size"), QString::number(dump.size()));
    QCOMPARE(record.value("sha256"), QCryptographicHash::hash(dump, QCryptographicHash::Sha256).toHex());
    QCOMPARE(record.value("kept earlier dump"), kept);
    QVERIFY(!r.session.isPortOpen());
    QVERIFY(!r.session.isDumpFileOpen());
}

void TestSession::failedReadoutsLeaveAnIncompleteDump_data()
{
    addFailureColumns();
    QTest::newRow("line lost waiting for the banner") << QStringList{"--silent"} << "" << int(Reason::LineLost) << -1;
    QTest::newRow("line lost in the handshake") << QStringList{"--hangup", "handshake"} << "" << int(Reason::LineLost) << -1;
    QTest::newRow("line lost in a frame") << QStringList{"--hangup", "frame:3:517"} << "" << int(Reason::LineLost) << 3;
    QTest::newRow("line lost waiting for the total") << QStringList{"--hangup", "total"} << "" << int(Reason::LineLost) << 128;
    QTest::newRow("wrong total") << QStringList{"--bad-total"} << "" << int(Reason::TotalSumWrong) << 128;
    // The extra bytes come with the frame or just after it, so they spoil block 1921 or 1922.
    QTest::newRow("extra bytes after a frame") << QStringList{"--extra", "1:5"} << "" << int(Reason::TooManyBytes) << -2;
    QTest::newRow("a folder in the dump's place") << QStringList{} << "" << int(Reason::DumpFileError) << -1;
    // The fourth block fills the disk: it is not in the file, and not counted.
    QTest::newRow("a full disk") << QStringList{} << "" << int(Reason::DumpFileError) << 3;
    QTest::newRow("stop waiting for the banner") << QStringList{"--silent"} << "on.\r\n" << int(Reason::Stopped) << -1;
    QTest::newRow("stop waiting for flash end") << QStringList{"--line-gap", "60000"} << "kB\r\n" << int(Reason::Stopped) << -1;
    QTest::newRow("stop at ACK in the wrong case") << QStringList{"--wrong-case"} << "got answer...\r\n"
                                                   << int(Reason::Stopped) << -1;
    QTest::newRow("stop in a frame") << QStringList{"--stall", "2:100"} << "REQUEST Block: 1922      " << int(Reason::Stopped)
                                     << 2;
}

void TestSession::failedReadoutsLeaveAnIncompleteDump()
{
    checkFailedReadout();
}

void TestSession::aFailedBlockKeepsPortAndDumpOpenUntilStop()
{
    SessionRun r;
    QVERIFY(r.start({"--bad-block", "1", "--faults-once"}));
    QVERIFY(r.waitForEnd());
    QCOMPARE(r.end->reason, Reason::BlockSumWrong);
    QVERIFY(r.log.endsWith("REQUEST Block: 1921      CRC Error while receiving BLOCK: 1921\r\n"));
    QVERIFY(r.session.isPortOpen());
    QVERIFY(r.session.isDumpFileOpen());
    QCOMPARE(r.progress, 1);
    QVERIFY(afterKeying(r.receiver.received()).endsWith("1024DOWN_SUCCESS:1920\rREQUEST_1024DOWN:1921\r"));
    // The failed block's data is in the unfinished dump too.
    QCOMPARE(r.dump("BLdump.bin.part"), r.image().left(2048));
    QVERIFY(!QFile::exists(r.path()));

    r.session.stop();
    QVERIFY(r.log.endsWith("CRC Error while receiving BLOCK: 1921\r\nSerial port closed.\r\n"
                           + incompleteLine(r.path("BLdump.bin.part"), "1 of 128 checked blocks and the failed block 1921")));
    QVERIFY(!r.session.isDumpFileOpen());
    // Its record says how it ended and what it holds.
    const QMap<QString, QString> record = recordOf(r.path("BLdump.bin.part.txt"));
    QCOMPARE(record.value("blocks checked") + ", " + record.value("failed block") + ", " + record.value("size"),
             QStringLiteral("1, 1921, 2048"));
    QCOMPARE(record.value("result"), QStringLiteral("CRC Error while receiving BLOCK: 1921"));

    // Open again: the receiver is switched off and on, and the dump starts afresh.
    const qsizetype firstSession = r.receiver.received().size();
    QVERIFY(r.open());
    QVERIFY(r.waitForEnd());
    QCOMPARE(r.end->reason, Reason::Complete);
    QVERIFY(r.log.startsWith("sending request... Turn now your receiver on.\r\nBL version: "));
    QVERIFY(!r.log.contains("CRC Error"));
    QCOMPARE(afterKeying(r.receiver.received().mid(firstSession)), completeWindowWire());
    QCOMPARE(r.dump(), r.image());
    const QStringList files{"BLdump.bin", "BLdump.bin.sha256", "BLdump.bin.txt", "image.bin"};
    QCOMPARE(r.files(), files);

    // A second read-out of the same box proves the first.
    QVERIFY(r.open());
    QVERIFY(r.waitForEnd());
    QVERIFY(r.log.endsWith(savedLine(r.path(), r.image()) + "Identical to the earlier dump " + shownPath(r.path())
                           + "\r\nSerial port closed.\r\n"));
    QCOMPARE(r.files(), files);
}

void TestSession::earlierDumpsAreComparedAndKeptAsTheyWere()
{
    // Box D, box E, box D again, into one folder. Before the third read-out the file under the name
    // (E's) is changed on the disk.
    SessionRun r;
    const QStringList named{"--version", "6.0.2.1"};
    const QString name = "BL_6021_conv.bin";
    QVERIFY(r.start(named, true) && r.waitForEnd());
    const QByteArray boxD = r.dump(name);
    QByteArray imageE = r.image();
    imageE[5000] = char(imageE[5000] ^ 0x5A);
    QFile e(r.path("e.bin"));
    QVERIFY(e.open(QIODevice::WriteOnly) && e.write(imageE) == imageE.size());
    e.close();
    r.receiver.stop();
    QVERIFY(r.receiver.start(named + QStringList{"--image", e.fileName()}) && r.open(true) && r.waitForEnd());
    QVERIFY(r.log.endsWith("Kept the earlier, different dump as " + shownPath(r.path("BL_6021_conv.1.bin"))
                           + "\r\nSerial port closed.\r\n"));
    QFile changed(r.path(name));
    QVERIFY(changed.open(QIODevice::ReadWrite) && changed.seek(100) && changed.write("changed") == 7);
    changed.close();

    r.receiver.stop();
    QVERIFY(r.receiver.start(named + QStringList{"--image", r.path("image.bin")}) && r.open(true) && r.waitForEnd());
    const QString kept = shownPath(r.path("BL_6021_conv.2.bin"));
    QVERIFY2(r.log.endsWith(savedLine(r.path(name), boxD) + "Kept the earlier, different dump as " + kept + "\r\nWarning: " + kept
                            + " does not match its checksum file " + kept
                            + ".sha256: it was changed after it was saved. Both are kept as they were found.\r\n"
                              "Identical to the earlier dump "
                            + shownPath(r.path("BL_6021_conv.1.bin")) + "\r\nSerial port closed.\r\n"),
             qPrintable(r.log));
    QCOMPARE(recordOf(r.path(name + ".txt")).value("identical earlier dump"), QStringLiteral("BL_6021_conv.1.bin"));
    // sha256sum finds the change in the kept file, which nothing certified.
    QProcess check;
    check.setWorkingDirectory(r.folder.path());
    check.start("sha256sum", {"-c", name + ".sha256", "BL_6021_conv.1.bin.sha256", "BL_6021_conv.2.bin.sha256"});
    QVERIFY(check.waitForFinished());
    QCOMPARE(check.readAllStandardOutput(),
             QByteArray("BL_6021_conv.bin: OK\nBL_6021_conv.1.bin: OK\nBL_6021_conv.2.bin: FAILED\n"));
}

void TestSession::readoutsNeverTakeEachOthersDump()
{
    // A plain dump's name is claimed at Open: a second read-out into the folder is refused
    // before its port is opened.
    SessionRun a, b;
    b.outputFolder = a.outputFolder;
    QVERIFY(a.start({"--silent"}));
    QVERIFY(b.receiver.start({}));
    const StartOutcome refused = b.startSession(false);
    QCOMPARE(refused.words, "Another read-out is writing " + shownPath(a.path()) + '.');
    QVERIFY(!b.session.isPortOpen());
    a.session.stop();
    QTest::qWait(400);
    QCOMPARE(b.receiver.received(), QByteArray());

    // A named dump's name is claimed at the first block. The second read-out ends there; the
    // first goes on untouched. Each runs a box with other flash.
    const QString name = "BL_204_conv.bin";
    QFile erased(a.path("erased.bin"));
    QVERIFY(erased.open(QIODevice::WriteOnly) && erased.write(QByteArray(65536, '\xff')) == 65536);
    erased.close();
    b.receiver.stop();
    QVERIFY(a.start({"--version", "2.0.4 ", "--paced"}, true));
    QTRY_VERIFY_WITH_TIMEOUT(a.log.contains("Transfered successfully Block: 1985"), 10000);
    QVERIFY(b.receiver.start({"--version", "2.0.4 ", "--image", erased.fileName()}) && b.open(true));
    QVERIFY(b.waitForEnd());
    QCOMPARE(b.end->reason, Reason::DumpFileError);
    QVERIFY(b.log.endsWith("Cannot write the dump file " + shownPath(a.path(name + ".part"))
                           + ": another read-out is writing it\r\n"
                             "Serial port closed.\r\n"));
    QVERIFY(!b.receiver.received().contains("1024DOWN_SUCCESS"));
    QVERIFY(a.waitForEnd());
    QCOMPARE(a.end->reason, Reason::Complete);
    const QByteArray header = "KAON0008B9FFFFFFFFFFFF0000000000LBL_204x";
    QCOMPARE(a.dump(name), header + a.image());

    // Read again into the same name, that dump is kept: no dump is lost.
    QVERIFY(b.open(true));
    QVERIFY(b.waitForEnd());
    const QByteArray dump = a.dump(name);
    QCOMPARE(dump, header + QByteArray(65536, '\xff'));
    QVERIFY2(b.log.endsWith(savedLine(a.path(name), dump) + "Kept the earlier, different dump as "
                            + shownPath(a.path("BL_204_conv.1.bin"))
                            + "\r\nWarning: every data byte of the dump is 0xFF.\r\nSerial port closed.\r\n"),
             qPrintable(b.log));
    QCOMPARE(a.dump("BL_204_conv.1.bin"), header + a.image());
    QProcess check;
    check.setWorkingDirectory(a.folder.path());
    check.start("sha256sum", {"-c", name + ".sha256", "BL_204_conv.1.bin.sha256"});
    QVERIFY(check.waitForFinished() && check.exitCode() == 0);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
