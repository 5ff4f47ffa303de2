// tamrix-vreceiver [options]
//
// A virtual KAON set-top box for testing Tamrix without hardware: it opens a
// pseudo-terminal, prints the path of the end the tool should open as the
// first line of stdout, and plays the box's boot loader on it until it is
// killed (or until a --hangup fault ends it). Run with --help for the options.

#include "flashimage.h"
#include "options.h"
#include "process/interruptwatch.h"
#include "ptyport.h"
#include "receiver.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

int failWith(const QString &message)
{
    std::fprintf(stderr, "tamrix-vreceiver: %s\n", qPrintable(message));
    return 2;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);

    ReceiverOptions options;
    QString message;
    switch (parseReceiverOptions(app.arguments(), &options, &message)) {
    case ParseResult::Help:
        std::printf("%s", qPrintable(message));
        return 0;
    case ParseResult::Error:
        return failWith(message);
    case ParseResult::Ok:
        break;
    }

    FlashImage flash(options.loaderKb);
    if (!options.imageFile.isEmpty() && !flash.loadLoader(options.imageFile, &message))
        return failWith(message);
    if (options.loaderName && !flash.setLoaderName(*options.loaderName, &message))
        return failWith(QStringLiteral("--bl-name: ") + message);
    if (!options.writeImageFile.isEmpty() && !flash.saveLoader(options.writeImageFile, &message))
        return failWith(message);

    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &app, &QCoreApplication::quit);

    PtyPort port;
    if (!port.open(&message))
        return failWith(message);
    Receiver receiver(options, flash, port);
    if (!receiver.start(options, &message))
        return failWith(message);
    QObject::connect(&receiver, &Receiver::finished, &app, &QCoreApplication::exit);

    std::printf("%s\n", qPrintable(port.devicePath()));
    std::fflush(stdout);
    return app.exec();
}
