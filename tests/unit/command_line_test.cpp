// The console's command line, and the transcript's visible text.
#include "app/command_line.h"
#include "platform/transcript.h"

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
    const QList<QStringList> bad = {
        {"--speak", "a.txt"},
        {"--port", "2"},
        {"--repeat", "2"},
        {"--speak", "a.txt", "--port", "0"},
        {"--speak", "a.txt", "--port", "x"},
        {"--speak", "a.txt", "--port", "2", "--repeat", "0"},
        {"--speak", "a.txt", "--port", "2", "--timeout", "-1"},
        {"--speak", "a.txt", "--port", "2", "--list-ports"},
        {"--speak", "a.txt", "--port", "2", "--user-folder"},
        {"--list-ports", "--user-folder"},
        {"--port"},
        {"extra"},
    };
    for (const QStringList &arguments : bad)
        EXPECT_FALSE(parseCommandLine(arguments).error.isEmpty())
            << arguments.join(u' ').toStdString();
}

TEST(Transcript, ControlCharactersAreMadeVisible)
{
    EXPECT_EQ(visibleText(QStringLiteral("STT\r")), QStringLiteral("STT\\r"));
    EXPECT_EQ(visibleText(QStringLiteral("a\r\n\tb\\")), QStringLiteral("a\\r\\n\\tb\\\\"));
    EXPECT_EQ(visibleText(QStringLiteral("\x1A\x7F")), QStringLiteral("\\x1a\\x7f"));
    EXPECT_EQ(visibleText(QStringLiteral("あ～")), QStringLiteral("あ～"));
}

} // namespace
