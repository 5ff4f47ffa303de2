// Measures whole read-outs of a real Tamrix window, shown on the display it is given (bench/readout
// gives it an Xvfb server), against the virtual receiver: wall and CPU time of the block phase,
// the idle cost of waiting for the banner, peak memory.
// Usage: tamrix-bench [--runs N]   (bench/readout builds and runs it)

#include "virtualreceiver.h"
#include "ui/form1.h"
#include "ui/logview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double kWireBytesPerSecond = 11520.0;  // 115200 baud, 10 bits a byte

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Bytes on the line during the block phase: per block a 22-byte request, the 1032-byte frame
// and a 22-byte confirmation; then the total request (17), its byte (1) and DOWN_SUCCESS (13).
double wireSeconds(int blocks)
{
    return (blocks * (22 + 1032 + 22) + 17 + 1 + 13) / kWireBytesPerSecond;
}

struct Readout
{
    double blockWall = 0;   // first block request to port closed
    double totalWall = 0;   // Open click to port closed
    double totalCpu = 0;
    QVector<qint64> replyDelaysUs;
};

template <typename T>
T *control(Form1 &form, const char *name) { return form.findChild<T *>(QString::fromLatin1(name)); }

bool runReadout(bool paced, int blocks, Readout *out)
{
    VirtualReceiver receiver;
    QStringList args{"--version", blocks == 64 ? "2.0.4 " : "6.0.2.1"};
    if (paced)
        args << "--paced";
    if (!receiver.start(args))
        return false;
    QTemporaryDir folder;
    Form1 form;
    form.show();
    control<QLineEdit>(form, "Text2")->setText(folder.path() + '/');
    control<QComboBox>(form, "cmbCom")->setEditText(receiver.devicePath());
    auto *log = control<LogView>(form, "Text1");

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
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);

    const double cpuBefore = cpuSeconds();
    clock.start();
    control<QPushButton>(form, "Command1")->click();
    loop.exec();
    const qint64 end = clock.nsecsElapsed();
    out->totalCpu = cpuSeconds() - cpuBefore;
    out->totalWall = end / 1e9;
    out->blockWall = (end - blockStart) / 1e9;
    out->replyDelaysUs = receiver.replyDelaysUs();
    return blockStart >= 0 && log->toPlainText().contains(QLatin1String("Transfer succesfull!"));
}

double bannerWaitCpuShare(int seconds)
{
    VirtualReceiver receiver;
    if (!receiver.start({"--silent"}))
        return -1;
    Form1 form;
    form.show();
    control<QComboBox>(form, "cmbCom")->setEditText(receiver.devicePath());
    control<QPushButton>(form, "Command1")->click();
    QEventLoop loop;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double share = (cpuSeconds() - cpuBefore) / (clock.nsecsElapsed() / 1e9);
    control<QPushButton>(form, "Command2")->click();
    return share;
}

struct Row
{
    QString name;
    std::vector<double> values;
    QString target;
};

void printTable(const std::vector<Row> &rows)
{
    std::printf("%-46s %10s %10s %10s   %s\n", "measurement", "median", "min", "max", "target");
    for (Row row : rows) {
        std::sort(row.values.begin(), row.values.end());
        const double median = row.values[row.values.size() / 2];
        std::printf("%-46s %10.4g %10.4g %10.4g   %s\n", qPrintable(row.name), median, row.values.front(),
                    row.values.back(), qPrintable(row.target));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = qMax(3, app.arguments().contains("--runs")
                                  ? app.arguments().value(app.arguments().indexOf("--runs") + 1).toInt() : 3);
    std::vector<Row> rows;
    // --paced-only: just the paced 128 kB read-out, once, for profiling.
    if (app.arguments().contains("--paced-only")) {
        Readout r;
        runReadout(true, 128, &r);
        std::sort(r.replyDelaysUs.begin(), r.replyDelaysUs.end());
        std::printf("block phase %.3f s (ratio %.4f), CPU %.3f s over %.3f s (%.2f %%), reply delay median %lld us max %lld us (%d)\n",
                    r.blockWall, r.blockWall / wireSeconds(128), r.totalCpu, r.totalWall, 100 * r.totalCpu / r.totalWall,
                    r.replyDelaysUs.value(r.replyDelaysUs.size() / 2), r.replyDelaysUs.value(r.replyDelaysUs.size() - 1), int(r.replyDelaysUs.size()));
        return 0;
    }

    for (int blocks : {128, 64}) {
        Row wall{QStringLiteral("%1 kB paced: block phase wall (s)").arg(blocks), {}, {}};
        Row limit{QStringLiteral("%1 kB paced: wire-time limit (s)").arg(blocks), {}, {}};
        Row ratio{QStringLiteral("%1 kB paced: wall / wire time").arg(blocks), {}, "<= 1.02"};
        Row cpu{QStringLiteral("%1 kB paced: CPU share of the read-out (%)").arg(blocks), {}, "<= 2 %"};
        for (int run = 0; run < runs; ++run) {
            Readout r;
            if (!runReadout(true, blocks, &r))
                qFatal("paced %d kB read-out failed", blocks);
            wall.values.push_back(r.blockWall);
            limit.values.push_back(wireSeconds(blocks));
            ratio.values.push_back(r.blockWall / wireSeconds(blocks));
            cpu.values.push_back(100 * r.totalCpu / r.totalWall);
        }
        rows.insert(rows.end(), {wall, limit, ratio, cpu});
    }
    for (int blocks : {128, 64}) {
        Row wall{QStringLiteral("%1 kB unpaced: wall per block (ms)").arg(blocks), {}, "<= 1 ms"};
        Row cpu{QStringLiteral("%1 kB unpaced: CPU per block (ms)").arg(blocks), {}, {}};
        for (int run = 0; run < runs; ++run) {
            Readout r;
            if (!runReadout(false, blocks, &r))
                qFatal("unpaced %d kB read-out failed", blocks);
            wall.values.push_back(1000 * r.blockWall / blocks);
            cpu.values.push_back(1000 * r.totalCpu / blocks);
        }
        rows.insert(rows.end(), {wall, cpu});
    }
    Row idle{QStringLiteral("30 s banner wait: CPU share (%)"), {}, "<= 0.5 %"};
    for (int run = 0; run < runs; ++run)
        idle.values.push_back(100 * bannerWaitCpuShare(30));
    rows.push_back(idle);
    rows.push_back({QStringLiteral("peak resident memory (MB)"), {peakRssMb()}, "<= 80 MB"});

    printTable(rows);
    return 0;
}
