#include "ui/windowoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>

WindowCommandLine parseWindowCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads the boot loader out of a KAON set-top box over a serial line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the program's version."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Start with this serial port in the port box."),
                                  QStringLiteral("DEVICE"));
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("Start with this folder in \"Save to\"."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption noRemember(QStringLiteral("no-remember"),
                                        QStringLiteral("Start with the window's defaults and remember nothing of this run."));
    parser.addOptions({help, version, port, output, noRemember});

    QString problem;
    if (!parser.parse(arguments))
        problem = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        problem = "Unexpected argument: " + parser.positionalArguments().constFirst();
    if (!problem.isEmpty())
        return {WindowCommandLine::Action::UsageError, {}, "tamrix: " + problem + "\n\n" + parser.helpText()};
    if (parser.isSet(help))
        return {WindowCommandLine::Action::ShowText, {}, parser.helpText()};
    if (parser.isSet(version))
        return {WindowCommandLine::Action::ShowText,
                {},
                QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n'};
    return {WindowCommandLine::Action::Show, {parser.value(port), parser.value(output), !parser.isSet(noRemember)}, {}};
}

bool answersWithoutWindow(const WindowCommandLine &commandLine, const QStringList &arguments)
{
    if (commandLine.action != WindowCommandLine::Action::UsageError)
        return commandLine.action == WindowCommandLine::Action::ShowText;
    return std::none_of(arguments.cbegin() + 1, arguments.cend(), [](const QString &argument) {
        return argument.size() > 2 && argument.startsWith('-') && argument[1] != '-';
    });
}

bool findsDisplay(const QStringList &arguments)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const bool platformNamed = std::any_of(arguments.cbegin() + 1, arguments.cend(), [](const QString &argument) {
        return argument.startsWith(QLatin1String("-platform")) || argument.startsWith(QLatin1String("--platform"));
    });
    return platformNamed || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(arguments);
    return true;
#endif
}
