// Reading and writing the program's text files: fields, lines, code page 932.
#include "support/recorders.h"
#include "text/cp932.h"
#include "text/text_file.h"

#include <gtest/gtest.h>

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
    // The file's bytes, its text and the bytes that text goes out as; null when it is
    // refused, with the words that must name the line and what was found.
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
        const char16_t *why = u"";
    } rows[] = {
        {"code page 932", "\x82\xA0\xB1\r\n", QStringLiteral("あｱ\r\n")},
        {"pure ASCII", "MSGa\r\n", QStringLiteral("MSGa\r\n")},
        {"UTF-8", "\xE3\x81\x82\xEF\xBD\xB1\n", QStringLiteral("あｱ\n")},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF"
         "abc",
         QStringLiteral("abc")},
        // Half-width katakana pairs that are also valid UTF-8 below U+0800 (÷ α б ° é).
        {"ﾃｷ, not ÷", "\xC3\xB7\r\n", QStringLiteral("ﾃｷ\r\n")},
        {"ﾎｱ ﾐｱ ﾂｰ, not α б °",
         "\xCE\xB1\r\n\xD0\xB1\r\n\xC2\xB0",
         QStringLiteral("ﾎｱ\r\nﾐｱ\r\nﾂｰ")},
        {"ﾃｩﾃｩ, not éé", "\xC3\xA9\xC3\xA9", QStringLiteral("ﾃｩﾃｩ")},
        {"a UTF-8 line among code page 932 lines",
         "\x82\xA0\r\n\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF\r\n",
         QString(),
         u"2行目にUTF-8の行とシフトJISの行が混在"},
        {"UTF-16 without a mark",
         QByteArray("\xB0\x30\xD0\x30\xF0\x30\r\0\n\0", 10),
         QString(),
         u"2行目にNULがあります（UTF-16"},
        {"UTF-16 with a mark", "\xFF\xFEM\0", QString(), u"UTF-16のファイル"},
        {"binary after a text line", QByteArray("ab\ncd\0\x01", 7), QString(), u"2行目にNUL"},
        {"invalid code page 932", "a\r\n\x82\xA0\x85\x40", QString(), u"2行目にシフトJIS"},
        {"invalid UTF-8 after the mark", "\xEF\xBB\xBF\n\n\xE3\x81", QString(), u"3行目にUTF-8"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        const std::optional<QString> text = decodeFileText(row.bytes, &error);
        EXPECT_EQ(text, row.text.isNull() ? std::nullopt : std::optional(row.text));
        EXPECT_TRUE(error.contains(QString::fromUtf16(row.why))) << error.toStdString();
        // A code page 932 file goes out byte for byte as it stands.
        if (text && !row.bytes.startsWith("\xEF\xBB\xBF") && !row.bytes.startsWith("\xE3")) {
            EXPECT_EQ(cp932::encode(*text), row.bytes);
        }
    }
    // Lines one by one, as the presets are read: a line that is no text in the file's
    // encoding is nothing, with its reason; the others are read.
    ScopedWorkDir work;
    work.write("p.txt", QByteArray("\x82\xA0\r\n\x82\r\n\xE3\x81\x82\r\nb\r\nc"));
    QStringList whyNot;
    EXPECT_EQ(readTextFileLines(work.file("p.txt"), 4, nullptr, &whyNot),
              (QList<std::optional<QString>>{
                  QStringLiteral("あ"), std::nullopt, std::nullopt, QStringLiteral("b")}));
    ASSERT_EQ(whyNot.size(), 4);
    EXPECT_TRUE(whyNot[2].contains(u"混在")) << whyNot[2].toStdString();
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
