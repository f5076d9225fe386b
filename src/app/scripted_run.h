#pragma once

#include "app/command_line.h"
#include "report/run_recorder.h"
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

// A run without a window, through the window's own handlers: a text file is loaded as the
// FILE button loads it and 発話 is pressed; a script of commands is armed as a run of its
// lines, each sent as written. The line pump sends the lines on its ticks. Messages the window
// would show in a box go to standard error, and the run goes on as after OK. The exit status
// follows from how the speaking engine says the run ended. However it ends, a summary line
// goes to standard error and, when asked for, a JUnit report is written.
class ScriptedRun : public QObject
{
    Q_OBJECT

public:
    ScriptedRun(Form1 &form, const CommandLine &line);
    ~ScriptedRun() override;

    // Runs until the run ends or fails; returns the exit status.
    int exec();

private:
    int run();
    bool armSpeakFile();
    bool armScript();
    void follow();
    void onRunEnded(RunOutcome outcome);
    void afterTick();
    void finish(int status);
    void noteCause(const QString &cause);
    void report(int status);
    bool writeReport();

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
    RunRecorder recorder_;
    QString cause_; // what went wrong first, in the words told on standard error
};
