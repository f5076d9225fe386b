#pragma once

#include "app/command_line.h"
#include "speak/run_outcome.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>

class Form1;

// Exit statuses of a scripted run.
enum RunStatus {
    RunSpoken = 0,       // every line spoken, the run ended on an idle report
    RunModuleError = 1,  // the module reported an error in the data sent
    RunPortFailed = 2,   // the port could not be opened, or went away
    RunTimedOut = 3,     // no progress within the time-out
    RunBadArguments = 64 // bad arguments, or a file that gives nothing to speak
};

// A run without a window, through the window's own handlers: the file is loaded as the FILE
// button loads it, 発話 is pressed, and the line pump speaks the lines on its ticks. Messages
// the window would show in a box go to standard error, and the run goes on as after OK. The
// exit status follows from how the speaking engine says the run ended.
class ScriptedRun : public QObject
{
    Q_OBJECT

public:
    ScriptedRun(Form1 &form, const CommandLine &line);
    ~ScriptedRun() override;

    // Runs until the run ends or fails; returns the exit status.
    int exec();

private:
    void onRunEnded(RunOutcome outcome);
    void afterTick();
    void finish(int status);

    Form1 &form_;
    const CommandLine &line_;
    QEventLoop loop_;
    QElapsedTimer sinceProgress_;
    // The line carries 3,840 bytes a second at 38400 bit/s, 8N1.
    static constexpr qint64 lineBytesPerSecond = 3840;
    QElapsedTimer clock_;
    qint64 lineBusyUntilMs_ = 0; // when the line has carried everything written
    qint16 lastCount_ = 0;
    int rounds_ = 1;
};
