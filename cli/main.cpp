// tamrix-read: the read-out of Tamrix without a window. See --help and the README.

#include "cli/consolelog.h"
#include "cli/dumpfiles.h"
#include "cli/readcommand.h"
#include "process/interruptwatch.h"
#include "process/qtmessages.h"
#include "serial/portlist.h"
#include "version.h"

#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    keepQtMessagesFromTheUser();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tamrix-read"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAMRIX_VERSION));
    InterruptWatch interrupts;
#ifdef SIGPIPE
    // A reader of our output that goes away (tamrix-read | head) must not cut the read-out short.
    std::signal(SIGPIPE, SIG_IGN);
#endif

    const ReadCommandLine commandLine = parseReadCommandLine(app.arguments(), QDir::currentPath());
    if (commandLine.action == ReadCommandLine::Action::ListPorts) {
        for (const PortEntry &entry : portList(systemPorts()))
            writeText(stdout, describePort(entry) + '\n');
        return 0;
    }
    if (commandLine.action == ReadCommandLine::Action::Verify)
        return verifyDumps(commandLine.files);
    if (commandLine.action == ReadCommandLine::Action::AddHeader)
        return addKupHeaders(commandLine.files);
    if (commandLine.action != ReadCommandLine::Action::Read) {
        const bool usageError = commandLine.action == ReadCommandLine::Action::UsageError;
        writeText(usageError ? stderr : stdout, commandLine.text);
        return usageError ? kExitUsage : 0;
    }

    ConsoleLog console(stdout, stderr, isTerminal(stderr));
    ReadCommand command(commandLine.options, console);
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &command, &ReadCommand::interrupt);
    QObject::connect(&command, &ReadCommand::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    if (!command.start())
        return command.exitStatus();
    return app.exec();
}
