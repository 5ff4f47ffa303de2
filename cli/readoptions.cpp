#include "cli/readoptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

// The size options as --size takes them: "64|128", "64 or 128".
QString sizeList(const QString &separator)
{
    QStringList sizes;
    for (int sizeKb : loaderSizeOptions())
        sizes << QString::number(sizeKb);
    if (separator == QLatin1String("|") || sizes.size() < 2)
        return sizes.join(separator);
    return sizes.mid(0, sizes.size() - 1).join(QStringLiteral(", ")) + separator + sizes.constLast();
}

ReadCommandLine usageError(const QString &what)
{
    return {ReadCommandLine::Action::UsageError,
            {},
            "tamrix-read: " + what
                + "\n"
                  "Usage: tamrix-read --port DEVICE [--size "
                + sizeList(QStringLiteral("|"))
                + "] [--header] [--output DIR] [--wait SECONDS]\n"
                  "       tamrix-read --list-ports\n"
                  "Try 'tamrix-read --help' for more.\n"};
}

}  // namespace

ReadCommandLine parseReadCommandLine(const QStringList &arguments, const QString &currentFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads the boot loader out of a KAON set-top box over a serial line and saves it,\n"
                       "as Tamrix does, without a window. Start it, then switch the receiver on."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the program's version."));
#ifdef Q_OS_WIN
    const QString portExample = QStringLiteral("a port such as COM7 or COM12");
#else
    const QString portExample = QStringLiteral("a device such as /dev/ttyUSB0 or COM7");
#endif
    const QCommandLineOption port(QStringLiteral("port"), "Serial port: " + portExample + "; a bare number n is COM n.",
                                  QStringLiteral("DEVICE"));
    const QString defaultSize = QString::number(defaultLoaderSize());
    const QCommandLineOption size(QStringLiteral("size"),
                                  "Loader size in kB, " + sizeList(QStringLiteral(" or ")) + " (default " + defaultSize
                                      + "). A banner that names the loader decides it.",
                                  sizeList(QStringLiteral("|")), defaultSize);
    const QCommandLineOption header(QStringLiteral("header"),
                                    QStringLiteral("Name the dump after the loader and add the header for the KUP loader."));
    const QCommandLineOption output(QStringLiteral("output"),
                                    QStringLiteral("Folder for the dump (default: the current folder)."), QStringLiteral("DIR"));
    const QCommandLineOption wait(
        QStringLiteral("wait"),
        QStringLiteral("Give up when the banner and the handshake have not come after SECONDS (default: wait until "
                       "interrupted)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("Print the serial ports the window's list offers, one a line, and exit."));
    parser.addOptions({help, version, port, size, header, output, wait, listPorts});

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        return {ReadCommandLine::Action::ShowText, {}, parser.helpText()};
    if (parser.isSet(version))
        return {ReadCommandLine::Action::ShowText,
                {},
                QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n'};
    if (parser.isSet(listPorts))
        return {ReadCommandLine::Action::ListPorts, {}, {}};
    if (!parser.positionalArguments().isEmpty())
        return usageError("Unexpected argument: " + parser.positionalArguments().constFirst());
    if (parser.value(port).trimmed().isEmpty())
        return usageError(QStringLiteral("Which serial port? Give it with --port."));

    ReadOptions options;
    options.request.sizeKb = parser.value(size).toInt();
    if (!loaderSizeOptions().contains(options.request.sizeKb))
        return usageError("--size is " + sizeList(QStringLiteral(" or ")) + ", not " + parser.value(size));
    if (parser.isSet(wait)) {
        bool ok = false;
        const int seconds = parser.value(wait).toInt(&ok);
        if (!ok || seconds <= 0)
            return usageError("--wait takes a number of seconds, not " + parser.value(wait));
        options.waitSeconds = seconds;
    }
    options.request.portText = parser.value(port);
    options.request.headerOption = parser.isSet(header);
    options.request.folderText = parser.value(output);
    options.request.defaultFolder = currentFolder;
    return {ReadCommandLine::Action::Read, options, {}};
}
