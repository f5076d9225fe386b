#pragma once

#include "platform/message_box.h"
#include "ui/form1.h"
#include "work_folder.h"

#include <memory>

// The console window as a benchmark drives it: created in a working folder of its own, with
// its real serial control, message boxes written to standard error instead of shown, and the
// window shown and given a moment to come up.
class BenchConsole
{
public:
    BenchConsole();
    ~BenchConsole();
    BenchConsole(const BenchConsole &) = delete;
    BenchConsole &operator=(const BenchConsole &) = delete;

    Form1 &form() { return *form_; }
    const WorkFolder &folder() const { return folder_; }

    // Presses OPEN on COM1; false when the port did not open.
    bool open();
    // The number of message boxes the console raised so far.
    int messageBoxes() const;

private:
    WorkFolder folder_;
    MessageBoxHandler previous_;
    std::unique_ptr<Form1> form_;
};
