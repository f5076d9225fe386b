#include "stop_signals.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/signalfd.h>

bool StopSignals::install(QString *error)
{
    sigset_t stopSet;
    sigemptyset(&stopSet);
    sigaddset(&stopSet, SIGTERM);
    sigaddset(&stopSet, SIGINT);
    sigaddset(&stopSet, SIGHUP);
    std::signal(SIGPIPE, SIG_IGN);
    if (::sigprocmask(SIG_BLOCK, &stopSet, nullptr) != 0) {
        *error = QString("sigprocmask: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const int fd = ::signalfd(-1, &stopSet, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
        *error = QString("signalfd: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_fd.reset(fd);
    return true;
}

int StopSignals::take()
{
    signalfd_siginfo info{};
    if (::read(m_fd.get(), &info, sizeof info) != static_cast<ssize_t>(sizeof info))
        return 0;
    return static_cast<int>(info.ssi_signo);
}
