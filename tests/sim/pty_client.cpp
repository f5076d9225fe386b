#include "pty_client.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyClient::PtyClient(const QString &path)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    termios settings{};
    if (::tcgetattr(m_fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_fd, TCSANOW, &settings);
    }
}

PtyClient::~PtyClient()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool PtyClient::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(m_fd, bytes.constData() + done, bytes.size() - done);
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (count < 0)
            return false;
        done += count;
    }
    return true;
}

QList<QByteArray> PtyClient::readChunksFor(int timeoutMs)
{
    QList<QByteArray> chunks;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count > 0)
            chunks.append(QByteArray(buffer, count));
        else if (count == 0 || (errno != EAGAIN && errno != EINTR))
            break; // the simulator is gone
    }
    return chunks;
}

QByteArray PtyClient::readUntil(const QByteArray &ending, int timeoutMs)
{
    QByteArray collected;
    const QDeadlineTimer deadline(timeoutMs);
    while (!collected.endsWith(ending) && !deadline.hasExpired()) {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
        if (count > 0)
            collected.append(buffer, count);
        else if (count == 0 || (errno != EAGAIN && errno != EINTR))
            break; // the simulator is gone
    }
    return collected;
}

QByteArray PtyClient::ask(const QByteArray &commandLine, int timeoutMs)
{
    if (!write(commandLine))
        return {};
    return readUntil("\r", timeoutMs);
}
