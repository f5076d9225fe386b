#pragma once

#include "sim_log.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QProcess;
class QTemporaryDir;

// A running parlino-sim for one test. The constructor starts the simulator with a byte log in a
// temporary folder (plus any extra arguments, such as {"--silent"} or {"--char-ms", "10"}),
// waits up to 5 s for the path of its pseudo-terminal and sets PARLINO_COM<n> to it, so that a
// console in the same process opens the simulator as port n. The destructor unsets the variable,
// closes the simulator's standard input, waits for it to end (terminating it if it must) and
// removes the temporary folder. A simulator that does not start is a test failure, and
// ptyPath() is then empty.
class SimModule
{
public:
    explicit SimModule(const QStringList &extraArguments = {}, int comNumber = 1);
    ~SimModule();
    SimModule(const SimModule &) = delete;
    SimModule &operator=(const SimModule &) = delete;

    // The terminal side of the pseudo-terminal, e.g. "/dev/pts/5"; empty if the start failed.
    QString ptyPath() const;
    int pid() const;
    // A path inside the fixture's temporary folder (removed with it), e.g. for --link.
    QString tempPath(const QString &name) const;
    QString logPath() const;

    // Everything logged so far; received() is what the console wrote, sent() what the simulator
    // answered.
    QList<SimLogRecord> log() const;
    QByteArray received() const;
    QByteArray sent() const;

    // Runs the Qt event loop, so that a console in this process keeps working, until received()
    // contains the given bytes or the time is up. Returns whether they arrived.
    bool waitForReceived(const QByteArray &expected, int timeoutMs);
    // Likewise until cond() holds; cond is checked at once and then every few milliseconds.
    bool waitUntil(const std::function<bool()> &cond, int timeoutMs);

    // Ending the simulator from a test: closing its standard input or sending it a signal
    // stops it; waitForExit() runs the event loop until it has ended.
    void closeInput();
    void sendSignal(int signalNumber);
    bool waitForExit(int timeoutMs);
    bool isRunning() const;
    // Exit code, meaningful once it has ended normally (not by a signal).
    int exitCode() const;
    bool exitedNormally() const;

private:
    void stop();

    QByteArray m_comVariable;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_ptyPath;
};
