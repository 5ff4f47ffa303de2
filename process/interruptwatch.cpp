#include "process/interruptwatch.h"

#ifdef Q_OS_WIN

#include <csignal>
#include <mutex>

#include <windows.h>

namespace {

std::mutex g_watchMutex;
InterruptWatch *g_watch = nullptr;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    // Closing the console asks the program to end, as SIGTERM does on other systems.
    const int signalNumber = event == CTRL_CLOSE_EVENT ? SIGTERM : SIGINT;
    {
        const std::lock_guard<std::mutex> lock(g_watchMutex);
        if (InterruptWatch *watch = g_watch)
            QMetaObject::invokeMethod(
                watch, [watch, signalNumber] { emit watch->interrupted(signalNumber); }, Qt::QueuedConnection);
    }
    if (event == CTRL_CLOSE_EVENT) {
        // The system ends the process as soon as this returns, and after a few seconds in any
        // case. Until then the program closes its port and dump file and exits by itself.
        Sleep(INFINITE);
    }
    return TRUE;
}

}  // namespace

InterruptWatch::InterruptWatch(QObject *parent) : QObject(parent)
{
    {
        const std::lock_guard<std::mutex> lock(g_watchMutex);
        g_watch = this;
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptWatch::~InterruptWatch()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    const std::lock_guard<std::mutex> lock(g_watchMutex);
    g_watch = nullptr;
}

#else

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kWatched[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

// A signal handler may only do async-signal-safe things: it writes the signal's number as one
// byte into a pipe, and the event loop picks that up.
extern "C" void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // If the pipe is full an interrupt is already pending; losing this byte is fine.
    [[maybe_unused]] const ssize_t ignored = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

InterruptWatch::InterruptWatch(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0)
        return;
    for (int fd : g_pipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kWatched)
        sigaction(signalNumber, &action, nullptr);

    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        // Of several signals pending, the first one is the request that counts.
        char first = 0;
        char byte = 0;
        while (::read(g_pipe[0], &byte, 1) == 1) {
            if (!first)
                first = byte;
        }
        if (first)
            emit interrupted(first);
    });
}

InterruptWatch::~InterruptWatch()
{
    if (!m_notifier)
        return;
    for (int signalNumber : kWatched)
        signal(signalNumber, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

#endif
