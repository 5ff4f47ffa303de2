#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The box's end of the serial line: the master side of a pseudo-terminal.
// Writes never block; what the kernel will not take yet (pty buffers are
// only a few kB) waits here until the master is writable again.
class PtyPort : public QObject
{
    Q_OBJECT
public:
    explicit PtyPort(QObject *parent = nullptr);
    ~PtyPort() override;

    bool open(QString *error);
    QString devicePath() const { return m_devicePath; }

    void write(const QByteArray &bytes);
    qsizetype backlog() const { return m_backlog.size(); }
    void discardBacklog();

    // Closes the master: the tool's side of the line hangs up.
    void hangUp();

signals:
    void received(const QByteArray &bytes);
    void drained();  // the backlog has gone into the kernel
    void lost(const QString &why);

private:
    void onReadable();
    void onWritable();
    qsizetype writeSome(const char *data, qsizetype size);
    void fail(const QString &why);

    int m_master = -1;
    // Held open for the receiver's whole life: with no slave open the master
    // reports a hang-up, both before the tool first opens the port and
    // whenever it has closed it.
    int m_slave = -1;
    QString m_devicePath;
    QByteArray m_backlog;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
