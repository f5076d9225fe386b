#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// What a scripted run did, line by line, for its report and its summary.

// How a line that went out ended.
enum class LineVerdict {
    Running,  // out, and no verdict yet: the run was still going when the record was taken
    Spoken,   // the module reported idle after it
    Failed,   // the module answered it with an error
    CutShort, // a time-out, a lost device or an interrupt ended the run before it was done
};

struct SentLine
{
    int pass = 1;       // the round of the list it belongs to, from 1
    int index = 0;      // its place in the list, from 0
    double seconds = 0; // speaking time: from the line leaving the port to the idle report
    LineVerdict verdict = LineVerdict::Running;
    QString detail;   // the module's error reply, or the cause that cut the line short
    QString answer;   // what the module answered to the line itself ("?", ">"), if anything
    QString exchange; // the line's traffic, as transcript records timed from the line; kept
                      // for a line that did not end spoken

    bool operator==(const SentLine &) const = default;
};

// How the run as a whole ended.
enum class RunEnd {
    Unfinished,  // the run is still going, or the program ended without saying how
    Spoken,      // every line spoken
    ModuleError, // the module reported an error
    TimedOut,    // no progress within the time-out
    PortFailed,  // the port could not be opened, went away, or kept the last bytes
    Interrupted, // ended by a signal (or Ctrl+C)
    Refused,     // the file was refused before anything was sent
};

struct RunRecord
{
    QString name;           // the script file, as given
    QString suite;          // what the report's suite is called: "module.txt on COM3"
    QString hostname;       // the machine the run ran on
    QDateTime started;      // local time the run began
    double seconds = 0;     // how long the run took
    QString port;           // "COM2"
    QString device;         // the device COM2 reaches
    QString moduleVersion;  // the module's reply to VER, when the script asked for it
    QString encoding;       // the encoding the file was read in: "cp932" or "utf-8"
    QStringList lines;      // the lines of the list, as the file holds them
    QString linePrefix;     // what goes out before each line: "MSG" when the file is text
    QList<int> lineNumbers; // each line's number in the file
    int passes = 1;         // how many rounds of the list the run was to make
    QList<SentLine> sent;   // every line that went out, in order
    int refusedIndex = -1;  // the line that refused the file before anything went out
    RunEnd end = RunEnd::Unfinished;
    QString cause; // in words, when the run did not end spoken
    // A run that failed before its first line went out: the last records of what it
    // waited on, and how long it waited.
    QString waitExchange;
    double waitSeconds = 0;

    bool operator==(const RunRecord &) const = default;
};
