#include "virtualreceiver.h"

#include "toolprocess.h"

#include <QFile>

namespace {

constexpr int StartTimeoutMs = 10000;

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

VirtualReceiver::~VirtualReceiver()
{
    stop();
}

bool VirtualReceiver::start(const QStringList &args)
{
    stop();
    m_devicePath.clear();
    m_files = std::make_unique<QTemporaryDir>();
    if (!m_files->isValid())
        return false;

    // Both go to files: they are complete whenever the test looks, whether
    // or not its event loop has run since.
    QFile(filePath("received.bin")).open(QIODevice::WriteOnly);
    m_process.setStandardErrorFile(filePath("stderr.txt"));

    const std::optional<QByteArray> line = startAndReadFirstLine(
        m_process, QStringLiteral(TAMRIX_VRECEIVER),
        args
            + QStringList{QStringLiteral("--record"), filePath("received.bin"), QStringLiteral("--timings"),
                          filePath("timings.txt")},
        StartTimeoutMs);
    if (!line || line->isEmpty()) {
        stop();
        return false;
    }
    m_devicePath = QString::fromLocal8Bit(*line);
    return true;
}

void VirtualReceiver::stop()
{
    endProcess(m_process);
}

QByteArray VirtualReceiver::received() const
{
    return m_files ? readWholeFile(filePath("received.bin")) : QByteArray();
}

QVector<qint64> VirtualReceiver::timings(const QByteArray &kind) const
{
    QVector<qint64> values;
    if (m_files) {
        for (const QByteArray &line : readWholeFile(filePath("timings.txt")).split('\n'))
            if (line.startsWith(kind))
                values.append(line.mid(kind.size()).toLongLong());
    }
    return values;
}

QString VirtualReceiver::stderrText() const
{
    return m_files ? QString::fromLocal8Bit(readWholeFile(filePath("stderr.txt"))) : QString();
}

QString VirtualReceiver::filePath(const char *name) const
{
    return m_files->filePath(QLatin1String(name));
}

PortHolder::~PortHolder()
{
    release();
}

bool PortHolder::hold(const QString &device)
{
    release();
    const std::optional<QByteArray> line = startAndReadFirstLine(m_process, QStringLiteral(TAMRIX_PORTHOLDER), {device},
                                                                 StartTimeoutMs);
    if (line && *line == "held")
        return true;
    m_process.waitForFinished(StartTimeoutMs);
    qWarning("tamrix-portholder did not hold %s: %s", qPrintable(device), m_process.readAllStandardError().trimmed().constData());
    release();
    return false;
}

void PortHolder::release()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // End of stdin is its cue to close the port and exit.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        endProcess(m_process);
}
