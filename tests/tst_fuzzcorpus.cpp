// The fuzzers' seed corpus and every input they ever found worth keeping, replayed through the
// same checks in every test run, also where clang and libFuzzer are missing.

#include "fuzz/dumpnamecheck.h"
#include "fuzz/enginecheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusKeepsTheRules_data();
    void corpusKeepsTheRules();
};

void TestFuzzCorpus::corpusKeepsTheRules_data()
{
    QTest::addColumn<QString>("path");
    for (const char *target : {"readout", "dumpname"}) {
        const QDir dir(QStringLiteral(TAMRIX_CORPUS_DIR "/") + target);
        QVERIFY(dir.exists());
        for (const QString &name : dir.entryList(QDir::Files))
            QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(target, name))) << dir.filePath(name);
    }
}

void TestFuzzCorpus::corpusKeepsTheRules()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    if (path.contains("/readout/")) {
        EngineCheck check;
        check.run(SessionInput::decode(data, size_t(bytes.size())));
        // The good seeds are whole sessions: they reach the loader's last answer; the others
        // stop where their fault is.
        QCOMPARE(check.sent().endsWith("DOWN_SUCCESS\r"), QFileInfo(path).fileName().startsWith("good-"));
    } else {
        checkDumpName(data, size_t(bytes.size()));
    }
}

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
