#pragma once

#include "support/recorders.h"
#include "support/recording_serial.h"
#include "ui/form1.h"

#include <gtest/gtest.h>

#include <memory>

// A window on a recording serial control in a fresh working folder, with message boxes and
// the end of the program recorded. The timers are stopped so that tests drive the ticks.
class FormTest : public ::testing::Test
{
protected:
    ScopedWorkDir work;
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    RecordingSerial *serial = nullptr;
    std::unique_ptr<Form1> form;

    // Creates the window (running its start-up) once the working folder is prepared.
    void createForm()
    {
        auto recording = std::make_unique<RecordingSerial>();
        serial = recording.get();
        form = std::make_unique<Form1>(std::move(recording));
        form->Timer1->stop();
        form->Timer2->stop();
    }

    // Opens the port as the operator would.
    void openPort()
    {
        form->Command5_Click();
        ASSERT_TRUE(serial->PortOpen());
    }

    template<typename T>
    T *control(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
};
