#include "pseudo_terminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>

namespace {

QString systemError(const char *what)
{
    return QString("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// A new pseudo-terminal starts in cooked mode: it echoes and turns CR into LF. The module's
// line is a plain byte pipe, so both sides go raw.
bool makeRaw(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool addFlags(int fd, int statusFlags, int descriptorFlags)
{
    const int status = ::fcntl(fd, F_GETFL);
    const int descriptor = ::fcntl(fd, F_GETFD);
    return status >= 0 && descriptor >= 0 && ::fcntl(fd, F_SETFL, status | statusFlags) == 0
           && ::fcntl(fd, F_SETFD, descriptor | descriptorFlags) == 0;
}

} // namespace

std::optional<PseudoTerminal> PseudoTerminal::open(QString *error)
{
    int master = -1;
    int terminal = -1;
    if (::openpty(&master, &terminal, nullptr, nullptr, nullptr) != 0) {
        *error = systemError("openpty");
        return std::nullopt;
    }
    PseudoTerminal pair;
    pair.m_master.reset(master);
    pair.m_terminal.reset(terminal);

    if (!makeRaw(master) || !makeRaw(terminal)) {
        *error = systemError("cannot set raw mode");
        return std::nullopt;
    }
    if (!addFlags(master, O_NONBLOCK, FD_CLOEXEC) || !addFlags(terminal, 0, FD_CLOEXEC)) {
        *error = systemError("fcntl");
        return std::nullopt;
    }
    char name[256] = {};
    if (const int failure = ::ttyname_r(terminal, name, sizeof name); failure != 0) {
        errno = failure;
        *error = systemError("ttyname");
        return std::nullopt;
    }
    pair.m_terminalPath = QString::fromLocal8Bit(name);
    return pair;
}
