#pragma once

// Japanese text made the way the module is given it, for checking the encoding decision: the
// words of Debian's SKK dictionary (when installed), single kanji of both levels of the code
// page, ASCII letters, digits and the code page's symbols, strung into short files.

#include "text/cp932.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <random>

class GeneratedText
{
public:
    GeneratedText()
    {
        for (int code = 0x889F; code <= 0xEAA4; ++code) {
            const char pair[] = {char(code >> 8), char(code)};
            const auto kanji = cp932::decodeStrict(QByteArray(pair, 2));
            if (kanji && kanji->size() == 1 && (code >> 8 < 0xA0 || code >> 8 >= 0xE0))
                kanji_.append(*kanji);
        }
        symbols_ = QStringLiteral("①②③●○△▲■□◆★※〒→←㈱㈲№℡ⅠⅡ、。・「」（）！？：").split(QString());
        symbols_.removeAll(QString());
        QFile dictionary(QStringLiteral("/usr/share/skk/SKK-JISYO.L"));
        QStringDecoder euc("EUC-JP");
        if (euc.isValid() && dictionary.open(QIODevice::ReadOnly)) {
            const QString entries = euc.decode(dictionary.readAll());
            const QRegularExpression word(QStringLiteral("^[^;].*? /(\\p{L}+)[/;]"),
                                          QRegularExpression::MultilineOption);
            for (const auto &match : word.globalMatch(entries))
                if (cp932::firstUnencodable(match.captured(1)) < 0)
                    words_.append(match.captured(1));
        }
        if (words_.isEmpty())
            words_ = kanji_;
    }

    // A short file: one kanji and a letter, digit or symbol.
    QString kanjiAndOne(std::mt19937 &random) const
    {
        const int kind = int(random() % 3);
        const QString one = kind == 0
                                ? QString(QChar(char16_t(u"Aa"[random() % 2] + random() % 26)))
                            : kind == 1 ? QString::number(random() % 10)
                                        : pick(symbols_, random);
        return pick(kanji_, random) + one;
    }

    // A few lines of dictionary words, kanji, ASCII words, numbers and symbols.
    QString lines(std::mt19937 &random) const
    {
        QString text;
        for (int line = 1 + int(random() % 3); line > 0; --line) {
            for (int piece = 1 + int(random() % 4); piece > 0; --piece) {
                const unsigned kind = random() % 6;
                text += kind < 2    ? pick(words_, random)
                        : kind == 2 ? pick(kanji_, random)
                        : kind == 3 ? asciiWord(random)
                        : kind == 4 ? QString::number(random() % 1000)
                                    : pick(symbols_, random);
                if (random() % 4 == 0)
                    text += u' ';
            }
            text += QStringLiteral("\r\n");
        }
        return text;
    }

private:
    static QString pick(const QStringList &from, std::mt19937 &random)
    {
        return from[qsizetype(random() % from.size())];
    }

    static QString asciiWord(std::mt19937 &random)
    {
        const char16_t first = u"Aa"[random() % 2];
        QString word;
        for (int i = 1 + int(random() % 5); i > 0; --i)
            word += QChar(char16_t(first + random() % 26));
        return word;
    }

    QStringList kanji_;
    QStringList symbols_;
    QStringList words_;
};
