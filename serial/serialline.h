#pragma once
// The serial port as the read-out needs it: 115200,N,8,1, open and close, send, take everything
// received, drop what is waiting, and one signal when the line is gone.

#include "serial/openfailure.h"

#include <QObject>
#include <QSerialPort>

class SerialLine : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kReceiveBufferSize = 32000;
    // Linux hands a reader at most 64 bytes per read while a larger VMIN is set, which would
    // leave the rest waiting below the threshold and wake the program for every piece again.
    static constexpr int kMaxWakeThreshold = 64;

    explicit SerialLine(QObject *parent = nullptr);

    // 115200 baud, no parity, 8 data bits, 1 stop bit, no flow control, 32000-byte buffer.
    void applyLineSettings();

    OpenOutcome open(const QString &device);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    void write(const QByteArray &bytes);
    QByteArray readAll() { return m_port.readAll(); }
    void discardInput();

    // Signal dataArrived() only once this many bytes are waiting (up to kMaxWakeThreshold),
    // so a frame wakes the program a fraction of the times the line delivers a piece of it.
    // 1 wakes for every byte. Does nothing where the system has no such setting.
    void setWakeThreshold(int bytes);
    // Takes in whatever is waiting below the threshold now (signals dataArrived() if anything
    // was), and wakes for every byte from here on.
    void pullWaiting();

signals:
    void dataArrived();
    // The device went away (adapter pulled, other end hung up). Emitted once per open.
    void lost(const QString &reason);

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    bool m_lostReported = false;
    int m_wakeThreshold = 1;
};
