#pragma once

#include "text/text_encoding.h"

#include <QString>
#include <QStringList>

#include <optional>

// Sequential text files. They are written in code page 932. A file's encoding is decided once
// for the whole file: UTF-8 when it starts with UTF-8's byte-order mark; else the encoding
// whose reading of the whole file is text (chooseEncoding()), code page 932 when both
// readings are, so that a code page 932 file never has its bytes changed. A line holding NUL
// (UTF-16, binary) is no text, nor is a line of UTF-8 text among code page 932 lines (the
// file mixes both).

// Reads the whole file as text. Returns nothing when it cannot be opened or read, or when
// bytes of it are no character in its encoding; error then tells why (naming the line).
// The file is closed again in every case before this returns. reading, when given, may
// force the encoding and tells which one was used.
std::optional<QString>
readTextFile(const QString &path, QString *error = nullptr, TextReading *reading = nullptr);

// The bytes of a plain file; nothing, with the reason in error, when it cannot be read.
std::optional<QByteArray> readFileBytes(const QString &path, QString *error = nullptr);

// A text file's lines from its bytes, as splitTextLines() cuts them, at most maxLines of them
// when maxLines is not negative. A line whose bytes are no text in the file's encoding is
// nothing, and whyNot (when given) gets the reason at its index (empty for a good line).
QList<std::optional<QString>>
textFileLines(const QByteArray &bytes, qsizetype maxLines = -1, QStringList *whyNot = nullptr);

// The text of a file's bytes, by the rules above; nothing, with the reason naming the first
// line that does not decode, when some bytes are no character.
std::optional<QString>
decodeFileText(const QByteArray &bytes, QString *error = nullptr, TextReading *reading = nullptr);

// Creates or empties the file and writes one line ended by CR LF. False when that fails;
// error then tells why.
bool writeTextLine(const QString &path, const QString &line, QString *error = nullptr);

// The lines of a text, without their line ends. CR LF, a lone LF and a lone CR each end a
// line; a last line without a line end counts, an empty text has no lines. At most
// maxLines lines are taken when maxLines is not negative.
QStringList splitTextLines(QStringView text, qsizetype maxLines = -1);

// The first field of a text: leading spaces and line ends are skipped; a field that begins
// with a double quote runs to the next double quote, which are both dropped; any other
// field runs up to the first comma, CR or LF, or the end. Nothing when there is no field.
std::optional<QString> firstField(QStringView text);

// A file opened for reading line by line under a file number, as the import reads it. The
// lines are cut as splitTextLines() cuts them, from the file's text kept whole.
class TextFileReader
{
public:
    bool open(const QString &path, QString *error = nullptr, TextReading *reading = nullptr);
    bool atEnd() const { return next_ >= text_.size(); }
    // The next line, without its line end; valid until the file is closed.
    QStringView nextLine();
    QString readLine() { return nextLine().toString(); }
    void close();
    bool isOpen() const { return open_; }
    // The size of the file's text, line ends included: room enough for its lines.
    qsizetype textSize() const { return text_.size(); }

private:
    QString text_;
    qsizetype next_ = 0;
    bool open_ = false;
};
