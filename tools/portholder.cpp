// tamrix-portholder DEVICE
//
// Opens DEVICE the way Tamrix itself does (QSerialPort, read/write), says
// "held" on stdout and keeps the port open until its stdin reaches EOF or it
// is sent SIGTERM. Tests use it to make a port "held by another process".

#include "process/interruptwatch.h"

#include <QCoreApplication>
#include <QSerialPort>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: tamrix-portholder DEVICE\n");
        return 2;
    }

    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &app, &QCoreApplication::quit);

    QSerialPort port(args.first());
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "tamrix-portholder: cannot open %s: %s\n", qPrintable(args.first()), qPrintable(port.errorString()));
        return 1;
    }

    // The parent releases the port by closing our stdin; reading it also
    // keeps the pipe from filling should anybody write to it.
    QSocketNotifier stdinWatch(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinWatch, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
            stdinWatch.setEnabled(false);
            app.quit();
        }
    });

    std::printf("held\n");
    std::fflush(stdout);

    const int rc = app.exec();
    port.close();
    return rc;
}
