// The read-out protocol, driven without a port: transcripts, splits, dropped text, faults.

#include "enginetranscript.h"

#include "readout/wiretext.h"

#include <QTest>

using State = ReadoutEngine::State;

namespace {

EngineRecord runSession(qint16 start, qint16 count, const QList<QByteArray> &messages, bool header = false)
{
    EngineDriver driver;
    driver.start(start, count, header);
    driver.feedAll(messages);
    return driver.record;
}

// Messages of a short session the window's block settings decide (version not recognised).
QList<QByteArray> shortSession()
{
    return loaderSession(bannerWithVersion("4.1.0.0"), patternFlash(2, 9));
}

} // namespace

class TestReadoutEngine : public QObject
{
    Q_OBJECT

private slots:
    void everyMessageSplitAtEveryPositionGivesTheSameSession();
    void textAfterAnAwaitedTokenInTheSameReadIsDropped();
    void tokensAreCaseSensitive();
    void versionIsTakenFromTheBanner_data();
    void versionIsTakenFromTheBanner();
    void failedBlockStopsWithFileAndPortOpen();
    void blockNumbersKeepFourDigitsOnTheWire();
    void totalMismatchIsReportedAndClosesThePort();
    void framesThatOverrunOrStallEndTheReadout();
    void closeEndsTheReadoutInEveryWait();
    void noBlocksGoesStraightToTheTotal();
    void longBootOutputDoesNotGrowTheEngine();
};

void TestReadoutEngine::everyMessageSplitAtEveryPositionGivesTheSameSession()
{
    const QList<QByteArray> messages = shortSession();
    const EngineRecord whole = runSession(2046, 2, messages);
    QCOMPARE(whole.sent, completeWire(2046, 2));

    for (int m = 0; m < messages.size(); ++m) {
        const QByteArray &message = messages[m];
        for (int cut = 1; cut < message.size(); ++cut) {
            QList<QByteArray> split = messages;
            split.replace(m, message.left(cut));
            split.insert(m + 1, message.mid(cut));
            const EngineRecord r = runSession(2046, 2, split);
            if (r.sent != whole.sent || r.log != whole.log || r.dump != whole.dump)
                QFAIL(qPrintable(QStringLiteral("message %1 split at %2 changed the session").arg(m).arg(cut)));
        }
        // ... and byte by byte.
        QList<QByteArray> bytes = messages.mid(0, m);
        for (char c : message)
            bytes << QByteArray(1, c);
        bytes << messages.mid(m + 1);
        QCOMPARE(runSession(2046, 2, bytes).sent, whole.sent);
    }
}

void TestReadoutEngine::textAfterAnAwaitedTokenInTheSameReadIsDropped()
{
    // "BL_FLASH_END" in the same read as "MICOM" is lost; only a later one counts.
    EngineDriver d;
    d.start(1920, 128);
    d.feed(bannerWithVersion("6.0.2.1") + "BL_FLASH_END\r\n");
    QCOMPARE(d.engine.state(), State::FlashEnd);
    QVERIFY(d.record.keying);
    d.feed("BL_FLASH_END\r\n");
    QCOMPARE(d.record.sent, QByteArray("KDATA"));
    QVERIFY(!d.record.keying);

    // Text after "ACK" CR LF in the same read: the line end wait needs a later CR LF.
    d.feed("ACK\r\nKDATA OK\r\n");
    QCOMPARE(d.engine.state(), State::LineEnd);
    d.feed("KDATA OK\r\n");
    QCOMPARE(d.record.sent, QByteArray("KDATAack"));

    // An "ack" CR LF that came with the block-count request does not end the last wait.
    d.feed("REQUEST_START_BLOCK\r\n");
    d.feed("REQUEST_BLOCK\r\nack\r\n");
    QCOMPARE(d.engine.state(), State::LowerAck);
    // Frame bytes in the read that holds "ack" CR LF are dropped; later reads count.
    const QByteArray frame = frameFor(patternFlash(1));
    d.feed("ack\r\n" + frame.left(100));
    QCOMPARE(d.engine.state(), State::Frame);
    d.feed(frame);
    QCOMPARE(d.record.dump, patternFlash(1));
    QVERIFY(d.record.log.endsWith("Transfered successfully Block: 1920\r\nREQUEST Block: 1921      "));
}

void TestReadoutEngine::tokensAreCaseSensitive()
{
    EngineDriver d;
    d.start(1920, 128);
    d.feed("micom Version 6.0.2.1\r\n");
    QCOMPARE(d.engine.state(), State::Banner);
    d.feedAll({bannerWithVersion("6.0.2.1"), "BL_FLASH_END\r\n", "ack\r\n"});
    QCOMPARE(d.engine.state(), State::UpperAck);
    d.feedAll({"ACK\r\n", "x\r\n", "request_start_block\r\n"});
    QCOMPARE(d.engine.state(), State::StartBlockRequest);
    d.feedAll({"REQUEST_START_BLOCK\r\n", "REQUEST_BLOCK\r\n", "ACK\r\n"});
    QCOMPARE(d.engine.state(), State::LowerAck);
    QCOMPARE(d.record.sent, QByteArray("KDATAack19200128"));
}

void TestReadoutEngine::versionIsTakenFromTheBanner_data()
{
    QTest::addColumn<QByteArray>("collected");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("sizeKb");
    QTest::addColumn<int>("startBlock");
    QTest::addColumn<int>("blockCount");

    // "MICOM" ends each text: the version is the same however the text is cut into reads.
    QTest::newRow("5 characters cut at CR LF") << QByteArray("x Version 1.2.3 \r\nMICOM") << QByteArray("1.2.3") << 64 << 1984 << 64;
    QTest::newRow("CR kept when not at 7 and 8") << QByteArray(" Version 5.0.1.2\r\nMICOM") << QByteArray("5.0.1.2\r") << 128 << 1920 << 128;
    QTest::newRow("not recognised keeps the window") << QByteArray(" Version 4.0.0.1\r\nMICOM") << QByteArray("4.0.0.1\r") << 0 << 1920 << 128;
    QTest::newRow("CR LF not cut when not recognised") << QByteArray(" Version v6.0.1 \r\nMICOM") << QByteArray("v6.0.1 \r") << 0 << 1920 << 128;
    QTest::newRow("text ends early") << QByteArray(" Version 3.MICOM") << QByteArray("3.MICOM") << 64 << 1984 << 64;
    QTest::newRow("no mark: from position 9") << QByteArray("12345678ABCDEFGHIJMICOM") << QByteArray("ABCDEFGH") << 0 << 1920 << 128;
    QTest::newRow("no mark, short text") << QByteArray("MICOM") << QByteArray() << 0 << 1920 << 128;
    QTest::newRow("first mark counts") << QByteArray(" Version 2.0.1\r\n Version 6.0.0.0 MICOM") << QByteArray("2.0.1\r\n ") << 64 << 1984 << 64;
}

void TestReadoutEngine::versionIsTakenFromTheBanner()
{
    QFETCH(QByteArray, collected);
    QFETCH(QByteArray, version);
    QFETCH(int, sizeKb);
    QFETCH(int, startBlock);
    QFETCH(int, blockCount);

    // Every way of cutting the banner into two reads gives the same version.
    for (int cut = 0; cut <= collected.size(); ++cut) {
        EngineDriver d;
        d.start(1920, 128);
        d.feed(collected.left(cut));
        d.feed(collected.mid(cut));
        QCOMPARE(d.engine.LoaderVersion(), version);
        QCOMPARE(int(d.engine.LoaderSizeKb()), sizeKb);
        QCOMPARE(int(d.engine.StartBlock()), startBlock);
        QCOMPARE(int(d.engine.BlockCount()), blockCount);
        QCOMPARE(d.record.progressMax, blockCount);
        QVERIFY(d.record.log.endsWith("BL version: " + QString::fromLatin1(version) + "\r\n"
                                      + QStringLiteral("BL size:  %1 kB\r\n").arg(sizeKb)));
        // Only a recognised loader touches the progress bar.
        QCOMPARE(d.record.events.contains("max " + QString::number(blockCount)), sizeKb != 0);
    }
}

void TestReadoutEngine::failedBlockStopsWithFileAndPortOpen()
{
    const QByteArray flash = patternFlash(3);
    QList<QByteArray> messages = loaderSession(bannerWithVersion("4.0"), flash);
    messages[8] = frameFor(flash.mid(1024, 1024), 1);  // second block's sum is off by one
    EngineDriver d;
    d.start(1920, 3);
    d.feedAll(messages);
    const EngineRecord &r = d.record;
    QCOMPARE(d.engine.state(), State::BlockFailed);
    QVERIFY(r.portOpen);
    QCOMPARE(r.end, EndReason::BlockSumWrong);
    QCOMPARE(r.dump, flash.left(2048));  // the failed block's data is in the file too
    QCOMPARE(r.progressValue, 1);
    QVERIFY(r.log.endsWith("Transfered successfully Block: 1920\r\nREQUEST Block: 1921      "
                           "CRC Error while receiving BLOCK: 1921"));
    QVERIFY(r.sent.endsWith("REQUEST_1024DOWN:1921\r"));
    // The loader is not answered again, whatever it sends, and there is no stall to wait for.
    QVERIFY(!d.engine.awaitsBinary());
    const QByteArray sentBefore = r.sent;
    d.feed(frameFor(flash.mid(2048)));
    d.stallTimeout();
    QCOMPARE(r.sent, sentBefore);
}

void TestReadoutEngine::blockNumbersKeepFourDigitsOnTheWire()
{
    // Start block 5 with one block of 0xFF: sum 261120, checksum byte 0.
    const QByteArray ff(1024, '\xFF');
    QCOMPARE(frameFor(ff).at(1024), '\0');
    EngineRecord r = runSession(5, 1, loaderSession(bannerWithVersion("9"), ff));
    QCOMPARE(r.sent, completeWire(5, 1));
    QVERIFY(r.log.contains("DATA Request Startblock: 0005\r\nDATA Request Number of Blocks: 0001\r\n"
                           "REQUEST Block: 5      Transfered successfully Block: 5\r\n"));

    QList<QByteArray> bad = loaderSession(bannerWithVersion("9"), ff);
    bad[7] = frameFor(ff, 3);
    r = runSession(5, 1, bad);
    QVERIFY(r.log.endsWith("REQUEST Block: 5      CRC Error while receiving BLOCK: 0005"));
}

void TestReadoutEngine::totalMismatchIsReportedAndClosesThePort()
{
    QList<QByteArray> messages = shortSession();
    messages.last()[0] = char(messages.last().at(0) + 1);
    const EngineRecord r = runSession(2046, 2, messages);
    QVERIFY(r.sent.endsWith("REQUEST_TOTALCRC\r"));
    QVERIFY(!r.log.contains("Transfer succesfull!"));
    QVERIFY(r.log.endsWith("CRC Error in total sum: received " + QString::number(quint8(messages.last().at(0)))
                           + ", computed " + QString::number(quint8(messages.last().at(0) - 1)) + "\r\n"));
    QCOMPARE(r.events.last(), QStringLiteral("end total sum wrong"));
}

void TestReadoutEngine::framesThatOverrunOrStallEndTheReadout()
{
    const QList<QByteArray> messages = shortSession();
    const QList<QByteArray> handshake = messages.mid(0, 7);

    // One byte too many after a frame.
    EngineDriver over;
    over.start(2046, 2);
    over.feedAll(handshake);
    over.feed(messages[7] + 'x');
    QVERIFY(over.record.log.endsWith("REQUEST Block: 2046      Too many bytes while receiving BLOCK: 2046 (1033 of 1032 bytes)\r\n"));
    QVERIFY(!over.record.portOpen);
    QVERIFY(over.record.dump.isEmpty());

    // 1031 bytes, then silence.
    EngineDriver stall;
    stall.start(2046, 2);
    stall.feedAll(handshake);
    stall.feed(messages[7].left(1031));
    QVERIFY(stall.engine.awaitsBinary());
    stall.stallTimeout();
    QVERIFY(stall.record.log.endsWith("Timeout while receiving BLOCK: 2046 (no data for 10 s, 1031 of 1032 bytes)\r\n"));
    QCOMPARE(stall.record.events.last(), QStringLiteral("end stalled"));

    // The total byte never comes, or comes with company.
    EngineDriver total;
    total.start(2046, 2);
    total.feedAll(messages.mid(0, 9));
    total.stallTimeout();
    QVERIFY(total.record.log.endsWith("Transfered successfully Block: 2047\r\nTimeout while receiving TOTALCRC (no data for 10 s, 0 of 1 bytes)\r\n"));
    EngineDriver twice;
    twice.start(2046, 2);
    twice.feedAll(messages.mid(0, 9));
    twice.feed(messages.last() + messages.last());
    QVERIFY(twice.record.log.endsWith("Too many bytes while receiving TOTALCRC (2 of 1 bytes)\r\n"));
    QVERIFY(twice.record.sent.endsWith("REQUEST_TOTALCRC\r"));

    // Outside the frame and total waits there is no time limit.
    EngineDriver banner;
    banner.start(1920, 128);
    banner.stallTimeout();
    QCOMPARE(banner.engine.state(), State::Banner);
}

void TestReadoutEngine::closeEndsTheReadoutInEveryWait()
{
    const QList<QByteArray> messages = shortSession();
    for (int closeAfter = 0; closeAfter < messages.size(); ++closeAfter) {
        EngineDriver d;
        d.start(2046, 2);
        d.feedAll(messages.mid(0, closeAfter));
        const QByteArray sent = d.record.sent;
        d.closePort();
        d.feedAll(messages.mid(closeAfter));
        d.stallTimeout();
        QCOMPARE(d.record.sent, sent);
        QVERIFY(!d.record.events.contains("AFTER CLOSE"));
        QCOMPARE(d.engine.state(), State::Idle);
    }
}

void TestReadoutEngine::noBlocksGoesStraightToTheTotal()
{
    EngineDriver d;
    d.start(1920, 0);
    d.feedAll(loaderSession(bannerWithVersion("0.9"), {}));
    QCOMPARE(d.record.sent, QByteArray("KDATAack19200000REQUEST_DOWNLOAD\rREQUEST_TOTALCRC\rDOWN_SUCCESS\r"));
    QVERIFY(d.record.openedFiles.isEmpty());
    QCOMPARE(d.record.events.last(), QStringLiteral("end complete"));
}

void TestReadoutEngine::longBootOutputDoesNotGrowTheEngine()
{
    // A megabyte of boot output before the banner; the mark and "MICOM" still found.
    EngineDriver d;
    d.start(1920, 128);
    const QByteArray line = "boot: checking flash ... ok\r\n";
    for (int i = 0; i < 1024 * 1024 / line.size(); ++i)
        d.feed(line);
    d.feed("KAON Loader Vers");
    d.feed("ion 5.1.3 \r\nMIC");
    QCOMPARE(d.engine.state(), State::Banner);
    d.feed("OM\r\n");
    QCOMPARE(d.engine.LoaderVersion(), QByteArray("5.1.3"));
    QCOMPARE(d.engine.state(), State::FlashEnd);

    // "MICOM" in a read before the version arrives: the version is what that read gave.
    EngineDriver early;
    early.start(1920, 128);
    early.feed("MICOM Ve");
    early.feed("rsion 6.0.2.1\r\n");
    QCOMPARE(early.engine.LoaderVersion(), QByteArray());
    QCOMPARE(int(early.engine.LoaderSizeKb()), 0);
}

QTEST_GUILESS_MAIN(TestReadoutEngine)
#include "tst_readoutengine.moc"
