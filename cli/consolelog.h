#pragma once
// What tamrix-read writes to the terminal: the log's lines on standard output as the window shows
// them, errors on standard error, and, when standard error is a terminal, a one-line progress bar
// there that the other lines pass around.

#include "process/terminal.h"
#include "session/loglines.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

class ConsoleLog
{
public:
    ConsoleLog(std::FILE *out, std::FILE *err, bool progressBar);

    // An entry of the log, which holds no line end. A line is printed once an entry ends it, as
    // the progress bar shares the terminal; standard output's line ends are added here and
    // nowhere else.
    void log(const LogEntry &entry);
    // A line of its own on standard error.
    void error(const QString &line);
    // A line of its own that also belongs on standard error, unless both are one terminal.
    void warn(const QString &line);
    // A line already logged that also belongs on standard error, unless both are one terminal.
    void echoToStderr(const QString &line);
    void progress(int blocksDone, int blocksInAll);
    // Clears the progress bar.
    void finish();

private:
    void writeLine(std::FILE *stream, const QString &line);
    void drawBar();
    void clearBar();

    std::FILE *m_out;
    std::FILE *m_err;
    bool m_progressBar;
    bool m_outOnTerminal;  // standard output shares the bar's terminal
    QString m_openLine;    // the text of a line that no entry has ended yet
    QString m_bar;         // the progress bar as last drawn, empty when none is shown
    int m_done = 0;
    int m_doneAtStart = 0;
    QElapsedTimer m_since;  // time since the first block came
};

// The progress bar: blocks done of all, bytes a second and the time left once known (rate 0:
// not yet).
QString progressText(int blocksDone, int blocksInAll, double bytesPerSecond);

// Text from the loader may hold control characters; on a terminal they would act, not show.
QString printable(const QString &line);
