#include "recorder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

Recorder::~Recorder()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Recorder::open(const QString &file, QString *error)
{
    m_fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(file, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void Recorder::append(const QByteArray &bytes)
{
    if (m_fd < 0)
        return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // a full disk is not the receiver's business
        done += n;
    }
}
