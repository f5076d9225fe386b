#pragma once

#include "line_faults.h"
#include "output_queue.h"
#include "speech_model.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <random>

// The module at the far end of a faulty line, on a clock of the caller's: what the console
// writes reaches the model at once; the model's answers come back late by a delay and a
// jitter (in order), a byte at a time when trickled, lost, repeated or joined by unasked
// status as the faults say. It drives a console in process with simulated time, and keeps
// what the module did with every command, so that what the console reports can be checked
// against it.
class SimulatedLine
{
public:
    struct Setup
    {
        ModelSettings model;
        LineFaultSettings faults;
        std::int64_t delayMs = 0;
        std::int64_t jitterMinMs = 0;
        std::int64_t jitterMaxMs = 0;
        std::uint64_t seed = 1;
    };
    // A command as the module took it.
    struct Taken
    {
        QByteArray command; // without its CR
        std::int64_t atMs = 0;
        bool busy = false;         // the module was still busy when it came
        bool refused = false;      // answered '?' (or would have been, when quiet)
        std::int64_t idleAtMs = 0; // when the module was idle again after it
    };

    explicit SimulatedLine(const Setup &setup);

    // The console wrote these bytes at nowMs.
    void write(const QByteArray &bytes, std::int64_t nowMs);
    // What reaches the console by nowMs, in order; empty for nothing.
    QByteArray read(std::int64_t nowMs);
    const QList<Taken> &taken() const { return m_taken; }
    const SpeechModel &model() const { return m_model; }
    std::int64_t statusLost() const { return m_faults.lost(); }

private:
    void push(const QByteArray &answer, std::int64_t nowMs);

    Setup m_setup;
    SpeechModel m_model;
    LineFaults m_faults;
    OutputQueue m_output;
    std::mt19937_64 m_random;
    QList<Taken> m_taken;
};
