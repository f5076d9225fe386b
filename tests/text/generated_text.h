#pragma once

// Japanese text as the module is given it, for checking the encoding decision: the words given
// (a dictionary's), kanji of both levels of the code page, ASCII letters, numbers and the code
// page's symbols, strung into short files.

#include "text/cp932.h"

#include <QStringList>

#include <array>
#include <random>

class GeneratedText
{
public:
    explicit GeneratedText(const QStringList &words = {})
        : words_(words)
    {
        for (int code = 0x889F; code <= 0xEAA4; ++code) {
            const char pair[] = {char(code >> 8), char(code)};
            const auto kanji = cp932::decodeStrict(QByteArray(pair, 2));
            if (kanji && kanji->size() == 1 && (code >> 8 < 0xA0 || code >> 8 >= 0xE0))
                kanji_.append(*kanji);
        }
    }

    // 0 a dictionary word, 1 a kanji, 2 a letter, 3 an ASCII word, 4 a number, 5 a symbol.
    QString piece(unsigned kind, std::mt19937 &random) const
    {
        const QStringView symbols = u"①②③●○△▲■□◆★※〒→←㈱㈲№℡ⅠⅡ、。・「」（）！？：";
        const QStringList &from = kind == 0 && !words_.isEmpty() ? words_ : kanji_;
        if (kind <= 1)
            return from[qsizetype(random() % from.size())];
        if (kind >= 4)
            return kind == 4 ? QString::number(random() % (random() % 2 ? 10 : 1000))
                             : symbols.sliced(qsizetype(random() % symbols.size()), 1).toString();
        const char16_t first = u"Aa"[random() % 2];
        QString text;
        for (int count = kind == 2 ? 1 : 1 + int(random() % 5); count > 0; --count)
            text += QChar(char16_t(first + random() % 26));
        return text;
    }

    // A short file: one kanji and a letter, digit or symbol.
    QString kanjiAndOne(std::mt19937 &random) const
    {
        return piece(1, random) + piece(std::array{2u, 4u, 5u}[random() % 3], random);
    }

    // A few lines of pieces, some followed by a space.
    QString lines(std::mt19937 &random) const
    {
        QString text;
        for (int line = 1 + int(random() % 3); line > 0; --line) {
            for (int piece = 1 + int(random() % 4); piece > 0; --piece)
                text += this->piece(std::array{0u, 0u, 1u, 3u, 4u, 5u}[random() % 6], random)
                        + (random() % 4 == 0 ? QStringLiteral(" ") : QString());
            text += QStringLiteral("\r\n");
        }
        return text;
    }

    const QStringList &kanji() const { return kanji_; } // every kanji of both levels
private:
    QStringList kanji_;
    QStringList words_;
};
