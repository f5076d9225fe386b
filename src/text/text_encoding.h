#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Which encoding a text file's bytes are in: UTF-8 (as Linux editors save) or code page 932
// (as Windows editors save). Many short code page 932 texts are valid UTF-8 too (雉子 is
// E8 B3 8E 71, which UTF-8 reads as 賎q), and UTF-8 Japanese often decodes as code page 932
// (as rare kanji mixed with half-width katakana), so the bytes alone do not say; what each
// reading says does.
enum class TextEncoding { Cp932, Utf8 };

// How a file was read, or is to be read.
struct TextReading
{
    // In: the encoding to read the file in, whatever its bytes look like.
    std::optional<TextEncoding> forced;
    // Out: the encoding the file was read in.
    TextEncoding encoding = TextEncoding::Cp932;
    // Out: both readings were Japanese text, and they differ; code page 932 was taken.
    bool bothPlausible = false;
    // Out: a few characters of the UTF-8 reading that was left, when bothPlausible.
    QString otherReading;
};

// How much a reading looks like text for the module: Japanese (kana, common kanji, the
// marks of Japanese writing) or plain Latin text. Signs counts what a reading of the wrong
// encoding shows: rare kanji of the extensions or the user area, characters the code page
// lacks, half-width katakana glued to a letter or a full-width character, an ASCII letter
// glued to a kanji.
struct ReadingScore
{
    int cost = 0;  // the lower, the likelier the reading is text
    int signs = 0; // characters a reading of the wrong encoding shows
};

ReadingScore scoreReading(QStringView text);

// The encoding of a file's bytes (without a byte-order mark), judged on the whole file when
// both readings are valid text. utf8 and cp932 are the two readings, nothing where the bytes
// are no text in that encoding. Code page 932 wins every tie.
TextReading chooseEncoding(const std::optional<QString> &utf8, const std::optional<QString> &cp932);

// The name of an encoding as --encoding takes it, the transcript and the report write it.
QString encodingName(TextEncoding encoding);
std::optional<TextEncoding> encodingNamed(const QString &name);
