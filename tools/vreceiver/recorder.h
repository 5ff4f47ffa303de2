#pragma once

#include <QByteArray>
#include <QString>

// Appends what the tool sent to a file, straight to the kernel with no
// buffering, so the file is complete even if the receiver is killed.
class Recorder
{
public:
    Recorder() = default;
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    bool open(const QString &file, QString *error);
    void append(const QByteArray &bytes);

private:
    int m_fd = -1;
};
