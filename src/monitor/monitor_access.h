#pragma once

#include "monitor/record_model.h"

#include <QObject>

#include <memory>

class Form1;
class MonitorWindow;
class Transcript;

// The line monitor of the console: the rows it keeps from the start, and its window, built
// the first time it opens, so that a start that never opens it builds nothing of it.
class LineMonitor : public QObject
{
    Q_OBJECT

public:
    explicit LineMonitor(Form1 &form);
    ~LineMonitor() override;

    RecordModel &model() { return model_; }
    // The window, built now if it was not yet.
    MonitorWindow &window();
    bool isOpen() const;
    void open();
    void toggle();

private:
    Form1 &form_;
    RecordModel model_;
    std::unique_ptr<MonitorWindow> window_;
};

// Makes the line monitor over the records the transcript forms (the transcript follows the
// window's line for it, with a file or without), and gives the console's window the ways to
// open and close it: F12, and an entry in the receive box's context menu. Nothing of the
// window's controls, captions, positions or Tab order changes.
std::unique_ptr<LineMonitor> attachMonitor(Form1 &form, Transcript &transcript);
