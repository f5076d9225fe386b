#include "text/text_file.h"

#include "text/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

constexpr QByteArrayView utf8Mark("\xEF\xBB\xBF", 3);

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

// The UTF-8 reading of bytes that may be UTF-8: nothing when they are not.
std::optional<QString> utf8Reading(QByteArrayView bytes)
{
    return bytes.isValidUtf8() ? strictUtf8(bytes) : std::nullopt;
}

// False when the bytes cannot be code page 932: a lead byte without a second byte that can
// follow it. Most UTF-8 files fail this at their first line end, long before the converter
// would; bytes that pass are decoded to know for sure.
bool mayBeCp932(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar byte = uchar(bytes[i]);
        if ((byte < 0x81 || byte > 0x9F) && (byte < 0xE0 || byte > 0xFC))
            continue;
        const uchar second = i + 1 < bytes.size() ? uchar(bytes[i + 1]) : 0;
        if (second < 0x40 || second == 0x7F || second > 0xFC)
            return false;
        ++i;
    }
    return true;
}

// The code page 932 reading of bytes that may be code page 932: nothing when they are not.
std::optional<QString> cp932Reading(QByteArrayView bytes)
{
    return mayBeCp932(bytes) ? cp932::decodeStrict(bytes.toByteArray()) : std::nullopt;
}

// Whether a line of a code page 932 file is UTF-8 text instead: the judgement the file as a
// whole gets, given to the line alone. Most lines of code page 932 kana are no UTF-8 at all.
bool isUtf8Line(QByteArrayView line)
{
    if (isAscii(line) || !line.isValidUtf8())
        return false;
    // The rest of the file is code page 932: the line's UTF-8 reading must be far likelier
    // (by 2^30) than its code page 932 reading to be taken for another encoding.
    constexpr int otherEncodingsCost = 300;
    const std::optional<QString> asCp932 = cp932Reading(line);
    return !asCp932 || readingCost(*strictUtf8(line)) + otherEncodingsCost < readingCost(*asCp932);
}

// A line of a code page 932 file that UTF-8 reads as other text is told, as a file that reads
// in both encodings is: the line could be either, though the file as a whole is not UTF-8.
void tellUtf8Reading(QByteArrayView line, qsizetype number, TextReading *reading)
{
    if (isAscii(line) || !line.isValidUtf8())
        return;
    reading->bothPlausible = true;
    reading->differingLine = number;
    reading->takenLine = cp932::decode(line.toByteArray());
    reading->otherLine = *strictUtf8(line);
}

bool isUtf16Mark(QByteArrayView bytes)
{
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

const QString utf8LineAmongCp932 = QStringLiteral("UTF-8の行とシフトJISの行が混在しています");

// Why one line is no text in the file's encoding; empty when it is. A line of UTF-8 text in
// a code page 932 file is one, unless the encoding was forced.
QString lineFault(TextEncoding encoding, QByteArrayView line, bool forced = false)
{
    // NUL is no character of a text line in either encoding: UTF-16 puts one beside every
    // ASCII character, and binary files are full of them.
    if (line.contains('\0'))
        return QStringLiteral("NULがあります（UTF-16かバイナリのファイルです。"
                              "UTF-8かシフトJISで保存してください）");
    if (encoding == TextEncoding::Utf8)
        return strictUtf8(line) ? QString() : QStringLiteral("UTF-8として読めない文字があります");
    // Read as code page 932, a UTF-8 line of kana would be a row of other kanji, or no text.
    if (!forced && isUtf8Line(line))
        return utf8LineAmongCp932;
    return cp932::decodeStrict(line.toByteArray())
               ? QString()
               : QStringLiteral("シフトJISとして読めない文字があります");
}

std::optional<QString> decodeLine(TextEncoding encoding, QByteArrayView line)
{
    if (!lineFault(encoding, line).isEmpty())
        return std::nullopt;
    return encoding == TextEncoding::Utf8 ? strictUtf8(line)
                                          : cp932::decodeStrict(line.toByteArray());
}

// The encoding of a file, decided once for the whole file, and its bytes without a
// byte-order mark. text gets the file's text in that encoding, nothing when the bytes are no
// text in it.
TextReading
readingOf(QByteArrayView *bytes, std::optional<TextEncoding> forced, std::optional<QString> *text)
{
    TextReading reading;
    reading.forced = forced;
    if (bytes->startsWith(utf8Mark) && forced != TextEncoding::Cp932) {
        *bytes = bytes->sliced(utf8Mark.size());
        reading.encoding = TextEncoding::Utf8;
    } else if (forced) {
        reading.encoding = *forced;
    } else if (isAscii(*bytes)) {
        // Both encodings read ASCII as itself.
        *text = QString::fromLatin1(*bytes);
        return reading;
    } else {
        std::optional<QString> asUtf8 = utf8Reading(*bytes);
        std::optional<QString> asCp932 = cp932Reading(*bytes);
        TextReading chosen = chooseEncoding(asUtf8, asCp932);
        *text = std::move(chosen.encoding == TextEncoding::Utf8 ? asUtf8 : asCp932);
        return chosen;
    }
    *text = reading.encoding == TextEncoding::Utf8 ? strictUtf8(*bytes)
                                                   : cp932::decodeStrict(bytes->toByteArray());
    return reading;
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

} // namespace

std::optional<QByteArray> readFileBytes(const QString &path, QString *error)
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

std::optional<QString> decodeFileText(const QByteArray &bytes, QString *error, TextReading *reading)
{
    QByteArrayView text(bytes);
    if (isUtf16Mark(text)) {
        if (error)
            *error = QStringLiteral("UTF-16のファイルです。UTF-8かシフトJISで保存してください");
        return std::nullopt;
    }
    std::optional<QString> decoded;
    const TextReading chosen = readingOf(&text, reading ? reading->forced : std::nullopt, &decoded);
    if (reading)
        *reading = chosen;
    const TextEncoding encoding = chosen.encoding;
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
    if (decoded && encoding == TextEncoding::Utf8)
        return decoded;
    const bool forced = chosen.forced.has_value();
    const QList<QByteArrayView> lines = byteLines(text, -1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Of a text that decodes whole only a UTF-8 line among code page 932 lines is wrong;
        // a line that is no UTF-8 at all is passed at once.
        QString fault;
        if (!decoded)
            fault = lineFault(encoding, lines[i], forced);
        else if (!forced && isUtf8Line(lines[i]))
            fault = utf8LineAmongCp932;
        else if (!forced && reading && !reading->bothPlausible)
            tellUtf8Reading(lines[i], i + 1, reading);
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

std::optional<QString> readTextFile(const QString &path, QString *error, TextReading *reading)
{
    const std::optional<QByteArray> bytes = readFileBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return decodeFileText(*bytes, error, reading);
}

QList<std::optional<QString>>
textFileLines(const QByteArray &bytes, qsizetype maxLines, QStringList *whyNot)
{
    QByteArrayView text(bytes);
    const bool utf16 = isUtf16Mark(text);
    std::optional<QString> whole;
    const TextEncoding encoding = readingOf(&text, std::nullopt, &whole).encoding;
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

bool TextFileReader::open(const QString &path, QString *error, TextReading *reading)
{
    close();
    std::optional<QString> text = readTextFile(path, error, reading);
    if (!text)
        return false;
    text_ = std::move(*text);
    open_ = true;
    return true;
}

QStringView TextFileReader::nextLine()
{
    const QStringView text(text_);
    const qsizetype start = next_;
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
        ++end;
    next_ = end + 1;
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n')
        ++next_;
    return text.sliced(start, std::min(end, text.size()) - start);
}

void TextFileReader::close()
{
    text_.clear();
    next_ = 0;
    open_ = false;
}
