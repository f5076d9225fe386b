#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// How the simulator was asked to run.
struct SimOptions
{
    QString linkPath;     // --link: symbolic link to create to the terminal side; empty for none
    QString logPath;      // --log: file for the byte log; empty for none
    bool quiet = false;   // --quiet: no ">" or "?" acknowledgements
    bool silent = false;  // --silent: no answers at all
    bool split = false;   // --split: every answer in two writes
    int charMs = 80;      // --char-ms: speaking time per character at speed 100
    int floodSeconds = 0; // --flood: seconds of random bytes from the first byte received
    std::int64_t floodBytes = 0; // --flood-bytes: random bytes in all from the first byte received
    QByteArray busyStatus = "stt 1"; // --busy-status: the status answer while busy
    bool neverIdle = false;          // --no-idle: never answer the status "stt 0"
    std::int64_t byteRate = 0;       // --byte-rate: bytes read a second at most; 0: no limit
    int replyDelayMs = 0;            // --reply-delay: every answer this late
    int replyJitterMinMs = 0;        // --reply-jitter MIN-MAX: each answer later still by a
    int replyJitterMaxMs = 0;        // random time in this range (answers keep their order)
    QByteArray replyEnd = "\r";      // --reply-end: what ends an answer (CR, LF or nothing)
    int loseEvery = 0;               // --lose-every N: every Nth status answer lost
    int losePercent = 0;             // --lose-percent P: each status answer lost at P %
    int unaskedMs = 0;               // --unasked-status MS: status sent unasked this often
    int trickleMs = 0;               // --trickle MS: answers a byte at a time, MS apart
    bool noLatch = false;            // --no-latch: refuse with '?' without latching the error
    bool voice = false;              // --voice: speak aloud on the default audio output
    QString wavFolder;               // --wav: folder for each sound as NNNN.wav; empty for none
};

// The outcome of reading the command line.
struct SimArguments
{
    enum class Action { Run, ShowHelp, Fail };
    Action action = Action::Fail;
    SimOptions options; // valid when action is Run
    QString error;      // why the arguments were refused, when action is Fail
};

// Reads the program's arguments; the first element is the program name.
SimArguments parseSimArguments(const QStringList &arguments);

// The usage text printed by --help and after bad arguments.
QString simUsage();

// Exit code for bad arguments (EX_USAGE).
inline constexpr int exitUsage = 64;
