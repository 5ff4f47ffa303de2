#include "cli/readcommand.h"

#include <csignal>

namespace {

int exitStatusOf(int signalNumber)
{
#ifndef Q_OS_WIN  // Windows has no SIGHUP
    if (signalNumber == SIGHUP)
        return kExitHungUp;
#endif
    return signalNumber == SIGTERM ? kExitTerminated : kExitInterrupted;
}

}  // namespace

ReadCommand::ReadCommand(const ReadOptions &options, ConsoleLog &console, QObject *parent)
    : QObject(parent), m_options(options), m_console(console)
{
    connect(&m_session, &ReadoutSession::logged, this, [this](const LogEntry &entry) { m_console.log(entry); });
    connect(&m_session, &ReadoutSession::warning, this, [this](const QString &line) { m_console.warn(line); });
    connect(&m_session, &ReadoutSession::incompleteDumpLeft, this, [this](const QString &line) { m_console.error(line); });
    connect(&m_session, &ReadoutSession::progressChanged, this, [this](int done, int inAll) { m_console.progress(done, inAll); });
    connect(&m_session, &ReadoutSession::ended, this, &ReadCommand::onEnded);
    m_answerWait.setSingleShot(true);
    connect(&m_answerWait, &QTimer::timeout, this, &ReadCommand::onWaitExpired);
}

bool ReadCommand::start()
{
    ReadoutRequest request = m_options.request;
    // There is no Close here to wait for.
    request.failedBlock = ReadoutRequest::FailedBlock::CloseAtOnce;
    const StartOutcome outcome = m_session.start(request);
    if (!outcome.started()) {
        m_console.error("tamrix-read: " + outcome.words);
        m_exitStatus = outcome.refused == StartOutcome::Refused::Port ? kExitPortNotOpened : kExitUsage;
        return false;
    }
    if (m_options.waitSeconds)
        m_answerWait.start(std::chrono::seconds(*m_options.waitSeconds));
    return true;
}

void ReadCommand::interrupt(int signalNumber)
{
    m_interruptStatus = exitStatusOf(signalNumber);
    if (m_session.isPortOpen())
        m_session.stop();  // reports the end
    else
        finish(m_interruptStatus);
}

void ReadCommand::onWaitExpired()
{
    // Once the download runs, a frame that stops coming ends it by itself.
    const AwaitedAnswer awaited = m_session.awaitedAnswer();
    if (awaited.token.isEmpty())
        return;
    m_console.error(QStringLiteral("tamrix-read: no %1 after %2 s").arg(missingAnswerText(awaited)).arg(*m_options.waitSeconds));
    m_session.stop();
}

void ReadCommand::onEnded(const ReadoutEnd &end)
{
    m_answerWait.stop();
    // Why it failed goes to standard error too; the log has the same words.
    if (end.failed())
        m_console.echoToStderr(endLogText(end));
    if (end.is<ReadoutEnd::Complete>())
        finish(m_options.strict && m_session.savedWithWarnings() ? kExitSavedWithWarnings : kExitComplete);
    else
        finish(m_interruptStatus ? m_interruptStatus : kExitFailed);
}

void ReadCommand::finish(int exitStatus)
{
    m_exitStatus = exitStatus;
    m_console.finish();
    emit finished(exitStatus);
}
