// How long the simulated module stays busy, on the model's own clock: speaking time per
// character scaled by the speed, chimes, storing and playing slots, and what busy refuses; and,
// audio-timed, the sounds it asks for and how their reported length and a stop end busy time.
#include "model_helpers.h"
#include "qt_printers.h"
#include "speech_model.h"

#include <gtest/gtest.h>

namespace {

struct SpeakingCase
{
    int charMs;
    int speed;
    int characters;
    std::int64_t busyMs;
};

void PrintTo(const SpeakingCase &c, std::ostream *os)
{
    *os << c.characters << " chars at " << c.charMs << " ms, speed " << c.speed;
}

class SpeakingTime : public ::testing::TestWithParam<SpeakingCase>
{
};

TEST_P(SpeakingTime, IsCharactersTimesCharMsScaledBySpeed)
{
    const SpeakingCase &c = GetParam();
    SpeechModel model(ModelSettings{c.charMs, false, false});
    ASSERT_EQ(answerTo(model, QString("SPD%1").arg(c.speed), 0), ">\r");
    const std::int64_t start = 1000;
    ASSERT_EQ(answerTo(model, "MSG" + QString(c.characters, u'ア'), start), ">\r");

    EXPECT_EQ(model.busyUntilMs(), start + c.busyMs);
    if (c.busyMs > 0) {
        EXPECT_EQ(answerTo(model, "STT", start + c.busyMs - 1), "stt 1\r");
    }
    EXPECT_EQ(answerTo(model, "STT", start + c.busyMs), "stt 0\r");
}

INSTANTIATE_TEST_SUITE_P(Table,
                         SpeakingTime,
                         ::testing::Values(SpeakingCase{80, 100, 10, 800},
                                           SpeakingCase{80, 200, 10, 400},
                                           SpeakingCase{80, 50, 10, 1600},
                                           SpeakingCase{80, 300, 3, 80},
                                           SpeakingCase{80, 300, 1, 26},
                                           SpeakingCase{25, 100, 4, 100},
                                           SpeakingCase{1, 100, 1, 1},
                                           SpeakingCase{0, 100, 5, 0}));

TEST(SpeakingTime, CountsHalfWidthKanaAndMarksAsOneCharacterEach)
{
    SpeechModel model;
    // ｶﾞ is two half-width characters; "、" and "'" count too: 5 characters.
    ASSERT_EQ(answerTo(model, "MSGｶﾞ、'ア", 0), ">\r");
    EXPECT_EQ(model.busyUntilMs(), 5 * 80);
}

TEST(SpeakingTime, DefaultsToEightyMillisecondsAtSpeedHundred)
{
    SpeechModel model;
    EXPECT_EQ(model.speed(), 100);
    ASSERT_EQ(answerTo(model, "MSGあいうえお", 0), ">\r");
    EXPECT_EQ(model.busyUntilMs(), 400);
}

TEST(SpeedCommand, ChangesOnlyLaterSpeech)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "MSGあいうえお", 0), ">\r"); // 400 ms at speed 100
    EXPECT_EQ(answerTo(model, "SPD200", 100), ">\r");      // allowed while busy
    EXPECT_EQ(model.speed(), 200);
    EXPECT_EQ(model.busyUntilMs(), 400);
    ASSERT_EQ(answerTo(model, "MSGあいうえお", 400), ">\r");
    EXPECT_EQ(model.busyUntilMs(), 600);
}

TEST(SpeedCommand, OutOfRangeKeepsTheOldSpeed)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "SPD150", 0), ">\r");
    for (const char *line : {"SPD49", "SPD301", "SPD0", "SPD", "SPD1O0"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(answerTo(model, line, 0), "?\r");
        EXPECT_TRUE(model.errorLatched());
        EXPECT_EQ(answerTo(model, "CLR0", 0), ">\r");
        EXPECT_EQ(model.speed(), 150);
    }
}

struct FixedBusyCase
{
    const char16_t *line;
    std::int64_t busyMs;
};

void PrintTo(const FixedBusyCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.line).toStdString();
}

class FixedBusyTime : public ::testing::TestWithParam<FixedBusyCase>
{
};

TEST_P(FixedBusyTime, DoesNotDependOnSpeedOrCharMs)
{
    for (int speed : {50, 100, 300}) {
        SCOPED_TRACE(speed);
        SpeechModel model(ModelSettings{10, false, false});
        ASSERT_EQ(answerTo(model, QString("SPD%1").arg(speed), 0), ">\r");
        ASSERT_EQ(answerTo(model, QString::fromUtf16(GetParam().line), 50), ">\r");
        EXPECT_EQ(answerTo(model, "STT", 50 + GetParam().busyMs - 1), "stt 1\r");
        EXPECT_EQ(answerTo(model, "STT", 50 + GetParam().busyMs), "stt 0\r");
    }
}

INSTANTIATE_TEST_SUITE_P(Commands,
                         FixedBusyTime,
                         ::testing::Values(FixedBusyCase{u"SSD01", 500},
                                           FixedBusyCase{u"SSD02", 500},
                                           FixedBusyCase{u"EEP01あいうえおかきくけこ", 300},
                                           FixedBusyCase{u"EEP02", 300}));

class WhileBusy : public ::testing::TestWithParam<const char16_t *>
{
};

TEST_P(WhileBusy, CommandThatWouldMakeItBusyLatchesTheErrorAndIsNotCarriedOut)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "EEP09あ", 0), ">\r");
    ASSERT_EQ(answerTo(model, "MSGあいうえお", 1000), ">\r"); // busy until 1400
    EXPECT_EQ(answerTo(model, QString::fromUtf16(GetParam()), 1200), "?\r");
    EXPECT_TRUE(model.errorLatched());
    EXPECT_EQ(model.busyUntilMs(), 1400); // the running speech goes on unchanged
    EXPECT_EQ(model.slotText(9), "あ");
    EXPECT_EQ(answerTo(model, "CLR0", 1300), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 1300), "stt 1\r");
    EXPECT_EQ(answerTo(model, "STT", 1400), "stt 0\r");
}

INSTANTIATE_TEST_SUITE_P(Commands,
                         WhileBusy,
                         ::testing::Values(u"MSGあ", u"SEL09", u"SSD01", u"SSD02", u"EEP09い"));

TEST(WhileBusy, VersionStatusClearAndSpeedStillWork)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "SSD01", 0), ">\r");
    EXPECT_EQ(answerTo(model, "VER", 100), "ver 1.00\r");
    EXPECT_EQ(answerTo(model, "STT", 100), "stt 1\r");
    EXPECT_EQ(answerTo(model, "CLR0", 100), ">\r");
    EXPECT_EQ(answerTo(model, "SPD250", 100), ">\r");
    EXPECT_FALSE(model.errorLatched());
    EXPECT_EQ(model.speed(), 250);
}

TEST(MemorySlots, StoredTextPlaysForItsLength)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "EEP05カタカナ", 0), ">\r");
    EXPECT_EQ(model.slotText(5), "カタカナ");
    EXPECT_EQ(answerTo(model, "STT", 299), "stt 1\r"); // storing takes 300 ms
    ASSERT_EQ(answerTo(model, "SEL05", 300), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 300 + 4 * 80 - 1), "stt 1\r");
    EXPECT_EQ(answerTo(model, "STT", 300 + 4 * 80), "stt 0\r");
    ASSERT_EQ(answerTo(model, "SPD200", 1000), ">\r");
    ASSERT_EQ(answerTo(model, "SEL05", 1000), ">\r");
    EXPECT_EQ(model.busyUntilMs(), 1000 + 4 * 80 / 2);
    EXPECT_EQ(model.slotText(5), "カタカナ"); // playing keeps the text
}

TEST(MemorySlots, EachSlotKeepsItsOwnText)
{
    SpeechModel model;
    std::int64_t now = 0;
    for (int slot = 1; slot <= SpeechModel::slotCount; ++slot, now += 1000)
        ASSERT_EQ(answerTo(model,
                           QString("EEP%1").arg(slot, 2, 10, QChar(u'0')) + QString(slot, u'ア'),
                           now),
                  ">\r");
    for (int slot = 1; slot <= SpeechModel::slotCount; ++slot, now += 10000) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(model.slotText(slot), QString(slot, u'ア'));
        ASSERT_EQ(answerTo(model, QString("SEL%1").arg(slot, 2, 10, QChar(u'0')), now), ">\r");
        EXPECT_EQ(model.busyUntilMs(), now + slot * 80);
    }
}

TEST(MemorySlots, StoringEmptyTextEmptiesTheSlotAndPlayingItIsAnError)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "EEP12あい", 0), ">\r");
    ASSERT_EQ(answerTo(model, "EEP12", 1000), ">\r");
    EXPECT_EQ(model.slotText(12), "");
    EXPECT_EQ(answerTo(model, "SEL12", 2000), "?\r");
    EXPECT_TRUE(model.errorLatched());
    EXPECT_FALSE(model.isBusy(2000));
}

TEST(MemorySlots, BadTextIsNotStored)
{
    SpeechModel model;
    ASSERT_EQ(answerTo(model, "EEP04あ", 0), ">\r");
    EXPECT_EQ(answerTo(model, "EEP04ABC", 1000), "?\r");
    EXPECT_TRUE(model.errorLatched());
    EXPECT_EQ(model.slotText(4), "あ");
    EXPECT_FALSE(model.isBusy(1000));
}

struct SoundCase
{
    const char16_t *setup; // lines received at time 0, CR-separated
    const char16_t *line;  // received at time 1000
    SoundRequest::Kind kind;
    const char16_t *text;
    int chime;
    int speed;
    std::int64_t fallbackMs;
};

void PrintTo(const SoundCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.line).toStdString();
}

class AudioTimedSound : public ::testing::TestWithParam<SoundCase>
{
};

TEST_P(AudioTimedSound, IsAskedForAndLastsUntilItsReportedEnd)
{
    const SoundCase &c = GetParam();
    ModelSettings settings;
    settings.audioTimed = true;
    SpeechModel model(settings);
    for (const QString &line : QString::fromUtf16(c.setup).split(u'\r', Qt::SkipEmptyParts))
        ASSERT_EQ(answerTo(model, line, 0), ">\r");
    const QList<SoundRequest> before = model.takeSoundRequests();
    ASSERT_EQ(answerTo(model, QString::fromUtf16(c.line), 1000), ">\r");
    const QList<SoundRequest> requests = model.takeSoundRequests();
    ASSERT_EQ(requests.size(), 1);
    const SoundRequest &sound = requests[0];
    EXPECT_EQ(sound.kind, c.kind);
    EXPECT_EQ(sound.id, before.size() + 1);
    EXPECT_EQ(sound.text, QString::fromUtf16(c.text));
    EXPECT_EQ(sound.chime, c.chime);
    EXPECT_EQ(sound.fallbackMs, c.fallbackMs); // the character-timed busy time
    if (c.kind == SoundRequest::Kind::Speech) {
        EXPECT_EQ(sound.speed, c.speed);
    }

    // Busy, however long, until the length is known; then until the end reported.
    EXPECT_EQ(answerTo(model, "STT", 1000 + 100000), "stt 1\r");
    model.soundTimed(sound.id + 1, 2000); // no such sound
    EXPECT_EQ(model.busyUntilMs(), SpeechModel::untilTimed);
    model.soundTimed(sound.id, 200000);
    EXPECT_EQ(answerTo(model, "STT", 199999), "stt 1\r");
    EXPECT_EQ(answerTo(model, "STT", 200000), "stt 0\r");
    model.soundTimed(sound.id, 300000); // a late second report changes nothing
    EXPECT_EQ(model.busyUntilMs(), 200000);
    EXPECT_TRUE(model.takeSoundRequests().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Commands,
    AudioTimedSound,
    ::testing::Values(
        SoundCase{u"", u"MSGあいうえお", SoundRequest::Kind::Speech, u"あいうえお", 0, 100, 400},
        SoundCase{u"SPD50", u"MSGｱｲｰ'", SoundRequest::Kind::Speech, u"ｱｲｰ'", 0, 50, 640},
        SoundCase{u"SPD300\rEEP07カタカナ",
                  u"SEL07",
                  SoundRequest::Kind::Speech,
                  u"カタカナ",
                  0,
                  300,
                  106},
        SoundCase{u"", u"SSD01", SoundRequest::Kind::Chime, u"", 1, 100, 500},
        SoundCase{u"SPD200", u"SSD02", SoundRequest::Kind::Chime, u"", 2, 100, 500}));

TEST(AudioTimedSound, StopCutsTheSoundShortAndIsHandedOn)
{
    ModelSettings settings;
    settings.audioTimed = true;
    SpeechModel model(settings);
    ASSERT_EQ(answerTo(model, "MSGあいうえお", 0), ">\r");
    EXPECT_EQ(answerTo(model, "BAD", 10), "?\r");
    ASSERT_EQ(model.takeSoundRequests().size(), 1);
    EXPECT_EQ(answerTo(model, "CLR0", 20), ">\r");
    const QList<SoundRequest> stop = model.takeSoundRequests();
    ASSERT_EQ(stop.size(), 1);
    EXPECT_EQ(stop[0].kind, SoundRequest::Kind::Stop);
    EXPECT_EQ(stop[0].id, 1);
    EXPECT_FALSE(model.errorLatched());
    EXPECT_EQ(answerTo(model, "STT", 20), "stt 0\r");
    model.soundTimed(1, 5000); // the cut sound's length comes too late to matter
    EXPECT_FALSE(model.isBusy(20));

    // Nothing to stop: after the end, while storing, or a second time.
    ASSERT_EQ(answerTo(model, "SSD01", 100), ">\r");
    model.soundTimed(2, 600);
    ASSERT_EQ(answerTo(model, "EEP01あ", 600), ">\r");
    EXPECT_EQ(answerTo(model, "CLR0", 700), ">\r");
    EXPECT_EQ(answerTo(model, "STT", 700), "stt 1\r");
    EXPECT_EQ(answerTo(model, "CLR0", 900), ">\r");
    EXPECT_EQ(model.takeSoundRequests().size(), 1); // the chime only
}

} // namespace
