// Reading and writing the program's text files: fields, lines, code page 932.
#include "support/recorders.h"
#include "text/cp932.h"
#include "text/generated_text.h"
#include "text/text_file.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <algorithm>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

TEST(FirstField, ReadsAsTheSettingsFileIsRead)
{
    const struct
    {
        const char16_t *text;
        std::optional<QString> field;
    } rows[] = {
        {u"COM3\r\n", QStringLiteral("COM3")},
        {u"COM3", QStringLiteral("COM3")},
        {u"COM3,X\r\n", QStringLiteral("COM3")},
        {u"\"COM3\"\r\n", QStringLiteral("COM3")},
        {u"\"COM3,X\" tail", QStringLiteral("COM3,X")},
        {u"\"COM3", QStringLiteral("COM3")},
        {u"   COM3", QStringLiteral("COM3")},
        {u"\r\n\n\r COM3\rCOM4", QStringLiteral("COM3")},
        {u"COM3\nCOM4", QStringLiteral("COM3")},
        {u"ポート1,", QStringLiteral("ポート1")},
        {u",COM3", QString()},
        {u"", std::nullopt},
        {u"  \r\n ", std::nullopt},
    };
    for (const auto &row : rows) {
        const QString text = QString::fromUtf16(row.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(firstField(text), row.field);
    }
}

TEST(SplitTextLines, EveryLineEndCounts)
{
    const struct
    {
        const char *text;
        QStringList lines;
    } rows[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"a\n\rb", {"a", "", "b"}},
        {" a \r\n", {" a "}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QByteArray(row.text).toHex().toStdString());
        EXPECT_EQ(splitTextLines(QString::fromLatin1(row.text)), row.lines);
    }
    EXPECT_EQ(splitTextLines(u"a\nb\nc\nd", 2), (QStringList{"a", "b"}));
}

TEST(TextFiles, WriteLineIsCp932WithCrLf)
{
    ScopedWorkDir work;
    ASSERT_TRUE(writeTextLine(work.file("f.txt"), QStringLiteral("COM12")));
    EXPECT_EQ(work.read("f.txt"), QByteArray("\x43\x4F\x4D\x31\x32\x0D\x0A"));
    ASSERT_TRUE(writeTextLine(work.file("f.txt"), QStringLiteral("あ")));
    EXPECT_EQ(work.read("f.txt"), QByteArray("\x82\xA0\r\n"));
}

TEST(TextFiles, ReadAsUtf8OrCp932)
{
    // The file's bytes, its text and the encoding it is read in; null text when it is
    // refused, with the words that must name the line and what was found. forced: what
    // --encoding asks for. Both: the bytes decode in both encodings, to texts that differ.
    const auto cp932 = TextEncoding::Cp932;
    const auto utf8 = TextEncoding::Utf8;
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
        TextEncoding encoding = TextEncoding::Cp932;
        bool both = false;
        const char16_t *why = u"";
        std::optional<TextEncoding> forced = std::nullopt;
    } rows[] = {
        {"code page 932", "\x82\xA0\xB1\r\n", QStringLiteral("あｱ\r\n")},
        {"pure ASCII", "MSGa\r\n", QStringLiteral("MSGa\r\n")},
        {"UTF-8", "\xE3\x81\x82\xEF\xBD\xB1\n", QStringLiteral("あｱ\n"), utf8, true},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF"
         "abc",
         QStringLiteral("abc"),
         utf8},
        // Half-width katakana pairs that are also valid UTF-8 below U+0800 (÷ α б ° é).
        {"ﾃｷ, not ÷", "\xC3\xB7\r\n", QStringLiteral("ﾃｷ\r\n"), cp932, true},
        {"ﾎｱ ﾐｱ ﾂｰ, not α б °",
         "\xCE\xB1\r\n\xD0\xB1\r\n\xC2\xB0",
         QStringLiteral("ﾎｱ\r\nﾐｱ\r\nﾂｰ"),
         cp932,
         true},
        {"ﾃｩﾃｩ, not éé", "\xC3\xA9\xC3\xA9", QStringLiteral("ﾃｩﾃｩ"), cp932, true},
        // Code page 932 words of the dictionary that UTF-8 reads as a kanji and a letter; a
        // word the dictionary lacks reads as the kanji and letter, told.
        {"驟雨, not 酉J", cp932::encode(u"驟雨"), QStringLiteral("驟雨"), cp932, true},
        {"賎q, not 雉子", "\xE8\xB3\x8E\x71", QStringLiteral("賎q"), utf8, true},
        {"驢馬, not 醔n", "\xE9\x86\x94\x6E\r\n", QStringLiteral("驢馬\r\n"), cp932, true},
        {"菫色 關係 髮型, one a line",
         cp932::encode(u"菫色\r\n關係\r\n髮型\r\n"),
         QStringLiteral("菫色\r\n關係\r\n髮型\r\n"),
         cp932,
         true},
        {"a UTF-8 word of letters", "caf\xC3\xA9\n", QStringLiteral("café\n"), utf8, true},
        {"UTF-8 kanji that code page 932 reads as other kanji",
         QStringLiteral("雉子\n塗抹\n").toUtf8(),
         QStringLiteral("雉子\n塗抹\n"),
         utf8},
        // A kanji and a letter, digit or symbol: code page 932 reads the UTF-8 bytes as two
        // kanji, one of them rare.
        {"型A, not 蝙帰", QStringLiteral("型A").toUtf8(), QStringLiteral("型A"), utf8, true},
        {"蝙a, not 陜兮", QStringLiteral("蝙a").toUtf8(), QStringLiteral("蝙a"), utf8, true},
        {"酉@, not 驟院", QStringLiteral("酉@").toUtf8(), QStringLiteral("酉@"), utf8, true},
        {"例C, not 萓気",
         QStringLiteral("例C\r\n").toUtf8(),
         QStringLiteral("例C\r\n"),
         utf8,
         true},
        {"型A in code page 932", cp932::encode(u"型A"), QStringLiteral("型A")},
        {"隰、, not 謁A", cp932::encode(u"隰、"), QStringLiteral("隰、"), cp932, true},
        {"a short UTF-8 line among code page 932 lines: told",
         "\x82\xA0\r\n\xE5\x9E\x8B\x41",
         QStringLiteral("あ\r\n蝙帰"),
         cp932,
         true},
        {"both readings text", "\xE4\xBA\x82\xE9\x82\xA8", QStringLiteral("莠るお"), cp932, true},
        {"forced to UTF-8", "\xE8\xB3\x8E\x71", QStringLiteral("賎q"), utf8, false, u"", utf8},
        {"forced to code page 932, mark and all",
         "\xEF\xBB\xBF\x82\xA0",
         QString(),
         cp932,
         false,
         u"1行目にシフトJIS",
         cp932},
        {"a UTF-8 line among code page 932 lines",
         "\x82\xA0\r\n\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF\r\n",
         QString(),
         cp932,
         false,
         u"2行目にUTF-8の行とシフトJISの行が混在"},
        {"UTF-16 without a mark",
         QByteArray("\xB0\x30\xD0\x30\xF0\x30\r\0\n\0", 10),
         QString(),
         cp932,
         false,
         u"2行目にNULがあります（UTF-16"},
        {"UTF-16 with a mark", "\xFF\xFEM\0", QString(), cp932, false, u"UTF-16のファイル"},
        {"binary after a text line",
         QByteArray("ab\ncd\0\x01", 7),
         QString(),
         cp932,
         false,
         u"2行目にNUL"},
        {"invalid code page 932",
         "a\r\n\x82\xA0\x85\x40",
         QString(),
         cp932,
         false,
         u"2行目にシフトJIS"},
        {"invalid UTF-8 after the mark",
         "\xEF\xBB\xBF\n\n\xE3\x81",
         QString(),
         utf8,
         false,
         u"3行目にUTF-8"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        TextReading reading;
        reading.forced = row.forced;
        const std::optional<QString> text = decodeFileText(row.bytes, &error, &reading);
        EXPECT_EQ(text, row.text.isNull() ? std::nullopt : std::optional(row.text));
        EXPECT_TRUE(error.contains(QString::fromUtf16(row.why))) << error.toStdString();
        EXPECT_EQ(reading.encoding, row.encoding);
        EXPECT_EQ(reading.bothPlausible, row.both);
        // What is told names a line that differs as the encoding taken reads it.
        if (row.both && text) {
            EXPECT_TRUE(text->contains(reading.takenLine)
                        && reading.takenLine != reading.otherLine);
        }
        // A code page 932 file goes out byte for byte as it stands.
        if (text && row.encoding == TextEncoding::Cp932) {
            EXPECT_EQ(cp932::encode(*text), row.bytes);
        }
    }
    // Lines one by one, as the presets are read: a line that is no text in the file's
    // encoding is nothing, with its reason; the others are read, words that are valid UTF-8
    // too among them.
    ScopedWorkDir work;
    work.write("p.txt", QByteArray("\x82\xA0\r\n\x82\r\n\xE3\x81\x82\r\n\xE8\xB3\x8E\x71\r\nc"));
    QStringList whyNot;
    EXPECT_EQ(textFileLines(*readFileBytes(work.file("p.txt")), 4, &whyNot),
              (QList<std::optional<QString>>{
                  QStringLiteral("あ"), std::nullopt, std::nullopt, QStringLiteral("雉子")}));
    ASSERT_EQ(whyNot.size(), 4);
    EXPECT_TRUE(whyNot[2].contains(u"混在")) << whyNot[2].toStdString();
    EXPECT_TRUE(whyNot[3].isEmpty()) << whyNot[3].toStdString();
}

// Every kana and kanji word of a Debian dictionary, alone in a file, in code page 932 and in
// UTF-8, with and without a line end, goes out as the same code page 932 bytes.
// The kana and kanji words of Debian's SKK dictionary, sorted; none when it is not installed,
// or when Qt is built without ICU (as for Windows) and has no converter for its encoding.
QStringList dictionaryWords()
{
    QFile dictionary(QStringLiteral("/usr/share/skk/SKK-JISYO.L"));
    QStringDecoder euc("EUC-JP");
    if (!euc.isValid() || !dictionary.open(QIODevice::ReadOnly))
        return {};
    const QStringList entries = QString(euc.decode(dictionary.readAll())).split(u'\n');
    // An entry is "reading /word/word;note/": the reading (less a trailing okurigana letter)
    // and the words are taken when they hold only kana and kanji.
    const auto isJapanese = [](QChar c) {
        return (c >= u'\u3041' && c <= u'\u30FF') || (c >= u'\u4E00' && c <= u'\u9FFF')
               || c == u'々';
    };
    QSet<QString> words;
    for (const QString &entry : entries) {
        if (entry.startsWith(u';'))
            continue;
        for (QString word : entry.split(QRegularExpression(QStringLiteral("[ /]")))) {
            word = word.section(u';', 0, 0);
            if (!word.isEmpty() && word.back() >= u'a' && word.back() <= u'z')
                word.chop(1);
            if (!word.isEmpty() && std::all_of(word.begin(), word.end(), isJapanese)
                && cp932::firstUnencodable(word) < 0)
                words.insert(word);
        }
    }
    QStringList sorted = words.values();
    sorted.sort();
    return sorted;
}

TEST(TextFiles, EveryDictionaryWordGoesOutAsItsOwnBytesInEitherEncoding)
{
    const QStringList words = dictionaryWords();
    if (words.isEmpty())
        GTEST_SKIP() << "the skkdic package is not installed, or this Qt cannot read EUC-JP";
    ASSERT_GT(words.size(), 10000);
    QStringList wrong;
    for (const QString &word : words) {
        const QByteArray bytes = cp932::encode(word);
        for (const QByteArray &file : {bytes, word.toUtf8()}) {
            for (const QByteArray &end : {QByteArray(), QByteArray("\r\n")}) {
                const std::optional<QString> text = decodeFileText(file + end);
                if (!text || cp932::encode(*text) != bytes + end)
                    wrong.append(
                        word
                        + (file == bytes ? QStringLiteral(" cp932") : QStringLiteral(" utf-8")));
            }
        }
    }
    EXPECT_EQ(wrong.mid(0, 20), QStringList()) << wrong.size() << " of " << words.size();
}

// Generated text of those words, kanji, letters, numbers and symbols, in both encodings, is
// read as made, or told; wrong at most one file in 1,000 of each kind and encoding.
// PARLINO_TEXT_FILES sets the count (the property run takes a large one).
TEST(TextFiles, GeneratedTextIsReadAsMadeOrTold)
{
    const GeneratedText made(dictionaryWords());
    const int files = std::max(qEnvironmentVariableIntValue("PARLINO_TEXT_FILES") / 4, 1000) * 4;
    std::mt19937 random(37);
    // Wrong by i % 4: UTF-8 pieces, UTF-8 kanji and one more, code page 932 of each.
    int wrong[4] = {};
    QStringList untold;
    for (int i = 0; i < files; ++i) {
        const QString text = i % 2 ? made.kanjiAndOne(random) : made.lines(random);
        TextReading reading;
        if (decodeFileText(i % 4 < 2 ? text.toUtf8() : cp932::encode(text), nullptr, &reading)
            != text) {
            ++wrong[i % 4];
            if (!reading.bothPlausible)
                untold.append(text);
        }
    }
    // Every kanji of both levels and each of these, in both encodings, is read as made or, told,
    // as the other text of them whose bytes are the same (丁A in UTF-8 is 荳、 in code page 932).
    QSet<QString> texts;
    for (const QString &kanji : made.kanji())
        for (const QChar next : QStringView(u"A1①㈱、。"))
            texts.insert(kanji + next);
    for (const QString &text : texts) {
        for (const QByteArray &bytes : {text.toUtf8(), cp932::encode(text)}) {
            TextReading reading;
            const std::optional<QString> read = decodeFileText(bytes, nullptr, &reading);
            if (read != text && !(read && texts.contains(*read) && reading.bothPlausible))
                untold.append(text);
        }
    }
    std::printf(
        "wrong of %d each: %d %d %d %d\n", files / 4, wrong[0], wrong[1], wrong[2], wrong[3]);
    EXPECT_EQ(untold, QStringList());
    for (const int kind : wrong)
        EXPECT_LE(kind * 1000, files / 4);
}

TEST(TextFiles, UnreadableFilesGiveNothingAndSayWhy)
{
    ScopedWorkDir work;
    QDir(work.path()).mkdir(QStringLiteral("folder"));
    QString error;
    EXPECT_EQ(readTextFile(work.file("missing.txt"), &error), std::nullopt);
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_EQ(readTextFile(work.file("folder"), &error), std::nullopt);
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(writeTextLine(work.file("folder"), QStringLiteral("COM1"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(writeTextLine(QStringLiteral("/dev/full"), QStringLiteral("COM1")));
}

TEST(TextFiles, ReaderGivesLinesUntilTheEnd)
{
    ScopedWorkDir work;
    work.write("r.txt", "one\r\ntwo");
    TextFileReader reader;
    ASSERT_TRUE(reader.open(work.file("r.txt")));
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(reader.readLine(), QStringLiteral("one"));
    EXPECT_FALSE(reader.atEnd());
    EXPECT_EQ(reader.readLine(), QStringLiteral("two"));
    EXPECT_TRUE(reader.atEnd());
    reader.close();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(reader.open(work.file("none.txt")));
    EXPECT_FALSE(reader.isOpen());
}

} // namespace

#ifndef Q_OS_WIN
// Named pipes and devices as Linux has them.
namespace {

TEST(TextFiles, NamedPipesAndDevicesAreNotRead)
{
    ScopedWorkDir work;
    ASSERT_EQ(::mkfifo(QFile::encodeName(work.file("pipe.txt")).constData(), 0600), 0);
    QString error;
    // Opening the pipe for reading would wait for a writer for ever.
    EXPECT_EQ(readTextFile(work.file("pipe.txt"), &error), std::nullopt);
    EXPECT_EQ(error, QStringLiteral("not a plain file"));
    EXPECT_EQ(readTextFile(QStringLiteral("/dev/zero")), std::nullopt);
    // Writing into the pipe would wait for a reader for ever.
    EXPECT_FALSE(writeTextLine(work.file("pipe.txt"), QStringLiteral("COM1")));
}

} // namespace
#endif
