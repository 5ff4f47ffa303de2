#pragma once
// Ctrl-C, SIGINT and SIGTERM as a Qt signal, so a program can close its port and dump file
// and leave its event loop cleanly instead of dying in the middle of a write.

#include <QObject>

class QSocketNotifier;

class InterruptWatch : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatch(QObject *parent = nullptr);
    ~InterruptWatch() override;

signals:
    void interrupted();

private:
    QSocketNotifier *m_notifier = nullptr;
};
