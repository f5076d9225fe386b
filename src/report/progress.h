#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// How far a scripted run has come: lines sent of the list, the pass of the repeat, the time
// since the run started and the module's last status.
struct ProgressState
{
    int line = 0;  // lines of the list sent in this pass
    int lines = 0; // lines in the list
    int pass = 1;
    int passes = 1;
    qint64 elapsedMs = 0;
    QString status; // the module's last status reply, empty before the first
};

// "line 12/120, pass 2/5, 0:01:23, stt 1"
QString progressText(const ProgressState &state);

// Shows the progress on standard error. On a terminal one status line is rewritten in place
// and taken away before any message and before the summary; in a log (standard error not a
// terminal) a line goes at most every logIntervalMs and at the end of each pass.
class RunProgress
{
public:
    enum class Form { Terminal, Log };
    static constexpr qint64 logIntervalMs = 10000;
    using Writer = std::function<void(const QString &)>;

    RunProgress(Form form, Writer write);
    ~RunProgress();
    RunProgress(const RunProgress &) = delete;
    RunProgress &operator=(const RunProgress &) = delete;

    // The run's state now; called often (every tick of the pump).
    void update(const ProgressState &state);
    // A pass of the list has been sent and answered.
    void passEnded(const ProgressState &state);
    // Takes the status line away (terminal form); the next update draws it again.
    void erase();

private:
    Form form_;
    Writer write_;
    QString shown_;        // the status line on the terminal, empty when none is
    qint64 lastLogMs_ = 0; // the elapsed time of the latest log line
};
