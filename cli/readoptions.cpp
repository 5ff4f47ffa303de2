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
            {},
            "tamrix-read: " + what
                + "\n"
                  "Usage: tamrix-read --port DEVICE [--size "
                + sizeList(QStringLiteral("|"))
                + "] [--header] [--output DIR] [--file NAME]\n"
                  "                   [--label TEXT] [--wait SECONDS] [--strict]\n"
                  "       tamrix-read --verify FILE...\n"
                  "       tamrix-read --add-header FILE...\n"
                  "       tamrix-read --list-ports\n"
                  "Try 'tamrix-read --help' for more.\n"};
}

// The exit statuses, after the options in --help.
const QString kExitStatusHelp = QStringLiteral("\nExit status:\n"
                                               "  0    complete: the dump is saved; --verify: every FILE is OK;\n"
                                               "       --add-header: every KUP form is saved\n"
                                               "  1    the read-out failed after the port opened; --verify: a FILE FAILED;\n"
                                               "       --add-header: a KUP form could not be made\n"
                                               "  2    wrong options, or a folder or file name that cannot take the dump\n"
                                               "  3    the port could not be opened\n"
                                               "  4    --strict: the dump was saved, but with warnings\n"
                                               "  129  SIGHUP, 130 Ctrl-C (SIGINT), 143 SIGTERM: stopped, with the port and\n"
                                               "       the dump file closed first\n");

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
    const QCommandLineOption file(
        QStringLiteral("file"),
        QStringLiteral("Save the dump as NAME, a file name without a folder, in place of BLdump.bin or BL_name_conv.bin; "
                       "its checksum file and record follow that name."),
        QStringLiteral("NAME"));
    const QCommandLineOption label(QStringLiteral("label"),
                                   QStringLiteral("Write TEXT, such as the box's serial number, into the dump's record."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption strict(QStringLiteral("strict"),
                                    QStringLiteral("Exit with status 4 when the dump was saved with warnings."));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       QStringLiteral("Print the serial ports the window's list offers, one a line, and exit."));
    const QCommandLineOption verify(
        QStringLiteral("verify"),
        QStringLiteral("Check each FILE against its checksum file and its record, one line a file, and exit; no port needed."));
    const QCommandLineOption addHeader(
        QStringLiteral("add-header"),
        QStringLiteral("Make the KUP form of each plain dump FILE from the dump and its record, as --header would have "
                       "saved it, and exit; no port needed."));
    parser.addOptions({help, version, port, size, header, output, file, label, wait, strict, listPorts, verify, addHeader});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A saved dump, for --verify and --add-header."),
                                 QStringLiteral("[FILE...]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        return {ReadCommandLine::Action::ShowText, {}, {}, parser.helpText() + kExitStatusHelp};
    if (parser.isSet(version))
        return {ReadCommandLine::Action::ShowText,
                {},
                {},
                QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n'};
    if (parser.isSet(listPorts))
        return {ReadCommandLine::Action::ListPorts, {}, {}, {}};
    if (parser.isSet(verify) || parser.isSet(addHeader)) {
        const QString which = parser.isSet(verify) ? QStringLiteral("--verify") : QStringLiteral("--add-header");
        const QStringList files = parser.positionalArguments();
        for (const QCommandLineOption &option : {port, size, header, output, file, label, wait, strict})
            if (parser.isSet(option))
                return usageError(which + " reads no box: --" + option.names().constFirst() + " does not go with it");
        if (parser.isSet(verify) && parser.isSet(addHeader))
            return usageError(QStringLiteral("--verify and --add-header are two runs"));
        if (files.isEmpty())
            return usageError(which + " needs the dumps' files");
        return {parser.isSet(verify) ? ReadCommandLine::Action::Verify : ReadCommandLine::Action::AddHeader, {}, files, {}};
    }
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
    options.request.fileName = parser.value(file);
    options.request.label = parser.value(label);
    options.strict = parser.isSet(strict);
    return {ReadCommandLine::Action::Read, options, {}, {}};
}
