// COM numbers for USB serial devices: a by-id folder (or a device folder) and a ports file
// given to the numbering, never the real /dev.
#include "link/port_numbers.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// "{by}" and "{dev}" in a row stand for the test's by-id and device folders.
struct NumberingRow
{
    const char *name;
    std::optional<QStringList> byId; // entries of the by-id folder; nothing: no such folder
    QStringList devices;             // entries of the device folder
    std::optional<QString> file;     // the ports file before; nothing: no file
    QMap<int, QString> variables;    // PARLINO_COM<n> set for the row
    QMap<int, QString> numbers;      // what the numbering answers
    std::optional<QString> fileAfter;
};

TEST(PortNumbers, NumbersComeFromTheFileThenTheLowestFreeFromCom3)
{
    const QString a = QStringLiteral("{by}/usb-A-if00-port0");
    const QString b = QStringLiteral("{by}/usb-B-if00-port0");
    const NumberingRow rows[] = {
        {"first device", QStringList{"usb-A-if00-port0"}, {}, {}, {}, {{3, a}}, "COM3=" + a + "\n"},
        {"new devices in name order",
         QStringList{"usb-B-if00-port0", "usb-A-if00-port0"},
         {},
         {},
         {},
         {{3, a}, {4, b}},
         "COM3=" + a + "\nCOM4=" + b + "\n"},
        {"a remembered device keeps its number",
         QStringList{"usb-A-if00-port0", "usb-B-if00-port0"},
         {},
         "COM3=" + b + "\n",
         {},
         {{3, b}, {4, a}},
         "COM3=" + b + "\nCOM4=" + a + "\n"},
        {"an absent device keeps its number too",
         QStringList{"usb-A-if00-port0"},
         {},
         "COM3={by}/usb-Gone\r\n",
         {},
         {{3, "{by}/usb-Gone"}, {4, a}},
         "COM3={by}/usb-Gone\r\nCOM4=" + a + "\n"},
        {"a number a variable sets is skipped",
         QStringList{"usb-A-if00-port0"},
         {},
         {},
         {{3, "/dev/ttyS9"}},
         {{4, a}},
         "COM4=" + a + "\n"},
        {"a device a variable reaches gets none",
         QStringList{"usb-A-if00-port0"},
         {},
         {},
         {{5, a}},
         {},
         {}},
        {"without a by-id folder, USB and ACM devices by name",
         {},
         {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0"},
         {},
         {},
         {{3, "{dev}/ttyACM0"}, {4, "{dev}/ttyUSB2"}, {5, "{dev}/ttyUSB10"}},
         "COM3={dev}/ttyACM0\nCOM4={dev}/ttyUSB2\nCOM5={dev}/ttyUSB10\n"},
        {"lines that cannot be read are ignored and kept",
         QStringList{"usb-A-if00-port0"},
         {},
         "# bench 2\nCOM3=\nfoo\nCOM17=/x\nCOM4=/a\nCOM4=/b\nCOM5=/a\ncom6=/c\n",
         {},
         {{3, a}, {4, "/a"}},
         "# bench 2\nCOM3=\nfoo\nCOM17=/x\nCOM4=/a\nCOM4=/b\nCOM5=/a\ncom6=/c\nCOM3=" + a + "\n"},
        {"a device name is opaque, and an operator may name COM1",
         QStringList{"usb-A-if00-port0"},
         {},
         "COM1=rfc2217://bench:4000\nCOM3 = tcp://10.0.0.7:23",
         {},
         {{1, "rfc2217://bench:4000"}, {3, "tcp://10.0.0.7:23"}, {4, a}},
         "COM1=rfc2217://bench:4000\nCOM3 = tcp://10.0.0.7:23\nCOM4=" + a + "\n"},
    };
    for (const NumberingRow &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedWorkDir work;
        const auto place = [&](QString text) {
            return text.replace(QLatin1String("{by}"), work.file("by-id"))
                .replace(QLatin1String("{dev}"), work.file("dev"));
        };
        if (row.byId)
            for (const QString &entry : *row.byId)
                work.write("by-id/" + entry, "");
        for (const QString &entry : row.devices)
            work.write("dev/" + entry, "");
        if (row.file)
            work.write("parlino_ports.txt", place(*row.file).toUtf8());
        for (int port = 1; port <= 16; ++port)
            qunsetenv(QByteArray("PARLINO_COM") + QByteArray::number(port));
        for (auto it = row.variables.cbegin(); it != row.variables.cend(); ++it)
            qputenv(QByteArray("PARLINO_COM") + QByteArray::number(it.key()),
                    place(it.value()).toUtf8());

        QMap<int, QString> expected;
        for (auto it = row.numbers.cbegin(); it != row.numbers.cend(); ++it)
            expected.insert(it.key(), place(it.value()));
        const PortPlaces places{
            work.file("by-id"), work.file("dev"), work.file("parlino_ports.txt")};
        EXPECT_EQ(refreshPortNumbers(places), expected);
        EXPECT_EQ(QString::fromUtf8(work.read("parlino_ports.txt")),
                  row.fileAfter ? place(*row.fileAfter) : place(row.file.value_or(QString())));
        // Asked again, nothing changes: the numbers are kept.
        EXPECT_EQ(refreshPortNumbers(places), expected);
        for (auto it = row.variables.cbegin(); it != row.variables.cend(); ++it)
            qunsetenv(QByteArray("PARLINO_COM") + QByteArray::number(it.key()));
    }
}

TEST(PortNumbers, LinesThatCannotBeReadAreNamed)
{
    const PortsFile file = parsePortsFile(
        QStringLiteral("COM3=\nfoo\nCOM4=/a\nCOM4=/b\nCOM5=/a\n\n# note\nCOM16=/p\n"));
    EXPECT_EQ(file.numbers, (PortNumbers{{4, "/a"}, {16, "/p"}}));
    EXPECT_EQ(file.problems,
              (QStringList{"line 1 \"COM3=\" is no COM<n>=<device> line (COM1 to COM16); ignored",
                           "line 2 \"foo\" is no COM<n>=<device> line (COM1 to COM16); ignored",
                           "line 4 \"COM4=/b\" gives COM4 a second device; ignored",
                           "line 5 \"COM5=/a\" gives /a a second number; ignored"}));
}

TEST(PortNumbers, AFolderThatCannotBeWrittenKeepsTheNumbersForThisRun)
{
    ScopedWorkDir work;
    work.write("by-id/usb-A", "");
    work.write("by-id/usb-B", "");
    const PortPlaces places{
        work.file("by-id"), work.file("dev"), work.file("missing-folder/parlino_ports.txt")};
    EXPECT_EQ(refreshPortNumbers(places),
              (PortNumbers{{3, work.file("by-id/usb-A")}, {4, work.file("by-id/usb-B")}}));
    // A gone, then back: it keeps COM3, and the newcomer does not take it.
    QFile::remove(work.file("by-id/usb-A"));
    work.write("by-id/usb-C", "");
    EXPECT_EQ(refreshPortNumbers(places),
              (PortNumbers{{3, work.file("by-id/usb-A")},
                           {4, work.file("by-id/usb-B")},
                           {5, work.file("by-id/usb-C")}}));
}

} // namespace
