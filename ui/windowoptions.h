#pragma once
// The command line of the window: a port and a folder to start with. Nothing starts by itself.

#include <QString>
#include <QStringList>

struct WindowOptions
{
    QString port;          // typed into the port box
    QString outputFolder;  // put into "Save to"
    bool remember = true;  // the settings of earlier starts come back, and these are kept
};

struct WindowCommandLine
{
    enum class Action { Show, ShowText, UsageError };
    Action action = Action::Show;
    WindowOptions options;
    QString text;  // help or version text, or what is wrong with the usage
};

// `arguments` as the program got them, its own name first.
WindowCommandLine parseWindowCommandLine(const QStringList &arguments);

// Whether the answer to `commandLine` needs no window: help, version and a wrong usage, which
// are printed before a display is looked for. A usage that may hold the window system's own
// options (-platform, -style: one dash and a word) waits until the window system has taken them.
bool answersWithoutWindow(const WindowCommandLine &commandLine, const QStringList &arguments);

// Whether the window system has a display to show the window on: on Linux an X or Wayland one,
// or a platform of Qt's own named in `arguments` (-platform offscreen) or QT_QPA_PLATFORM.
bool findsDisplay(const QStringList &arguments);
