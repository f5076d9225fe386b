#include "platform/text_file.h"

#include "platform/cp932.h"

#include <QFile>
#include <QFileInfo>

std::optional<QString> readTextFile(const QString &path, QString *error)
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
    const QByteArray bytes = file.readAll();
    const bool failed = file.error() != QFileDevice::NoError;
    if (failed && error)
        *error = file.errorString();
    file.close();
    if (failed)
        return std::nullopt;
    return cp932::decode(bytes);
}

bool writeTextLine(const QString &path, const QString &line)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = cp932::encode(line) + "\r\n";
    const bool written = file.write(bytes) == bytes.size();
    return file.flush() && written;
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
