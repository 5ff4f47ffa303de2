// Lines that go quiet: a frame that stops coming ends the read-out after the stall limit, and a
// box that never answers gets a hint. Each drill waits out its limit, so they run on their own.

#include "faileddrill.h"

class TestQuietLines : public QObject
{
    Q_OBJECT

private slots:
    void quietLinesAreNotWaitedForForEver_data();
    void quietLinesAreNotWaitedForForEver();
};

void TestQuietLines::quietLinesAreNotWaitedForForEver_data()
{
    addFailureColumns();
    // Paced, the last bytes before the silence stay below the port's wake threshold.
    QTest::newRow("stall in a frame") << QStringList{"--paced", "--stall", "2:1000"} << "" << int(EndReason::Stalled) << 2;
    QTest::newRow("1031 bytes, then silence") << QStringList{"--short", "0"} << "" << int(EndReason::Stalled) << -1;
    // Keying goes on after the hint.
    QTest::newRow("a box that never answers gets a hint")
        << QStringList{"--silent"}
        << "on.\r\nNo answer from the receiver yet. Check that the cable is a null-modem cable, that the right port is chosen, "
           "and that the receiver has power.\r\n"
        << int(EndReason::Stopped) << -1;
    QTest::newRow("a handshake that stops gets a hint") << QStringList{"--wrong-case"}
                                                        << "got answer...\r\nNo ACK in answer to KDATA 15 s after the banner: "
                                                           "the handshake with the loader has stopped. Start the "
                                                           "read-out again, then switch the receiver off and on.\r\n"
                                                        << int(EndReason::Stopped) << -1;
}

void TestQuietLines::quietLinesAreNotWaitedForForEver()
{
    checkFailedReadout();
}

QTEST_GUILESS_MAIN(TestQuietLines)
#include "tst_quietlines.moc"
