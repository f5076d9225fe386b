#include "support/pty_pair.h"

#include "transport/device_locks.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <utility>
#include <vector>

QString openRawPty(int &master, int &slave)
{
    // A terminal that a lock file names is another console's on this machine: it is kept aside
    // while the next is taken, then let go.
    char name[256] = {};
    std::vector<std::pair<int, int>> aside;
    for (;;) {
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            master = slave = -1;
            break;
        }
        if (readDeviceLocks(QString::fromLocal8Bit(name)).isEmpty() || aside.size() >= 32)
            break;
        aside.emplace_back(master, slave);
    }
    for (const auto &[heldMaster, heldSlave] : aside) {
        ::close(heldMaster);
        ::close(heldSlave);
    }
    if (master < 0)
        return QString();
    // A new pseudo-terminal echoes and turns CR into LF; the line must carry bytes as is.
    for (int fd : {master, slave}) {
        termios settings{};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return QString::fromLocal8Bit(name);
}

PtyPair::PtyPair()
    : path_(openRawPty(master_, slave_))
{}

PtyPair::~PtyPair()
{
    closeModuleSide();
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyPair::write(const QByteArray &bytes)
{
    if (master_ < 0)
        return;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
}

QByteArray PtyPair::readAvailable()
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = master_ >= 0 ? ::read(master_, buffer, sizeof buffer) : -1;
        if (n <= 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

QByteArray PtyPair::read(int count, int timeoutMs)
{
    QByteArray bytes;
    QDeadlineTimer deadline(timeoutMs);
    while (bytes.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        bytes += readAvailable();
        if (bytes.size() < count)
            QThread::msleep(1);
    }
    return bytes;
}

QByteArray PtyPair::readFor(int milliseconds)
{
    QByteArray bytes;
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        bytes += readAvailable();
        QThread::msleep(1);
    }
    return bytes;
}

void PtyPair::closeModuleSide()
{
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}
