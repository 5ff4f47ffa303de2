#include "cli/consolelog.h"

#include "session/readoutsession.h"

#include <QStringList>

#include <cmath>
#include <utility>

ConsoleLog::ConsoleLog(std::FILE *out, std::FILE *err, bool progressBar)
    : m_out(out), m_err(err), m_progressBar(progressBar), m_outOnTerminal(progressBar && isTerminal(out))
{
}

void ConsoleLog::log(const LogEntry &entry)
{
    // Text from the loader may hold line breaks of its own; the window breaks the line at a
    // CR LF, a CR or an LF, and so does the terminal.
    QString joined = m_openLine + entry.text;
    joined.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    QStringList pieces = joined.split('\n');
    m_openLine = entry.endsLine() ? QString() : pieces.takeLast();
    for (const QString &line : std::as_const(pieces))
        writeLine(m_out, line);
}

void ConsoleLog::error(const QString &line)
{
    writeLine(m_err, line);
}

void ConsoleLog::warn(const QString &line)
{
    log(LogEntry::line(line));
    echoToStderr(line);
}

void ConsoleLog::echoToStderr(const QString &line)
{
    // Once is enough where both go to one terminal.
    if (!m_outOnTerminal)
        error(line);
}

void ConsoleLog::progress(int blocksDone, int blocksInAll)
{
    if (!m_progressBar || blocksDone <= 0)
        return;
    if (!m_since.isValid() || blocksDone < m_done) {
        m_since.start();
        m_doneAtStart = blocksDone;
    }
    m_done = blocksDone;
    const double seconds = m_since.elapsed() / 1000.0;
    const double rate = seconds > 0.2 ? (blocksDone - m_doneAtStart) * ReadoutSession::kBlockBytes / seconds : 0;
    clearBar();
    m_bar = progressText(blocksDone, blocksInAll, rate);
    drawBar();
}

void ConsoleLog::finish()
{
    clearBar();
    m_bar.clear();
}

void ConsoleLog::writeLine(std::FILE *stream, const QString &line)
{
    // The bar steps aside for a line that goes to the same terminal, and comes back under it.
    const bool sameTerminal = stream == m_err || m_outOnTerminal;
    if (sameTerminal)
        clearBar();
    writeText(stream, printable(line) + '\n');
    if (sameTerminal)
        drawBar();
}

void ConsoleLog::drawBar()
{
    if (m_bar.isEmpty())
        return;
    writeText(m_err, '\r' + m_bar);
}

void ConsoleLog::clearBar()
{
    if (!m_bar.isEmpty())
        writeText(m_err, '\r' + QString(m_bar.size(), ' ') + '\r');
}

QString progressText(int blocksDone, int blocksInAll, double bytesPerSecond)
{
    constexpr int kWidth = 24;
    const int filled = blocksInAll > 0 ? qBound(0, kWidth * blocksDone / blocksInAll, kWidth) : 0;
    QString text = '[' + QString(filled, '#') + QString(kWidth - filled, '.') + ']'
        + QStringLiteral(" %1/%2 blocks").arg(blocksDone, 3).arg(blocksInAll);
    if (bytesPerSecond <= 0)
        return text;
    const int left = int(std::ceil((blocksInAll - blocksDone) * double(ReadoutSession::kBlockBytes) / bytesPerSecond));
    return text
        + QStringLiteral("  %1 kB/s  %2:%3 left")
              .arg(bytesPerSecond / 1024, 0, 'f', 1)
              .arg(left / 60)
              .arg(left % 60, 2, 10, QLatin1Char('0'));
}

QString printable(const QString &line)
{
    QString out = line;
    for (QChar &c : out) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != '\t') || (code >= 0x7F && code < 0xA0))
            c = QChar(u'?');
    }
    return out;
}
