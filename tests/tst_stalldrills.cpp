// Frames that stop arriving: each drill waits out the 10 s stall limit, so they run on their own.

#include "readoutharness.h"

class TestStallDrills : public QObject
{
    Q_OBJECT

private slots:
    void aStalledFrameEndsTheReadoutAfterTheLimit_data();
    void aStalledFrameEndsTheReadoutAfterTheLimit();
};

void TestStallDrills::aStalledFrameEndsTheReadoutAfterTheLimit_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("logEnd");
    QTest::newRow("stall in a frame") << QStringList{"--stall", "2:500"}
                                      << "REQUEST Block: 1922      Timeout while receiving BLOCK: 1922 (no data for 10 s, 500 of 1032 bytes)\nSerial port closed.\n";
    QTest::newRow("1031 bytes, then silence") << QStringList{"--short", "0"}
                                              << "REQUEST Block: 1920      Timeout while receiving BLOCK: 1920 (no data for 10 s, 1031 of 1032 bytes)\nSerial port closed.\n";
}

void TestStallDrills::aStalledFrameEndsTheReadoutAfterTheLimit()
{
    QFETCH(QStringList, args);
    QFETCH(QString, logEnd);
    Readout r;
    QVERIFY(r.start(args));
    QTRY_VERIFY_WITH_TIMEOUT(!r.form.isPortOpen(), kReadoutLimitMs);
    QVERIFY2(r.log().endsWith(logEnd), qPrintable(r.log()));
    QVERIFY(!r.form.isDumpFileOpen());
    QCOMPARE(controlStates(r.form), kIdle);
    const int passed = args.contains("--short") ? 0 : 2;
    QCOMPARE(r.progress(), passed);
    QCOMPARE(r.dump(), r.image().left(passed * 1024));
    QVERIFY(afterKeying(r.receiver.received()).endsWith("REQUEST_1024DOWN:" + QByteArray::number(1920 + passed) + "\r"));
}

QTEST_MAIN(TestStallDrills)
#include "tst_stalldrills.moc"
