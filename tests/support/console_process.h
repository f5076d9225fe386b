#pragma once

#include <functional>

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The console program run as a process, as a test rig would run it.
struct ConsoleResult
{
    int exitCode = -1;
    bool finished = false; // false: it did not end within the time and was killed
    QByteArray out;
    QByteArray err;
};

// Runs build/src/parlino with the arguments in the working folder and this process's
// environment plus the given variables, for at most timeoutMs, keeping the event loop
// running (a simulator fixture in this process goes on logging).
// started, when given, is called with the process id once it runs; the event loop then goes on.
ConsoleResult runConsole(const QStringList &arguments,
                         const QString &workingFolder,
                         const QStringList &environment = {},
                         int timeoutMs = 30000,
                         const std::function<void(qint64 pid)> &started = {});
