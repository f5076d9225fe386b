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
    // Out: the bytes decode in both encodings, to texts that differ (the whole file, or a line
    // of a code page 932 file): it could be either, and the operator is told which was taken.
    bool bothPlausible = false;
    // Out, when bothPlausible: the first such line (from 1) whose readings differ, as the
    // encoding taken reads it and as the other one would.
    qsizetype differingLine = 0;
    QString takenLine;
    QString otherLine;
};

// What a reading costs, in tenths of a bit: how unlikely its characters are in the text a
// module is given (Japanese of kana, kanji by how often each is used, marks, plain Latin
// text). What a reading of the wrong encoding shows costs most: rare kanji of the extensions,
// characters the code page lacks, half-width katakana glued to a letter or a full-width
// character, a small kana after no kana, an ASCII character glued to a rare kanji of the
// extensions or where the code page 932 reading of the same bytes is a real word or a kanji
// followed by a common mark (謁A is 隰、).
int readingCost(QStringView text);

// The encoding of a file's bytes (without a byte-order mark), judged on the whole file when
// both readings are valid text. utf8 and cp932 are the two readings, nothing where the bytes
// are no text in that encoding. The cheaper reading wins; code page 932 wins every tie.
TextReading chooseEncoding(const std::optional<QString> &utf8, const std::optional<QString> &cp932);

// The name of an encoding as --encoding takes it, the transcript and the report write it.
QString encodingName(TextEncoding encoding);
std::optional<TextEncoding> encodingNamed(const QString &name);
