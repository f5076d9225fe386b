#include "platform/text_file.h"

#include "platform/cp932.h"

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

std::optional<QString> decodeAs(Encoding encoding, QByteArrayView bytes)
{
    return encoding == Encoding::Utf8 ? strictUtf8(bytes)
                                      : cp932::decodeStrict(bytes.toByteArray());
}

// The encoding of a file, and its bytes without a byte-order mark.
Encoding encodingOf(QByteArrayView *bytes)
{
    if (bytes->startsWith(utf8Mark)) {
        *bytes = bytes->sliced(utf8Mark.size());
        return Encoding::Utf8;
    }
    const bool beyondAscii
        = std::any_of(bytes->begin(), bytes->end(), [](char c) { return uchar(c) >= 0x80; });
    return beyondAscii && bytes->isValidUtf8() ? Encoding::Utf8 : Encoding::Cp932;
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
    const Encoding encoding = encodingOf(&text);
    if (std::optional<QString> decoded = decodeAs(encoding, text))
        return decoded;
    if (error) {
        const QList<QByteArrayView> lines = byteLines(text, -1);
        const auto bad = std::find_if(lines.cbegin(), lines.cend(), [&](QByteArrayView line) {
            return !decodeAs(encoding, line);
        });
        *error = QStringLiteral("%1行目に%2として読めない文字があります")
                     .arg(bad - lines.cbegin() + 1)
                     .arg(encoding == Encoding::Utf8 ? QStringLiteral("UTF-8")
                                                     : QStringLiteral("シフトJIS"));
    }
    return std::nullopt;
}

std::optional<QString> readTextFile(const QString &path, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    return decodeFileText(*bytes, error);
}

std::optional<QList<std::optional<QString>>>
readTextFileLines(const QString &path, qsizetype maxLines, QString *error)
{
    const std::optional<QByteArray> bytes = readBytes(path, error);
    if (!bytes)
        return std::nullopt;
    QByteArrayView text(*bytes);
    const Encoding encoding = encodingOf(&text);
    QList<std::optional<QString>> lines;
    for (QByteArrayView line : byteLines(text, maxLines))
        lines.append(decodeAs(encoding, line));
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
