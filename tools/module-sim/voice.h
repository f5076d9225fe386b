#pragma once

#include "speech_model.h"
#include "unique_fd.h"

#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

class AudioOutput;

// The simulated module's voice (--voice, --wav): a thread of its own that turns each sound the
// model asks for into audio (speech through espeak-ng, chimes from our own tones), plays it on
// the default audio output piece by piece as it is made, writes it to the WAV folder and reports
// when it started (its first samples handed to the output) and, once it is made whole, how long
// it lasts. Synthesis and playback never hold up the poll loop: it hands sounds over with
// submit() and collects reports when readyFd() becomes readable.
//
// Without an audio output (no sound server, no sound card) it says so once on standard error and
// goes on timing sounds without playing them. A line that cannot be synthesised lasts its
// fallback time in silence, with no WAV file. A stop (CLR0) silences a sound at once; its WAV
// file still holds the whole line.
class Voice
{
public:
    struct Setup
    {
        bool play = false; // play on the default audio output
        QString wavFolder; // write each sound to <folder>/NNNN.wav; empty for none
        std::chrono::steady_clock::time_point start; // the clock that reports count from
    };

    // When the sound with this id started and how long its audio lasts.
    struct Report
    {
        std::int64_t id = 0;
        std::int64_t startMicros = 0;
        std::int64_t lengthMicros = 0;
    };

    explicit Voice(const Setup &setup);
    ~Voice(); // cuts any sound short and ends the thread
    Voice(const Voice &) = delete;
    Voice &operator=(const Voice &) = delete;

    // Waits until the speech library is loaded and the audio output opened or found missing,
    // at most the given time; returns whether it is ready.
    bool waitUntilReady(std::chrono::milliseconds timeout);

    // Readable while reports wait to be taken.
    int readyFd() const { return m_readyRead.get(); }

    // Queues a sound; a Stop request cuts the sound with that id short, or drops it unplayed.
    void submit(const SoundRequest &request);

    QList<Report> takeReports();

    // The file name of the sound with this id: 0001.wav, 0002.wav, ...
    static QString wavFileName(std::int64_t id);

private:
    void run();
    void report(const Report &report);
    bool isCut(std::int64_t id) const;
    // Plays a piece of the sound; false once the sound is cut (its audio dropped) or the output
    // fails, after which nothing more of it is played.
    bool playPiece(AudioOutput &output,
                   std::int64_t id,
                   std::span<const std::int16_t> samples,
                   int sampleRate);
    // Lets the output play to the sound's end, or drops what it holds when a stop comes first.
    void playToEnd(AudioOutput &output, std::int64_t id, std::int64_t endMicros);
    std::int64_t nowMicros() const;

    Setup m_setup;
    UniqueFd m_readyRead;
    UniqueFd m_readyWrite;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<SoundRequest> m_queue;
    // Changed under the mutex, for the waits; read without it while synthesising.
    std::atomic<std::int64_t> m_cutThrough = 0; // sounds up to this id are cut
    std::atomic<bool> m_quit = false;
    bool m_ready = false;
    QList<Report> m_reports;

    std::thread m_thread; // last: started once everything above exists
};
