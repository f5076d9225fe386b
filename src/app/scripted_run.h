#pragma once

#include "app/command_line.h"
#include "report/junit_report_file.h"
#include "report/progress.h"
#include "report/run_recorder.h"
#include "speak/run_outcome.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>

#include <memory>
#include <optional>

class Form1;
class Transcript;

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
// follows from how the speaking engine says the run ended. However it ends, refusals
// included, a summary line goes to standard error and, when asked for, a JUnit report is
// written; the report is also rewritten as the run goes, at most once a second.
class ScriptedRun : public QObject
{
    Q_OBJECT

public:
    // The transcript, when given, is said to be incomplete before the summary when it is.
    ScriptedRun(Form1 &form, const CommandLine &line, const Transcript *transcript = nullptr);
    ~ScriptedRun() override;

    // Runs until the run ends or fails; returns the exit status. A refusal given here (a
    // transcript that cannot be written), like every refusal of the input or the report, ends
    // the run before the port is opened.
    int exec(const QString &refusal = QString());

private:
    // The input and the report, before the port opens (scripted_run_input.cpp).
    void readInput();
    void readSpeakFile();
    void readScript();
    bool acceptInput();
    bool acceptSpeakFile();
    bool acceptScript();
    bool startReport();
    bool armSpeakFile();
    bool armScript();
    void noteEncoding(const QString &path);
    // The run itself (scripted_run.cpp).
    int run();
    void follow();
    void onRunEnded(RunOutcome outcome);
    void afterTick();
    void finish(int status);
    // What it tells (scripted_run_report.cpp).
    void noteCause(const QString &cause);
    void report(int status);
    bool writeReport();
    void rewriteReport();
    void showProgress(bool passEnded);

    Form1 &form_;
    const CommandLine &line_;
    const Transcript *transcript_;
    QEventLoop loop_;
    QElapsedTimer sinceProgress_;
    // The line carries 3,840 bytes a second at 38400 bit/s, 8N1.
    static constexpr qint64 lineBytesPerSecond = 3840;
    QElapsedTimer clock_;
    qint64 lineBusyUntilMs_ = 0; // when the line has carried everything written
    qint16 lastCount_ = 0;
    int rounds_ = 1;
    // Since the last progress: replies heard, and the latest status (a silent module and
    // one that answers but never reports idle end with different causes).
    quint64 heardAtProgress_ = 0;
    QString lastStatus_;
    QString refusal_; // the first line the module answered '?', in words
    RunRecorder recorder_;
    QString cause_; // what went wrong first, in the words told on standard error
    // The input as read before the port opens, so that the report lists its lines however
    // the run ends; its refusal is told when the run is armed, as the window tells it.
    QString inputError_;
    std::optional<QString> scriptText_;
    TextReading reading_;       // how the run's file was read: --encoding in, the encoding used out
    int refusableIndex_ = -1;   // the line of the list that refuses it, if the list is refused
    bool reportAllowed_ = true; // false when the report's path names the run's own files
    bool reportFailed_ = false; // a write of the report failed; it was said once
    std::unique_ptr<RunProgress> progress_; // none with --no-progress
    JunitReportFile reportFile_;
};
