#pragma once

// Helpers of the fault suite: a module end of the line that the test scripts byte by byte, the
// console on it, and the checks every fault case ends with (the window still answers a click).

#include "support/recorders.h"
#include "ui/form1.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPushButton>
#include <QString>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QSocketNotifier;
class SimModule;

// The module's end of a pseudo-terminal pair in raw mode, driven by the test on the event loop
// that the console runs on. What the console writes is collected and cut into command lines at
// each CR; for every complete line the answer function may give bytes to write back. Writing
// waits, running the event loop, while the terminal is full, so that a flood of any size gets
// through as fast as the console reads it.
class ScriptedModule : public QObject
{
    Q_OBJECT

public:
    ScriptedModule();
    ~ScriptedModule() override;

    bool isValid() const { return master_ >= 0; }
    QString terminalPath() const { return path_; }

    // Called for every command line the console wrote (its bytes, CR included); what it
    // returns goes back at once. Unset: the module is silent.
    std::function<QByteArray(const QByteArray &line)> answer;

    // Writes every byte, running the event loop while the terminal is full. False when the
    // time ran out or the line is gone.
    bool writeAll(const QByteArray &bytes, int timeoutMs = 10000);

    // Every byte the console wrote, and the same cut into command lines (CR kept).
    QByteArray received() const { return received_; }
    QList<QByteArray> lines() const { return lines_; }
    qsizetype countOf(const QByteArray &line) const { return lines_.count(line); }
    // The command lines other than the status polls "STT".
    QList<QByteArray> linesWithoutPolls() const;
    // Every byte written to the console so far.
    QByteArray sent() const { return sent_; }

    // Closes the module's side: for the console the device is gone.
    void closeModuleSide();

private:
    void readWaiting();

    int master_ = -1;
    int slave_ = -1;
    QString path_;
    QSocketNotifier *notifier_ = nullptr;
    QByteArray received_;
    QByteArray partial_;
    QList<QByteArray> lines_;
    QByteArray sent_;
    bool dispatching_ = false;
};

// The real console (its QSerialPort-backed control, both timers running) in a working folder
// with the presets and icons, on a scripted module as COM1, with the port open.
class ConsoleOnModule : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    void speak(const QString &text);
    QPushButton *button(const char *name) const;

    ScopedWorkDir work;
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    ScriptedModule module;
    std::unique_ptr<Form1> form;
};

// Two devices, COM1 and COM3, for a console made by the test. Which one a click reaches tells
// which port OPEN opened.
class TwoPorts : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Presses OPEN and tells which device a chime then reaches: 1, 3, or 0 for none.
    int openedDevice(Form1 &form);

    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    ScriptedModule com1;
    ScriptedModule com3;
};

// Clicks チャイム1 and waits until its command reaches the module: the window still answers.
bool chimeReaches(Form1 &form, ScriptedModule &module, int timeoutMs = 3000);
bool chimeReaches(Form1 &form, SimModule &sim, int timeoutMs = 3000);

// Keeps first-in-first-out files from holding the console forever. Once the grace time has
// passed without finish(), it opens each of them for reading and writing and closes it again,
// over and over: an open that waits for the other side then goes on (a reader finds the end
// of the file, a writer a pipe without reader; the broken-pipe signal is ignored meanwhile).
// finish() tells whether the grace time ran out, that is whether the console waited.
class FifoReleaser
{
public:
    FifoReleaser(QStringList paths, int graceMs);
    ~FifoReleaser();
    FifoReleaser(const FifoReleaser &) = delete;
    FifoReleaser &operator=(const FifoReleaser &) = delete;

    // Stops watching; true when the console was still busy at the end of the grace time.
    bool finish();

private:
    QStringList paths_;
    std::atomic<bool> done_{false};
    std::atomic<bool> released_{false};
    std::thread thread_;
    void (*previousPipeHandler_)(int) = nullptr;
};

// Makes a first-in-first-out file at the path; false if that fails.
bool makeFifo(const QString &path);
