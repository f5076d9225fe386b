// The console's command line, and the transcript's visible text.
#include "app/command_line.h"
#include "link/transcript.h"
#include "platform/runtime_folder_warning.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(CommandLine, ReadsEveryOption)
{
    qunsetenv("PARLINO_TRANSCRIPT");
    const CommandLine line = parseCommandLine({"--speak",
                                               "a.txt",
                                               "--port",
                                               "3",
                                               "--repeat",
                                               "4",
                                               "--timeout",
                                               "9",
                                               "--transcript",
                                               "t.txt"});
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(line.speakFile, QStringLiteral("a.txt"));
    EXPECT_EQ(line.port, 3);
    EXPECT_EQ(line.repeat, 4);
    EXPECT_EQ(line.timeoutSeconds, 9);
    EXPECT_EQ(line.transcript, QStringLiteral("t.txt"));

    const CommandLine plain = parseCommandLine({});
    EXPECT_TRUE(plain.error.isEmpty());
    EXPECT_TRUE(plain.speakFile.isEmpty());
    EXPECT_EQ(plain.repeat, 1);
    EXPECT_EQ(plain.timeoutSeconds, 60);
    EXPECT_TRUE(parseCommandLine({"--list-ports"}).listPorts);
    EXPECT_TRUE(parseCommandLine({"--version"}).version);
    EXPECT_FALSE(plain.version);
    const CommandLine script = parseCommandLine(
        {"--script", "m.txt", "--port", "1", "--junit", "r.xml", "--junit-suite", "m on B"});
    EXPECT_TRUE(script.error.isEmpty()) << script.error.toStdString();
    EXPECT_EQ(script.scriptFile, QStringLiteral("m.txt"));
    EXPECT_EQ(script.junitFile, QStringLiteral("r.xml"));
    EXPECT_EQ(script.junitSuite, QStringLiteral("m on B"));
    EXPECT_TRUE(script.isScripted());
    EXPECT_FALSE(plain.isScripted());
    EXPECT_FALSE(plain.userFolder);
    EXPECT_TRUE(parseCommandLine({"--user-folder", "--transcript", "t.txt"}).userFolder);
    EXPECT_FALSE(plain.monitor || script.noProgress);
    EXPECT_TRUE(parseCommandLine({"--monitor"}).monitor);
    EXPECT_TRUE(parseCommandLine({"--speak", "a", "--port", "1", "--no-progress"}).noProgress);
}

TEST(CommandLine, TranscriptFromTheEnvironmentUnlessGiven)
{
    qputenv("PARLINO_TRANSCRIPT", "env.txt");
    EXPECT_EQ(parseCommandLine({}).transcript, QStringLiteral("env.txt"));
    EXPECT_EQ(parseCommandLine({"--transcript", "arg.txt"}).transcript, QStringLiteral("arg.txt"));
    qunsetenv("PARLINO_TRANSCRIPT");
}

TEST(CommandLine, BadArgumentsAreNamed)
{
    const struct
    {
        QStringList arguments;
        const char *says;
    } bad[] = {
        {{"--speak", "a.txt"}, "--speak needs --port"},
        {{"--script", "a.txt"}, "--script needs --port"},
        {{"--port", "2"}, "go with --speak or --script"},
        {{"--repeat", "2"}, "go with --speak or --script"},
        {{"--junit", "r.xml"}, "go with --speak or --script"},
        {{"--encoding", "utf-8"}, "go with --speak or --script"},
        {{"--speak", "a.txt", "--port", "2", "--encoding", "UTF-8"}, "cp932 or utf-8"},
        {{"--speak", "a.txt", "--port", "2", "--encoding", "shift_jis"}, "cp932 or utf-8"},
        {{"--speak", "a.txt", "--script", "b.txt", "--port", "2"}, "--speak and --script go alone"},
        {{"--script", "", "--port", "2"}, "--script: FILE is empty"},
        {{"--script", "a.txt", "--port", "2", "--junit", ""}, "--junit: FILE is empty"},
        {{"--script", "a.txt", "--port", "2", "--junit-suite", "A"}, "goes with --junit"},
        {{"--script", "a", "--port", "2", "--junit", "r", "--junit-suite", ""}, "NAME is empty"},
        {{"--script", "a.txt", "--port", "2", "--list-ports"}, "go alone"},
        {{"--speak", "a.txt", "--port", "0"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "17"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "+1"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "x"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "C0M3"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "COM 3"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "COM17"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "COM03"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "2", "--repeat", "0"}, "--repeat takes"},
        {{"--speak", "a.txt", "--port", "2", "--timeout", "-1"}, "--timeout takes"},
        {{"--speak", "a.txt", "--port", "2", "--port", "2"}, "--port is given twice"},
        {{"--transcript", "a", "--transcript", "b"}, "--transcript is given twice"},
        {{"--speak", "", "--port", "2"}, "--speak: FILE is empty"},
        {{"--speak", "a.txt", "--port", "2", "--list-ports"}, "go alone"},
        {{"--speak", "a.txt", "--port", "2", "--user-folder"}, "window only"},
        {{"--list-ports", "--user-folder"}, "window only"},
        {{"--speak", "a.txt", "--port", "2", "--monitor"}, "--monitor goes with the window only"},
        {{"--no-progress"}, "--no-progress goes with --speak or --script"},
        {{"--port"}, "--port needs a value"},
        {{"extra"}, "unknown argument: extra"},
    };
    for (const auto &row : bad) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const QString error = parseCommandLine(row.arguments).error;
        EXPECT_TRUE(error.contains(QLatin1String(row.says))) << error.toStdString();
        // What is printed: the cause, and one line pointing to the help.
        const QStringList printed = usageErrorText(error).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_LE(printed.size(), 3);
        EXPECT_EQ(printed.value(0), QStringLiteral("parlino: ") + error);
        EXPECT_EQ(printed.value(1), QStringLiteral("Try \"parlino --help\" for the options."));
    }
    // Port names in any case, blanks around them ignored.
    for (const auto &[given, port] : {std::pair{"16", 16},
                                      {"COM3", 3},
                                      {"COM16", 16},
                                      {"com7", 7},
                                      {" COM7 ", 7},
                                      {"\tCom12", 12},
                                      {" 1", 1}})
        EXPECT_EQ(parseCommandLine({"--speak", "a.txt", "--port", given}).port, port) << given;
}

TEST(CommandLine, HelpDescribesEveryOptionAndTheNetworkPortNames)
{
    const QString help = usageText();
    // Each option begins a line of its own that describes it.
    for (const char *option : {"-h, --help",
                               "--version",
                               "--list-ports",
                               "--user-folder",
                               "--transcript FILE",
                               "--speak FILE",
                               "--script FILE",
                               "--port N",
                               "--repeat COUNT",
                               "--timeout SECONDS",
                               "--junit FILE",
                               "--junit-suite NAME",
                               "--encoding cp932|utf-8",
                               "--monitor",
                               "--no-progress"})
        EXPECT_TRUE(help.contains(QStringLiteral("\n  ") + QLatin1String(option))) << option;
    for (const char *name : {"rfc2217://HOST:PORT", "telnet://HOST:PORT", "tcp://HOST:PORT"})
        EXPECT_TRUE(help.contains(QLatin1String(name))) << name;
        // Only where a per-user ports file numbers the devices does the help speak of one.
#ifdef Q_OS_WIN
    EXPECT_FALSE(help.contains(QLatin1String("parlino_ports.txt")));
#else
    EXPECT_TRUE(help.contains(QLatin1String("the user's ports file")));
#endif
    EXPECT_TRUE(parseCommandLine({"-h"}).help);
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
}

TEST(CommandLine, OnlyTheRuntimeFolderWarningIsQuietened)
{
    const struct
    {
        const char *message;
        bool dropped;
    } rows[] = {
        {"QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'", true},
        {"QStandardPaths: wrong permissions on runtime directory /run/user/0", false},
        {"qt.qpa.xcb: could not connect to display", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(isRuntimeFolderWarning(QString::fromLatin1(row.message)), row.dropped)
            << row.message;
}

TEST(Transcript, ControlCharactersAreMadeVisible)
{
    EXPECT_EQ(visibleText(QStringLiteral("STT\r")), QStringLiteral("STT\\r"));
    EXPECT_EQ(visibleText(QStringLiteral("a\r\n\tb\\")), QStringLiteral("a\\r\\n\\tb\\\\"));
    EXPECT_EQ(visibleText(QStringLiteral("\x1A\x7F")), QStringLiteral("\\x1a\\x7f"));
    EXPECT_EQ(visibleText(QStringLiteral("あ～")), QStringLiteral("あ～"));
}

} // namespace
