#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

// Turns the bytes of one command line (without its CR) into text. The line travels in code page
// 932. Returns nothing when any byte sequence is not valid CP932, so that such a line can never
// pass for a command or for speakable text.
std::optional<QString> decodeCommandLine(QByteArrayView bytes);
