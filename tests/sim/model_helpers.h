#pragma once

#include "speech_model.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <cstdint>

// Text as the console puts it on the line: code page 932.
inline QByteArray cp932(const QString &text)
{
    QStringEncoder encoder("CP932");
    return encoder.encode(text);
}

// Sends one command line (CR added) at the given time and returns all answer bytes.
inline QByteArray answerTo(SpeechModel &model, const QString &line, std::int64_t nowMs)
{
    return model.receive(cp932(line) + '\r', nowMs).join();
}
