#pragma once

#include "flood_source.h"
#include "line_faults.h"
#include "output_queue.h"
#include "read_pacer.h"
#include "speech_model.h"

#include <chrono>
#include <cstdint>
#include <random>

class ByteLog;
class StopSignals;
class Voice;

// The simulator's event loop: a single poll() over the pseudo-terminal's master side, the stop
// signals and standard input. Received bytes go to the speech model and its answers to the
// output queue; the poll time-out is the moment the next queued piece is due, and with nothing
// queued the loop sleeps until an event arrives. Busy time needs no wake-up of its own: the model
// compares its deadline with the clock whenever a command asks. A flood (--flood, --flood-bytes)
// writes random bytes whenever the terminal can take them and no answer is waiting to go out;
// each pass writes a bounded amount, so received commands are read and answered between passes.
// With a byte rate (--byte-rate) the terminal is read no faster than that rate: while the pacer
// holds reading back, the loop leaves the terminal's input unwatched and wakes when it may read.
// With a voice (--voice, --wav) the sounds the model asks for go to the voice's thread, and its
// reports of each sound's length come back through a pipe the loop watches.
class SimServer
{
public:
    struct Setup
    {
        int master = -1;  // master side of the pseudo-terminal, non-blocking
        int inputFd = -1; // standard input to watch for its end, or -1 not to watch
        StopSignals *stop = nullptr;
        ByteLog *log = nullptr;
        ModelSettings model;
        bool split = false;
        FloodSource::Limits flood;     // no flood unless a limit is set
        std::int64_t byteRate = 0;     // bytes read from the terminal a second at most; 0: no limit
        std::int64_t replyDelayMs = 0; // every answer this late
        std::int64_t jitterMinMs = 0;  // and later still by a random time in this range
        std::int64_t jitterMaxMs = 0;  // (answers keep their order)
        QByteArray replyEnd = "\r";    // what ends an answer instead of its CR
        Voice *voice = nullptr;        // makes the sounds of an audio-timed model; else none
        LineFaultSettings faults;      // lost status, unasked status, trickled answers
        std::chrono::steady_clock::time_point start;
    };

    explicit SimServer(const Setup &setup);

    // Runs until a stop signal or the end of standard input (returns 0) or a failure of the
    // terminal (returns 1).
    int run();

private:
    std::int64_t nowMicros() const;
    std::int64_t replyDelayMs();
    int pollTimeoutMs();
    bool readMaster();
    bool writeDue();
    bool readInput();
    void handOverSounds(std::int64_t micros);
    void takeVoiceReports();
    bool writeFlood();
    void logFloodSummary();
    void pushAnswer(QByteArray answer, std::int64_t nowMs);
    void sendUnaskedStatus();

    Setup m_setup;
    std::mt19937_64 m_random{std::random_device{}()};
    SpeechModel m_model;
    OutputQueue m_output;
    LineFaults m_faults;
    FloodSource m_flood;
    ReadPacer m_pacer;
    bool m_writeBlocked = false;
};
