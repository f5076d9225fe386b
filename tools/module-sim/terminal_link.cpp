#include "terminal_link.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError(const QString &what)
{
    return QString("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// The target of a symbolic link, or an empty string when path is not one.
QByteArray linkTarget(const QByteArray &path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(path.constData(), buffer, sizeof buffer);
    return length < 0 ? QByteArray() : QByteArray(buffer, length);
}

} // namespace

TerminalLink::~TerminalLink()
{
    if (m_linkPath.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_linkPath);
    if (linkTarget(path) == QFile::encodeName(m_target))
        ::unlink(path.constData());
}

bool TerminalLink::create(const QString &linkPath, const QString &target, QString *error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    struct stat existing
    {
    };
    if (::lstat(path.constData(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        *error = linkPath + ": exists and is not a symbolic link";
        return false;
    }
    // Make the new link beside the old one and rename it over, so the path never dangles.
    const QByteArray temporary = path + ".new." + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0) {
        *error = systemError(linkPath);
        return false;
    }
    if (::rename(temporary.constData(), path.constData()) != 0) {
        *error = systemError(linkPath);
        ::unlink(temporary.constData());
        return false;
    }
    m_linkPath = linkPath;
    m_target = target;
    return true;
}
