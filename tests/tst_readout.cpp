// Whole read-outs: the real window, the serial layer and the virtual receiver on a pty.
// Close, hang-ups and other faults in the middle of a read-out are in the fault drills.

#include "readoutharness.h"


class TestReadout : public QObject
{
    Q_OBJECT

private slots:
    void completeReadoutsInEveryLayout_data();
    void completeReadoutsInEveryLayout();
    void aFailedBlockLeavesPortAndDumpOpenUntilClose();
};

void TestReadout::completeReadoutsInEveryLayout_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("header");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("fileHeader");
    QTest::addColumn<QString>("versionShown");

    const QByteArray t128 = "KAON0008B9FFFFFFFFFFFF0000000000t";
    QTest::newRow("plain 128 kB") << QStringList{"--version", "6.0.2.1"} << false << 128 << "BLdump.bin" << QByteArray() << "6.0.2.1\n";
    QTest::newRow("plain 64 kB") << QStringList{"--version", "2.0.4 "} << false << 64 << "BLdump.bin" << QByteArray() << "2.0.4";
    QTest::newRow("named from the first block") << QStringList{"--version", "6.0.2.1", "--bl-name", "61234"} << true << 128
                                                << "BL_61234_conv.bin" << t128 + "BL_61234x" << "6.0.2.1\n";
    QTest::newRow("named from a 7-character version") << QStringList{"--version", "6.0.2.1"} << true << 128
                                                      << "BL_6021_conv.bin" << t128 + "BL_6021_x" << "6.0.2.1\n";
    QTest::newRow("named from a 5-character version") << QStringList{"--version", "5.1.3 "} << true << 128
                                                      << "BL_513_conv.bin" << t128 + "BL_513x" << "5.1.3";
    QTest::newRow("named 64 kB") << QStringList{"--version", "2.0.4 ", "--reqdata"} << true << 64
                                 << "BL_204_conv.bin" << QByteArray("KAON0008B9FFFFFFFFFFFF0000000000LBL_204x") << "2.0.4";
}

void TestReadout::completeReadoutsInEveryLayout()
{
    QFETCH(QStringList, args);
    QFETCH(bool, header);
    QFETCH(int, blocks);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, fileHeader);
    QFETCH(QString, versionShown);

    Readout r;
    QVERIFY(r.start(args, header));
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);

    const int start = 2048 - blocks;
    QCOMPARE(r.dump(fileName), fileHeader + r.image());
    QCOMPARE(r.image().size(), blocks * 1024);
    QCOMPARE(afterKeying(r.receiver.received()), completeWire(start, blocks));
    QCOMPARE(logText(r.form), "sending request... Turn now your receiver on.\nBL version: " + versionShown
                                  + QStringLiteral("\nBL size:  %1 kB\ngot answer...\n").arg(blocks)
                                  + QStringLiteral("DATA Request Startblock: %1\nDATA Request Number of Blocks: %2\n")
                                        .arg(start).arg(blocks, 4, 10, QLatin1Char('0'))
                                  + shown(blockLog(start, blocks)) + "Transfer succesfull!\nSerial port closed.\n");
    QCOMPARE(r.form.outputFileName(), header ? fileName : QString());
    QCOMPARE(controlStates(r.form), header ? QString(kIdle).replace("optBL64+ optBL128+", "optBL64- optBL128-") : kIdle);
    QCOMPARE(lampColor(r.form), 255);
    QCOMPARE(child<QProgressBar>(r.form, "ProgressBar1")->value(), blocks);
    QVERIFY(!r.form.isDumpFileOpen());
}

void TestReadout::aFailedBlockLeavesPortAndDumpOpenUntilClose()
{
    Readout r;
    QVERIFY(r.start({"--bad-block", "1"}));
    QTRY_VERIFY_WITH_TIMEOUT(logText(r.form).endsWith("CRC Error while receiving BLOCK: 1921"), kReadoutLimitMs);
    QVERIFY(r.form.isPortOpen());
    QVERIFY(r.form.isDumpFileOpen());
    QCOMPARE(controlStates(r.form), kBusy);
    QCOMPARE(child<QProgressBar>(r.form, "ProgressBar1")->value(), 1);
    QCOMPARE(r.dump("BLdump.bin"), r.image().left(2048));
    QVERIFY(afterKeying(r.receiver.received()).endsWith("1024DOWN_SUCCESS:1920\rREQUEST_1024DOWN:1921\r"));

    clickClose(r.form);
    QVERIFY(logText(r.form).endsWith("REQUEST Block: 1921      CRC Error while receiving BLOCK: 1921Serial port closed.\n"));
    QVERIFY(!r.form.isDumpFileOpen());
    QCOMPARE(controlStates(r.form), kIdle);
}

QTEST_MAIN(TestReadout)
#include "tst_readout.moc"
