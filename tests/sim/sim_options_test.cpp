// Reading the simulator's command line.
#include "qt_printers.h"
#include "sim_options.h"

#include <gtest/gtest.h>

namespace {

SimArguments parse(const QStringList &arguments)
{
    return parseSimArguments(QStringList{"parlino-sim"} + arguments);
}

TEST(SimOptions, NoArgumentsRunWithDefaults)
{
    const SimArguments parsed = parse({});
    ASSERT_EQ(parsed.action, SimArguments::Action::Run);
    EXPECT_TRUE(parsed.options.linkPath.isEmpty());
    EXPECT_TRUE(parsed.options.logPath.isEmpty());
    EXPECT_FALSE(parsed.options.quiet);
    EXPECT_FALSE(parsed.options.silent);
    EXPECT_FALSE(parsed.options.split);
    EXPECT_EQ(parsed.options.charMs, 80);
    EXPECT_EQ(parsed.options.busyStatus, "stt 1");
    EXPECT_FALSE(parsed.options.neverIdle);
    EXPECT_EQ(parsed.options.byteRate, 0);
    EXPECT_FALSE(parsed.options.voice);
    EXPECT_TRUE(parsed.options.wavFolder.isEmpty());
}

TEST(SimOptions, EverySwitchIsRead)
{
    const SimArguments parsed
        = parse({"--link",      "/tmp/com1",      "--log",       "/tmp/sim.log", "--quiet",
                 "--silent",    "--split",        "--char-ms",   "25",           "--busy-status",
                 "stt 2",       "--no-idle",      "--byte-rate", "3840",         "--reply-delay",
                 "250",         "--reply-end",    "lf",          "--voice",      "--wav",
                 "/tmp/speech", "--reply-jitter", "0-1500"});
    ASSERT_EQ(parsed.action, SimArguments::Action::Run) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.linkPath, "/tmp/com1");
    EXPECT_EQ(parsed.options.logPath, "/tmp/sim.log");
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_TRUE(parsed.options.silent);
    EXPECT_TRUE(parsed.options.split);
    EXPECT_EQ(parsed.options.charMs, 25);
    EXPECT_EQ(parsed.options.busyStatus, "stt 2");
    EXPECT_TRUE(parsed.options.neverIdle);
    EXPECT_EQ(parsed.options.byteRate, 3840);
    EXPECT_EQ(parsed.options.replyDelayMs, 250);
    EXPECT_EQ(parsed.options.replyJitterMinMs, 0);
    EXPECT_EQ(parsed.options.replyJitterMaxMs, 1500);
    EXPECT_EQ(parsed.options.replyEnd, "\n");
    EXPECT_EQ(parse({"--reply-end", "none"}).options.replyEnd, "");
    EXPECT_EQ(parse({}).options.replyEnd, "\r");
    EXPECT_TRUE(parsed.options.voice);
    EXPECT_EQ(parsed.options.wavFolder, "/tmp/speech");
}

struct CharMsCase
{
    QStringList arguments;
    int charMs;
};

void PrintTo(const CharMsCase &c, std::ostream *os)
{
    *os << c.arguments.join(' ').toStdString();
}

class CharMs : public ::testing::TestWithParam<CharMsCase>
{
};

TEST_P(CharMs, AcceptsWholeNumbersFromZero)
{
    const SimArguments parsed = parse(GetParam().arguments);
    ASSERT_EQ(parsed.action, SimArguments::Action::Run) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.charMs, GetParam().charMs);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         CharMs,
                         ::testing::Values(CharMsCase{{"--char-ms", "0"}, 0},
                                           CharMsCase{{"--char-ms", "1"}, 1},
                                           CharMsCase{{"--char-ms=120"}, 120},
                                           CharMsCase{{"--char-ms", "60000"}, 60000}));

class HelpRequest : public ::testing::TestWithParam<QStringList>
{
};

TEST_P(HelpRequest, ShowsHelp)
{
    EXPECT_EQ(parse(GetParam()).action, SimArguments::Action::ShowHelp);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         HelpRequest,
                         ::testing::Values(QStringList{"--help"},
                                           QStringList{"-h"},
                                           QStringList{"--quiet", "--help"}));

class BadArguments : public ::testing::TestWithParam<QStringList>
{
};

TEST_P(BadArguments, AreRefusedWithAReason)
{
    const SimArguments parsed = parse(GetParam());
    EXPECT_EQ(parsed.action, SimArguments::Action::Fail);
    EXPECT_FALSE(parsed.error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Table,
                         BadArguments,
                         ::testing::Values(QStringList{"--char-ms", "-1"},
                                           QStringList{"--char-ms", "abc"},
                                           QStringList{"--char-ms", "1.5"},
                                           QStringList{"--char-ms", ""},
                                           QStringList{"--char-ms", "+5"},
                                           QStringList{"--char-ms", "60001"},
                                           QStringList{"--char-ms", "99999999999"},
                                           QStringList{"--char-ms"},
                                           QStringList{"--log"},
                                           QStringList{"--log", ""},
                                           QStringList{"--link", ""},
                                           QStringList{"--log", "a", "--log", "b"},
                                           QStringList{"--bogus"},
                                           QStringList{"extra"},
                                           QStringList{"--quiet", "extra"},
                                           QStringList{"--busy-status"},
                                           QStringList{"--busy-status", ""},
                                           QStringList{"--busy-status", "stt\r2"},
                                           QStringList{"--busy-status", "stt\t2"},
                                           QStringList{"--busy-status", "stt １"},
                                           QStringList{"--busy-status", QString(65, u'x')},
                                           QStringList{"--busy-status", "a", "--busy-status", "b"},
                                           QStringList{"--byte-rate"},
                                           QStringList{"--byte-rate", "0"},
                                           QStringList{"--byte-rate", "10000001"},
                                           QStringList{"--byte-rate", "3840.5"},
                                           QStringList{"--byte-rate", "1", "--byte-rate", "2"},
                                           QStringList{"--reply-delay", "0"},
                                           QStringList{"--reply-delay", "60001"},
                                           QStringList{"--reply-jitter", "1500-0"},
                                           QStringList{"--reply-end", "crlf"},
                                           QStringList{"--reply-end", "CR"},
                                           QStringList{"--wav"},
                                           QStringList{"--wav", ""},
                                           QStringList{"--wav", "a", "--wav", "b"}));

TEST(SimOptions, UsageNamesEveryOption)
{
    const QString usage = simUsage();
    for (const char *option : {"--link",
                               "--log",
                               "--char-ms",
                               "--quiet",
                               "--silent",
                               "--split",
                               "--busy-status TEXT",
                               "--no-idle",
                               "--byte-rate N",
                               "--reply-delay MS",
                               "--reply-jitter MIN-MAX",
                               "--reply-end cr|lf|none",
                               "--help"})
        EXPECT_TRUE(usage.contains(option)) << option;
}

} // namespace
