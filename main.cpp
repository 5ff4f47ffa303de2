#include "process/interruptwatch.h"
#include "process/qtmessages.h"
#include "process/terminal.h"
#include "ui/appicon.h"
#include "ui/form1.h"
#include "version.h"

#include <QApplication>
#include <QSettings>

#ifdef Q_OS_WIN
#include <QMessageBox>
#else
#include <cstdio>
#endif

namespace {

int printAnswer(const WindowCommandLine &commandLine)
{
    const bool usageError = commandLine.action == WindowCommandLine::Action::UsageError;
#ifdef Q_OS_WIN
    // A window program has no console to print to: it answers in a message box, in the fixed
    // font the help's columns are laid out for.
    QMessageBox box(usageError ? QMessageBox::Warning : QMessageBox::Information, QStringLiteral("Tamrix"),
                    "<pre>" + commandLine.text.trimmed().toHtmlEscaped() + "</pre>", QMessageBox::Ok);
    box.setTextFormat(Qt::RichText);
    box.exec();
#else
    std::fputs(commandLine.text.toLocal8Bit().constData(), usageError ? stderr : stdout);
#endif
    return usageError ? 2 : 0;
}

}  // namespace

int main(int argc, char *argv[])
{
    keepQtMessagesFromTheUser();
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 scales the window to the screen's setting (150 %, 125 %) by itself; Qt 5 only when
    // asked, before any application object exists.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("Tamrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAMRIX_VERSION));
#ifndef Q_OS_WIN
    {
        // --help and --version over SSH: answered before the window system looks for a display.
        const QCoreApplication withoutWindow(argc, argv);
        const QStringList arguments = QCoreApplication::arguments();
        const WindowCommandLine commandLine = parseWindowCommandLine(arguments);
        if (answersWithoutWindow(commandLine, arguments))
            return printAnswer(commandLine);
        // Qt itself would abort with a message about reinstalling.
        if (!findsDisplay(arguments)) {
            std::fputs("tamrix: the window needs a display; tamrix-read reads the box from a terminal.\n", stderr);
            return 1;
        }
    }
#endif

    QApplication app(argc, argv);
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral(TAMRIX_APP_ID));
    QApplication::setWindowIcon(tamrixIcon());

    const WindowCommandLine commandLine = parseWindowCommandLine(app.arguments());
    if (commandLine.action != WindowCommandLine::Action::Show)
        return printAnswer(commandLine);
    // ~/.config/Tamrix/Tamrix.conf on Linux, the registry on Windows.
    QSettings store(QStringLiteral("Tamrix"), QStringLiteral("Tamrix"));
    Form1 window;
    if (commandLine.options.remember)
        window.rememberIn(&store);
    window.prefill(commandLine.options);  // what the command line gives wins
    window.show();
    // The terminal the window was started from, if any, learns what a read-out cut short left.
    if (isTerminal(stderr))
        QObject::connect(&window, &Form1::closedDuringReadout, [](const QStringList &lastLines) {
            for (const QString &line : lastLines)
                writeText(stderr, line + '\n');
        });
    // Ctrl-C in the terminal closes the window, and with it port and dump file, as Close does.
    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &window, &Form1::closeWithoutAsking);
    return app.exec();
}
