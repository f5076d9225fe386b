#include "kana_text.h"

#include <QFile>
#include <QStringEncoder>

QStringList kanaLines(int count)
{
    static const QStringList phrases{
        QStringLiteral("こんにちは"),
        QStringLiteral("テストです。"),
        QStringLiteral("ｺﾝﾆﾁﾊ"),
        QStringLiteral("おはようございます、みなさん"),
        QStringLiteral("ありがとう！"),
        QStringLiteral("スピーカーのチェック"),
        QStringLiteral("もしもし？"),
        QStringLiteral("さようなら、またあした。"),
    };
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(phrases[i % phrases.size()]);
    return lines;
}

bool writeCp932Lines(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QStringEncoder encoder("CP932");
    const QByteArray bytes
        = encoder.encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    return !encoder.hasError() && file.write(bytes) == bytes.size();
}

bool writeUtf8Lines(const QString &path, const QStringList &lines)
{
    QFile file(path);
    const QByteArray bytes = (lines.join(u'\n') + u'\n').toUtf8();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(bytes) == bytes.size();
}

QString sendTextFromLines(const QStringList &lines)
{
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 5;
    QString text;
    text.reserve(size);
    for (const QString &line : lines) {
        text += QLatin1String("MSG");
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}
