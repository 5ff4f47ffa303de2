// Runs many read-outs back to back through one window, unpaced, against the virtual receiver,
// with a fault at random in a third of them (bad block, bad total, stall, hang-up, Close), and
// checks what a long session of a real user would show: every good dump byte-exact, no failed
// read-out leaving a dump under the final name, resident memory flat, no file descriptor left
// open.
// Usage: tamrix-soak [--readouts N] [--seed S]   (bench/soak builds and runs it)

#include "benchsupport.h"
#include "formprobe.h"
#include "readout/loaderbanner.h"
#include "ui/form1.h"
#include "ui/logview.h"
#include "virtualreceiver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>

namespace {

enum class Fault { None, BadBlock, BadTotal, Stall, HangUp, Close, Count };

const char *faultName(Fault fault)
{
    static const char *const names[] = {"none", "bad block", "bad total", "stall", "hang-up", "Close"};
    return names[int(fault)];
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Outcome
{
    bool finished = false;   // the port closed within the time allowed
    bool exact = false;      // a dump under the final name, the same as the receiver's image
    bool dumpNamed = false;  // a file under the final name at all
};

Outcome readOnce(Form1 &form, const QString &folder, Fault fault, QRandomGenerator &random)
{
    const int block = random.bounded(128);  // the blocks of a 6.0.2.1 loader
    QStringList args{"--version", "6.0.2.1", "--write-image", folder + "/image.bin"};
    switch (fault) {
    case Fault::BadBlock:
        args << "--bad-block" << QString::number(block);
        break;
    case Fault::BadTotal:
        args << "--bad-total";
        break;
    case Fault::Stall:
        args << "--stall" << QStringLiteral("%1:%2").arg(block).arg(random.bounded(1032));
        break;
    case Fault::HangUp:
        args << "--hangup" << QStringLiteral("frame:%1:%2").arg(block).arg(random.bounded(1032));
        break;
    default:
        break;
    }
    VirtualReceiver receiver;
    if (!receiver.start(args))
        qFatal("the virtual receiver did not start: %s", qPrintable(receiver.stderrText()));
    // Each read-out into a folder without dumps: its dump is BLdump.bin.
    for (const QString &name : QDir(folder).entryList({QStringLiteral("BLdump.*")}, QDir::Files))
        QFile::remove(folder + '/' + name);
    child<QComboBox>(form, "cmbCom")->setEditText(receiver.devicePath());

    auto *log = child<LogView>(form, "Text1");
    auto *close = child<QPushButton>(form, "Command2");
    const QString closeAt = QStringLiteral("REQUEST Block: %1").arg(1920 + block);
    QEventLoop loop;
    QObject context;
    // The user's part: Close at a chosen block, or after a failed block, which leaves the port
    // open for the user to close.
    QObject::connect(log, &LogView::textChanged, &context, [&] {
        // The last line with text: a block's request is left open, a failed block's words end
        // their line.
        QTextBlock block = log->document()->lastBlock();
        if (block.text().isEmpty())
            block = block.previous();
        const QString last = block.text();
        if ((fault == Fault::Close && last.startsWith(closeAt)) || last.endsWith(QLatin1String("Click Close to end it.")))
            QTimer::singleShot(0, close, &QPushButton::click);
        if (!form.isPortOpen())
            loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    child<QPushButton>(form, "Command1")->click();
    loop.exec();

    Outcome outcome;
    outcome.finished = !form.isPortOpen();
    const QByteArray dump = readFile(folder + "/BLdump.bin");
    outcome.dumpNamed = QFile::exists(folder + "/BLdump.bin");
    outcome.exact = outcome.dumpNamed && dump == readFile(folder + "/image.bin");
    return outcome;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const char *name, int fallback) {
        const int at = args.indexOf(QLatin1String(name));
        return at < 0 ? fallback : args.value(at + 1).toInt();
    };
    const int readouts = option("--readouts", 200);
    const quint32 seed = quint32(option("--seed", 2026));
    QRandomGenerator random(seed);

    QTemporaryDir folder;
    Form1 form;
    form.show();
    child<QLineEdit>(form, "Text2")->setText(folder.path() + '/');
    QCoreApplication::processEvents();
    const int fdsBefore = openFdCount();

    QElapsedTimer clock;
    clock.start();
    int counts[int(Fault::Count)] = {};
    int good = 0, exact = 0, unfinished = 0, failedButNamed = 0;
    double residentAt10 = 0;
    for (int i = 0; i < readouts; ++i) {
        const Fault fault = random.bounded(3) == 0 ? Fault(1 + random.bounded(int(Fault::Count) - 1)) : Fault::None;
        ++counts[int(fault)];
        const Outcome outcome = readOnce(form, folder.path(), fault, random);
        unfinished += !outcome.finished;
        if (fault == Fault::None) {
            ++good;
            exact += outcome.exact;
        } else {
            failedButNamed += outcome.dumpNamed;
        }
        if (i == 9)
            residentAt10 = residentMb();
    }
    const double residentAtEnd = residentMb();
    QCoreApplication::processEvents();
    const int fdsAfter = openFdCount();

    std::printf("read-outs: %d in %.0f s, seed %u\n", readouts, clock.elapsed() / 1000.0, seed);
    std::printf("faults: %d none", counts[0]);
    for (int f = 1; f < int(Fault::Count); ++f)
        std::printf(", %d %s", counts[f], faultName(Fault(f)));
    std::printf("\ngood read-outs byte-exact: %d of %d\n", exact, good);
    std::printf("failed read-outs that left a file under the dump's name: %d\n", failedButNamed);
    std::printf("read-outs that did not end within 60 s: %d\n", unfinished);
    std::printf("resident memory after read-out 10: %.2f MB, after %d: %.2f MB, growth %.2f MB (limit 2)\n", residentAt10,
                readouts, residentAtEnd, residentAtEnd - residentAt10);
    std::printf("open file descriptors: %d before, %d after\n", fdsBefore, fdsAfter);
    const bool passed = exact == good && failedButNamed == 0 && unfinished == 0 && residentAtEnd - residentAt10 <= 2.0
        && fdsAfter == fdsBefore;
    std::printf("%s\n", passed ? "passed" : "FAILED");
    return passed ? 0 : 1;
}
