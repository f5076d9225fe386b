// The simulated module's answers to each command, its error latch and its line handling, driven
// through the protocol model with no terminal in between.
#include "model_helpers.h"
#include "qt_printers.h"
#include "speech_model.h"

#include <gtest/gtest.h>

namespace {

struct CommandCase
{
    const char16_t *line;
    const char *answer;
    bool latchesError;
};

void PrintTo(const CommandCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.line).toStdString();
}

class CommandOnFreshModule : public ::testing::TestWithParam<CommandCase>
{
};

TEST_P(CommandOnFreshModule, AnswersExactlyAndLatchesOnlyOnError)
{
    const CommandCase &c = GetParam();
    SpeechModel model;
    EXPECT_EQ(answerTo(model, QString::fromUtf16(c.line), 0), QByteArray(c.answer));
    EXPECT_EQ(model.errorLatched(), c.latchesError);
    // The latch shows in the status answer; time 10000 is long after any busy time.
    EXPECT_EQ(answerTo(model, "STT", 10000), QByteArray(c.latchesError ? "stt-1\r" : "stt 0\r"));
}

INSTANTIATE_TEST_SUITE_P(Accepted,
                         CommandOnFreshModule,
                         ::testing::Values(CommandCase{u"VER", "ver 1.00\r", false},
                                           CommandCase{u"STT", "stt 0\r", false},
                                           CommandCase{u"CLR0", ">\r", false},
                                           CommandCase{u"MSGあいう", ">\r", false},
                                           CommandCase{u"SPD50", ">\r", false},
                                           CommandCase{u"SPD100", ">\r", false},
                                           CommandCase{u"SPD300", ">\r", false},
                                           CommandCase{u"SPD0150", ">\r", false},
                                           CommandCase{u"SSD01", ">\r", false},
                                           CommandCase{u"SSD02", ">\r", false},
                                           CommandCase{u"EEP01あ", ">\r", false},
                                           CommandCase{u"EEP32ｱｲｳ", ">\r", false},
                                           CommandCase{u"EEP07", ">\r", false}));

INSTANTIATE_TEST_SUITE_P(Refused,
                         CommandOnFreshModule,
                         ::testing::Values(CommandCase{u"MSG", "?\r", true},
                                           CommandCase{u"MSGabc", "?\r", true},
                                           CommandCase{u"SPD49", "?\r", true},
                                           CommandCase{u"SPD301", "?\r", true},
                                           CommandCase{u"SPD", "?\r", true},
                                           CommandCase{u"SPDabc", "?\r", true},
                                           CommandCase{u"SPD-100", "?\r", true},
                                           CommandCase{u"SPD 100", "?\r", true},
                                           CommandCase{u"SPD100 ", "?\r", true},
                                           CommandCase{u"SPD99999999999999", "?\r", true},
                                           CommandCase{u"SPD１００", "?\r", true},
                                           CommandCase{u"SSD03", "?\r", true},
                                           CommandCase{u"SSD1", "?\r", true},
                                           CommandCase{u"SSD011", "?\r", true},
                                           CommandCase{u"EEP00あ", "?\r", true},
                                           CommandCase{u"EEP33あ", "?\r", true},
                                           CommandCase{u"EEP1", "?\r", true},
                                           CommandCase{u"EEP", "?\r", true},
                                           CommandCase{u"EEPxxあ", "?\r", true},
                                           CommandCase{u"EEP01A", "?\r", true},
                                           CommandCase{
                                               u"SEL01", "?\r", true}, // slot 1 is still empty
                                           CommandCase{u"SEL00", "?\r", true},
                                           CommandCase{u"SEL33", "?\r", true},
                                           CommandCase{u"SEL1", "?\r", true},
                                           CommandCase{u"SEL001", "?\r", true},
                                           CommandCase{u"SEL", "?\r", true},
                                           CommandCase{u"ver", "?\r", true},
                                           CommandCase{u"VERX", "?\r", true},
                                           CommandCase{u" VER", "?\r", true},
                                           CommandCase{u"STT0", "?\r", true},
                                           CommandCase{u"CLR", "?\r", true},
                                           CommandCase{u"CLR1", "?\r", true},
                                           CommandCase{u"msgあ", "?\r", true},
                                           CommandCase{u"HELLO", "?\r", true}));

TEST(SpeechModelLatch, RefusesAllButVersionStatusAndClearUntilCleared)
{
    SpeechModel model;
    EXPECT_EQ(answerTo(model, "EEP05あ", 0), ">\r");
    EXPECT_EQ(answerTo(model, "BAD", 1000), "?\r");
    ASSERT_TRUE(model.errorLatched());

    // Each refused command is answered "?" and leaves the module as it was: no speech, no change.
    for (const QString &line : {QString("MSGあいう"),
                                QString("SPD200"),
                                QString("SSD01"),
                                QString("SSD02"),
                                QString("EEP05い"),
                                QString("EEP06う"),
                                QString("SEL05")}) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_EQ(answerTo(model, line, 1000), "?\r");
        EXPECT_TRUE(model.errorLatched());
        EXPECT_FALSE(model.isBusy(1000));
    }
    EXPECT_EQ(model.speed(), SpeechModel::defaultSpeed);
    EXPECT_EQ(model.slotText(5), "あ");
    EXPECT_EQ(model.slotText(6), "");

    EXPECT_EQ(answerTo(model, "VER", 1000), "ver 1.00\r");
    EXPECT_EQ(answerTo(model, "STT", 1000), "stt-1\r");
    EXPECT_TRUE(model.errorLatched());
    EXPECT_EQ(answerTo(model, "CLR0", 1000), ">\r");
    EXPECT_FALSE(model.errorLatched());
    EXPECT_EQ(answerTo(model, "STT", 1000), "stt 0\r");
    EXPECT_EQ(answerTo(model, "SPD200", 1000), ">\r");
    EXPECT_EQ(model.speed(), 200);
}

TEST(SpeechModelLatch, ErrorOutranksBusyInTheStatus)
{
    SpeechModel model;
    EXPECT_EQ(answerTo(model, "MSGあいうえお", 0), ">\r"); // busy for 400 ms
    EXPECT_EQ(answerTo(model, "XYZ", 10), "?\r");
    EXPECT_EQ(answerTo(model, "STT", 20), "stt-1\r");
    EXPECT_EQ(answerTo(model, "CLR0", 30), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 40), "stt 1\r");
}

struct StatusCase
{
    const char *name;
    QByteArray busyStatus; // --busy-status
    bool neverIdle;        // --no-idle
    const char *idle;
    const char *busy;
};

void PrintTo(const StatusCase &c, std::ostream *os)
{
    *os << c.name;
}

class StatusAnswer : public ::testing::TestWithParam<StatusCase>
{
};

TEST_P(StatusAnswer, FollowsTheBusyStatusAndNoIdleSwitchesAndTheLatchOutranksThem)
{
    const StatusCase &c = GetParam();
    ModelSettings settings;
    settings.busyStatus = c.busyStatus;
    settings.neverIdle = c.neverIdle;
    SpeechModel model(settings);
    EXPECT_EQ(answerTo(model, "STT", 0), QByteArray(c.idle) + '\r');
    // Commands are carried out and acknowledged whatever the status says.
    ASSERT_EQ(answerTo(model, "MSGあいうえお", 0), ">\r"); // busy for 400 ms
    EXPECT_EQ(answerTo(model, "STT", 399), QByteArray(c.busy) + '\r');
    EXPECT_EQ(answerTo(model, "BAD", 399), "?\r");
    EXPECT_EQ(answerTo(model, "STT", 399), "stt-1\r");
    EXPECT_EQ(answerTo(model, "CLR0", 400), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 400), QByteArray(c.idle) + '\r');
    ASSERT_EQ(answerTo(model, "SSD01", 400), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 899), QByteArray(c.busy) + '\r');
    ASSERT_EQ(answerTo(model, "EEP01あ", 900), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 1199), QByteArray(c.busy) + '\r');
    EXPECT_EQ(answerTo(model, "STT", 1200), QByteArray(c.idle) + '\r');
}

INSTANTIATE_TEST_SUITE_P(
    Switches,
    StatusAnswer,
    ::testing::Values(StatusCase{"default", "stt 1", false, "stt 0", "stt 1"},
                      StatusCase{"busy stt 2", "stt 2", false, "stt 0", "stt 2"},
                      StatusCase{"busy stt-1", "stt-1", false, "stt 0", "stt-1"},
                      StatusCase{"no idle", "stt 1", true, "stt 1", "stt 1"},
                      StatusCase{"no idle, busy stt 2", "stt 2", true, "stt 2", "stt 2"}));

struct TextCase
{
    const char *name;
    QByteArray bytes; // the text after "MSG", as CP932 bytes
    bool accepted;
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.name;
}

class SpokenText : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(SpokenText, IsAcceptedOnlyWhenEveryCharacterIsSpeakable)
{
    const TextCase &c = GetParam();
    SpeechModel model;
    const QByteArray answer = model.receive("MSG" + c.bytes + '\r', 0).join();
    EXPECT_EQ(answer, QByteArray(c.accepted ? ">\r" : "?\r"));
    EXPECT_EQ(model.errorLatched(), !c.accepted);
    EXPECT_EQ(model.isBusy(0), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Cp932,
    SpokenText,
    ::testing::Values(
        TextCase{"hiragana bytes", "\x82\xa0\x82\xa2\x82\xa4", true},                   // あいう
        TextCase{"katakana bytes", "\x83\x41\x83\x43", true},                           // アイ
        TextCase{"half-width katakana bytes", "\xb1\xb2\xb3", true},                    // ｱｲｳ
        TextCase{"prolonged mark and marks", "\x83\x4a\x81\x5b\x81\x41\x81\x42", true}, // カー、。
        TextCase{"ideographic space", "\x82\xa0\x81\x40\x82\xa2", true},                // あ　い
        TextCase{"accent mark", "\x82\xa0'\x82\xa2", true},
        TextCase{"ASCII letters", "abc", false},
        TextCase{"ASCII digits", "123", false},
        TextCase{"kanji", cp932(QStringLiteral("漢字")), false},
        TextCase{"kana then a letter", "\x82\xa0X", false},
        TextCase{"unassigned double byte", "\x85\x40", false},
        TextCase{"byte that is no character", "\x80", false},
        TextCase{"lead byte without its second byte", "\x82\xa0\x82", false},
        TextCase{"tab", "\x82\xa0\t\x82\xa2", false},
        TextCase{"LF inside the text", "\x82\xa0\n\x82\xa2", false}));

TEST(SpeechModelLines, AssemblesLinesFromChunksOfAnySize)
{
    SpeechModel model;
    EXPECT_TRUE(model.receive("MS", 0).isEmpty());
    EXPECT_TRUE(model.receive("G\x82", 1).isEmpty()); // a double-byte kana cut in half
    EXPECT_EQ(model.receive("\xa0\x82\xa2\r", 2), QList<QByteArray>{">\r"});
    EXPECT_FALSE(model.errorLatched());
    EXPECT_TRUE(model.isBusy(2));
}

TEST(SpeechModelLines, AnswersEveryLineOfAChunkInOrder)
{
    SpeechModel model;
    EXPECT_EQ(model.receive("VER\rSTT\rCLR0\r", 0),
              (QList<QByteArray>{"ver 1.00\r", "stt 0\r", ">\r"}));
}

TEST(SpeechModelLines, AnswersARefusedLineInItsPlaceAmongTheOthers)
{
    SpeechModel model;
    EXPECT_EQ(model.receive("VER\r\rBAD\rSTT\r", 0),
              (QList<QByteArray>{"ver 1.00\r", "?\r", "stt-1\r"}));
}

TEST(SpeechModelLines, IgnoresEmptyLinesAndLineFeedsAtTheStartOfALine)
{
    SpeechModel model;
    EXPECT_TRUE(model.receive("\r", 0).isEmpty());
    EXPECT_TRUE(model.receive("\n\r\n\n\r", 0).isEmpty());
    EXPECT_FALSE(model.errorLatched());
    EXPECT_EQ(model.receive("VER\r\nSTT\r\n", 0), (QList<QByteArray>{"ver 1.00\r", "stt 0\r"}));
    EXPECT_EQ(model.receive("\n\nVER\r", 0), QList<QByteArray>{"ver 1.00\r"});
    EXPECT_FALSE(model.errorLatched());
}

TEST(SpeechModelLines, LineFeedInsideACommandMakesItUnknown)
{
    SpeechModel model;
    EXPECT_EQ(model.receive("VE\nR\r", 0), QList<QByteArray>{"?\r"});
    EXPECT_TRUE(model.errorLatched());
}

TEST(SpeechModelLines, OverlongLineLatchesTheErrorAndTheNextLineWorks)
{
    SpeechModel model;
    const QByteArray kana = "\x82\xa0";
    const QByteArray tooLong = "MSG" + kana.repeated(LineAssembler::defaultMaxLineBytes / 2);
    EXPECT_EQ(model.receive(tooLong + '\r', 0), QList<QByteArray>{"?\r"});
    EXPECT_TRUE(model.errorLatched());
    EXPECT_EQ(model.receive("STT\r", 0), QList<QByteArray>{"stt-1\r"});
}

struct QuietCase
{
    const char16_t *line;
    const char *normal;
    const char *quiet;
};

void PrintTo(const QuietCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.line).toStdString();
}

class QuietModule : public ::testing::TestWithParam<QuietCase>
{
};

TEST_P(QuietModule, LeavesOutOnlyTheAcknowledgement)
{
    const QuietCase &c = GetParam();
    SpeechModel normal;
    SpeechModel quiet(ModelSettings{80, true, false});
    const QString line = QString::fromUtf16(c.line);
    EXPECT_EQ(answerTo(normal, line, 0), QByteArray(c.normal));
    EXPECT_EQ(answerTo(quiet, line, 0), QByteArray(c.quiet));
    // Quiet or not, the command has the same effect.
    EXPECT_EQ(quiet.errorLatched(), normal.errorLatched());
    EXPECT_EQ(quiet.busyUntilMs(), normal.busyUntilMs());
    EXPECT_EQ(quiet.speed(), normal.speed());
}

INSTANTIATE_TEST_SUITE_P(Commands,
                         QuietModule,
                         ::testing::Values(QuietCase{u"VER", "ver 1.00\r", "ver 1.00\r"},
                                           QuietCase{u"STT", "stt 0\r", "stt 0\r"},
                                           QuietCase{u"CLR0", ">\r", ""},
                                           QuietCase{u"MSGあい", ">\r", ""},
                                           QuietCase{u"SPD200", ">\r", ""},
                                           QuietCase{u"SSD01", ">\r", ""},
                                           QuietCase{u"EEP03あ", ">\r", ""},
                                           QuietCase{u"MSGX", "?\r", ""}));

TEST(SilentModule, AnswersNothingButStillActs)
{
    SpeechModel model(ModelSettings{80, false, true});
    EXPECT_TRUE(model.receive("VER\rSTT\rSPD200\r", 0).isEmpty());
    EXPECT_EQ(model.speed(), 200);
    EXPECT_TRUE(model.receive("MSG\x82\xa0\r", 0).isEmpty());
    EXPECT_TRUE(model.isBusy(0));
    EXPECT_TRUE(model.receive("BAD\r", 0).isEmpty());
    EXPECT_TRUE(model.errorLatched());
}

enum class Answering { Normal, Quiet, Silent };

struct RefusalCase
{
    const char *name;
    QByteArray before;  // whole lines, CR included, received at time 0 to set the module up
    bool latchedBefore; // what `before` leaves in the error latch
    QByteArray line;    // the line under test as received, without its CR
    std::int64_t atMs;  // when it is received
    const char *answer; // its answer, acknowledgements included
    const char *quiet;  // its answer with acknowledgements left out
    bool latchedAfter;
};

void PrintTo(const RefusalCase &c, std::ostream *os)
{
    *os << c.name;
}

class RefusalAnswer : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(RefusalAnswer, FollowsTheAnsweringModeAndLeavesSpeechSpeedAndSlotsAlone)
{
    const RefusalCase &c = GetParam();
    for (const Answering mode : {Answering::Normal, Answering::Quiet, Answering::Silent}) {
        SCOPED_TRACE(mode == Answering::Normal  ? "normal"
                     : mode == Answering::Quiet ? "quiet"
                                                : "silent");
        const bool quiet = mode == Answering::Quiet;
        const bool silent = mode == Answering::Silent;
        SpeechModel model(ModelSettings{80, quiet, silent});
        model.receive(c.before, 0);
        ASSERT_EQ(model.errorLatched(), c.latchedBefore);
        const std::int64_t busyUntil = model.busyUntilMs();
        const QString slot1 = model.slotText(1);

        const QByteArray expected = silent ? "" : quiet ? c.quiet : c.answer;
        EXPECT_EQ(model.receive(c.line + '\r', c.atMs).join(), expected);
        EXPECT_EQ(model.errorLatched(), c.latchedAfter);
        // None of these lines starts or stops speech, changes the speed or stores anything.
        EXPECT_EQ(model.busyUntilMs(), busyUntil);
        EXPECT_EQ(model.speed(), SpeechModel::defaultSpeed);
        EXPECT_EQ(model.slotText(1), slot1);

        // Clearing works as usual afterwards, and so does a command the latch would refuse.
        EXPECT_EQ(answerTo(model, "CLR0", c.atMs), QByteArray(quiet || silent ? "" : ">\r"));
        EXPECT_FALSE(model.errorLatched());
        EXPECT_EQ(answerTo(model, "STT", c.atMs),
                  QByteArray(silent               ? ""
                             : busyUntil > c.atMs ? "stt 1\r"
                                                  : "stt 0\r"));
        EXPECT_EQ(answerTo(model, "SPD200", c.atMs), QByteArray(quiet || silent ? "" : ">\r"));
        EXPECT_EQ(model.speed(), 200);
    }
}

// "MSGあいうえお" keeps the module busy for 400 ms; "BAD" latches the error.
INSTANTIATE_TEST_SUITE_P(
    Lines,
    RefusalAnswer,
    ::testing::Values(
        RefusalCase{"unknown command", "", false, "HELLO", 0, "?\r", "", true},
        RefusalCase{"lower-case command", "", false, "stt", 0, "?\r", "", true},
        RefusalCase{"bytes that are not CP932", "", false, "\xff\xfe", 0, "?\r", "", true},
        RefusalCase{"MSG with ASCII letters", "", false, "MSGabc", 0, "?\r", "", true},
        RefusalCase{
            "MSG with kanji", "", false, cp932(QStringLiteral("MSG漢字")), 0, "?\r", "", true},
        RefusalCase{"MSG with kana then a letter", "", false, "MSG\x82\xa0X", 0, "?\r", "", true},
        RefusalCase{"MSG with nothing to say", "", false, "MSG", 0, "?\r", "", true},
        RefusalCase{"speed out of range", "", false, "SPD301", 0, "?\r", "", true},
        RefusalCase{"MSG while busy",
                    cp932(QStringLiteral("MSGあいうえお\r")),
                    false,
                    "MSG\x82\xa0",
                    100,
                    "?\r",
                    "",
                    true},
        RefusalCase{"EEP while busy",
                    cp932(QStringLiteral("MSGあいうえお\r")),
                    false,
                    "EEP01\x82\xa0",
                    100,
                    "?\r",
                    "",
                    true},
        RefusalCase{"SSD01 while busy", "SSD01\r", false, "SSD01", 100, "?\r", "", true},
        RefusalCase{"MSG while latched", "BAD\r", true, "MSG\x82\xa0", 0, "?\r", "", true},
        RefusalCase{"SPD while latched", "BAD\r", true, "SPD150", 0, "?\r", "", true},
        RefusalCase{"SSD02 while latched", "BAD\r", true, "SSD02", 0, "?\r", "", true},
        RefusalCase{"EEP while latched", "BAD\r", true, "EEP01\x82\xa0", 0, "?\r", "", true},
        RefusalCase{"unknown command while latched", "BAD\r", true, "HELLO", 0, "?\r", "", true},
        RefusalCase{"MSG while latched and busy",
                    cp932(QStringLiteral("MSGあいうえお\rBAD\r")),
                    true,
                    "MSG\x82\xa0",
                    100,
                    "?\r",
                    "",
                    true},
        RefusalCase{"lone CR", "", false, "", 0, "", "", false},
        RefusalCase{"lone CR while latched", "BAD\r", true, "", 0, "", "", true},
        RefusalCase{"lone CR while busy",
                    cp932(QStringLiteral("MSGあいうえお\r")),
                    false,
                    "",
                    100,
                    "",
                    "",
                    false},
        RefusalCase{"VER while latched", "BAD\r", true, "VER", 0, "ver 1.00\r", "ver 1.00\r", true},
        RefusalCase{"STT while latched", "BAD\r", true, "STT", 0, "stt-1\r", "stt-1\r", true},
        RefusalCase{"CLR0 while latched", "BAD\r", true, "CLR0", 0, ">\r", "", false}));

} // namespace
