#include "toolprocess.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace {

// Runs an event loop until done() holds, the process stops running or the
// time is up. The context object cuts all connections on return.
template <typename Done>
void waitFor(QProcess &process, int timeoutMs, Done done)
{
    QEventLoop loop;
    QObject context;
    QTimer timer;
    timer.setSingleShot(true);
    auto check = [&] {
        if (done() || process.state() == QProcess::NotRunning)
            loop.quit();
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &context, check);
    QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &context, [&] { loop.quit(); });
    QObject::connect(&process, &QProcess::errorOccurred, &context, check);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (done() || process.state() == QProcess::NotRunning)
        return;
    timer.start(timeoutMs);
    loop.exec();
}

}  // namespace

std::optional<QByteArray> startAndReadFirstLine(QProcess &process, const QString &program, const QStringList &arguments,
                                                int timeoutMs)
{
    process.setProgram(program);
    process.setArguments(arguments);
    process.start();
    if (!process.waitForStarted(timeoutMs))
        return std::nullopt;
    waitFor(process, timeoutMs, [&] { return process.canReadLine(); });
    if (!process.canReadLine())
        return std::nullopt;
    return process.readLine().trimmed();
}

void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
