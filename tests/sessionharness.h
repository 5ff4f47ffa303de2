#pragma once
// A read-out session against the virtual receiver, with an output folder of its own, recording
// what a front end is told.

#include "enginetranscript.h"
#include "support/cputime.h"
#include "support/virtualreceiver.h"

#include "dumpfile/dumprecord.h"
#include "session/outputfolder.h"
#include "session/readoutsession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

inline constexpr int kReadoutLimitMs = 60000;

// A complete read-out at the size option a window starts with: the 128 blocks of a 128 kB loader.
inline QByteArray completeWindowWire()
{
    return completeWire(1920, 128);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything before "KDATA" is keying, and there is no keying after it.
inline QByteArray afterKeying(const QByteArray &received)
{
    const qsizetype kdata = received.indexOf("KDATA");
    if (kdata < 1 || received.left(kdata).count('\x1F') != kdata)
        return "BAD KEYING: " + received.left(64).toHex();
    return received.mid(kdata);
}

// The line after a read-out that left an unfinished dump; `holds` says what it holds.
inline QString incompleteLine(const QString &partPath, const QString &holds)
{
    return "Dump incomplete: " + shownPath(partPath) + " holds " + holds + "\r\n";
}

inline QString savedLine(const QString &path, const QByteArray &dump)
{
    return QStringLiteral("Saved %1 (%2 bytes, SHA-256 %3)\r\n")
        .arg(shownPath(path))
        .arg(dump.size())
        .arg(QString::fromLatin1(QCryptographicHash::hash(dump, QCryptographicHash::Sha256).toHex()));
}

struct SessionRun
{
    SessionRun()
    {
        QObject::connect(&session, &ReadoutSession::portOpened, [this] { log.clear(); });
        QObject::connect(&session, &ReadoutSession::logged, [this](const LogEntry &entry) { addToLog(entry); });
        QObject::connect(&session, &ReadoutSession::warning, [this](const QString &text) { addToLog(LogEntry::line(text)); });
        QObject::connect(&session, &ReadoutSession::incompleteDumpLeft,
                         [this](const QString &text) { addToLog(LogEntry::line(text)); });
        QObject::connect(&session, &ReadoutSession::progressChanged, [this](int done, int) { progress = done; });
        QObject::connect(&session, &ReadoutSession::ended, [this](const ReadoutEnd &e) {
            QVERIFY2(!end, "one end per read-out");
            end = e;
        });
    }
    bool start(const QStringList &receiverArgs, bool header = false)
    {
        return receiver.start(receiverArgs + QStringList{"--write-image", folder.filePath("image.bin")}) && open(header);
    }
    bool open(bool header = false) { return startSession(header).started(); }
    // Line ends as the window adds them.
    void addToLog(const LogEntry &entry) { log += entry.endsLine() ? entry.text + "\r\n" : entry.text; }
    StartOutcome startSession(bool header)
    {
        end.reset();
        return session.start({receiver.devicePath(), {}, 0, header, outputFolder, {}});
    }
    // Runs the event loop as the programs do, without the sleeps of QTest::qWait between passes.
    bool waitForEnd()
    {
        if (!end) {
            QEventLoop loop;
            QObject::connect(&session, &ReadoutSession::ended, &loop, &QEventLoop::quit, Qt::QueuedConnection);
            QTimer::singleShot(kReadoutLimitMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return end.has_value();
    }

    QByteArray image() const { return readFile(folder.filePath("image.bin")); }
    QString path(const QString &name = QStringLiteral("BLdump.bin")) const { return folder.filePath(name); }
    QByteArray dump(const QString &name = QStringLiteral("BLdump.bin")) const { return readFile(path(name)); }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }
    // The record beside the dump `name`, as Tamrix reads it back.
    DumpRecord record(const QString &name) const { return recordFromText(readFile(path(name + ".txt"))).value_or(DumpRecord{}); }

    QTemporaryDir folder;
    QString outputFolder = folder.path() + '/';
    VirtualReceiver receiver;
    ReadoutSession session;
    QString log;  // as the window shows it, with CR LF line ends
    int progress = 0;
    std::optional<ReadoutEnd> end;
};

// Once a read-out is over, nothing more reaches the receiver.
inline void verifySilentAfterwards(SessionRun &r)
{
    const QByteArray sent = r.receiver.received();
    QTest::qWait(700);  // more than two keying ticks
    QCOMPARE(r.receiver.received(), sent);
    QVERIFY(!r.session.isKeying());
}
