#pragma once

#include "support/recorders.h"
#include "support/sim_fixture.h"
#include "ui/form1.h"

#include <gtest/gtest.h>

#include <memory>

// The real console on the simulated module: parlino-sim on a fresh pseudo-terminal as COM1,
// the window with its QSerialPort-backed serial control and running timers, in a working
// folder with the presets and icons. Message boxes and the end of the program are recorded.
class ConsoleOnSim : public ::testing::Test
{
protected:
    // Arguments for the simulator; a test class may override before SetUp runs.
    virtual QStringList simArguments() const { return {"--char-ms", "5"}; }

    void SetUp() override;
    void TearDown() override;

    // Fills the send box and presses 発話.
    void speak(const QString &text);
    // Runs the event loop until the run has ended.
    bool waitForRunEnd(int timeoutMs = 10000);
    // The console's writes, one a record, without the status polls.
    QList<QByteArray> linesReceived() const;

    ScopedWorkDir work;
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    std::unique_ptr<SimModule> sim;
    std::unique_ptr<Form1> form;
};
