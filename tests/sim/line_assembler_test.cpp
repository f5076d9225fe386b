// Assembling CR-ended command lines from chunks as a pseudo-terminal delivers them.
#include "line_assembler.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

struct AssemblyCase
{
    const char *name;
    QList<QByteArray> chunks;
    QList<QByteArray> lines;
    QByteArray pending;
};

void PrintTo(const AssemblyCase &c, std::ostream *os)
{
    *os << c.name;
}

class Assembly : public ::testing::TestWithParam<AssemblyCase>
{
};

TEST_P(Assembly, YieldsTheLinesEndedByCr)
{
    LineAssembler assembler;
    QList<QByteArray> lines;
    for (const QByteArray &chunk : GetParam().chunks) {
        for (const AssembledLine &line : assembler.feed(chunk)) {
            EXPECT_FALSE(line.overlong);
            lines.append(line.bytes);
        }
    }
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_EQ(assembler.pending(), GetParam().pending);
}

INSTANTIATE_TEST_SUITE_P(
    Table,
    Assembly,
    ::testing::Values(
        AssemblyCase{"one line", {"VER\r"}, {"VER"}, ""},
        AssemblyCase{"byte by byte", {"S", "T", "T", "\r"}, {"STT"}, ""},
        AssemblyCase{"two lines in one chunk", {"VER\rSTT\r"}, {"VER", "STT"}, ""},
        AssemblyCase{"line across chunks", {"MS", "G\x82", "\xa0\rST"}, {"MSG\x82\xa0"}, "ST"},
        AssemblyCase{"no CR yet", {"VER"}, {}, "VER"},
        AssemblyCase{"lone CR is an empty line", {"\r"}, {""}, ""},
        AssemblyCase{"CR LF pairs", {"VER\r\nSTT\r\n"}, {"VER", "STT"}, ""},
        AssemblyCase{"LF at the start dropped", {"\n\nVER\r"}, {"VER"}, ""},
        AssemblyCase{"LF in a later chunk dropped", {"VER\r", "\n", "STT\r"}, {"VER", "STT"}, ""},
        AssemblyCase{"LF inside a line kept", {"VE\nR\r"}, {"VE\nR"}, ""},
        AssemblyCase{"LF at the end kept", {"VER\n\r"}, {"VER\n"}, ""},
        AssemblyCase{"only LF", {"\n\n"}, {}, ""},
        AssemblyCase{"zero bytes kept", {QByteArray("A\0B\r", 4)}, {QByteArray("A\0B", 3)}, ""}));

TEST(LineAssembler, MarksALineThatOutgrowsTheLimit)
{
    LineAssembler assembler(4);
    const QList<AssembledLine> lines = assembler.feed("ABCD\rABCDEFG\rXY\r");
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].bytes, "ABCD");
    EXPECT_FALSE(lines[0].overlong);
    EXPECT_EQ(lines[1].bytes, "ABCD");
    EXPECT_TRUE(lines[1].overlong);
    EXPECT_EQ(lines[2].bytes, "XY");
    EXPECT_FALSE(lines[2].overlong);
}

} // namespace
