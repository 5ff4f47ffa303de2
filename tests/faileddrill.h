#pragma once
// The drill for a read-out that fails or is stopped: how it ended, the log's last lines, what is
// left on disk and on the wire, and a quiet process afterwards. Its rows come from the tests.

#include "sessionharness.h"

#include <QElapsedTimer>

#include <csignal>
#include <sys/resource.h>

// A disk that is full once a file of this process reaches `bytes`, until it goes.
struct FullDisk
{
    explicit FullDisk(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead
        getrlimit(RLIMIT_FSIZE, &was);
        rlimit full = was;
        full.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &full);
    }
    ~FullDisk() { setrlimit(RLIMIT_FSIZE, &was); }
    rlimit was{};
};

inline void addFailureColumns()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("stopAt");  // stop when the log ends with this; empty: it ends by itself
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("blocks");  // in the .part file; -1: none was started
}

// Runs the drill of the current data row: a read-out that fails, or is stopped, the way the row
// says, and what it leaves.
inline void checkFailedReadout()
{
    QFETCH(QStringList, args);
    QFETCH(QString, stopAt);
    QFETCH(int, reason);
    QFETCH(int, blocks);

    SessionRun r;
    const QByteArray good = "an older complete dump";
    const bool fullDisk = QByteArray(QTest::currentDataTag()).contains("full disk");
    QFile older(r.path());
    QVERIFY(older.open(QIODevice::WriteOnly) && older.write(good) == good.size());
    older.close();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(r.start(args));
    // Once the receiver, a process of its own, runs; within the fourth block.
    std::optional<FullDisk> full;
    if (fullDisk)
        full.emplace(blocks * 1024 + 500);
    if (args.contains("--silent") && stopAt.isEmpty()) {
        QTRY_VERIFY(r.receiver.received().contains('\x1F'));
        r.receiver.stop();  // the cable is pulled while the tool waits for the box
    }
    if (!stopAt.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(r.log.endsWith(stopAt), kReadoutLimitMs);
        const qsizetype keys = r.receiver.received().count('\x1F');
        QTest::qWait(400);  // the session has really settled in this wait
        QVERIFY(r.log.endsWith(stopAt));
        // After the silent box's hint the keying goes on.
        if (stopAt.contains("No answer"))
            QTRY_VERIFY(r.receiver.received().count('\x1F') > keys);
        r.session.stop();
    }
    QVERIFY(r.waitForEnd());
    full.reset();
    QCOMPARE(int(r.end->reason()), reason);
    if (const int stall = args.indexOf("--stall"); stall >= 0 && reason == int(EndReason::Stalled))
        QCOMPARE(r.end->as<ReadoutEnd::Stalled>()->got, args.at(stall + 1).section(':', 1).toInt());
    // The stall limit is 10 s without a byte, looked at once a second; the blocks before it
    // take a second at most.
    if (reason == int(EndReason::Stalled))
        QVERIFY2(clock.elapsed() >= 10000 && clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    if (blocks == -2)
        blocks = r.progress;

    // The older dump has the name: this one is the next of it.
    const QString part = r.path("BLdump.1.bin.part");
    const QString holds = (blocks < 128                                  ? QStringLiteral("%1 of 128 checked blocks").arg(blocks)
                               : reason == int(EndReason::TotalSumWrong) ? "all 128 blocks, but the total sum did not match"
                                                                         : "all 128 blocks, but the total sum was not checked")
        + (fullDisk ? "; the disk is full" : "");
    const QString words = endLogText(*r.end);
    const QString tail = (words.isEmpty() ? words : words + "\r\n") + "Serial port closed.\r\n"
        + (blocks >= 0 ? incompleteLine(part, holds) : QString());
    // On lines of their own, a block's line left open ended before them.
    QVERIFY2(r.log.endsWith("\r\n" + tail), qPrintable(r.log));
    QCOMPARE(r.log.count("Serial port closed."), 1);
    // The unfinished dump's record says as much.
    if (blocks >= 0) {
        const DumpRecord record = r.record("BLdump.1.bin.part");
        QCOMPARE(record.blocksChecked, blocks);
        QCOMPARE(record.result, words.isEmpty() ? QStringLiteral("stopped before it was complete") : words);
    }
    QCOMPARE(QFile::exists(part), blocks >= 0);
    QCOMPARE(r.dump("BLdump.1.bin.part"), r.image().left(qMax(0, blocks) * 1024));
    QCOMPARE(r.dump(), good);
    // Nothing was confirmed that should not have been.
    const QByteArray complete = completeWindowWire();
    if (r.receiver.received().contains("KDATA")) {
        const QByteArray wire = afterKeying(r.receiver.received());
        QVERIFY(wire != complete && complete.startsWith(wire));
        // A block that is not in the dump file is never confirmed.
        if (reason == int(EndReason::DumpFileError))
            QVERIFY2(wire.count("1024DOWN_SUCCESS") == qMax(0, blocks), wire.constData());
    }
    QVERIFY(!r.session.isPortOpen());
    QVERIFY(!r.session.isDumpFileOpen());
    const QString log = r.log;
    const double cpuBefore = cpuSeconds();
    verifySilentAfterwards(r);
    // No error loop: the process idles once the line is gone.
    QVERIFY2(cpuSeconds() - cpuBefore < 0.2, qPrintable(QString::number(cpuSeconds() - cpuBefore)));
    QCOMPARE(r.log, log);
}
