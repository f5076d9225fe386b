// The console's command line, and the transcript's visible text.
#include "app/command_line.h"
#include "link/transcript.h"

#include <gtest/gtest.h>

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
        {{"--speak", "a.txt", "--script", "b.txt", "--port", "2"}, "--speak and --script go alone"},
        {{"--script", "", "--port", "2"}, "--script: FILE is empty"},
        {{"--script", "a.txt", "--port", "2", "--junit", ""}, "--junit: FILE is empty"},
        {{"--script", "a.txt", "--port", "2", "--junit-suite", "A"}, "goes with --junit"},
        {{"--script", "a", "--port", "2", "--junit", "r", "--junit-suite", ""}, "NAME is empty"},
        {{"--script", "a.txt", "--port", "2", "--list-ports"}, "go alone"},
        {{"--speak", "a.txt", "--port", "0"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "17"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", " 1"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "+1"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "x"}, "from 1 to 16"},
        {{"--speak", "a.txt", "--port", "com3"}, "from 1 to 16"},
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
        {{"--port"}, "--port needs a value"},
        {{"extra"}, "unknown argument: extra"},
    };
    for (const auto &row : bad) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        EXPECT_TRUE(parseCommandLine(row.arguments).error.contains(QLatin1String(row.says)))
            << parseCommandLine(row.arguments).error.toStdString();
    }
    EXPECT_EQ(parseCommandLine({"--speak", "a.txt", "--port", "16"}).port, 16);
    EXPECT_EQ(parseCommandLine({"--speak", "a.txt", "--port", "COM3"}).port, 3);
    EXPECT_EQ(parseCommandLine({"--speak", "a.txt", "--port", "COM16"}).port, 16);
}

TEST(Transcript, ControlCharactersAreMadeVisible)
{
    EXPECT_EQ(visibleText(QStringLiteral("STT\r")), QStringLiteral("STT\\r"));
    EXPECT_EQ(visibleText(QStringLiteral("a\r\n\tb\\")), QStringLiteral("a\\r\\n\\tb\\\\"));
    EXPECT_EQ(visibleText(QStringLiteral("\x1A\x7F")), QStringLiteral("\\x1a\\x7f"));
    EXPECT_EQ(visibleText(QStringLiteral("あ～")), QStringLiteral("あ～"));
}

} // namespace
