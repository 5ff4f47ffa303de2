// tamrix-read as a user runs it: a real process, no display, the virtual receiver on a pty.

#include "sessionharness.h"

#include "cli/consolelog.h"
#include "cli/readoptions.h"
#include "dumpfile/dumprecord.h"

#include <QElapsedTimer>
#include <QProcess>

#include <csignal>

namespace {

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    return env;
}

// One run of tamrix-read in its own folder, against a virtual receiver, with no display.
struct CliRun
{
    bool start(const QStringList &receiverArgs, QStringList cliArgs, const QString &program = TAMRIX_READ)
    {
        if (!receiverArgs.contains("--none")
            && !receiver.start(receiverArgs + QStringList{"--write-image", folder.filePath("image.bin")}))
            return false;
        process.setProcessEnvironment(withoutDisplay());
        process.setWorkingDirectory(folder.path());
        process.start(program, cliArgs.replaceInStrings("PTY", receiver.devicePath()));
        return process.waitForStarted();
    }
    bool finish() { return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit; }
    QString out() { return m_out += QString::fromLocal8Bit(process.readAllStandardOutput()); }
    QString err() { return m_err += QString::fromLocal8Bit(process.readAllStandardError()); }
    QByteArray image() const { return readFile(folder.filePath("image.bin")); }

    QTemporaryDir folder;
    VirtualReceiver receiver;
    QProcess process;
    QString m_out, m_err;
};

// Whether the process has a handler of its own for SIGINT yet, as /proc tells.
bool catchesInterrupt(qint64 pid)
{
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("SigCgt:");
    return at >= 0 && (status.mid(at + 7).trimmed().left(16).toULongLong(nullptr, 16) >> (SIGINT - 1)) & 1;
}

}  // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void theCommandLineIsRead();
    void listPortsNamesTheSerialPorts();
    void theWindowAnswersWithoutADisplay();
    void ctrlCKeepsTheWindowsSettingsUnlessToldNot();
    void theProgressBarShowsTheRateAndTheTimeLeft();
    void theLoadersTextCannotDriveTheTerminal();
    void completeReadoutsInEveryLayout_data();
    void completeReadoutsInEveryLayout();
    void eachFailureHasItsStatus_data();
    void eachFailureHasItsStatus();
    void twoReadoutsIntoOneFolderBothSave();
    void aDumpIsCheckedAndConvertedLater();
    void aDiskWithoutRoomIsFoundBeforeTheBoxIsWoken_data();
    void aDiskWithoutRoomIsFoundBeforeTheBoxIsWoken();
    void anInterruptClosesPortAndDump_data();
    void anInterruptClosesPortAndDump();
};

void TestCli::theCommandLineIsRead()
{
    const auto parse = [](const QStringList &args) { return parseReadCommandLine(QStringList{"tamrix-read"} + args, "/here"); };
    ReadCommandLine c = parse({"--port", "3", "--size", "64", "--header", "--wait", "5"});
    QCOMPARE(int(c.action), int(ReadCommandLine::Action::Read));
    QCOMPARE(c.options.request.portText, QStringLiteral("3"));
    QCOMPARE(c.options.request.sizeKb, 64);
    QVERIFY(c.options.request.headerOption);
    QCOMPARE(c.options.request.folderText, QString());
    QCOMPARE(c.options.request.defaultFolder, QStringLiteral("/here"));
    QCOMPARE(*c.options.waitSeconds, 5);
    c = parse({"--port", "/dev/ttyUSB0", "--output", "/dumps", "--file", "SN.bin", "--label", "SN 1004", "--strict"});
    QCOMPARE(c.options.request.sizeKb, 128);
    QCOMPARE(c.options.request.folderText + c.options.request.fileName + c.options.request.label, "/dumpsSN.binSN 1004");
    QVERIFY(!c.options.waitSeconds && c.options.strict);
    c = parse({"--verify", "a.bin", "b.bin"});
    QCOMPARE(int(c.action), int(ReadCommandLine::Action::Verify));
    QCOMPARE(c.files, QStringList({"a.bin", "b.bin"}));
    QCOMPARE(int(parse({"--add-header", "a.bin"}).action), int(ReadCommandLine::Action::AddHeader));
    for (const QStringList &bad : {QStringList{},
                                   {"--port"},
                                   {"--port", "x", "--size", "32"},
                                   {"--port", "x", "--wait", "0"},
                                   {"--port", "x", "extra"},
                                   {"--port", "x", "--bogus"},
                                   {"--verify"},
                                   {"--verify", "a.bin", "--port", "x"},
                                   {"--verify", "a.bin", "--add-header"}}) {
        c = parse(bad);
        QCOMPARE(int(c.action), int(ReadCommandLine::Action::UsageError));
        QVERIFY(c.text.contains("Usage: tamrix-read --port DEVICE"));
    }
    QCOMPARE(int(parse({"--help"}).action), int(ReadCommandLine::Action::ShowText));
}

void TestCli::listPortsNamesTheSerialPorts()
{
    QProcess list;
    list.start(QStringLiteral(TAMRIX_READ), {"--list-ports"});
    QVERIFY(list.waitForFinished());
    QCOMPARE(list.exitCode(), 0);
    QVERIFY(list.readAllStandardOutput().startsWith("/dev/ttyS0  COM 1"));
}

void TestCli::theWindowAnswersWithoutADisplay()
{
    // Help, version and usage errors, as over SSH; the window system's own options still reach it.
    QProcess window;
    window.setProcessEnvironment(withoutDisplay());
    const QList<std::tuple<QStringList, int, QByteArray>> runs{{{"--help"}, 0, "--output <DIR>"},
                                                               {{"--bogus"}, 2, "Unknown option 'bogus'"},
                                                               {{"-platform", "offscreen", "--version"}, 0, "Tamrix "},
                                                               {{}, 1, "display; tamrix-read reads the box from a terminal.\n"}};
    for (const auto &[args, status, said] : runs) {
        window.start(QStringLiteral(TAMRIX), args);
        QVERIFY(window.waitForFinished());
        QCOMPARE(window.exitStatus() == QProcess::NormalExit ? window.exitCode() : -1, status);
        QVERIFY((status ? window.readAllStandardError() : window.readAllStandardOutput()).contains(said));
    }
}

void TestCli::ctrlCKeepsTheWindowsSettingsUnlessToldNot()
{
    // The demo's window leaves the remembered settings alone; one started as usual keeps its
    // port when Ctrl-C closes it.
    QProcess window;
    QTemporaryDir config;
    QProcessEnvironment offscreen = withoutDisplay();
    offscreen.insert("XDG_CONFIG_HOME", config.path());
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    window.setProcessEnvironment(offscreen);
    const QString settings = config.filePath("Tamrix/Tamrix.conf");
    for (const QStringList &args : {QStringList{"--no-remember", "--port", "/dev/ttyS3"}, QStringList{"--port", "/dev/ttyS3"}}) {
        window.start(QStringLiteral(TAMRIX), args);
        QVERIFY(window.waitForStarted());
        QTRY_VERIFY(catchesInterrupt(window.processId()));  // the window is up
        ::kill(pid_t(window.processId()), SIGINT);
        QVERIFY(window.waitForFinished() && window.exitStatus() == QProcess::NormalExit);
        QCOMPARE(QString::fromUtf8(readFile(settings)).contains("port=/dev/ttyS3"), !args.contains("--no-remember"));
    }
}

void TestCli::theProgressBarShowsTheRateAndTheTimeLeft()
{
    QCOMPARE(progressText(0, 128, 0), QStringLiteral("[........................]   0/128 blocks"));
    QCOMPARE(progressText(64, 128, 11264), QStringLiteral("[############............]  64/128 blocks  11.0 kB/s  0:06 left"));
    QCOMPARE(progressText(128, 128, 11264), QStringLiteral("[########################] 128/128 blocks  11.0 kB/s  0:00 left"));
}

void TestCli::theLoadersTextCannotDriveTheTerminal()
{
    QCOMPARE(printable(QString::fromLatin1("6.0\x1b[2J\x07\x9b\t\xe9")), QString::fromLatin1("6.0?[2J??\t\xe9"));
}

void TestCli::completeReadoutsInEveryLayout_data()
{
    QTest::addColumn<QStringList>("receiverArgs");
    QTest::addColumn<QStringList>("cliArgs");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("fileHeader");
    QTest::addColumn<QString>("warnings");  // on standard error; the last one comes with the first block
    const QByteArray t128 = "KAON0008B9FFFFFFFFFFFF0000000000t";
    // The banner comes within --wait; the read-out after it takes longer.
    QTest::newRow("plain 64 kB, paced") << QStringList{"--version", "2.0.4 ", "--paced"}
                                        << QStringList{"--port", "PTY", "--size", "64", "--output", "out", "--wait", "3"}
                                        << "out/BLdump.bin" << QByteArray() << "";
    QTest::newRow("named") << QStringList{"--bl-name", "61234"} << QStringList{"--port", "PTY", "--header"} << "BL_61234_conv.bin"
                           << t128 + "BL_61234x"
                           << "";
    QTest::newRow("named by the user, with a label")
        << QStringList{"--bl-name", "61234"}
        << QStringList{"--port", "PTY", "--header", "--file", "SN 1004.bin", "--label", "SN 1004"} << "SN 1004.bin"
        << t128 + "BL_61234x"
        << "";
    // The warning waits until the first block's line is finished.
    QTest::newRow("the loader gives no name for the header")
        << QStringList{"--version", "4.1.0.0", "--size", "128"} << QStringList{"--port", "PTY", "--header"} << "BLdump.bin"
        << QByteArray()
        << "Warning: the loader was not recognised, so the size comes from the size option: blocks 1920 to 2047.\n"
           "No name for the KUP header from this loader, saving BLdump.bin without header.\n";
}

void TestCli::completeReadoutsInEveryLayout()
{
    QFETCH(QStringList, receiverArgs);
    QFETCH(QStringList, cliArgs);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, fileHeader);
    QFETCH(QString, warnings);
    CliRun r;
    QVERIFY(QDir(r.folder.path()).mkdir("out"));
    QVERIFY(r.start(receiverArgs, cliArgs));
    QVERIFY(r.finish());
    QCOMPARE(r.process.exitCode(), 0);
    const QByteArray dump = readFile(r.folder.filePath(fileName));
    QCOMPARE(dump, fileHeader + r.image());
    QCOMPARE(r.err(), warnings);  // not a terminal: no progress bar, nothing else
    const int blocks = r.image().size() / 1024;
    QString log = blockLog(2048 - blocks, blocks) + "Transfer succesfull!\r\n" + savedLine(r.folder.filePath(fileName), dump)
        + "Serial port closed.\r\n";
    log.replace("\r\n", "\n");
    if (!warnings.isEmpty()) {
        log.insert(log.indexOf('\n') + 1, warnings.section('\n', -2));
        log += "Saved with warnings: The" + QString(warnings.section("Warning: the", 1)).replace('\n', ' ').chopped(1) + '\n';
    }
    const int label = cliArgs.indexOf("--label");
    QCOMPARE(recordFromText(readFile(r.folder.filePath(fileName + ".txt")))->label, label < 0 ? QString() : cliArgs[label + 1]);
    QVERIFY2(r.out().startsWith("sending request... Turn now your receiver on.\nBL version: "), qPrintable(r.out()));
    QVERIFY2(r.out().endsWith(log), qPrintable(r.out()));
}

void TestCli::eachFailureHasItsStatus_data()
{
    QTest::addColumn<QStringList>("receiverArgs");
    QTest::addColumn<QStringList>("cliArgs");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("outEnd");
    QTest::addColumn<QString>("err");  // "...PART n:holds": then the line about the unfinished dump of n blocks
    const QStringList port{"--port", "PTY"};
    // Why a read-out failed goes to standard error too, on a line of its own. A failed block
    // closes the port at once.
    QTest::newRow("bad block") << QStringList{"--bad-block", "1"} << port << 1
                               << "The read-out has stopped and the dump is incomplete.\nSerial port closed.\n"
                               << "CRC Error while receiving BLOCK: 1921\nThe read-out has stopped and the dump is incomplete.\n"
                                  "PART 2:1 of 128 checked blocks and the failed block 1921";
    QTest::newRow("bad total")
        << QStringList{"--bad-total"} << port << 1 << "Serial port closed.\n"
        << "CRC Error in total sum: received 237, computed 236\nPART 128:all 128 blocks, but the total sum did not match";
    QTest::newRow("hang-up") << QStringList{"--hangup", "frame:3:517"} << port << 1 << "Serial port closed.\n"
                             << "Lost serial port PART 3:3 of 128 checked blocks";
    // A warning is a log line, and goes to standard error too.
    const QString unrecognised = "the loader was not recognised, so the size comes from the size option: blocks 1920 to 2047.";
    QTest::newRow("unrecognised loader") << QStringList{"--version", "4.1.0.0", "--size", "128"} << port << 0
                                         << "Serial port closed.\nSaved with warnings: T" + unrecognised.mid(1) + '\n'
                                         << "Warning: " + unrecognised + '\n';
    QTest::newRow("unrecognised loader, --strict")
        << QStringList{"--version", "4.1.0.0", "--size", "128"} << QStringList{"--port", "PTY", "--strict"} << 4
        << "Serial port closed.\nSaved with warnings: T" + unrecognised.mid(1) + '\n'
        << "Warning: " + unrecognised + '\n';
    QTest::newRow("no banner within --wait")
        << QStringList{"--silent"} << QStringList{"--port", "PTY", "--wait", "1"} << 1 << "on.\nSerial port closed.\n"
        << "tamrix-read: no banner from the receiver after 1 s\n";
    QTest::newRow("a handshake that stops within --wait")
        << QStringList{"--wrong-case"} << QStringList{"--port", "PTY", "--wait", "2"} << 1
        << "got answer...\nSerial port closed.\n"
        << "tamrix-read: no ACK in answer to KDATA after 2 s\n";
    QTest::newRow("bad usage") << QStringList{"--none"} << QStringList{"--port", "x", "--size", "32"} << 2 << ""
                               << "tamrix-read: --size is ";  // then the sizes there are
    QTest::newRow("output folder missing") << QStringList{"--none"} << QStringList{"--port", "x", "--output", "missing"} << 2
                                           << ""
                                           << "tamrix-read: Cannot save the dump in missing: it does not exist.\n";
    QTest::newRow("a path for --file") << QStringList{"--none"} << QStringList{"--port", "x", "--file", "../SN.bin"} << 2 << ""
                                       << "tamrix-read: Cannot save the dump as ../SN.bin: that is a path, not a file name";
    QTest::newRow("port not present") << QStringList{"--none"} << QStringList{"--port", "/dev/tamrix-none"} << 3 << ""
                                      << "tamrix-read: Serial port /dev/tamrix-none not present.\n";
}

void TestCli::eachFailureHasItsStatus()
{
    QFETCH(QStringList, receiverArgs);
    QFETCH(QStringList, cliArgs);
    QFETCH(int, status);
    QFETCH(QString, outEnd);
    QFETCH(QString, err);
    CliRun r;
    QVERIFY(r.start(receiverArgs, cliArgs));
    QVERIFY(r.finish());
    QCOMPARE(r.process.exitCode(), status);
    QVERIFY2(outEnd.isEmpty() ? r.out().isEmpty() : r.out().endsWith(outEnd), qPrintable(r.out()));
    const QString part = r.folder.filePath("BLdump.bin.part");
    const qsizetype at = err.indexOf("PART ");
    if (at >= 0) {
        const int blocks = err.mid(at + 5).section(':', 0, 0).toInt();
        QCOMPARE(readFile(part), r.image().left(blocks * 1024));
        QVERIFY2(r.err().endsWith(incompleteLine(part, err.mid(at).section(':', 1)).replace("\r\n", "\n")), qPrintable(r.err()));
        err.truncate(at);
    }
    QVERIFY2(status == 2 || at >= 0 ? r.err().startsWith(err) : r.err() == err, qPrintable(r.err()));
    QCOMPARE(QFile::exists(r.folder.filePath("BLdump.bin")), status == 0 || status == 4);
}

void TestCli::twoReadoutsIntoOneFolderBothSave()
{
    // A read-out that waits for a box not switched on holds nothing. Two boxes on two ports, into
    // the same folder and started together, both save, each under a name of its own that its
    // Saved line gives.
    CliRun waiting, a, b;
    QVERIFY(waiting.start({"--silent"}, {"--port", "PTY"}));
    QTRY_VERIFY(waiting.receiver.received().contains('\x1F'));
    const QString folder = waiting.folder.path();
    QVERIFY(a.start({"--version", "2.0.4", "--paced"}, {"--port", "PTY", "--output", folder}));
    QVERIFY(b.start({"--version", "2.0.4", "--paced", "--bl-name", "SN002"}, {"--port", "PTY", "--output", folder}));
    QVERIFY(a.finish() && b.finish());
    QStringList saved;
    for (CliRun *r : {&a, &b}) {
        QCOMPARE(r->process.exitCode(), 0);
        saved << r->out().section("\nSaved ", 1).section(" (", 0, 0);
        QCOMPARE(readFile(saved.constLast()), r->image());
    }
    saved.sort();
    QCOMPARE(saved, QStringList({folder + "/BLdump.1.bin", folder + "/BLdump.bin"}));
    // Killed as it waits, it leaves nothing behind.
    waiting.process.kill();
    QVERIFY(waiting.process.waitForFinished());
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 7);  // two dumps with their files, and the box's image
}

void TestCli::aDumpIsCheckedAndConvertedLater()
{
    // A plain dump, checked and given its KUP header later with no port: byte for byte what a
    // read-out of the same box with --header saves.
    CliRun plain, named;
    QVERIFY(plain.start({}, {"--port", "PTY"}) && plain.finish() && plain.process.exitCode() == 0);
    const QString folder = plain.folder.path();
    const auto run = [&](const QStringList &args) {
        QProcess process;
        process.setWorkingDirectory(folder);
        process.start(QStringLiteral(TAMRIX_READ), args);
        process.waitForFinished();
        return QString::number(process.exitCode()) + ' ' + process.readAllStandardOutput() + process.readAllStandardError();
    };
    const QByteArray kup = "KAON0008B9FFFFFFFFFFFF0000000000tBL_6021_x" + plain.image();
    const QString converted = folder + "/BL_6021_conv.bin";
    QCOMPARE(run({"--add-header", "BLdump.bin"}), "0 " + QString(savedLine(converted, kup)).replace("\r\n", "\n"));
    QVERIFY(named.start({}, {"--port", "PTY", "--header", "--output", folder}) && named.finish());
    QVERIFY2(named.out().contains(savedLine(folder + "/BL_6021_conv.1.bin", kup).replace("\r\n", "\n")
                                  + "Identical to the earlier dump " + converted + '\n'),
             qPrintable(named.out()));
    QCOMPARE(readFile(converted), kup);
    QCOMPARE(recordFromText(readFile(converted + ".txt"))->madeFrom, QStringLiteral("BLdump.bin"));

    QFile changed(folder + "/BLdump.bin");
    QVERIFY(changed.open(QIODevice::ReadWrite) && changed.write("X") == 1);
    changed.close();
    QCOMPARE(
        run({"--verify", "BLdump.bin", "BL_6021_conv.bin", "BL_6021_conv.1.bin"}),
        "1 BLdump.bin: FAILED (its SHA-256 is not the one in BLdump.bin.sha256)\nBL_6021_conv.bin: OK\nBL_6021_conv.1.bin: OK\n");
    QCOMPARE(run({"--add-header", "BL_6021_conv.bin"}), "1 tamrix-read: BL_6021_conv.bin: it has the KUP header already\n");
}

void TestCli::aDiskWithoutRoomIsFoundBeforeTheBoxIsWoken_data()
{
    QTest::addColumn<int>("diskKb");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    QTest::newRow("a 100 kB stick") << 100 << 2
                                    << "tamrix-read: Cannot save the dump in stick: its disk has 100 kB free, and a read-out "
                                       "needs 160 kB.\n";
    QTest::newRow("a disk that fills during the read-out") << 400 << 1 << "; the disk is full\n";
}

void TestCli::aDiskWithoutRoomIsFoundBeforeTheBoxIsWoken()
{
    QFETCH(int, diskKb);
    QFETCH(int, status);
    QFETCH(QString, err);
    // A small disk of the run's own: a tmpfs in a mount namespace that ends with it. Once the
    // dump has begun, something else fills the disk.
    const QString script = "mount -t tmpfs -o size=$3k tamrix-stick stick || exit 77\n"
                           "\"$1\" --port \"$2\" --output stick & pid=$!\n"
                           "until [ -s stick/BLdump.bin.part ] || ! kill -0 $pid 2>/dev/null; do sleep 0.1; done\n"
                           "dd if=/dev/zero of=stick/filler bs=1k 2>/dev/null\n"
                           "wait $pid";
    CliRun r;
    QVERIFY(QDir(r.folder.path()).mkdir("stick"));
    QVERIFY(r.start({"--paced"}, {"-rm", "sh", "-c", script, "sh", TAMRIX_READ, "PTY", QString::number(diskKb)}, "unshare"));
    QVERIFY(r.finish());
    if (r.process.exitCode() == 77 || r.err().startsWith("unshare:"))
        QSKIP("no mount namespace of its own here");
    QCOMPARE(r.process.exitCode(), status);
    QVERIFY2(r.err().endsWith(err), qPrintable(r.err()));
    if (status == 2)
        QCOMPARE(r.receiver.received(), QByteArray());
}

void TestCli::anInterruptClosesPortAndDump_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("folderRemoved");  // in place of the signal, with the unfinished dump
    QTest::newRow("SIGINT") << SIGINT << 130 << false;
    QTest::newRow("SIGTERM") << SIGTERM << 143 << false;
    QTest::newRow("SIGHUP, as an SSH session drops") << SIGHUP << 129 << false;
    // Found at the next block. Qt's own complaint about the lock file it cannot remove is not
    // the user's business.
    QTest::newRow("the folder removed") << 0 << 1 << true;
}

void TestCli::anInterruptClosesPortAndDump()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    QFETCH(bool, folderRemoved);
    CliRun r;
    QVERIFY(QDir(r.folder.path()).mkdir("out"));
    QVERIFY(r.start({"--paced"}, {"--port", "PTY", "--output", "out"}));
    QTRY_VERIFY_WITH_TIMEOUT(r.out().contains("Transfered successfully Block: 1923\n"), 20000);
    const QString part = r.folder.filePath("out/BLdump.bin.part");
    if (folderRemoved)
        QVERIFY(QDir(r.folder.filePath("out")).removeRecursively());
    QElapsedTimer clock;
    clock.start();
    if (signal)
        ::kill(pid_t(r.process.processId()), signal);
    QVERIFY(r.finish());
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(r.process.exitCode(), status);
    QVERIFY(r.out().endsWith("Serial port closed.\n"));
    if (folderRemoved) {
        QCOMPARE(r.err(),
                 "Cannot write the dump file " + part + ": it is gone from the disk\nDump incomplete: " + part
                     + " was removed during the read-out (or its folder was); nothing of it is left\n");
        QVERIFY(r.receiver.received().count("1024DOWN_SUCCESS") < 8);  // found at the next block, not at the end
        return;
    }
    const QByteArray dump = readFile(part);
    QVERIFY(dump.size() >= 4 * 1024);
    QCOMPARE(dump, r.image().left(dump.size()));
    QVERIFY(r.err().startsWith("Dump incomplete: "));
    QVERIFY(!QFile::exists(r.folder.filePath("out/BLdump.bin")));
    QCOMPARE(QDir(r.folder.filePath("out")).entryList({"*.lock"}), QStringList());  // the claim is given up
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
