// COM numbers for USB serial devices: a by-id folder (or a device folder) and a ports file
// given to the numbering, never the real /dev.
#include "link/port_numbers.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

namespace {

// Lists are space-separated; "@" and "%" stand for the test's by-id and device folders, and
// with no "@" device there is no by-id folder. before null: no ports file; added: what the
// file gains.
struct NumberingRow
{
    const char *present, *before, *variables, *numbers, *added;
};

TEST(PortNumbers, NumbersComeFromTheFileThenTheLowestFreeFromCom3)
{
    const NumberingRow rows[] = {
        // New devices in name order, from COM3; a remembered one keeps its number, present or not.
        {"@B @A", nullptr, "", "3=@A 4=@B", "COM3=@A\nCOM4=@B\n"},
        {"@A @B", "COM3=@B\n", "", "3=@B 4=@A", "COM4=@A\n"},
        {"@A", "COM3=@Gone\r\n", "", "3=@Gone 4=@A", "COM4=@A\n"},
        // A number a variable sets is skipped; a device a variable reaches gets none.
        {"@A", nullptr, "3=/dev/ttyS9", "4=@A", "COM4=@A\n"},
        {"@A", nullptr, "5=@A", "", ""},
        // Without a by-id folder, USB and ACM devices by name, numbers counted as numbers.
        {"%ttyUSB10 %ttyUSB2 %ttyACM0 %ttyS0",
         nullptr,
         "",
         "3=%ttyACM0 4=%ttyUSB2 5=%ttyUSB10",
         "COM3=%ttyACM0\nCOM4=%ttyUSB2\nCOM5=%ttyUSB10\n"},
        // Lines that cannot be read are ignored and kept; a device name is opaque; an operator
        // may name COM1.
        {"@A",
         "# note\nCOM3=\nfoo\nCOM17=/x\nCOM4=/a\nCOM4=/b\nCOM5=/a\n",
         "",
         "3=@A 4=/a",
         "COM3=@A\n"},
        {"@A",
         "COM1=rfc2217://b:4000\nCOM3 = tcp://h:23",
         "",
         "1=rfc2217://b:4000 3=tcp://h:23 4=@A",
         "\nCOM4=@A\n"},
    };
    for (const NumberingRow &row : rows) {
        SCOPED_TRACE(row.numbers);
        ScopedWorkDir work;
        const auto place = [&](const QString &text) {
            return QString(text)
                .replace(u'@', work.file("by-id") + u'/')
                .replace(u'%', work.file("dev") + u'/');
        };
        const auto list = [](const char *text) {
            return QString(text).split(u' ', Qt::SkipEmptyParts);
        };
        for (const QString &device : list(row.present))
            work.write(QString(device).replace(u'@', "by-id/").replace(u'%', "dev/"), "");
        if (row.before)
            work.write("parlino_ports.txt", place(row.before).toUtf8());
        for (int port = 1; port <= 16; ++port)
            qunsetenv("PARLINO_COM" + QByteArray::number(port));
        for (const QString &variable : list(row.variables))
            qputenv("PARLINO_COM" + variable.section(u'=', 0, 0).toLatin1(),
                    place(variable.section(u'=', 1)).toUtf8());
        PortNumbers expected;
        for (const QString &number : list(row.numbers))
            expected.insert(number.section(u'=', 0, 0).toInt(), place(number.section(u'=', 1)));

        const PortPlaces places{
            work.file("by-id"), work.file("dev"), work.file("parlino_ports.txt")};
        EXPECT_EQ(refreshPortNumbers(places), expected);
        EXPECT_EQ(QString::fromUtf8(work.read("parlino_ports.txt")),
                  place(QString(row.before) + row.added));
        // Asked again, nothing changes: the numbers are kept.
        EXPECT_EQ(refreshPortNumbers(places), expected);
        for (const QString &variable : list(row.variables))
            qunsetenv("PARLINO_COM" + variable.section(u'=', 0, 0).toLatin1());
    }
}

TEST(PortNumbers, AFolderThatCannotBeWrittenKeepsTheNumbersForThisRun)
{
    ScopedWorkDir work;
    work.write("by-id/A", "");
    work.write("by-id/B", "");
    // A file where its folder should be: no folder can be made there, not even by root.
    work.write("plain", "");
    const PortPlaces places{work.file("by-id"), {}, work.file("plain/parlino_ports.txt")};
    EXPECT_EQ(refreshPortNumbers(places),
              (PortNumbers{{3, work.file("by-id/A")}, {4, work.file("by-id/B")}}));
    // A gone: it keeps COM3, and a newcomer does not take it.
    QFile::remove(work.file("by-id/A"));
    work.write("by-id/C", "");
    EXPECT_EQ(refreshPortNumbers(places)[5], work.file("by-id/C"));
}

} // namespace
