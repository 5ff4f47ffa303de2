// Checks the virtual receiver itself, so that a failing end-to-end test of
// Tamrix points at Tamrix and not at its test double.

#include "flashimage.h"
#include "loader.h"

#include <QtTest>

namespace {

const QByteArray Key(1, LoaderMachine::Key);

QByteArray allBytes(const Reaction &r)
{
    QByteArray out;
    for (const Emission &e : r.send)
        out += e.bytes;
    return out;
}

// Plays the tool's side of the handshake against a loader, up to the first
// frame request.
struct Tool
{
    explicit Tool(LoaderMachine &machine) : loader(machine) {}

    LoaderMachine &loader;
    QStringList complaints;

    Reaction feed(const QByteArray &bytes)
    {
        Reaction r = loader.feed(bytes);
        complaints += r.complaints;
        return r;
    }
    QByteArray say(const QByteArray &bytes) { return allBytes(feed(bytes)); }

    void handshake(const QByteArray &start = "1920", const QByteArray &count = "0128")
    {
        QVERIFY(say(Key).contains("MICOM"));
        QCOMPARE(say(Key), QByteArray("BL_FLASH_END\r\n"));
        QCOMPARE(say("KDATA"), QByteArray("ACK\r\nKDATA OK\r\n"));
        QCOMPARE(say("ack"), QByteArray("REQUEST_START_BLOCK\r\n"));
        QCOMPARE(say(start), QByteArray("REQUEST_BLOCK\r\n"));
        QCOMPARE(say(count), QByteArray("ack\r\n"));
        QCOMPARE(say("REQUEST_DOWNLOAD\r"), QByteArray());
    }
    QByteArray frame(int block) { return say("REQUEST_1024DOWN:" + QByteArray::number(block) + '\r'); }
};

}  // namespace

class VreceiverSelfTest : public QObject
{
    Q_OBJECT

private slots:
    void wholeSessionServesFlashAndTotal();
    void keysBeforeKdataWaitAndKeysAfterItPowerCycle();
    void faultsShapeTheRightFrame();
};

void VreceiverSelfTest::wholeSessionServesFlashAndTotal()
{
    FlashImage flash(128);
    QString error;
    QVERIFY(flash.setLoaderName("ABCDE", &error));
    LoaderConfig config;
    config.banner = "MICOM Version 6.0.2.1\r\n";
    LoaderMachine loader(config, flash);
    Tool tool{loader};
    tool.handshake();

    quint8 total = 0;
    for (int block = 1920; block < 2048; ++block) {
        const QByteArray frame = tool.frame(block);
        QCOMPARE(frame.size(), LoaderMachine::FrameSize);
        QCOMPARE(frame.left(1024), flash.block(block));
        QCOMPARE(quint8(frame.at(1024)), byteSum(frame.left(1024)));
        QVERIFY(!frame.mid(1025).contains('\0'));
        total = quint8(total + quint8(frame.at(1024)));
        QCOMPARE(tool.say("1024DOWN_SUCCESS:" + QByteArray::number(block) + '\r'), QByteArray());
    }
    QVERIFY(flash.block(1920).startsWith("BLABCDE"));
    QVERIFY(!flash.block(1919).startsWith("BL"));
    QCOMPARE(tool.say("REQUEST_TOTALCRC\r"), QByteArray(1, char(total)));
    tool.say("DOWN_SUCCESS\r");
    QCOMPARE(loader.state(), LoaderMachine::State::Off);
    QVERIFY2(tool.complaints.isEmpty(), qPrintable(tool.complaints.join('\n')));

    // A fresh session reports a fresh total.
    tool.handshake("2047", "0001");
    const QByteArray last = tool.frame(2047);
    QCOMPARE(tool.say("REQUEST_TOTALCRC\r"), last.mid(1024, 1));
    QCOMPARE(loader.session(), 2);
}

void VreceiverSelfTest::keysBeforeKdataWaitAndKeysAfterItPowerCycle()
{
    FlashImage flash(64);
    LoaderConfig config;
    config.banner = "MICOM\r\n";
    config.noise = "noise";
    LoaderMachine loader(config, flash);
    Tool tool{loader};

    // Keys queued behind the one that wakes the box were sent before any banner existed: they
    // must not bring BL_FLASH_END along with it.
    QCOMPARE(tool.say(Key + Key), QByteArray("noiseMICOM\r\n"));
    QCOMPARE(tool.say(Key), QByteArray("BL_FLASH_END\r\n"));
    QCOMPARE(tool.say(Key + Key), QByteArray());  // the tool is still keying
    QCOMPARE(tool.say("KDATA"), QByteArray("ACK\r\nKDATA OK\r\n"));

    // After KDATA a key means the box was switched off and on.
    const Reaction cycle = tool.feed(Key);
    QVERIFY(cycle.powerCycled);
    QCOMPARE(allBytes(cycle), QByteArray("noiseMICOM\r\n"));
    QCOMPARE(loader.session(), 2);
    QVERIFY(tool.complaints.isEmpty());
}

void VreceiverSelfTest::faultsShapeTheRightFrame()
{
    FlashImage flash(128);
    LoaderConfig config;
    config.banner = "MICOM\r\n";
    config.faults.badBlock = 1;
    config.faults.extraBlock = 2;
    config.faults.extraBytes = 3;
    config.faults.badTotal = true;
    LoaderMachine loader(config, flash);
    Tool tool{loader};
    tool.handshake();

    const QByteArray good = tool.frame(1920);
    const QByteArray bad = tool.frame(1921);
    const QByteArray extra = tool.frame(1922);
    QCOMPARE(quint8(good.at(1024)), byteSum(good.left(1024)));
    QCOMPARE(bad.left(1024), flash.block(1921));
    QVERIFY(quint8(bad.at(1024)) != byteSum(bad.left(1024)));
    QCOMPARE(extra.size(), LoaderMachine::FrameSize + 3);
    const quint8 rightTotal = quint8(good.at(1024) + bad.at(1024) + extra.at(1024));
    QVERIFY(quint8(tool.say("REQUEST_TOTALCRC\r").at(0)) != rightTotal);

    for (const bool isShort : {true, false}) {
        LoaderConfig c = config;
        c.faults = {};
        if (isShort) {
            c.faults.shortBlock = 0;
        } else {
            c.faults.stallBlock = 0;
            c.faults.stallOffset = 100;
        }
        LoaderMachine stalling(c, flash);
        Tool t{stalling};
        t.handshake();
        QCOMPARE(t.frame(1920).size(), isShort ? LoaderMachine::FrameSize - 1 : 100);
        QCOMPARE(t.frame(1921), QByteArray());  // silence after
        QCOMPARE(stalling.state(), LoaderMachine::State::Stalled);
    }
}

QTEST_GUILESS_MAIN(VreceiverSelfTest)
#include "selftest.moc"
