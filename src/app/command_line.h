#pragma once

#include "text/text_encoding.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for. Without --speak, --script or --list-ports the window comes
// up.
struct CommandLine
{
    QString transcript;      // --transcript FILE, else the variable PARLINO_TRANSCRIPT
    QString speakFile;       // --speak FILE: a scripted run without a window
    QString scriptFile;      // --script FILE: a scripted run of module commands
    QString junitFile;       // --junit FILE: the run's JUnit report
    QString junitSuite;      // --junit-suite NAME: the report's suite, else "FILE on COMn"
    int port = 0;            // --port N, or the port's name: --port COM3
    int repeat = 1;          // --repeat COUNT
    int timeoutSeconds = 60; // --timeout SECONDS
    bool listPorts = false;  // --list-ports
    bool help = false;       // --help
    bool version = false;    // --version
    bool userFolder = false; // --user-folder: the window works in the per-user folder
    bool monitor = false;    // --monitor: the line monitor opens with the window
    bool noProgress = false; // --no-progress: a scripted run shows no progress
    QString error;           // set when the arguments are bad
    // --encoding cp932|utf-8: the encoding to read the run's file in; else judged from it
    std::optional<TextEncoding> encoding;

    // A run without a window: --speak or --script.
    bool isScripted() const { return !speakFile.isEmpty() || !scriptFile.isEmpty(); }
};

// Reads the arguments, without the program's name. Every argument must be one of ours.
CommandLine parseCommandLine(const QStringList &arguments);

QString usageText();

// What a usage error prints: its cause, and where the options are told.
QString usageErrorText(const QString &error);
