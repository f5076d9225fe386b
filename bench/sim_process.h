#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A parlino-sim started for a benchmark, with its byte log in the given file. Once it has
// printed its terminal's path, PARLINO_COM1 names it, so that the console's COM1 opens it. The
// simulator ends when this object goes: its standard input closes.
class SimProcess
{
public:
    SimProcess(const QString &logPath, const QStringList &extraArguments = {});
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // The terminal's path; empty when the simulator did not start (the reason went to stderr).
    QString ptyPath() const { return ptyPath_; }

private:
    QProcess process_;
    QString ptyPath_;
};
