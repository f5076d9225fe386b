// Progress of scripted runs: a status line rewritten in place, or log lines now and then.
#include "report/progress.h"

#include <gtest/gtest.h>

namespace {

TEST(Progress, TextNamesLinePassTimeAndStatus)
{
    const struct
    {
        ProgressState state;
        const char *text;
    } cases[] = {
        {{0, 3, 1, 1, 0, ""}, "line 0/3, pass 1/1, 0:00:00"},
        {{12, 120, 2, 5, 83'999, "stt 1"}, "line 12/120, pass 2/5, 0:01:23, stt 1"},
        {{7, 9, 1, 1, 3'725'000, "stt-1\r"}, "line 7/9, pass 1/1, 1:02:05, stt-1"},
        {{7, 9, 1, 1, 0, "s\tt\r\n"}, "line 7/9, pass 1/1, 0:00:00, s\\tt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(progressText(c.state), QString::fromLatin1(c.text));
}

TEST(Progress, TerminalRewritesOneLineInPlace)
{
    QString out;
    {
        RunProgress progress(RunProgress::Form::Terminal, [&](const QString &b) { out += b; });
        progress.update({1, 20, 1, 1, 0, "stt 1"});
        progress.update({1, 20, 1, 1, 400, "stt 1"}); // the same line: nothing written
        progress.update({2, 20, 1, 1, 1000, ""});
        progress.erase();
        progress.update({3, 20, 1, 1, 2000, ""});
    }
    const QString blank28(28, u' ');
    EXPECT_EQ(out,
              "\rline 1/20, pass 1/1, 0:00:00, stt 1"
              "\rline 2/20, pass 1/1, 0:00:01       \b\b\b\b\b\b\b"
              "\r" + blank28
                  + "\r"
                    "\rline 3/20, pass 1/1, 0:00:02"
                    "\r"
                  + blank28 + "\r");
}

TEST(Progress, LogWritesEveryTenSecondsAndAtEachPassEnd)
{
    QString out;
    RunProgress progress(RunProgress::Form::Log, [&](const QString &b) { out += b; });
    for (const qint64 ms : {0, 3000, 9999, 10000, 15000, 19999, 20000})
        progress.update({int(ms / 1000), 40, 1, 2, ms, ""});
    progress.passEnded({40, 40, 1, 2, 21000, "stt 0"});
    progress.update({1, 40, 2, 2, 30000, ""});
    progress.update({2, 40, 2, 2, 31000, ""});
    EXPECT_EQ(out,
              "parlino: line 10/40, pass 1/2, 0:00:10\n"
              "parlino: line 20/40, pass 1/2, 0:00:20\n"
              "parlino: pass 1/2 done: line 40/40, pass 1/2, 0:00:21, stt 0\n"
              "parlino: line 2/40, pass 2/2, 0:00:31\n");
}

} // namespace
