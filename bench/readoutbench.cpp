// Measures whole read-outs against the virtual receiver as a user pays for them: the real
// window on the display it is given (bench/readout gives it an Xvfb server), the same window
// offscreen for comparison, and tamrix-read. Beside them, what a minimal blocking reader of
// the same paced bytes costs on this machine: the floor no program can go below.
//
// Usage: tamrix-bench [--runs N]   one table, median of N runs (at least 3)
//        tamrix-bench --paced-only one paced 128 kB read-out in the window, for profiling
//        tamrix-bench --unpaced-only  the same, unpaced
//        tamrix-bench --window N   (used by the table) the window's figures as raw lines

#include "benchsupport.h"
#include "formprobe.h"
#include "ui/form1.h"
#include "ui/logview.h"
#include "virtualreceiver.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextStream>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

constexpr int kReadoutLimitMs = 120000;
constexpr int kBannerWaitSeconds = 15;

struct MeasuredReadout
{
    bool ok = false;
    double blockWall = 0;  // first block request to the port closed, as the tool saw it
    double linePhase = 0;  // first block request to DOWN_SUCCESS, as the line carried it
    double totalWall = 0;  // Open (or start) to the port closed
    double cpu = 0;
    Figure replyDelaysMs;  // one value per frame
};

QStringList receiverArgs(bool paced, int blocks)
{
    QStringList args{"--version", blocks == 64 ? "2.0.4 " : "6.0.2.1"};
    if (paced)
        args << "--paced";
    return args;
}

void takeTimings(const VirtualReceiver &receiver, MeasuredReadout *out)
{
    // The receiver takes DOWN_SUCCESS in once its wire time is over, just after the tool closed
    // the port.
    for (int i = 0; i < 200 && receiver.blockPhaseUs() < 0; ++i) {
        QEventLoop wait;
        QTimer::singleShot(10, &wait, &QEventLoop::quit);
        wait.exec();
    }
    for (qint64 us : receiver.replyDelaysUs())
        out->replyDelaysMs.values.push_back(us / 1000.0);
    out->linePhase = receiver.blockPhaseUs() / 1e6;
}

MeasuredReadout windowReadout(bool paced, int blocks)
{
    MeasuredReadout out;
    VirtualReceiver receiver;
    if (!receiver.start(receiverArgs(paced, blocks)))
        return out;
    QTemporaryDir folder;
    Form1 form;
    form.show();
    child<QLineEdit>(form, "Text2")->setText(folder.path() + '/');
    child<QComboBox>(form, "cmbCom")->setEditText(receiver.devicePath());
    auto *log = child<LogView>(form, "Text1");

    QElapsedTimer clock;
    QEventLoop loop;
    qint64 blockStart = -1;
    // The log is written as the read-out goes: the first block request and the closing line
    // mark the ends of the block phase.
    QObject::connect(log, &LogView::textChanged, &loop, [&] {
        if (blockStart < 0 && log->document()->lastBlock().text().startsWith(QLatin1String("REQUEST Block:")))
            blockStart = clock.nsecsElapsed();
        if (!form.isPortOpen())
            loop.quit();
    });
    QTimer::singleShot(kReadoutLimitMs, &loop, &QEventLoop::quit);

    const double cpuBefore = cpuSeconds();
    clock.start();
    child<QPushButton>(form, "Command1")->click();
    loop.exec();
    const qint64 end = clock.nsecsElapsed();
    out.cpu = cpuSeconds() - cpuBefore;
    out.totalWall = end / 1e9;
    out.blockWall = (end - blockStart) / 1e9;
    takeTimings(receiver, &out);
    out.ok = blockStart >= 0 && log->toPlainText().contains(QLatin1String("Transfer succesfull!"))
        && (!paced || out.linePhase > 0);
    return out;
}

double windowBannerWaitCpuShare()
{
    VirtualReceiver receiver;
    if (!receiver.start({"--silent"}))
        return -1;
    Form1 form;
    form.show();
    child<QComboBox>(form, "cmbCom")->setEditText(receiver.devicePath());
    child<QPushButton>(form, "Command1")->click();
    QEventLoop loop;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(kBannerWaitSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double share = (cpuSeconds() - cpuBefore) / (clock.nsecsElapsed() / 1e9);
    child<QPushButton>(form, "Command2")->click();
    return share;
}

MeasuredReadout cliReadout(int blocks)
{
    MeasuredReadout out;
    VirtualReceiver receiver;
    if (!receiver.start(receiverArgs(true, blocks)))
        return out;
    QTemporaryDir folder;
    QProcess cli;
    cli.setProgram(QStringLiteral(TAMRIX_READ));
    cli.setArguments({"--port", receiver.devicePath(), "--output", folder.path()});
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    QEventLoop loop;
    QObject::connect(&cli, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop, &QEventLoop::quit);
    QTimer::singleShot(kReadoutLimitMs, &loop, &QEventLoop::quit);

    const double cpuBefore = childrenCpuSeconds();
    clock.start();
    cli.start();
    loop.exec();
    const qint64 end = clock.nsecsElapsed();
    if (cli.state() != QProcess::NotRunning)
        return out;
    out.cpu = childrenCpuSeconds() - cpuBefore;
    out.totalWall = end / 1e9;
    takeTimings(receiver, &out);
    out.ok = cli.exitCode() == 0 && out.linePhase > 0;
    return out;
}

// A blocking read() loop on the raw port, woken like Tamrix once 64 bytes are waiting, reading
// as many paced bytes as the frames of a 128 kB read-out: no event loop, no protocol, no file.
double floorCpuShare()
{
    constexpr int kBytes = 128 * 1032;
    VirtualReceiver receiver;
    if (!receiver.start({"--paced", "--binary-noise", QString::number(kBytes)}))
        return -1;
    const int fd = ::open(receiver.devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios settings{};
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    settings.c_cc[VMIN] = 64;
    settings.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &settings);
    const double cpuBefore = cpuSecondsOf(RUSAGE_THREAD);
    QElapsedTimer clock;
    clock.start();
    const char key = 0x1F;
    ssize_t got = ::write(fd, &key, 1) == 1 ? 0 : -1;
    char buffer[4096];
    while (got >= 0 && got < kBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        got = n > 0 ? got + n : -1;
    }
    const double cpu = cpuSecondsOf(RUSAGE_THREAD) - cpuBefore;
    ::close(fd);
    return got < 0 ? -1 : cpu / (clock.nsecsElapsed() / 1e9);
}

// Paced read-outs: wall against wire time, the loader's wait for each answer, CPU share.
void addPacedFigures(std::vector<Figure> &figures, const QString &who, int blocks, int runs,
                     const std::function<MeasuredReadout()> &readout, const QString &ratioTarget, const QString &cpuTarget)
{
    const QString prefix = QStringLiteral("%1, %2 kB paced: ").arg(who).arg(blocks);
    Figure ratio{prefix + "wall / wire time", {}, ratioTarget};
    Figure delayMedian{prefix + "reply delay median (ms)", {}, "<= 0.3"};
    Figure delayMax{prefix + "reply delay max (ms)", {}, "<= 2"};
    Figure cpu{prefix + "CPU share (%)", {}, cpuTarget};
    for (int run = 0; run < runs; ++run) {
        const MeasuredReadout r = readout();
        if (!r.ok)
            qFatal("%s read-out failed", qPrintable(prefix));
        ratio.values.push_back(r.linePhase / wireSeconds(blocks));
        delayMedian.values.push_back(r.replyDelaysMs.median());
        delayMax.values.push_back(r.replyDelaysMs.max());
        cpu.values.push_back(100 * r.cpu / r.totalWall);
    }
    figures.insert(figures.end(), {ratio, delayMedian, delayMax, cpu});
}

std::vector<Figure> windowFigures(int runs)
{
    std::vector<Figure> figures;
    for (int blocks : {128, 64})
        addPacedFigures(
            figures, "window", blocks, runs, [blocks] { return windowReadout(true, blocks); }, "<= 1.004", "<= 1.5");
    for (int blocks : {128, 64}) {
        Figure wall{QStringLiteral("window, %1 kB unpaced: wall per block (ms)").arg(blocks), {}, "<= 1"};
        for (int run = 0; run < runs; ++run) {
            const MeasuredReadout r = windowReadout(false, blocks);
            if (!r.ok)
                qFatal("unpaced %d kB read-out failed", blocks);
            wall.values.push_back(1000 * r.blockWall / blocks);
        }
        figures.push_back(wall);
    }
    Figure idle{QStringLiteral("window, waiting for the banner: CPU share (%)"), {}, "<= 0.3"};
    for (int run = 0; run < runs; ++run)
        idle.values.push_back(100 * windowBannerWaitCpuShare());
    figures.push_back(idle);
    figures.push_back({QStringLiteral("window: peak resident memory (MB)"), {peakRssMb()}, "<= 80"});
    return figures;
}

// The window's figures under another platform, measured by a copy of this program.
std::vector<Figure> windowFiguresFrom(const QProcessEnvironment &environment, int runs)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--window", QString::number(runs)});
    child.waitForFinished(-1);
    std::vector<Figure> figures;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3)
            continue;
        Figure figure{QString::fromUtf8(fields[0]), {}, QString::fromUtf8(fields[2])};
        for (const QByteArray &value : fields[1].split(' '))
            figure.values.push_back(value.toDouble());
        figures.push_back(figure);
    }
    if (child.exitCode() != 0 || figures.empty())
        qFatal("the window's measurements failed");
    return figures;
}

// Adds one run's values to the figures of the runs before, by name.
void mergeRun(std::vector<Figure> &figures, const std::vector<Figure> &run)
{
    for (const Figure &f : run) {
        auto same = std::find_if(figures.begin(), figures.end(), [&](const Figure &g) { return g.name == f.name; });
        if (same == figures.end())
            figures.push_back(f);
        else
            same->values.insert(same->values.end(), f.values.begin(), f.values.end());
    }
}

void printTable(const std::vector<Figure> &figures, const std::map<QString, Figure> &offscreen)
{
    std::printf("%-52s %9s %9s %9s %10s   %s\n", "measurement", "median", "min", "max", "offscreen", "target");
    for (const Figure &f : figures) {
        const auto other = offscreen.find(f.name);
        const QString second = other == offscreen.end() ? QString() : QString::number(other->second.median(), 'g', 4);
        std::printf("%-52s %9.4g %9.4g %9.4g %10s   %s\n", qPrintable(f.name), f.median(), f.min(), f.max(), qPrintable(second),
                    qPrintable(f.target));
    }
}

}  // namespace

int main(int argc, char *argv[])
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 0; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    const auto option = [&](const char *name) { return args.value(args.indexOf(QLatin1String(name)) + 1).toInt(); };

    if (args.contains("--paced-only") || args.contains("--unpaced-only")) {
        QApplication app(argc, argv);
        const bool paced = args.contains("--paced-only");
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const MeasuredReadout r = windowReadout(paced, 128);
        getrusage(RUSAGE_SELF, &after);
        std::printf("block phase %.3f s (%.3f ms a block, wall / wire %.4f), CPU %.3f s over %.3f s (%.2f %%), "
                    "reply delay median %.3f ms, max %.3f ms, context switches %ld\n",
                    r.blockWall, 1000 * r.blockWall / 128, r.linePhase / wireSeconds(128), r.cpu, r.totalWall,
                    100 * r.cpu / r.totalWall, r.replyDelaysMs.median(), r.replyDelaysMs.max(),
                    after.ru_nvcsw + after.ru_nivcsw - before.ru_nvcsw - before.ru_nivcsw);
        return r.ok ? 0 : 1;
    }
    if (args.contains("--window")) {
        QApplication app(argc, argv);
        QTextStream out(stdout);
        for (const Figure &f : windowFigures(option("--window"))) {
            QStringList values;
            for (double v : f.values)
                values << QString::number(v, 'g', 8);
            out << f.name << '\t' << values.join(' ') << '\t' << f.target << '\n';
        }
        return 0;
    }

    QCoreApplication app(argc, argv);
    const int runs = std::max(3, option("--runs"));
    QProcessEnvironment offscreenEnvironment = QProcessEnvironment::systemEnvironment();
    offscreenEnvironment.insert("QT_QPA_PLATFORM", "offscreen");
    // One run of everything at a time: the host's slow and fast moments fall on all columns alike.
    std::vector<Figure> figures;
    std::vector<Figure> offscreenFigures;
    for (int run = 0; run < runs; ++run) {
        std::vector<Figure> once = windowFiguresFrom(QProcessEnvironment::systemEnvironment(), 1);
        for (int blocks : {128, 64})
            addPacedFigures(
                once, "tamrix-read", blocks, 1, [blocks] { return cliReadout(blocks); }, "<= 1.003", "<= 0.5");
        once.push_back({QStringLiteral("floor: blocking read() of 132 kB paced, CPU share (%)"), {100 * floorCpuShare()}, {}});
        mergeRun(figures, once);
        mergeRun(offscreenFigures, windowFiguresFrom(offscreenEnvironment, 1));
    }
    std::map<QString, Figure> offscreen;
    for (const Figure &f : offscreenFigures)
        offscreen[f.name] = f;
    printTable(figures, offscreen);
    return 0;
}
