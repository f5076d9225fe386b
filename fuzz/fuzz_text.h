#pragma once

#include "text/cp932.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>

// The fuzzer's bytes as they are, without a copy.
inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The bytes read as UTF-16: every string a text box can hold, lone surrogates included.
inline QString utf16Text(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(text.data(), data, size / 2 * 2);
    return text;
}

// A text for the functions that take the send box: the first byte chooses how the rest is
// read, as code page 932 (the text of files and of the serial line, where short ASCII words
// such as "MSG" are easy to reach) or as UTF-16 (any character at all).
inline QString fuzzText(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    if (data[0] & 1)
        return utf16Text(data + 1, size - 1);
    return cp932::decode(fuzzBytes(data + 1, size - 1));
}

// A decoded text as it reads back after encoding: the mark of an unassigned pair of bytes,
// U+FFFD, is no character of the code page and goes out as '?'.
inline QString unassignedAsQuestionMarks(QString text)
{
    text.replace(QChar::ReplacementCharacter, u'?');
    return text;
}
