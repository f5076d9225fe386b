#include "text/text_file.h"

#include "text/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr QByteArrayView utf8Mark("\xEF\xBB\xBF", 3);

enum class Encoding { Utf8, Cp932 };

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Valid UTF-8 whose reading holds a character from U+0800 up (kana, kanji, full-width
// forms): in valid UTF-8 only such characters have a lead byte from 0xE0. Short pairs of
// half-width katakana in code page 932 are often valid UTF-8 too, but only as characters
// below U+0800 (C3 B7 is "ﾃｷ" and also "÷").
bool readsAsWideUtf8(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0xE0; })
           && bytes.isValidUtf8();
}

// The encoding of a file, decided once for the whole file, and its bytes without a
// byte-order mark.
Encoding encodingOf(QByteArrayView *bytes)
{
    if (bytes->startsWith(utf8Mark)) {
        *bytes = bytes->sliced(utf8Mark.size());
        return Encoding::Utf8;
    }
    return readsAsWideUtf8(*bytes) ? Encoding::Utf8 : Encoding::Cp932;
}

bool isUtf16Mark(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// Why one line is no text in the file's encoding; empty when it is.
QString lineFault(Encoding encoding, QByteArrayView line)
{
    // NUL is no character of a text line in either encoding: UTF-16 puts one beside every
    // ASCII character, and binary files are full of them.
    if (line.contains('\0'))
        return QStringLiteral("NULがあります（UTF-16かバイナリのファイルです。"
                              "UTF-8かシフトJISで保存してください）");
    if (encoding == Encoding::Utf8)
        return strictUtf8(line) ? QString() : QStringLiteral("UTF-8として読めない文字があります");
    // Read as code page 932, a UTF-8 line of kana would be a row of other kanji.
    if (readsAsWideUtf8(line))
        return QStringLiteral("UTF-8の行とシフトJISの行が混在しています");
    return cp932::decodeStrict(line.toByteArray())
               ? QString()
               : QStringLiteral("シフトJISとして読めない文字があります");
}

std::optional<QString> decodeLine(Encoding encoding, QByteArrayView line)
{
    if (!lineFault(encoding, line).isEmpty())
        return std::nullopt;
    return encoding == Encoding::Utf8 ? strictUtf8(line) : cp932::decodeStrict(line.toByteArray());
}

// The lines of the bytes, cut as splitTextLines() cuts text: CR and LF are single bytes in
// both encodings and never part of another character.
QList<QByteArrayView> byteLines(QByteArrayView bytes, qsizetype maxLines)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    while (start < bytes.size() && (maxLines < 0 || lines.size() < maxLines)) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        lines.append(bytes.sliced(start, end - start));
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

// The number of the line (from 1) that the byte at offset is on.
qsizetype lineNumberAt(QByteArrayView bytes, qsizetype offset)
{
    const QByteArrayView before = bytes.first(offset);
    const bool atLineStart = before.isEmpty() || before.endsWith('\r') || before.endsWith('\n');
    return byteLines(before, -1).size() + (atLineStart ? 1 : 0);
}

std::optional<QByteArray> readBytes(const QString &path, QString *error)
{
    // Only plain files: opening a named pipe would wait for a writer, and a device
    // would never reach its end.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error)
            *error = QStringLiteral("not a plain file");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    const bool failed = file.error() != QFileDevice::NoError;
    if (failed && error)
        *error = file.errorString();
    file.close();
    if (failed)
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<QString> decodeFileText(const QByteArray &bytes, QString *error)
{
    QByteArrayView text(bytes);
    if (isUtf16Mark(text)) {
        if (error)
            *error = QStringLiteral("UTF-16のファイルです。UTF-8かシフトJISで保存してください");
        return std::nullopt;
    }
    const Encoding encoding = encodingOf(&text);
    // The whole text is decoded in one pass; the lines are looked at one by one for what that
    // cannot see (a NUL, a UTF-8 line among code page 932 lines) and to name a line that fails.
    // A NUL anywhere makes the whole file UTF-16 or binary, whatever its other lines hold.
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0) {
        if (error)
            *error = QStringLiteral("%1行目に%2")
                         .arg(lineNumberAt(text, nul))
                         .arg(lineFault(encoding, QByteArrayView("\0", 1)));
        return std::nullopt;
    }
    std::optional<QString> decoded
        = encoding == Encoding::Utf8 ? strictUtf8(text) : cp932::decodeStrict(text.toByteArray());
    if (decoded && encoding == Encoding::Utf8)
        return decoded;
    const QList<QByteArrayView> lines = byteLines(text, -1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString fault = lineFault(encoding, lines[i]);
        if (fault.isEmpty())
            continue;
        if (error)
            *error = QStringLiteral("%1行目に%2").arg(i + 1).arg(fault);
        return std::nullopt;
    }
    if (!decoded && error)
        *error = QStringLiteral("読めない文字があります");
    return decoded;
}

std::optional<QString> readTextFile(const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return decodeFileText(*bytes, error);
}

std::optional<QList<std::optional<QString>>>
readTextFileLines(const QString &path, qsizetype maxLines, QString *error, QStringList *whyNot)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    QByteArrayView text(*bytes);
    const bool utf16 = isUtf16Mark(text);
    const Encoding encoding = encodingOf(&text);
    QList<std::optional<QString>> lines;
    for (QByteArrayView line : byteLines(text, maxLines)) {
        // Every line of a UTF-16 file is refused, its mark not only.
        const QString fault
            = utf16 ? QStringLiteral("UTF-16のファイルです") : lineFault(encoding, line);
        lines.append(fault.isEmpty() ? decodeLine(encoding, line) : std::nullopt);
        if (whyNot)
            whyNot->append(fault);
    }
    return lines;
}

bool writeTextLine(const QString &path, const QString &line, QString *error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error)
            *error = QStringLiteral("not a plain file");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = cp932::encode(line) + "\r\n";
    // A full disk shows only when the bytes are flushed.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QStringList splitTextLines(QStringView text, qsizetype maxLines)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size && (maxLines < 0 || lines.size() < maxLines)) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.append(text.mid(start, end - start).toString());
        if (end < size && text[end] == u'\r' && end + 1 < size && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

std::optional<QString> firstField(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\r' || text[i] == u'\n'))
        ++i;
    if (i >= text.size())
        return std::nullopt;
    if (text[i] == u'"') {
        const qsizetype close = text.indexOf(u'"', i + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        return text.mid(i + 1, end - i - 1).toString();
    }
    qsizetype end = i;
    while (end < text.size() && text[end] != u',' && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    return text.mid(i, end - i).toString();
}

bool TextFileReader::open(const QString &path, QString *error)
{
    close();
    const std::optional<QString> text = readTextFile(path, error);
    if (!text)
        return false;
    lines_ = splitTextLines(*text);
    open_ = true;
    return true;
}

void TextFileReader::close()
{
    lines_.clear();
    next_ = 0;
    open_ = false;
}
