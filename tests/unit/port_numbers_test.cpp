// COM numbers for USB serial devices: a by-id folder (or a device folder) and a ports file
// given to the numbering, never the real /dev.
#include "link/port_numbers.h"
#include "support/console_process.h"
#include "support/recorders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

// Lists are space-separated; "@" and "%" stand for the test's by-id and device folders, and
// with no "@" device there is no by-id folder; "~" is the byte 0xFC (Latin-1 ü), which is no
// UTF-8. before null: no ports file; added: what the file gains.
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
        // A note in another encoding costs its own line only: every number holds, nothing is
        // added, at this start or the next.
        {"@A @B", "COM3=@B\n# B~ro\nCOM4=@A\n", "", "3=@B 4=@A", ""},
        {"@A @B",
         "\xEF\xBB\xBF"
         "COM3=@B\nCOM4=@~\n",
         "",
         "3=@B 4=@A",
         "COM4=@A\n"},
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
        const auto bytes = [&](const QString &text) {
            return place(text).toUtf8().replace('~', "\xFC");
        };
        if (row.before)
            work.write("parlino_ports.txt", bytes(row.before));
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
        EXPECT_EQ(work.read("parlino_ports.txt"), bytes(QString(row.before) + row.added));
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
    // A file that is there but cannot be read whole gives no numbers and is not added to: a
    // folder in its place; a file without read permission (where permissions hold: not root).
    const QString folder = work.file("folder/parlino_ports.txt"), locked = work.file("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(refreshPortNumbers({work.file("by-id"), {}, folder}), PortNumbers());
    work.write("locked", "COM3=/b\n");
    if (QFile::setPermissions(locked, {}) && ::geteuid() != 0) {
        EXPECT_EQ(refreshPortNumbers({work.file("by-id"), {}, locked}), PortNumbers());
        EXPECT_EQ(QFileInfo(locked).size(), 8);
    }
}

TEST(PortNumbers, TheUserFileFollowsAnAbsoluteDataFolderAndTheAccountsHome)
{
    const char *names[] = {"PARLINO_PORTS_FILE", "XDG_DATA_HOME", "HOME"};
    QByteArray saved[3];
    for (int i = 0; i < 3; ++i)
        saved[i] = qgetenv(names[i]);
    const auto restore = qScopeGuard([&] {
        for (int i = 0; i < 3; ++i)
            saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
    });
    qunsetenv("PARLINO_PORTS_FILE");
    const QString account = QFile::decodeName(::getpwuid(::getuid())->pw_dir);
    const struct
    {
        const char *dataHome, *home; // null: unset
        QString file;
    } rows[] = {
        {"/x/data", "/h", QStringLiteral("/x/data/parlino/parlino_ports.txt")},
        // A relative data folder is ignored, as the XDG rules say.
        {"data", "/h", QStringLiteral("/h/.local/share/parlino/parlino_ports.txt")},
        // No usable HOME: the account's home from the password database.
        {nullptr, nullptr, account + QStringLiteral("/.local/share/parlino/parlino_ports.txt")},
        {"data", "h", account + QStringLiteral("/.local/share/parlino/parlino_ports.txt")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        row.dataHome ? qputenv("XDG_DATA_HOME", row.dataHome) : qunsetenv("XDG_DATA_HOME");
        row.home ? qputenv("HOME", row.home) : qunsetenv("HOME");
        EXPECT_EQ(userPortsFile(), QDir::cleanPath(row.file));
    }
    // No place for the file at all: nothing is numbered, and nothing is guessed.
    EXPECT_EQ(refreshPortNumbers({QStringLiteral("/dev"), {}, QString()}), PortNumbers());
}

TEST(PortNumbers, ConsolesNumberingAtOnceAgree)
{
    // One start sees A and B, the other only B (A is reached by a variable there, so it is not
    // numbered): started together, each reads what the other added, under the file's lock.
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        ScopedWorkDir work;
        work.write("by-id/A", "");
        work.write("by-id/B", "");
        const QString file = work.file("parlino_ports.txt");
        const QStringList common{QStringLiteral("PARLINO_SERIAL_BY_ID=") + work.file("by-id"),
                                 QStringLiteral("PARLINO_PORTS_FILE=") + file};
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PARLINO_SERIAL_BY_ID", work.file("by-id"));
        environment.insert("PARLINO_PORTS_FILE", file);
        environment.insert("PARLINO_COM9", work.file("by-id/A"));
        other.setProcessEnvironment(environment);
        const ConsoleResult first
            = runConsole({"--list-ports"}, work.path(), common, 30000, [&](qint64) {
                  other.start(QStringLiteral(PARLINO_APP_PATH), {"--list-ports"});
              });
        other.waitForFinished(30000); // false when it has ended already
        ASSERT_TRUE(first.finished && other.state() == QProcess::NotRunning);
        const PortsFile numbered = parsePortsFile(work.read("parlino_ports.txt"));
        EXPECT_TRUE(numbered.problems.isEmpty()) << numbered.problems.join(u'\n').toStdString();
        EXPECT_EQ(numbered.numbers.size(), 2);
        EXPECT_EQ(work.read("parlino_ports.txt").count('\n'), 2);
    }
}

} // namespace
