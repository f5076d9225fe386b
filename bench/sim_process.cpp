#include "sim_process.h"

#include <QFile>
#include <cstdio>

namespace {
constexpr int startTimeoutMs = 5000;
}

SimProcess::SimProcess(const QString &logPath, const QStringList &extraArguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(PARLINO_SIM_PATH),
                   QStringList{QStringLiteral("--log"), logPath} + extraArguments);
    if (!process_.waitForStarted(startTimeoutMs)) {
        std::fprintf(stderr, "cannot start %s\n", PARLINO_SIM_PATH);
        return;
    }
    while (!process_.canReadLine() && process_.waitForReadyRead(startTimeoutMs)) {
    }
    if (!process_.canReadLine()) {
        std::fprintf(stderr, "the simulator printed no terminal path\n");
        return;
    }
    ptyPath_ = QString::fromLocal8Bit(process_.readLine().trimmed());
    qputenv("PARLINO_COM1", QFile::encodeName(ptyPath_));
}

SimProcess::~SimProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}
