#pragma once

#include "line_assembler.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>

// How the model answers and how long it speaks.
struct ModelSettings
{
    int charMs = 80;                 // speaking time per character at speed 100
    bool quiet = false;              // leave out the ">" and "?" acknowledgements
    bool silent = false;             // answer nothing at all
    QByteArray busyStatus = "stt 1"; // the status answer while busy (speaking, chime, storing)
    bool neverIdle = false;          // answer the status as while busy when idle too
    bool latchRefusals = true;       // a refused command latches the error ("?" alone if not)
    // Speech and chimes last as long as their audio (--voice, --wav): each starts a sound that
    // keeps the module busy until soundTimed() says when it ends, and CLR0 cuts it short.
    bool audioTimed = false;
};

// A sound the audio-timed model asks for: a line to speak, a chime to play, or a stop of the
// sound with that id. Ids count 1, 2, ... in the order the sounds start.
struct SoundRequest
{
    enum class Kind { Speech, Chime, Stop };
    Kind kind = Kind::Speech;
    std::int64_t id = 0;
    QString text;                // Speech: the kana to speak
    int chime = 0;               // Chime: 1 or 2
    int speed = 100;             // Speech: the speed set with SPD, in percent
    std::int64_t fallbackMs = 0; // how long the sound lasts when no audio can be made of it
};

// The speech module's protocol, without any I/O. Feed it the bytes received from the console
// together with the current time in milliseconds; it returns the answers to send, each one line
// of ASCII text ended by CR, and keeps its state: busy until a time, the error latch, the speed
// and the 32 memory slots.
//
// Commands: VER, STT, CLR0, MSG<text>, SPD<speed>, SSD01, SSD02, EEP<slot><text>, SEL<slot>.
// A command that is refused, unknown or malformed latches the error and is answered "?". While
// the error is latched only VER, STT and CLR0 are carried out. While the module is busy, the
// commands that make it busy (MSG, SEL, SSD, EEP) latch the error instead.
//
// Audio-timed, speech and chimes are sounds made elsewhere: the model hands out a SoundRequest,
// stays busy until told how long the sound's audio lasts, and CLR0 also stops a sound.
class SpeechModel
{
public:
    static constexpr int slotCount = 32;
    static constexpr int defaultSpeed = 100;
    static constexpr int minSpeed = 50;
    static constexpr int maxSpeed = 300;
    static constexpr std::int64_t chimeMs = 500;
    static constexpr std::int64_t storeMs = 300;
    // Busy until a sound's length is known.
    static constexpr std::int64_t untilTimed = std::numeric_limits<std::int64_t>::max();

    explicit SpeechModel(ModelSettings settings = {});

    // Takes a chunk of received bytes and returns the answers to the lines it completed.
    QList<QByteArray> receive(QByteArrayView chunk, std::int64_t nowMs);

    bool isBusy(std::int64_t nowMs) const { return nowMs < m_busyUntilMs; }
    // The status answer as STT would have it now, for status sent unasked.
    QByteArray statusNow(std::int64_t nowMs);
    std::int64_t busyUntilMs() const { return m_busyUntilMs; }
    bool errorLatched() const { return m_errorLatched; }
    int speed() const { return m_speed; }
    // The text stored in slot 1..32; empty for an empty or unknown slot.
    QString slotText(int slot) const;

    // The sounds asked for since the last call, in order (audio-timed only).
    QList<SoundRequest> takeSoundRequests();
    // The sound with this id ends at endMs; ignored unless it is the sound still playing.
    void soundTimed(std::int64_t id, std::int64_t endMs);

private:
    // What may stop a command before it is carried out.
    enum class Gate {
        Always,     // carried out even while busy and while the error is latched
        NotLatched, // refused while the error is latched
        Idle,       // refused while the error is latched, an error while busy
    };
    using Handler
        = std::optional<QByteArray> (SpeechModel::*)(QStringView argument, std::int64_t nowMs);
    struct Command
    {
        const char16_t *name;
        bool takesArgument; // name is a prefix followed by an argument, else the whole line
        Gate gate;
        Handler handler; // returns the answer text, or nothing to latch the error
    };
    static const std::array<Command, 9> commands;
    static constexpr std::int64_t noSound = 0;

    QList<QByteArray> handleLine(const AssembledLine &line, std::int64_t nowMs);
    // Answers "?"; latches the error when asked to (a command refused while the error is
    // already latched leaves it as it is).
    QList<QByteArray> refuse(bool latch);
    QList<QByteArray> answerWith(const QByteArray &answer) const;
    std::optional<QByteArray> version(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> status(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> clearError(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> speak(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> setSpeed(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> chimeOne(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> chimeTwo(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> store(QStringView argument, std::int64_t nowMs);
    std::optional<QByteArray> play(QStringView argument, std::int64_t nowMs);

    void speakText(QStringView text, std::int64_t nowMs);
    void playChime(int chime, std::int64_t nowMs);
    void startSound(SoundRequest request);

    ModelSettings m_settings;
    LineAssembler m_lines;
    std::int64_t m_busyUntilMs = 0;
    bool m_errorLatched = false;
    int m_speed = defaultSpeed;
    std::array<QString, slotCount> m_slots;
    std::int64_t m_lastSoundId = noSound;
    std::int64_t m_soundId = noSound; // the sound that makes the module busy, if any
    QList<SoundRequest> m_soundRequests;
};
