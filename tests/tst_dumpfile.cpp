// Dump names, KUP headers and the file writer.

#include "dumpfile/dumpname.h"
#include "dumpfile/dumprecord.h"
#include "dumpfile/dumpwriter.h"
#include "dumpfile/earlierdump.h"
#include "readout/loaderfamily.h"
#include "session/outputfolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <QTimeZone>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

DumpPlan plan(bool header, int sizeKb, const QByteArray &version, const QByteArray &frame = QByteArray(7, 'z'))
{
    return planDump({header, sizeKb, version, frame});
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("MISSING");
}

QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

}  // namespace

class TestDumpFile : public QObject
{
    Q_OBJECT

private slots:
    void namesAndHeaders_data();
    void namesAndHeaders();
    void noRuleFallsBackToThePlainDump();
    void hostileNameBytesStayInTheFolder();
    void layoutsOnDisk();
    void noDumpIsLost();
    void recordsBesideTheDumps();
    void writerReportsWhatGoesWrong();
    void outputFolderRules();
};

void TestDumpFile::namesAndHeaders_data()
{
    QTest::addColumn<bool>("header");
    QTest::addColumn<int>("sizeKb");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("expectedHeader");

    const QByteArray t128 = "KAON0008B9FFFFFFFFFFFF0000000000t";
    const QByteArray t64 = "KAON0008B9FFFFFFFFFFFF0000000000L";
    const QByteArray other(7, 'z');
    QTest::newRow("no header option") << false << 128 << QByteArray("6.0.2.1") << QByteArray("BL61234") << "BLdump.bin"
                                      << QByteArray();
    QTest::newRow("frame names a 128 kB dump")
        << true << 128 << QByteArray("5.1.3") << QByteArray("BL61234") << "BL_61234_conv.bin" << t128 + "BL_61234x";
    QTest::newRow("7-character version") << true << 128 << QByteArray("6.0.2.1") << other << "BL_6021_conv.bin"
                                         << t128 + "BL_6021_x";
    QTest::newRow("5-character version") << true << 128 << QByteArray("5.1.3") << other << "BL_513_conv.bin" << t128 + "BL_513x";
    QTest::newRow("lower-case bl is no name")
        << true << 128 << QByteArray("5.1.3") << QByteArray("bl61234") << "BL_513_conv.bin" << t128 + "BL_513x";
    QTest::newRow("64 kB") << true << 64 << QByteArray("2.0.4") << QByteArray("BL61234") << "BL_204_conv.bin" << t64 + "BL_204x";
    QTest::newRow("64 kB, 8 characters") << true << 64 << QByteArray("2.0.4.1\r") << other << "BL_204_conv.bin"
                                         << t64 + "BL_204x";
    QTest::newRow("64 kB, short version") << true << 64 << QByteArray("2.1") << other << "BL_21_conv.bin" << t64 + "BL_21_x";
    QTest::newRow("blank after 7 characters")
        << true << 128 << QByteArray("6.0.2.1 ") << other << "BL_6021_conv.bin" << t128 + "BL_6021_x";
    QTest::newRow("usual banner: CR after 7 characters")
        << true << 128 << QByteArray("6.0.2.1\r") << other << "BL_6021_conv.bin" << t128 + "BL_6021_x";
    QTest::newRow("line end inside the 8 characters")
        << true << 128 << QByteArray("5.1.3\r\nM") << other << "BL_513_conv.bin" << t128 + "BL_513x";
    QTest::newRow("blank before the line end")
        << true << 128 << QByteArray("5.1.3 \nMI") << other << "BL_513_conv.bin" << t128 + "BL_513x";
}

void TestDumpFile::namesAndHeaders()
{
    QFETCH(bool, header);
    QFETCH(int, sizeKb);
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, frame);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, expectedHeader);

    const DumpPlan p = plan(header, sizeKb, version, frame);
    QCOMPARE(p.fileName, fileName);
    QCOMPARE(p.header, expectedHeader);
    QVERIFY(p.note.isEmpty());
}

void TestDumpFile::noRuleFallsBackToThePlainDump()
{
    for (const DumpPlan &p : {plan(true, 0, "4.0.0.1"), plan(true, 128, "6.0.2.1.9"), plan(true, 128, ""),
                              plan(true, 128, "6.0.2.1."), plan(true, 128, "6.0 \r\n")}) {
        QCOMPARE(p.fileName, QStringLiteral("BLdump.bin"));
        QVERIFY(p.header.isEmpty());
        QVERIFY(!p.note.isEmpty());
    }
    // Every family a banner can name has its naming, or its named dumps would all be plain.
    for (const LoaderFamily &family : kLoaderFamilies)
        QVERIFY(plan(true, family.sizeKb, "1.2.3").isNamed());
}

void TestDumpFile::hostileNameBytesStayInTheFolder()
{
    QCOMPARE(plan(true, 128, "", "BL../..").fileName, QStringLiteral("BL_.._.._conv.bin"));
    QCOMPARE(plan(true, 128, "", "BL/etc/").fileName, QStringLiteral("BL__etc__conv.bin"));
    const DumpPlan control = plan(true, 128, "", QByteArray("BL\0\x01\x1f\x7f|", 7));
    QCOMPARE(control.fileName, QStringLiteral("BL_______conv.bin"));
    // The header keeps the loader's own bytes.
    QCOMPARE(control.header.right(9), QByteArray("BL_\0\x01\x1f\x7f|x", 9));
    QCOMPARE(plan(true, 64, "\\:*?\"<>").fileName, QStringLiteral("BL_____conv.bin"));
    // Bytes above 127 are kept as the characters of those codes.
    QCOMPARE(plan(true, 128, "", "BL\xe9\xe0\xfc\xb5\xff").fileName, QString::fromLatin1("BL_\xe9\xe0\xfc\xb5\xff_conv.bin"));

    // On the disk each is one file of that name: no NTFS stream ("BL_:x"), no device (CON,
    // NUL), no name the system refuses (a trailing dot or blank).
    QTemporaryDir dir;
    QStringList names;
    for (const QByteArray &frame :
         {QByteArray("BL:$DAT"), QByteArray("BLCON. "), QByteArray("BLNUL:."), QByteArray("BL\xe9 . \xff")}) {
        const DumpPlan named = plan(true, 128, "", frame);
        DumpWriter writer;
        QVERIFY2(writer.open(dir.filePath(named.fileName), named.header) && writer.append("d") && writer.commit({}),
                 qPrintable(writer.errorString()));
        writer.close();
        names << named.fileName << named.fileName + ".sha256" << named.fileName + ".txt";
    }
    names.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
}

void TestDumpFile::layoutsOnDisk()
{
    QTemporaryDir dir;
    const QByteArray data(1024 * 3, 'd');
    struct Case
    {
        DumpPlan plan;
        qint64 headerSize;
    };
    for (const Case &c : {Case{plan(false, 128, ""), 0}, Case{plan(true, 128, "6.0.2.1"), 42}, Case{plan(true, 128, "5.1.3"), 40},
                          Case{plan(true, 64, "2.0.4"), 40}}) {
        const QString path = dir.filePath(c.plan.fileName);
        const QString part = path + ".part";
        // A longer unfinished dump from before.
        QFile stale(part);
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(QByteArray(200000, 'o')) > 0);
        stale.close();
        DumpWriter writer;
        QVERIFY(writer.open(path, c.plan.header));
        QVERIFY(writer.append(data.left(1024)));
        QCOMPARE(QFileInfo(part).size(), c.headerSize + 1024);  // on disk before close
        QVERIFY(writer.append(data.mid(1024)));
        QVERIFY(writer.commit({}));
        QVERIFY(!writer.isOpen());  // closed before it is renamed: Windows renames no open file
        QVERIFY(!writer.close());   // nothing unfinished left behind
        QVERIFY(!QFile::exists(part));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QCOMPARE(content, c.plan.header + data);
        QCOMPARE(writer.size(), content.size());
        QCOMPARE(writer.sha256(), QCryptographicHash::hash(content, QCryptographicHash::Sha256));
        QCOMPARE(writer.uniformDataByte(), std::optional<quint8>('d'));
    }
}

void TestDumpFile::noDumpIsLost()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("BLdump.bin");
    const auto numbered = [&](int n) { return n < 0 ? QString() : n ? numberedPath(path, n) : path; };
    DumpWriter writer;
    // Writes a dump and checks what became of the earlier ones: the number the one under the name
    // was kept as, the one holding the same bytes (0: the name itself; -1: none).
    const auto write = [&](const QByteArray &data, int kept, int identical) {
        const bool ok = writer.open(path, {}) && writer.append(data) && writer.commit({});
        writer.close();
        return ok && writer.keptPath() == numbered(kept ? kept : -1) && writer.identicalPath() == numbered(identical);
    };
    QVERIFY(write("box D", 0, -1));
    QVERIFY(write("box E", 1, -1));
    QVERIFY(write("box D", 2, 1));  // under the name was E: kept, and D is found among the numbered
    QVERIFY(write("box D", 0, 0));  // the same bytes under the name: nothing to keep
    QCOMPARE(readAll(path), QByteArray("box D"));
    QCOMPARE(readAll(numbered(1)), QByteArray("box D"));
    QCOMPARE(readAll(numbered(2)), QByteArray("box E"));
    QCOMPARE(numberedPath("/d/BL_61234_conv.bin", 3), QStringLiteral("/d/BL_61234_conv.3.bin"));
    QCOMPARE(numberedPath("/d/dump", 1), QStringLiteral("/d/dump.1"));

    // A kept dump is renamed with its checksum file and record: it keeps its date, and the next
    // number is one more than the highest in use, not the first free one.
    const QDateTime readLastYear = QDateTime::currentDateTime().addYears(-1);
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::ReadWrite) && earlier.setFileTime(readLastYear, QFileDevice::FileModificationTime));
    earlier.close();
    for (const QString &file : {numbered(1), numbered(1) + ".sha256", numbered(1) + ".txt"})
        QVERIFY(QFile::remove(file));
    QVERIFY(write("box F", 3, -1));
    QCOMPARE(readAll(numbered(3)), QByteArray("box D"));
    QCOMPARE(QFileInfo(numbered(3)).lastModified().toSecsSinceEpoch(), readLastYear.toSecsSinceEpoch());
    QCOMPARE(readAll(numbered(3) + ".sha256"), sha256("box D") + "  BLdump.3.bin\n");
    QVERIFY(QFile::exists(numbered(3) + ".txt"));
    QVERIFY(!QFile::exists(numbered(1)));

    // A dump changed since it was saved is kept as it is, with its checksum as it was: nothing
    // certifies the damage. A dump without a checksum file gets none made up.
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::ReadWrite) && damaged.write("B") == 1);
    damaged.close();
    QVERIFY(write("box G", 4, -1));
    QVERIFY(writer.keptDumpChanged());
    QCOMPARE(readAll(numbered(4)), QByteArray("Box F"));
    QCOMPARE(readAll(numbered(4) + ".sha256"), sha256("box F") + "  BLdump.4.bin\n");
    QVERIFY(QFile::remove(path + ".sha256"));
    QVERIFY(write("box H", 5, -1));
    QVERIFY(!writer.keptDumpChanged());
    QVERIFY(!QFile::exists(numbered(5) + ".sha256"));
    QVERIFY(QFile::exists(numbered(5) + ".txt"));

#ifndef Q_OS_WIN  // tools/windows-check gives the checksum files that Windows wrote to sha256sum
    // sha256sum agrees with every checksum file but the changed dump's.
    QProcess check;
    check.setWorkingDirectory(dir.path());
    check.start("sha256sum", {"-c", "BLdump.bin.sha256", "BLdump.2.bin.sha256", "BLdump.3.bin.sha256", "BLdump.4.bin.sha256"});
    QVERIFY(check.waitForFinished());
    QCOMPARE(check.readAllStandardOutput(),
             QByteArray("BLdump.bin: OK\nBLdump.2.bin: OK\nBLdump.3.bin: OK\nBLdump.4.bin: FAILED\n"));
#endif

    // One claim on a name at a time; closing gives it up. No data is uniform here.
    DumpWriter first, second;
    QVERIFY(first.open(path, {}));
    QVERIFY(first.append(QByteArray(1024, 'a') + 'b'));
    QVERIFY(!first.uniformDataByte());
    QCOMPARE(int(second.claim(path)), int(DumpWriter::Claim::InUse));
    QVERIFY(!second.open(path, {}));
    QCOMPARE(second.errorString(), QStringLiteral("another read-out is writing it"));
    QVERIFY(first.close());
    QVERIFY(second.open(path, {}));
}

void TestDumpFile::recordsBesideTheDumps()
{
    // For a person and a script: one "key: value" a line, the banner's bytes as they came with
    // control characters, bytes above 127 and the backslash made visible.
    DumpRecord record;
    record.time = QDateTime(QDate(2026, 3, 4), QTime(10, 22, 31), QTimeZone(3600));
    record.tamrixVersion = "2.2";
    record.port = "COM 1 (/dev/ttyS0)";
    record.banner = "\r\nKAON \\ \x1b[2J\xe9 Version 6.0.2.1\r\nMICOM";
    record.loaderVersion = "6.0.2.1\r";
    record.loaderSizeKb = 128;
    record.firstBlock = 1920;
    record.blockCount = 128;
    record.blocksChecked = 3;
    record.failedBlock = 1923;
    record.totalSum = "not checked";
    record.result = "CRC Error while receiving BLOCK: 1923";
    QTemporaryDir dir;
    const QString path = dir.filePath("BLdump.bin");
    DumpWriter writer;
    QVERIFY(writer.open(path, {}) && writer.append("data") && writer.close() && writer.recordUnfinished(record));
    QCOMPARE(readAll(path + ".part.txt"),
             "time: 2026-03-04T10:22:31+01:00\n"
             "tamrix version: 2.2\n"
             "port: COM 1 (/dev/ttyS0)\n"
             "banner: \\r\\nKAON \\\\ \\x1b[2J\\xe9 Version 6.0.2.1\\r\\nMICOM\n"
             "loader version: 6.0.2.1\\r\n"
             "loader size: 128 kB\n"
             "first block: 1920\n"
             "block count: 128\n"
             "blocks checked: 3\n"
             "failed block: 1923\n"
             "total sum: not checked\n"
             "result: CRC Error while receiving BLOCK: 1923\n"
             "size: 4\n"
             "sha256: "
                 + sha256("data") + '\n');

    // The next read-out of the name starts the unfinished dump and its record afresh. A complete
    // dump's record is under its name and says what became of the earlier dump.
    QVERIFY(writer.open(path, {}));
    QVERIFY(!QFile::exists(path + ".part.txt"));
    QVERIFY(writer.append("data") && writer.commit(record) && !writer.close());
    QVERIFY(writer.open(path, {}) && writer.append("other") && writer.commit(record));
    QVERIFY(readAll(path + ".txt").endsWith("size: 5\nsha256: " + sha256("other") + "\nkept earlier dump: BLdump.1.bin\n"));
    QVERIFY(readAll(dir.filePath("BLdump.1.bin.txt")).endsWith("size: 4\nsha256: " + sha256("data") + '\n'));
}

void TestDumpFile::writerReportsWhatGoesWrong()
{
    QTemporaryDir dir;
    DumpWriter writer;
    QVERIFY(!writer.open(dir.filePath("missing/BLdump.bin"), {}));
    QCOMPARE(writer.errorPath(), dir.filePath("missing/BLdump.bin.part"));
    QVERIFY(!writer.errorString().isEmpty());
    QVERIFY(!writer.isOpen());
    QVERIFY(!writer.append("x"));
    QVERIFY(!writer.close());

    // A folder in the dump's place is found at the start, not after the whole download.
    QVERIFY(QDir(dir.path()).mkdir("BLdump.bin"));
    QVERIFY(!writer.open(dir.filePath("BLdump.bin"), {}));
    QCOMPARE(writer.errorPath(), dir.filePath("BLdump.bin"));

#ifdef Q_OS_UNIX
    // A full disk: what was written stays as the unfinished dump.
    if (QFile::exists("/dev/full")) {
        QVERIFY(QFile::link("/dev/full", dir.filePath("full.bin.part")));
        QVERIFY(writer.open(dir.filePath("full.bin"), {}));
        QVERIFY(!writer.append(QByteArray(1024, 'x')));
        QVERIFY(!writer.errorString().isEmpty());
        QVERIFY(writer.close());
    }
    // A disk that fills up inside a block: the block is taken out again, so an unfinished dump
    // holds whole blocks, as many as it is said to hold.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit unlimited{}, small{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    small = unlimited;
    small.rlim_cur = 2 * 1024 + 500;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const bool filled = writer.open(dir.filePath("filling.bin"), {}) && writer.append(QByteArray(1024, 'a'))
        && writer.append(QByteArray(1024, 'b')) && !writer.append(QByteArray(1024, 'c'));
    QVERIFY(setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    QVERIFY(filled);
    QCOMPARE(QFileInfo(dir.filePath("filling.bin.part")).size(), 2048);
    QCOMPARE(writer.errorString(), QStringLiteral("File too large"));
#endif
}

void TestDumpFile::outputFolderRules()
{
    QCOMPARE(outputFolder(QString(), "/default/"), QStringLiteral("/default/"));
    QCOMPARE(outputFolder("  ", "/default/"), QStringLiteral("/default/"));
    QCOMPARE(outputFolder("/typed", "/default/"), QStringLiteral("/typed"));
#ifdef Q_OS_WIN
    qputenv("TAMRIX_DUMPS", "D:\\dumps");
    QCOMPARE(outputFolder("%TAMRIX_DUMPS%\\box %TAMRIX_DUMPS%", "C:\\"), QStringLiteral("D:\\dumps\\box D:\\dumps"));
    QCOMPARE(outputFolder("%NO_SUCH_NAME%\\%TAMRIX_DUMPS%", "C:\\"), QStringLiteral("%NO_SUCH_NAME%\\D:\\dumps"));
    QCOMPARE(outputFolder("~", "C:\\"), QStringLiteral("~"));
    // Forward slashes are separators too, and the log shows the path as Windows writes it.
    QCOMPARE(pathInFolder("C:/dumps/", "BLdump.bin"), QStringLiteral("C:/dumps/BLdump.bin"));
    QCOMPARE(pathInFolder("C:\\dumps\\", "BLdump.bin"), QStringLiteral("C:\\dumps\\BLdump.bin"));
    QCOMPARE(shownPath(pathInFolder("C:/dumps", "BLdump.bin")), QStringLiteral("C:\\dumps\\BLdump.bin"));
#else
    QCOMPARE(outputFolder("~", "/default/"), QDir::homePath());
    QCOMPARE(outputFolder("~/dumps/", "/default/"), QDir::homePath() + "/dumps/");
    QCOMPARE(outputFolder("~dumps", "/default/"), QStringLiteral("~dumps"));
    QCOMPARE(pathInFolder("/tmp/nc-dumps/", "BLdump.bin"), QStringLiteral("/tmp/nc-dumps/BLdump.bin"));
    QCOMPARE(pathInFolder("/tmp/nc-dumps", "BLdump.bin"), QStringLiteral("/tmp/nc-dumps/BLdump.bin"));
#endif

    QTemporaryDir dir;
    QCOMPARE(folderProblem(dir.path()), QString());
    QCOMPARE(folderProblem(dir.path() + '/'), QString());
    QCOMPARE(folderProblem(dir.filePath("missing")), QStringLiteral("it does not exist"));
    QFile file(dir.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(folderProblem(dir.filePath("file")), QStringLiteral("it is not a folder"));
    QCOMPARE(folderProblem(dir.filePath("file") + '/'), QStringLiteral("it is not a folder"));
#ifdef Q_OS_UNIX
    // Permissions do not stop root; the kernel's own folders do.
    QString readOnly = QStringLiteral("/proc");
    if (geteuid() != 0) {
        readOnly = dir.filePath("read-only");
        QVERIFY(QDir().mkdir(readOnly));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    }
    QVERIFY(!folderProblem(readOnly).isEmpty());
#endif
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).contains("file"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // the probe is gone
}

QTEST_GUILESS_MAIN(TestDumpFile)
#include "tst_dumpfile.moc"
