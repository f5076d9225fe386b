// The judgement of a file's encoding is our own, made for the case that matters here: short
// files of a few words. A charset detector made for the job was tried first and serves no
// part of it. ICU's (ucsdet, which Qt's converters already load), given 40,000 words of
// Debian's SKK dictionary one a file, named Shift_JIS for 406 of the code page 932 files and
// windows-1252, KOI8-R, UTF-16BE and the like for the rest, and gave UTF-8 a confidence of 80
// to 100 for every file that was valid UTF-8, code page 932 words among them: its UTF-8 verdict
// says no more than validity, and its Shift_JIS statistics need more than ten double-byte
// characters. Mozilla's (libuchardet) judges UTF-8 by validity alone too.
//
// Only where both readings are valid does the judgement weigh them: each character costs its
// reading what it costs in real text, and the cheaper reading wins; code page 932 wins ties.
// An ASCII character after a kanji is a label (型A, 棟B), which code page 932 reads as a rare
// kanji and another (蝙帰), unless that code page 932 reading is one of the real words whose
// bytes read so (驟雨 as 酉J: the words of Debian's SKK dictionary, in kanji_letter_words.cpp)
// or a kanji followed by one of the marks that most often follow a word (隰、 as 謁A).
#include "text/text_encoding.h"

#include "text/cp932.h"
#include "text/kanji_letter_words.h"

#include <QSet>

#include <array>

namespace {

enum Kind : unsigned char {
    Control,
    AsciiLetter,
    AsciiMark, // the other characters a second byte of code page 932 can read as: @ [ ] ^ { } ...
    AsciiOther,
    Kana,
    JapaneseMark, // the marks of Japanese writing, full-width letters and digits
    HalfKana,
    Kanji1,      // the common kanji: the first level of the code page
    Kanji2,      // the second level: rarer kanji
    KanjiRare,   // the extensions of the code page, or none at all
    LatinLetter, // letters with accents
    Other,       // any other script, the user area, what the code page lacks
    Symbol,      // the code page's other symbols: ① ● △ ■ ㈱ ※ → ℃
};

bool isKanji(char16_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF)
           || (c >= 0xF900 && c <= 0xFAFF);
}

// The level of every kanji the code page has, from the code page itself: the first level runs
// from 88 9F to 98 72, the second to EA A4; the extensions (ED, EE, FA to FC) come after. The
// rows before the kanji hold the symbols (81, 82, 87), besides Greek, Cyrillic and box
// drawing (83 9F to 84 FC), which stay Other: rare in Japanese text.
using KanjiLevels = std::array<unsigned char, 0x10000>;

KanjiLevels readKanjiLevels()
{
    KanjiLevels levels{};
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        // A row at a time: every pair of the row decodes to one character, U+FFFD where the
        // code page leaves it unassigned.
        QByteArray row;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            row.append(char(lead));
            row.append(char(trail));
        }
        const QString characters = cp932::decode(row);
        if (characters.size() != row.size() / 2)
            continue;
        for (qsizetype i = 0; i < characters.size(); ++i) {
            const int code = lead << 8 | uchar(row[2 * i + 1]);
            const char16_t c = characters[i].unicode();
            if (c == 0xFFFD || (code >= 0x839F && code < 0x8500))
                continue;
            if (code < 0x889F) {
                levels[c] = Symbol;
                continue;
            }
            // The rows of kanji repeat some symbols (㈱ № ℡ as FA 58 to FA 5A): a symbol
            // stays one.
            if (!isKanji(c))
                continue;
            const unsigned char level = code < 0x989F ? Kanji1 : code < 0xEAA5 ? Kanji2 : KanjiRare;
            if (levels[c] == 0 || levels[c] == Symbol || level < levels[c])
                levels[c] = level;
        }
    }
    return levels;
}

Kind kindOf(char16_t c, const KanjiLevels &levels)
{
    if (c < 0x20 || c == 0x7F)
        return Control;
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
        return AsciiLetter;
    if (c == u'@' || (c >= u'[' && c <= u'`') || (c >= u'{' && c <= u'~'))
        return AsciiMark;
    if (c < 0x80)
        return AsciiOther;
    // The repeat marks of kanji stand where a kanji stands.
    if (c == u'々' || c == u'〆')
        return Kanji1;
    if ((c >= 0x3041 && c <= 0x309F) || (c >= 0x30A0 && c <= 0x30FF))
        return c == 0x30FB ? JapaneseMark : Kana;
    if (isKanji(c)) {
        const unsigned char level = levels[c];
        return level == 0 ? KanjiRare : Kind(level);
    }
    if ((c >= 0x3000 && c <= 0x303F) || (c >= 0xFF01 && c <= 0xFF5E) || c == 0x2015 || c == 0x2026
        || c == 0x2025 || (c >= 0x2018 && c <= 0x201D) || c == 0xFFE5)
        return JapaneseMark;
    if (c >= 0xFF61 && c <= 0xFF9F)
        return HalfKana;
    if ((c >= 0x00C0 && c <= 0x024F && c != 0xD7 && c != 0xF7))
        return LatinLetter;
    return levels[c] == Symbol ? Symbol : Other;
}

// The marks that most often follow a word in the sentences a module speaks (a colon ends a
// label as often as a letter does, and stays out), and the circled one and the ideographic
// space, whose second byte in code page 932 is '@', which seldom labels anything. Each mark
// taken in reads a UTF-8 kanji and one letter of 52 as code page 932, and each left out a
// second-level kanji and that mark as UTF-8.
constexpr std::u16string_view commonMarks = u"、。・？！（）「」①\u3000";

// The UTF-8 readings of code page 932 bytes that read as a wide character and an ASCII
// character: the real words whose bytes read so (酉J for 驟雨, from kanji_letter_words.cpp)
// and a kanji of the second level followed by one of the common marks (縁A for 邵、).
QSet<QString> readCp932Pairs()
{
    QSet<QString> readings;
    for (const QStringView word : QStringView(kanjiLetterWords).tokenize(u' '))
        readings.insert(QString::fromUtf8(cp932::encode(word.toString())));
    // A UTF-8 character of three bytes starts with E0 to EF, its second byte 80 to BF: the
    // first two make a kanji of the code page, the third the mark's first byte. A row of the
    // code page at a time, a pair it leaves unassigned decoding to U+FFFD.
    QList<QByteArray> marks;
    for (const char16_t mark : commonMarks)
        marks.append(cp932::encode(QStringView(&mark, 1)));
    for (int lead = 0xE0; lead <= 0xEF; ++lead) {
        QByteArray row;
        for (int trail = 0x80; trail <= 0xBF; ++trail)
            row.append(char(lead)).append(char(trail));
        const QString kanji = cp932::decode(row);
        for (qsizetype i = 0; kanji.size() == row.size() / 2 && i < kanji.size(); ++i) {
            for (const QByteArray &mark : marks) {
                const QByteArray bytes = row.sliced(2 * i, 2) + mark;
                if (kanji[i] != u'\uFFFD' && bytes.isValidUtf8())
                    readings.insert(QString::fromUtf8(bytes));
            }
        }
    }
    return readings;
}

// What the ASCII letter or mark after a wide character is. Code page 932 reads the UTF-8 bytes
// of a kanji and such a character as a kanji of the second level and another character, which
// real text seldom shows, so it labels something (型A, 棟B, 変数x); unless that code page 932
// reading is a real word (陋巷, read as UTF-8 蛍J) or a kanji and a common mark (隰、 read as
// 謁A), which says the bytes are code page 932.
enum class AfterWide { Label, Cp932Byte };

AfterWide afterWide(QStringView wideAndNext)
{
    static const QSet<QString> pairs = readCp932Pairs();
    return pairs.contains(wideAndNext.toString()) ? AfterWide::Cp932Byte : AfterWide::Label;
}

bool isWide(Kind kind)
{
    return kind == Kana || kind == JapaneseMark || kind == Kanji1 || kind == Kanji2
           || kind == KanjiRare;
}

bool isKanjiKind(Kind kind)
{
    return kind == Kanji1 || kind == Kanji2 || kind == KanjiRare;
}

bool isLetter(Kind kind)
{
    return kind == AsciiLetter || kind == LatinLetter;
}

// What a character costs a reading, roughly -10 log of how often such a character stands so in
// Japanese text: kana are half of it, the common kanji most of the rest; the second level's
// kanji are rare, and what a reading of the wrong encoding shows hardly ever stands in real
// text. Each character costs, so a reading that cuts the bytes into fewer, likelier
// characters wins: two common kanji in UTF-8 (six bytes) against three code page 932
// characters, one of them of the second level.
enum Cost : int {
    AsciiCost = 46,
    KanaCost = 51,
    HalfKanaCost = 53,
    LatinWordCost = 69,
    MarkCost = 83,
    SymbolCost = 120,
    Kanji1Cost = 89,
    Kanji2Cost = 134,
    SignCost = 210,        // an unlikely character: what a reading of the wrong encoding shows
    OtherScriptCost = 250, // a script that is neither Japanese nor Latin
    RealWordCost = 300,    // a real word read in the wrong encoding, besides its sign
};

bool isSmallKana(char16_t c)
{
    switch (c) {
    case u'ぁ':
    case u'ぃ':
    case u'ぅ':
    case u'ぇ':
    case u'ぉ':
    case u'ゃ':
    case u'ゅ':
    case u'ょ':
    case u'ゎ':
    case u'ァ':
    case u'ィ':
    case u'ゥ':
    case u'ェ':
    case u'ォ':
    case u'ャ':
    case u'ュ':
    case u'ョ':
    case u'ヮ':
    case u'ヵ':
    case u'ヶ':
        return true;
    default:
        return false;
    }
}

} // namespace

int readingCost(QStringView text)
{
    static const KanjiLevels levels = readKanjiLevels();
    struct
    {
        int cost = 0;
        int signs = 0;
    } score;
    Kind before = Control;
    const auto sign = [&score] {
        score.cost += SignCost;
        ++score.signs;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const Kind kind = kindOf(c, levels);
        const Kind after = i + 1 < text.size() ? kindOf(text[i + 1].unicode(), levels) : Control;
        switch (kind) {
        case Kana:
            // A small kana follows the kana it shortens, never a kanji or the start.
            if (isSmallKana(c) && before != Kana)
                sign();
            else
                score.cost += KanaCost;
            break;
        case Kanji1:
            score.cost += Kanji1Cost;
            break;
        case Kanji2:
            score.cost += Kanji2Cost;
            break;
        case JapaneseMark:
            score.cost += MarkCost;
            break;
        case Symbol:
            score.cost += SymbolCost;
            break;
        case KanjiRare:
            sign();
            break;
        case Other:
            sign();
            score.cost += OtherScriptCost - SignCost;
            break;
        case HalfKana:
            // Half-width katakana stand alone or among ASCII marks and digits, never glued to
            // a letter or to full-width writing.
            if (isLetter(before) || isLetter(after) || isWide(before) || isWide(after))
                sign();
            else
                score.cost += HalfKanaCost;
            break;
        case LatinLetter:
            // A letter with an accent belongs to a word of Latin letters.
            if (before == AsciiLetter || after == AsciiLetter)
                score.cost += LatinWordCost;
            else
                sign();
            break;
        case AsciiLetter:
        case AsciiMark:
            // A letter after a kanji labels something, unless it is the second byte of a real
            // word or of a common mark; a letter before more letters begins a word.
            if ((isWide(before) || before == Symbol) && after != AsciiLetter
                && afterWide(text.sliced(i - 1, 2)) == AfterWide::Cp932Byte) {
                score.cost += RealWordCost;
                sign();
                break;
            }
            if ((before == Kanji1 || before == Kanji2) && !isKanjiKind(after) && after != Other) {
                score.cost += AsciiCost;
                break;
            }
            // A second byte of code page 932 read as UTF-8 shows as an ASCII character glued
            // to a kanji.
            if (isKanjiKind(before) || isKanjiKind(after) || before == Other || after == Other)
                sign();
            else
                score.cost += AsciiCost;
            break;
        case Control:
        case AsciiOther:
            score.cost += AsciiCost;
            break;
        }
        before = kind;
    }
    return score.cost;
}

namespace {

// The first line of two readings of the same bytes that differs. Line ends are single bytes in
// both encodings, so the readings have the same lines.
void findDifferingLine(QStringView taken, QStringView other, TextReading *reading)
{
    const auto lineEnd = [](QStringView text, qsizetype from) {
        while (from < text.size() && text[from] != u'\r' && text[from] != u'\n')
            ++from;
        return from;
    };
    qsizetype a = 0;
    qsizetype b = 0;
    for (qsizetype line = 1; a < taken.size() || b < other.size(); ++line) {
        const qsizetype endA = lineEnd(taken, a);
        const qsizetype endB = lineEnd(other, b);
        if (taken.sliced(a, endA - a) != other.sliced(b, endB - b)) {
            reading->differingLine = line;
            reading->takenLine = taken.sliced(a, endA - a).toString();
            reading->otherLine = other.sliced(b, endB - b).toString();
            return;
        }
        // CR LF is one line end.
        a = endA + (taken.sliced(endA).startsWith(u"\r\n") ? 2 : 1);
        b = endB + (other.sliced(endB).startsWith(u"\r\n") ? 2 : 1);
    }
}

} // namespace

TextReading chooseEncoding(const std::optional<QString> &utf8, const std::optional<QString> &cp932)
{
    TextReading reading;
    if (!utf8 || !cp932) {
        reading.encoding = utf8 ? TextEncoding::Utf8 : TextEncoding::Cp932;
        return reading;
    }
    if (*utf8 == *cp932)
        return reading;
    if (readingCost(*utf8) < readingCost(*cp932))
        reading.encoding = TextEncoding::Utf8;
    reading.bothPlausible = true;
    const bool utf8Taken = reading.encoding == TextEncoding::Utf8;
    findDifferingLine(utf8Taken ? *utf8 : *cp932, utf8Taken ? *cp932 : *utf8, &reading);
    return reading;
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? QStringLiteral("utf-8") : QStringLiteral("cp932");
}

std::optional<TextEncoding> encodingNamed(const QString &name)
{
    if (name == QLatin1String("utf-8"))
        return TextEncoding::Utf8;
    if (name == QLatin1String("cp932"))
        return TextEncoding::Cp932;
    return std::nullopt;
}
