#include "support/recorders.h"

#include <QFile>
#include <QFileInfo>

MessageBoxRecorder::MessageBoxRecorder()
{
    previous_ = installMessageBoxHandler([this](const QString &prompt,
                                                int buttons,
                                                const QString &title,
                                                const QString &details,
                                                const QString &cause) {
        const Box box{prompt, buttons, title, details, cause};
        boxes.append(box);
        if (whileOpen)
            whileOpen(box);
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    installMessageBoxHandler(std::move(previous_));
}

OpenDialogAnswerer::OpenDialogAnswerer()
{
    previous_
        = installOpenDialogHandler([this](const QStringList &filters, const QString &selected) {
              ++shown;
              shownFilters = filters;
              shownSelected = selected;
              return answer;
          });
}

OpenDialogAnswerer::~OpenDialogAnswerer()
{
    installOpenDialogHandler(std::move(previous_));
}

EndProgramRecorder::EndProgramRecorder()
{
    previous_ = installEndProgramHandler([this] { ++ended; });
}

EndProgramRecorder::~EndProgramRecorder()
{
    installEndProgramHandler(std::move(previous_));
}

ScopedWorkDir::ScopedWorkDir()
    : previous_(QDir::currentPath())
    , previousPortsFile_(qgetenv("PARLINO_PORTS_FILE"))
{
    QDir::setCurrent(dir_.path());
    qputenv("PARLINO_PORTS_FILE", QFile::encodeName(file(QStringLiteral("parlino_ports.txt"))));
}

ScopedWorkDir::~ScopedWorkDir()
{
    QDir::setCurrent(previous_);
    qputenv("PARLINO_PORTS_FILE", previousPortsFile_);
}

void ScopedWorkDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(bytes);
}

QByteArray ScopedWorkDir::read(const QString &name) const
{
    QFile in(file(name));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void ScopedWorkDir::copyData() const
{
    const QDir data(QStringLiteral(PARLINO_DATA_DIR));
    QDir().mkpath(file(QStringLiteral("icon")));
    for (const QString &name : {QStringLiteral("parlino_msg_ini.txt"),
                                QStringLiteral("icon/MISC13.ICO"),
                                QStringLiteral("icon/MISC15.ICO")})
        QFile::copy(data.filePath(name), file(name));
}
