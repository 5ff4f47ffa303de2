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
    void aFailedBlockLeavesItsDataAndItsRecord();
    void twoReadoutsIntoOneFolderBothSave();
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
    // Less than twice the record's 4 kB of banner: the banner is cut to size however the reads fall.
    QTest::newRow("binary noise under 8 kB") << QStringList{"--binary-noise", "6000"} << false << 128 << "BLdump.bin" << QByteArray()
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
    // An older dump of the same name and an unfinished one stay as they are: the new dump is the
    // next of the name.
    QFile(r.path(fileName)).open(QIODevice::WriteOnly);
    const QString saved = fileName.chopped(4) + ".1.bin";
    QFile stale(r.path(fileName + ".part"));
    QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(QByteArray(300000, 's')) > 0);
    stale.close();

    QVERIFY(r.start(args, header));
    QVERIFY2(r.waitForEnd(), qPrintable(r.log + r.receiver.stderrText()));
    QCOMPARE(r.end->reason(), Reason::Complete);

    const QByteArray dump = r.dump(saved);
    QCOMPARE(dump, fileHeader + r.image());
    QCOMPARE(r.image().size(), blocks * 1024);
    QCOMPARE(r.dump(fileName), QByteArray());
    QCOMPARE(QFileInfo(r.path(fileName + ".part")).size(), 300000);
    QCOMPARE(r.files(), (QStringList{saved, saved + ".sha256", saved + ".txt", fileName, fileName + ".part", "image.bin"}));
    const int start = 2048 - blocks;
    QCOMPARE(afterKeying(r.receiver.received()), completeWire(start, blocks));
    // A read-out that saved with warnings repeats them at its end.
    const QString warned = identified.contains("Warning: the")
        ? "Saved with warnings: The" + identified.section("Warning: the", 1)
        : "";
    QCOMPARE(r.log,
             "sending request... Turn now your receiver on.\r\nBL version: " + identified + "got answer...\r\n"
                 + QStringLiteral("DATA Request Startblock: %1\r\nDATA Request Number of Blocks: %2\r\n")
                       .arg(start)
                       .arg(blocks, 4, 10, QLatin1Char('0'))
                 + blockLog(start, blocks) + "Transfer succesfull!\r\n" + savedLine(r.path(saved), dump)
                 + "Serial port closed.\r\n" + warned);
    QCOMPARE(r.session.outputFileName(), header ? fileName : QString());
    QCOMPARE(r.progress, blocks);

    // The record beside it: how it was read and what the file holds.
    const DumpRecord record = r.record(saved);
    QCOMPARE(record.port, r.receiver.devicePath());
    QVERIFY(record.time.secsTo(QDateTime::currentDateTime()) < 60);
    QVERIFY(!record.tamrixVersion.isEmpty());
    QVERIFY2(record.banner.endsWith("\r\nMICOM"), record.banner.right(40).constData());
    QCOMPARE(record.banner.size() == 4096, args.contains("--noise") || args.contains("--binary-noise"));
    QCOMPARE(record.loaderVersion, identified.section("\r\n", 0, 0).toLatin1());
    // The size read, and whether the banner or the size option gave it.
    QCOMPARE(record.loaderSizeKb, blocks);
    QCOMPARE(record.sizeFromOption, identified.contains("BL size:  0 kB"));
    QCOMPARE(record.firstBlock, start);
    QCOMPARE(record.blocksChecked + record.blockCount, 2 * blocks);
    QCOMPARE(record.totalSum + ", " + record.result, warned.isEmpty() ? "matched, complete" : "matched, complete with warnings");
    QCOMPARE(record.warnings.size(), warned.isEmpty() ? 0 : 1);
    QCOMPARE(record.header, std::optional<QByteArray>(fileHeader));
    QCOMPARE(record.size, dump.size());
    QCOMPARE(record.sha256, QCryptographicHash::hash(dump, QCryptographicHash::Sha256));
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

void TestSession::aFailedBlockLeavesItsDataAndItsRecord()
{
    SessionRun r;
    QVERIFY(r.start({"--bad-block", "1"}));
    QVERIFY(r.waitForEnd());
    QCOMPARE(r.end->as<ReadoutEnd::BlockSumWrong>()->block, 1921);
    QVERIFY(r.log.endsWith("REQUEST Block: 1921      CRC Error while receiving BLOCK: 1921\r\n"
                           "The read-out has stopped and the dump is incomplete. Click Close to end it.\r\n"));
    // Port and dump stay open until Close, the failed block's data in the unfinished dump too.
    QVERIFY(r.session.isPortOpen() && r.session.isDumpFileOpen());
    QCOMPARE(r.dump("BLdump.bin.part"), r.image().left(2048));

    // The cable pulled then: the read-out had ended with the failed block, as the record says.
    r.receiver.stop();
    QTRY_VERIFY(!r.session.isPortOpen());
    QVERIFY2(r.log.endsWith("Serial port closed.\r\n"
                            + incompleteLine(r.path("BLdump.bin.part"), "1 of 128 checked blocks and the failed block 1921")),
             qPrintable(r.log));
    const DumpRecord record = r.record("BLdump.bin.part");
    QCOMPARE(QList<qint64>({record.blocksChecked, record.failedBlock, record.size}), QList<qint64>({1, 1921, 2048}));
    QCOMPARE(record.result, QStringLiteral("CRC Error while receiving BLOCK: 1921"));

    // The next read-out starts afresh under the next name; the unfinished dump stays as it is.
    QVERIFY(r.receiver.start({"--write-image", r.path("image.bin")}) && r.open());
    QVERIFY(r.waitForEnd());
    QCOMPARE(r.end->reason(), Reason::Complete);
    QVERIFY(!r.log.contains("CRC Error"));
    QCOMPARE(r.dump("BLdump.1.bin"), r.image());
    QCOMPARE(r.dump("BLdump.bin.part"), r.image().left(2048));
    QCOMPARE(r.record("BLdump.1.bin").blocksChecked, 128);
}

void TestSession::twoReadoutsIntoOneFolderBothSave()
{
    // A box that is only waiting holds nothing; two boxes on two ports, started together, each
    // save under a name of their own. They are named dumps of one loader version, so they want
    // the same name.
    SessionRun waiting, a, b;
    a.outputFolder = b.outputFolder = waiting.outputFolder;
    QVERIFY(waiting.start({"--silent"}));
    QFile erased(a.path("erased.bin"));  // a's own folder, as its image
    QVERIFY(erased.open(QIODevice::WriteOnly) && erased.write(QByteArray(65536, '\xff')) == 65536);
    erased.close();
    const QStringList version{"--version", "2.0.4 ", "--paced"};
    QVERIFY(a.start(version, true));
    QVERIFY(b.receiver.start(version + QStringList{"--image", erased.fileName()}) && b.open(true));
    QVERIFY(a.waitForEnd() && b.waitForEnd());
    QCOMPARE(int(a.end->reason()) + int(b.end->reason()), int(Reason::Complete) * 2);
    const QByteArray header = "KAON0008B9FFFFFFFFFFFF0000000000LBL_204x";
    // Each Saved line names its own box's bytes.
    QMap<QString, QByteArray> saved;
    for (SessionRun *r : {&a, &b}) {
        const QString line = r->log.section("Saved ", 1).section(" (", 0, 0);
        saved.insert(QFileInfo(line).fileName(), readFile(line));
        QCOMPARE(readFile(line), header + (r == &a ? a.image() : QByteArray(65536, '\xff')));
    }
    QCOMPARE(saved.keys(), QStringList({"BL_204_conv.1.bin", "BL_204_conv.bin"}));
    QVERIFY(b.log.endsWith("Serial port closed.\r\nSaved with warnings: Every data byte of the dump is 0xFF.\r\n"));
    QVERIFY(waiting.session.isKeying());

    // The same box again: the next name, and the proof that both read-outs of it agree.
    QVERIFY(a.open(true) && a.waitForEnd());
    const QString first = saved.key(header + a.image());
    QVERIFY2(a.log.contains(savedLine(waiting.path("BL_204_conv.2.bin"), header + a.image()) + "Identical to the earlier dump "
                            + shownPath(waiting.path(first))),
             qPrintable(a.log));
    QCOMPARE(waiting.record("BL_204_conv.2.bin").identicalEarlier, first);
    QProcess check;
    check.setWorkingDirectory(waiting.folder.path());
    check.start("sh", {"-c", "sha256sum -c BL_204_conv*.sha256"});
    QVERIFY(check.waitForFinished() && check.exitCode() == 0);
    waiting.session.stop();
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
