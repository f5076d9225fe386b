#pragma once

#include <memory>

class Form1;
class MonitorWindow;
class Transcript;

// Makes the line monitor over the records the transcript forms (the transcript follows the
// window's line for it, with a file or without), and gives the console's window the ways to
// open and close it: F12, and an entry in the receive box's context menu. Nothing of the
// window's controls, captions, positions or Tab order changes.
std::unique_ptr<MonitorWindow> attachMonitor(Form1 &form, Transcript &transcript);
