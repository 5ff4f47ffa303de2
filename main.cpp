#include "ui/appicon.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamrix"));
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("org.example.tamrix"));
    QApplication::setWindowIcon(tamrixIcon());
    Form1 window;
    window.show();
    return app.exec();
}
