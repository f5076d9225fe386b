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
                         ::testing::Values(CommandCase{u"MSG", "", true},
                                           CommandCase{u"MSGabc", "", true},
                                           CommandCase{u"SPD49", "", true},
                                           CommandCase{u"SPD301", "", true},
                                           CommandCase{u"SPD", "", true},
                                           CommandCase{u"SPDabc", "", true},
                                           CommandCase{u"SPD-100", "", true},
                                           CommandCase{u"SPD 100", "", true},
                                           CommandCase{u"SPD100 ", "", true},
                                           CommandCase{u"SPD99999999999999", "", true},
                                           CommandCase{u"SPD１００", "", true},
                                           CommandCase{u"SSD03", "", true},
                                           CommandCase{u"SSD1", "", true},
                                           CommandCase{u"SSD011", "", true},
                                           CommandCase{u"EEP00あ", "", true},
                                           CommandCase{u"EEP33あ", "", true},
                                           CommandCase{u"EEP1", "", true},
                                           CommandCase{u"EEP", "", true},
                                           CommandCase{u"EEPxxあ", "", true},
                                           CommandCase{u"EEP01A", "", true},
                                           CommandCase{u"SEL01", "", true}, // slot 1 is still empty
                                           CommandCase{u"SEL00", "", true},
                                           CommandCase{u"SEL33", "", true},
                                           CommandCase{u"SEL1", "", true},
                                           CommandCase{u"SEL001", "", true},
                                           CommandCase{u"SEL", "", true},
                                           CommandCase{u"ver", "", true},
                                           CommandCase{u"VERX", "", true},
                                           CommandCase{u" VER", "", true},
                                           CommandCase{u"STT0", "", true},
                                           CommandCase{u"CLR", "", true},
                                           CommandCase{u"CLR1", "", true},
                                           CommandCase{u"msgあ", "", true},
                                           CommandCase{u"HELLO", "", true}));

TEST(SpeechModelLatch, RefusesAllButVersionStatusAndClearUntilCleared)
{
    SpeechModel model;
    EXPECT_EQ(answerTo(model, "EEP05あ", 0), ">\r");
    EXPECT_EQ(answerTo(model, "BAD", 1000), "");
    ASSERT_TRUE(model.errorLatched());

    // Each refused command leaves the module as it was: no answer, no speech, no change.
    for (const QString &line : {QString("MSGあいう"),
                                QString("SPD200"),
                                QString("SSD01"),
                                QString("SSD02"),
                                QString("EEP05い"),
                                QString("EEP06う"),
                                QString("SEL05")}) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_EQ(answerTo(model, line, 1000), "");
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
    EXPECT_EQ(answerTo(model, "XYZ", 10), "");
    EXPECT_EQ(answerTo(model, "STT", 20), "stt-1\r");
    EXPECT_EQ(answerTo(model, "CLR0", 30), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 40), "stt 1\r");
}

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
    EXPECT_EQ(answer, c.accepted ? QByteArray(">\r") : QByteArray());
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
    EXPECT_TRUE(model.receive("VE\nR\r", 0).isEmpty());
    EXPECT_TRUE(model.errorLatched());
}

TEST(SpeechModelLines, OverlongLineLatchesTheErrorAndTheNextLineWorks)
{
    SpeechModel model;
    const QByteArray kana = "\x82\xa0";
    const QByteArray tooLong = "MSG" + kana.repeated(LineAssembler::defaultMaxLineBytes / 2);
    EXPECT_TRUE(model.receive(tooLong + '\r', 0).isEmpty());
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
                                           QuietCase{u"MSGX", "", ""}));

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

} // namespace
