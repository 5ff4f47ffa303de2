// Dump names, KUP headers and the file writer.

#include "dumpfile/checksumfile.h"
#include "dumpfile/dumpcheck.h"
#include "dumpfile/dumpname.h"
#include "dumpfile/dumprecord.h"
#include "dumpfile/dumpwriter.h"
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
    void fileNamesGivenByTheUser();
    void layoutsOnDisk();
    void savedFilesAreNeverRenamedOrRewritten();
    void recordsBesideTheDumps();
    void aSavedDumpIsCheckedLater();
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

void TestDumpFile::fileNamesGivenByTheUser()
{
    // A name alone, that Linux and Windows both keep as it is, and that no file beside a dump has.
    for (const QString &good : QStringList{"SN1004.bin", "Kunde Müller 3", "box.1.bin", ".hidden", "CONSOLE.bin"})
        QVERIFY2(fileNameProblem(good).isEmpty(), qPrintable(good));
    for (const QString &bad : QStringList{"", "..", "out/SN.bin", "..\\SN.bin", "a:b", "a*", "tab\there", "SN.", "SN ", "nul.bin",
                                          "COM1", "Lpt9.txt.bin", "SN.bin.sha256", "SN.bin.part", "SN.TXT", QString(201, 'x')})
        QVERIFY2(!fileNameProblem(bad).isEmpty(), qPrintable(bad));
    // It takes the place of the rules' name; whether the KUP header comes is theirs to say.
    const auto given = [](bool header, int sizeKb) {
        return planDump({header, sizeKb, "6.0.2.1", QByteArray(7, 'z'), "SN.bin"});
    };
    QCOMPARE(given(true, 128).fileName + given(false, 128).fileName, QStringLiteral("SN.binSN.bin"));
    QVERIFY(given(true, 128).isNamed() && !given(false, 128).isNamed());
    QCOMPARE(given(true, 0).note, QStringLiteral("No name for the KUP header from this loader, saving SN.bin without header."));
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
        // An unfinished dump from before stays as it is: the new one is the next of the name.
        const QString stale = dir.filePath(c.plan.fileName + ".part");
        QFile older(stale);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write(QByteArray(200000, 'o')) > 0);
        older.close();
        DumpWriter writer;
        QVERIFY(writer.open(dir.filePath(c.plan.fileName), c.plan.header));
        const QString path = numberedPath(dir.filePath(c.plan.fileName), 1);
        QCOMPARE(writer.path(), path);
        QVERIFY(writer.append(data.left(1024)));
        QCOMPARE(QFileInfo(path + ".part").size(), c.headerSize + 1024);  // on disk before close
        QVERIFY(writer.append(data.mid(1024)));
        QVERIFY(writer.commit({}));
        QVERIFY(!writer.isOpen());  // closed before it is renamed: Windows renames no open file
        QVERIFY(!writer.close());   // nothing unfinished left behind
        QVERIFY(!QFile::exists(path + ".part"));
        QCOMPARE(QFileInfo(stale).size(), 200000);
        const QByteArray content = readAll(path);
        QCOMPARE(content, c.plan.header + data);
        QCOMPARE(writer.size(), content.size());
        QCOMPARE(writer.sha256(), QCryptographicHash::hash(content, QCryptographicHash::Sha256));
        QCOMPARE(writer.uniformDataByte(), std::optional<quint8>('d'));
    }
}

void TestDumpFile::savedFilesAreNeverRenamedOrRewritten()
{
    // A folder as an earlier Tamrix left it: the newest dump under the name, earlier ones kept
    // under numbers, with their checksum files and records.
    QTemporaryDir dir;
    const QString path = dir.filePath("BLdump.bin");
    const auto numbered = [&](int n) { return n ? numberedPath(path, n) : path; };
    const QDateTime lastYear = QDateTime::currentDateTime().addYears(-1);
    for (const auto &[n, data] : {std::pair{0, "box C"}, std::pair{1, "box A"}, std::pair{2, "box B"}}) {
        QFile dump(numbered(n));
        QVERIFY(dump.open(QIODevice::WriteOnly) && dump.write(data) == 5 && dump.flush()
                && dump.setFileTime(lastYear, QFileDevice::FileModificationTime));
        QString error;
        QVERIFY(writeChecksumFile(numbered(n), QCryptographicHash::hash(data, QCryptographicHash::Sha256), &error));
    }
    DumpWriter writer;
    // Writes a dump; the number it was saved under, and the one that holds the same bytes (-1: none).
    const auto write = [&](const QByteArray &data, int savedAs, int identical) {
        const bool ok = writer.open(path, {}) && writer.append(data) && writer.commit({});
        writer.close();
        return ok && writer.path() == numbered(savedAs)
            && writer.identicalPath() == (identical < 0 ? QString() : numbered(identical));
    };
    QVERIFY(write("box D", 3, -1));
    QVERIFY(write("box A", 4, 1));
    QVERIFY(write("box C", 5, 0));
    // A gap is never filled again: the numbers tell the order the dumps were saved in.
    for (const QString &file : {numbered(4), numbered(4) + ".sha256", numbered(4) + ".txt"})
        QVERIFY(QFile::remove(file));
    QVERIFY(write("box E", 6, -1));
    // Nothing saved before was touched.
    for (const auto &[n, data] : {std::pair{0, "box C"}, std::pair{1, "box A"}, std::pair{2, "box B"}, std::pair{3, "box D"}}) {
        QCOMPARE(readAll(numbered(n)), QByteArray(data));
        QCOMPARE(readAll(numbered(n) + ".sha256"), sha256(data) + "  " + QFileInfo(numbered(n)).fileName().toUtf8() + '\n');
    }
    QCOMPARE(QFileInfo(path).lastModified().toSecsSinceEpoch(), lastYear.toSecsSinceEpoch());
    QVERIFY(!QFile::exists(numbered(4)));
    QCOMPARE(readAll(numbered(6)), QByteArray("box E"));

    // Read-outs at once: each claims a name of its own at its first block, and an unfinished
    // dump is left as it is, its name with it.
    DumpWriter first, second, third;
    QVERIFY(first.open(path, {}) && second.open(path, {}));
    QCOMPARE(first.path() + second.path(), numbered(7) + numbered(8));
    QVERIFY(first.append(QByteArray(1024, 'a') + 'b'));
    QVERIFY(!first.uniformDataByte());
    QVERIFY(first.close() && second.close());
    QVERIFY(third.open(path, {}));
    QCOMPARE(third.path(), numbered(9));
    QCOMPARE(readAll(numbered(7) + ".part"), QByteArray(1024, 'a') + 'b');

#ifndef Q_OS_WIN  // tools/windows-check gives the checksum files that Windows wrote to sha256sum
    QProcess check;
    check.setWorkingDirectory(dir.path());
    check.start("sha256sum",
                {"-c", "--quiet", "BLdump.bin.sha256", "BLdump.1.bin.sha256", "BLdump.2.bin.sha256", "BLdump.3.bin.sha256",
                 "BLdump.5.bin.sha256", "BLdump.6.bin.sha256"});
    QVERIFY(check.waitForFinished() && check.exitCode() == 0);
#endif
}

void TestDumpFile::recordsBesideTheDumps()
{
    // For a person and a script: one "key: value" a line, the banner's bytes as they came with
    // control characters, bytes above 127 and the backslash made visible.
    DumpRecord record;
    record.time = QDateTime(QDate(2026, 3, 4), QTime(10, 22, 31), QTimeZone(3600));
    record.tamrixVersion = "2.2";
    record.port = "COM 1 (/dev/ttyS0)";
    record.label = QStringLiteral("SN1004, Müller\n");
    record.banner = "\r\nKAON \\ \x1b[2J\xe9 Version 4.0.2.1\r\nMICOM";
    record.loaderVersion = "4.0.2.1\r";
    record.loaderSizeKb = 128;
    record.sizeFromOption = true;
    record.firstBlock = 1920;
    record.blockCount = 128;
    record.blocksChecked = 3;
    record.failedBlock = 1923;
    record.totalSum = "not checked";
    record.result = "CRC Error while receiving BLOCK: 1923";
    record.warnings = QStringList{"Warning: the loader was not recognised.", "No name for the KUP header."};
    QTemporaryDir dir;
    const QString path = dir.filePath("BLdump.bin");
    DumpWriter writer;
    QVERIFY(writer.open(path, "KAON\x01") && writer.append("data") && writer.close() && writer.recordUnfinished(record));
    const QByteArray text = readAll(path + ".part.txt");
    QCOMPARE(text,
             "time: 2026-03-04T10:22:31+01:00\n"
             "tamrix version: 2.2\n"
             "port: COM 1 (/dev/ttyS0)\n"
             "label: SN1004, Müller \n"
             "banner: \\r\\nKAON \\\\ \\x1b[2J\\xe9 Version 4.0.2.1\\r\\nMICOM\n"
             "loader version: 4.0.2.1\\r\n"
             "loader size: 128 kB, from the size option\n"
             "first block: 1920\n"
             "block count: 128\n"
             "blocks checked: 3\n"
             "failed block: 1923\n"
             "total sum: not checked\n"
             "result: CRC Error while receiving BLOCK: 1923\n"
             "warning: the loader was not recognised.\n"
             "warning: No name for the KUP header.\n"
             "header: KAON\\x01\n"
             "size: 9\n"
             "sha256: "
                 + sha256("KAON\x01"
                          "data")
                 + '\n');
    // What Tamrix reads back of it is what it wrote.
    const std::optional<DumpRecord> back = recordFromText(text);
    QVERIFY(back);
    QCOMPARE(recordText(*back), text);
    QVERIFY(!recordFromText("time: now\nresult: complete\n"));
}

void TestDumpFile::aSavedDumpIsCheckedLater()
{
    // A complete plain dump, then one thing about it changed at a time: how checkDump finds it.
    QTemporaryDir dir;
    const QString path = dir.filePath("BLdump.bin");
    DumpRecord record;
    record.blocksChecked = 2;
    record.result = "complete";
    DumpWriter writer;
    QVERIFY(writer.open(path, {}) && writer.append(QByteArray(2048, 'd')) && writer.commit(record));
    const QByteArray recordText = readAll(path + ".txt"), checksum = readAll(path + ".sha256");
    const auto put = [](const QString &file, const QByteArray &content) {
        QFile out(file);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(content) == content.size();
    };
    const QList<std::tuple<QString, QByteArray, QString>> damages{
        {path, QByteArray(2048, 'd'), ""},
        {path, QByteArray(2047, 'd') + 'x', "its SHA-256 is not the one in BLdump.bin.sha256"},
        {path + ".sha256", "", "no checksum file BLdump.bin.sha256"},
        {path + ".txt", "", "no record BLdump.bin.txt"},
        {path + ".txt", "size: 5\n", "BLdump.bin.txt is not the record of a dump"},
        {path + ".txt", QByteArray(recordText).replace("result: complete", "result: stopped"),
         "its record says the read-out did not finish: stopped"},
        {path + ".txt", QByteArray(recordText).replace("size: 2048", "size: 2090"), "it has 2048 bytes, its record says 2090"},
        {path + ".txt", QByteArray(recordText).replace(sha256(QByteArray(2048, 'd')), sha256("other")),
         "its SHA-256 is not the one in its record"},
        {path + ".txt", QByteArray(recordText).replace("blocks checked: 2", "blocks checked: 1"),
         "its record says it is a plain dump of 1 blocks"},
        {path + ".txt", QByteArray(recordText).replace("header: none", "header: KAON"),
         "it does not begin with the KUP header its record gives"},
        // An earlier Tamrix's record does not name the header.
        {path + ".txt", QByteArray(recordText).replace("header: none\n", ""), ""},
    };
    for (const auto &[file, content, problem] : damages) {
        QVERIFY(put(path, QByteArray(2048, 'd')) && put(path + ".txt", recordText) && put(path + ".sha256", checksum));
        if (content.isEmpty())
            QVERIFY(QFile::remove(file));
        else
            QVERIFY(put(file, content));
        QCOMPARE(checkDump(path).problem, problem);
    }
    QVERIFY(checkDump(dir.filePath("missing.bin")).problem.startsWith("cannot be read: "));
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

    // A folder in the dump's place takes its name, as a file would. A .part removed while it is
    // written is found at the next block; Windows removes no open file.
    QVERIFY(QDir(dir.path()).mkdir("BLdump.bin"));
    QVERIFY(writer.open(dir.filePath("BLdump.bin"), {}));
    QCOMPARE(writer.path(), dir.filePath("BLdump.1.bin"));
#ifdef Q_OS_UNIX
    QVERIFY(writer.append("1") && QFile::remove(writer.partPath()));
    QVERIFY(!writer.append("2"));
    QCOMPARE(writer.errorString(), QStringLiteral("it is gone from the disk"));
    QVERIFY(!writer.isDiskFull());
    QVERIFY(writer.close());

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
    QVERIFY(writer.isDiskFull());
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

    QCOMPARE(roomProblem(dir.path(), 131114), QString());
    QVERIFY(roomProblem(dir.path(), qint64(1) << 60).contains(" kB free, and a read-out needs "));
    // A folder for each box labels what is read into it; the default folder does not.
    QCOMPARE(folderLabel(dir.filePath("SN1004/"), dir.path()), QStringLiteral("SN1004"));
    QCOMPARE(folderLabel(dir.path() + '/', dir.path()), QString());
}

QTEST_GUILESS_MAIN(TestDumpFile)
#include "tst_dumpfile.moc"
