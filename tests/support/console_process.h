#pragma once

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
ConsoleResult runConsole(const QStringList &arguments,
                         const QString &workingFolder,
                         const QStringList &environment = {},
                         int timeoutMs = 30000);
