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

    explicit SerialLine(QObject *parent = nullptr);

    // 115200 baud, no parity, 8 data bits, 1 stop bit, no flow control, 32000-byte buffer.
    void applyLineSettings();

    OpenOutcome open(const QString &device);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    void write(const QByteArray &bytes);
    QByteArray readAll() { return m_port.readAll(); }
    void discardInput();

signals:
    void dataArrived();
    // The device went away (adapter pulled, other end hung up). Emitted once per open.
    void lost(const QString &reason);

private:
    void handleError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    bool m_lostReported = false;
};
