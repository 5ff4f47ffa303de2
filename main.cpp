#include "cli/interruptwatch.h"
#include "ui/appicon.h"
#include "ui/form1.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamrix"));
    QApplication::setApplicationVersion(QStringLiteral(TAMRIX_VERSION));
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.tamrix"));
    QApplication::setWindowIcon(tamrixIcon());

    const WindowCommandLine commandLine = parseWindowCommandLine(app.arguments());
    if (commandLine.action != WindowCommandLine::Action::Show) {
        const bool usageError = commandLine.action == WindowCommandLine::Action::UsageError;
        std::fputs(commandLine.text.toLocal8Bit().constData(), usageError ? stderr : stdout);
        return usageError ? 2 : 0;
    }
    Form1 window;
    window.prefill(commandLine.options);
    window.show();
    // Ctrl-C in the terminal closes the window, and with it port and dump file, as Close does.
    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &window, &QWidget::close);
    return app.exec();
}
