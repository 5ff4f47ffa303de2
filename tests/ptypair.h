#pragma once
// A pseudo-terminal for tests: the window opens the slave as its serial port, the test holds
// the master end and sees every byte the window sends.

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyPair
{
public:
    PtyPair()
    {
        termios raw{};
        cfmakeraw(&raw);
        char name[128] = {};
        if (openpty(&m_master, &m_slave, name, &raw, nullptr) == 0) {
            m_path = QString::fromLocal8Bit(name);
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() { hangUp(); if (m_slave >= 0) ::close(m_slave); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }

    QByteArray readAvailable()
    {
        QByteArray out;
        char buffer[4096];
        ssize_t n;
        while (m_master >= 0 && (n = ::read(m_master, buffer, sizeof buffer)) > 0)
            out.append(buffer, n);
        return out;
    }
    bool write(const QByteArray &bytes)
    {
        return m_master >= 0 && ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
    }
    // The other end goes away, as when a USB adapter is pulled.
    void hangUp()
    {
        if (m_slave >= 0) { ::close(m_slave); m_slave = -1; }
        if (m_master >= 0) { ::close(m_master); m_master = -1; }
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};
