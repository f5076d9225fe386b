#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>

// Direction of the bytes in a log record, seen from the simulated module.
enum class LogDirection {
    In,  // received from the console
    Out, // sent to the console
};

// One line of the byte log: the time since start in seconds with six decimals, IN or OUT, the
// bytes as two-digit upper-case hex separated by single spaces, then a tab and the text the
// bytes make in code page 932 (as logText shows it), ended by LF. For example
// "0.012345 IN 53 54 54 0D\tSTT\\r\n". The text is in UTF-8.
QByteArray formatLogRecord(std::int64_t microsecondsSinceStart,
                           LogDirection direction,
                           QByteArrayView bytes,
                           QStringView text);

// Text with its control characters made visible, as the console's transcript shows them: CR
// as \r, LF as \n, tab as \t, a backslash doubled, other control characters as \xNN.
QString logText(QStringView text);

// The summary of a second of flooding (--flood): the time as in formatLogRecord, OUT-FLOOD and the
// number of random bytes sent, in decimal, ended by LF. For example "2.000118 OUT-FLOOD 4194304\n".
// Readers that know only IN and OUT records pass over it.
QByteArray formatFloodRecord(std::int64_t microsecondsSinceStart, std::int64_t byteCount);

// A sound of the module's voice (--voice, --wav), written when its length is known: the time as
// in formatLogRecord, AUDIO, the sound's number (its WAV file's name without .wav), then when it
// started and how long it lasts, both in seconds with six decimals. For example
// "1.204000 AUDIO 0001 1.203500 0.479002\n".
QByteArray formatAudioRecord(std::int64_t microsecondsSinceStart,
                             std::int64_t number,
                             std::int64_t startMicros,
                             std::int64_t lengthMicros);

// A stop (CLR0) that cut that sound short: the time, AUDIO-CUT and the sound's number. For
// example "1.500100 AUDIO-CUT 0001\n".
QByteArray formatAudioCutRecord(std::int64_t microsecondsSinceStart, std::int64_t number);
