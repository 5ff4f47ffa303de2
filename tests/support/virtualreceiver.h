#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

// Runs tamrix-vreceiver, a virtual set-top box on a pseudo-terminal, for the
// length of a test. Everything the tool sends is recorded; received() reads
// it back at any time, also after stop().
class VirtualReceiver
{
public:
    VirtualReceiver() = default;
    ~VirtualReceiver();
    VirtualReceiver(const VirtualReceiver &) = delete;
    VirtualReceiver &operator=(const VirtualReceiver &) = delete;

    // Starts the receiver with ARGS (see tamrix-vreceiver --help) and waits
    // for its device path. False if it did not come up; stderrText() says why.
    bool start(const QStringList &args = {});
    // Terminates it and waits until it has gone. Harmless if not running.
    void stop();

    QString devicePath() const { return m_devicePath; }
    QByteArray received() const;
    // Microseconds from each frame's last byte to the first byte of its answer, and the block
    // phase as the line saw it (paced; -1 before DOWN_SUCCESS).
    QVector<qint64> replyDelaysUs() const { return timings("reply "); }
    qint64 blockPhaseUs() const { return timings("block-phase ").value(0, -1); }
    QString stderrText() const;

private:
    QString filePath(const char *name) const;
    QVector<qint64> timings(const QByteArray &kind) const;

    QProcess m_process;
    std::unique_ptr<QTemporaryDir> m_files;
    QString m_devicePath;
};

// Keeps a serial port open in another process (tamrix-portholder), so a
// test can try to open a port that somebody else holds.
class PortHolder
{
public:
    PortHolder() = default;
    ~PortHolder();
    PortHolder(const PortHolder &) = delete;
    PortHolder &operator=(const PortHolder &) = delete;

    // True once the other process has the port open. False if it could not
    // open it, with its message as a warning.
    bool hold(const QString &device);
    void release();

private:
    QProcess m_process;
};
