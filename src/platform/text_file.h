#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Sequential text files in code page 932.

// Reads the whole file as text. Returns nothing when it cannot be opened or read; error
// then tells why. The file is closed again in every case before this returns.
std::optional<QString> readTextFile(const QString &path, QString *error = nullptr);

// Creates or empties the file and writes one line ended by CR LF. False when that fails.
bool writeTextLine(const QString &path, const QString &line);

// The lines of a text, without their line ends. CR LF, a lone LF and a lone CR each end a
// line; a last line without a line end counts, an empty text has no lines. At most
// maxLines lines are taken when maxLines is not negative.
QStringList splitTextLines(QStringView text, qsizetype maxLines = -1);

// The first field of a text: leading spaces and line ends are skipped; a field that begins
// with a double quote runs to the next double quote, which are both dropped; any other
// field runs up to the first comma, CR or LF, or the end. Nothing when there is no field.
std::optional<QString> firstField(QStringView text);

// A file opened for reading line by line under a file number, as the import reads it.
class TextFileReader
{
public:
    bool open(const QString &path, QString *error = nullptr);
    bool atEnd() const { return next_ >= lines_.size(); }
    QString readLine() { return atEnd() ? QString() : lines_[next_++]; }
    void close();
    bool isOpen() const { return open_; }

private:
    QStringList lines_;
    qsizetype next_ = 0;
    bool open_ = false;
};
