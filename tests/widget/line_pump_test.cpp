// The speak request, the line pump and the activity icon, tick by tick, with a recording
// serial control and message box.
#include "support/form_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

const QString idleReply = QStringLiteral("stt 0\r");
const QString speakingReply = QStringLiteral("stt 1\r");
const QString errorReply = QStringLiteral("stt-1\r");
const QString poll = QStringLiteral("STT\r");
const QString clear = QStringLiteral("CLR0\r");

class LinePump : public FormTest
{
protected:
    void SetUp() override
    {
        work.copyData();
        createForm();
        openPort();
    }

    // Puts the text into the send box and presses 発話.
    void speak(const QString &text)
    {
        form->setText1_Text(text);
        form->Command10_Click();
    }
    // One tick of the pump; returns what it wrote.
    QStringList tick(const QString &received)
    {
        form->Rcv_dat = received;
        serial->written.clear();
        form->Timer1_Timer();
        return serial->written;
    }
    QString text2() const { return control<QLineEdit>("Text2")->text(); }
    QImage picture() const { return control<QLabel>("Picture1")->pixmap().toImage(); }
    QImage icon(const char *name) const
    {
        return QImage(work.file(QStringLiteral("icon/") + QLatin1String(name)))
            .convertToFormat(picture().format());
    }
};

struct DecisionRow
{
    const char *name;
    qint16 stop;
    const QString &received;
    QStringList writes;
    bool text2Set;
    qint16 sndFlgAfter;
    qint16 stopAfter;
    int boxes;
};

TEST_F(LinePump, EveryRowOfTheDecisionTable)
{
    const QString versionReply = QStringLiteral("ver 1.00\r");
    const QString capitals = QStringLiteral("STT 0\r");
    const QString empty;
    const QString otherReply = QStringLiteral("stt 2\r");
    const QString line0 = QStringLiteral("MSGa\r");
    const DecisionRow rows[] = {
        {"none: empty", 0, empty, {poll}, false, 1, 0, 0},
        {"none: version", 0, versionReply, {poll}, false, 1, 0, 0},
        {"none: capitals", 1, capitals, {poll}, false, 1, 1, 0},
        {"running idle", 0, idleReply, {line0}, true, 1, 0, 0},
        {"running speaking", 0, speakingReply, {poll}, true, 1, 0, 0},
        {"running error", 0, errorReply, {clear, poll}, true, 1, 1, 1},
        {"running other", 0, otherReply, {poll}, true, 1, 0, 0},
        {"stopping idle", 1, idleReply, {}, true, 0, 1, 0},
        {"stopping speaking", 1, speakingReply, {poll}, true, 1, 1, 0},
        {"stopping error", 1, errorReply, {line0}, true, 1, 1, 0},
        {"stopping other", 1, otherReply, {line0}, true, 1, 1, 0},
    };
    for (const DecisionRow &row : rows) {
        SCOPED_TRACE(row.name);
        speak(QStringLiteral("MSGa\r\nMSGb\r\n"));
        form->Stop_flg = row.stop;
        control<QLineEdit>("Text2")->setText(QStringLiteral("before"));
        boxes.boxes.clear();
        EXPECT_EQ(tick(row.received), row.writes);
        EXPECT_EQ(text2(), row.text2Set ? row.received : QStringLiteral("before"));
        EXPECT_EQ(form->Snd_flg, row.sndFlgAfter);
        EXPECT_EQ(form->Stop_flg, row.stopAfter);
        ASSERT_EQ(boxes.boxes.size(), row.boxes);
        if (row.boxes) {
            EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("送信データに誤りがあります"));
            EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
            EXPECT_EQ(boxes.boxes[0].buttons, 16);
        }
    }
}

TEST_F(LinePump, NothingHappensWithoutARun)
{
    control<QLineEdit>("Text2")->setText(QStringLiteral("before"));
    for (const QString &received : {QString(), idleReply, speakingReply, errorReply}) {
        EXPECT_TRUE(tick(received).isEmpty());
        EXPECT_EQ(text2(), QStringLiteral("before"));
    }
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(LinePump, LineStepTable)
{
    speak(QStringLiteral("MSGa\r\nMSGb\r\n"));
    ASSERT_EQ(form->Snd_max, 2);
    const struct
    {
        qint16 count;
        qint16 repeat;
        QStringList writes;
        qint16 countAfter;
        qint16 sndFlgAfter;
    } rows[] = {
        {0, 0, {QStringLiteral("MSGa\r")}, 1, 1},
        {1, 1, {QStringLiteral("MSGb\r")}, 2, 1},
        {2, 1, {}, 0, 1},
        {2, 0, {}, 2, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.count * 10 + row.repeat);
        form->Snd_flg = 1;
        form->Snd_cnt = row.count;
        form->Rep_flg = row.repeat;
        EXPECT_EQ(tick(idleReply), row.writes);
        EXPECT_EQ(form->Snd_cnt, row.countAfter);
        EXPECT_EQ(form->Snd_flg, row.sndFlgAfter);
    }
}

TEST_F(LinePump, TheTwoLineExampleTickForTick)
{
    speak(QStringLiteral("MSGa\r\nMSGb\r\n"));
    const struct
    {
        QString received;
        QStringList writes;
        qint16 countAfter;
        qint16 sndFlgAfter;
    } ticks[] = {
        {QString(), {poll}, 0, 1},
        {idleReply, {QStringLiteral("MSGa\r")}, 1, 1},
        {QStringLiteral(">\r"), {poll}, 1, 1},
        {speakingReply, {poll}, 1, 1},
        {idleReply, {QStringLiteral("MSGb\r")}, 2, 1},
        {speakingReply, {poll}, 2, 1},
        {idleReply, {}, 2, 0},
        {idleReply, {}, 2, 0},
    };
    int number = 0;
    for (const auto &step : ticks) {
        SCOPED_TRACE(++number);
        EXPECT_EQ(tick(step.received), step.writes);
        EXPECT_EQ(form->Snd_cnt, step.countAfter);
        EXPECT_EQ(form->Snd_flg, step.sndFlgAfter);
    }
    EXPECT_EQ(picture(), icon("MISC13.ICO"));
}

TEST_F(LinePump, FirstTickActsOnWhateverReplyIsThere)
{
    form->Rcv_dat = idleReply;
    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(form->Rcv_dat, idleReply);
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});

    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(tick(QString()), QStringList{poll});

    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(tick(errorReply), (QStringList{clear, poll}));
    EXPECT_EQ(boxes.boxes.size(), 1);
}

TEST_F(LinePump, UnchangedIdleReplySendsOneLinePerTick)
{
    // In the send box a lone LF is a line break like CR LF, so every line keeps a CR.
    speak(QStringLiteral("MSG1\r\n\r\nMSG3\nMSG4"));
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSG1\r")});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("\r")});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSG3\r")});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSG4\r")});
    // The empty last element is never written.
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
}

TEST_F(LinePump, RepeatStartsTheListAgain)
{
    control<QCheckBox>("Check1")->click();
    EXPECT_EQ(form->Rep_flg, 1);
    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_cnt, 0);
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
    // Unchecked before the list is exhausted: the run ends there.
    control<QCheckBox>("Check1")->click();
    EXPECT_EQ(form->Rep_flg, 0);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
}

TEST_F(LinePump, StopInEverySituation)
{
    // No run: nothing, and the next press clears the request.
    form->Command18_Click();
    EXPECT_EQ(form->Stop_flg, 1);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    speak(QStringLiteral("MSGa\r\nMSGb"));
    EXPECT_EQ(form->Stop_flg, 0);
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});

    // Module speaking: polls go on until idle, then the run ends with no further line.
    form->Command18_Click();
    EXPECT_EQ(tick(speakingReply), QStringList{poll});
    EXPECT_EQ(tick(QStringLiteral(">\r")), QStringList{poll});
    EXPECT_EQ(tick(speakingReply), QStringList{poll});
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);

    // Module idle: the next tick ends the run.
    speak(QStringLiteral("MSGa\r\nMSGb"));
    form->Command18_Click();
    form->Command18_Click();
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);

    // An error or other status reply: a line step as on an idle reply.
    speak(QStringLiteral("MSGa\r\nMSGb"));
    form->Command18_Click();
    EXPECT_EQ(tick(errorReply), QStringList{QStringLiteral("MSGa\r")});
    EXPECT_EQ(tick(QStringLiteral("stt 9\r")), QStringList{QStringLiteral("MSGb\r")});
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(LinePump, ARejectedPressLeavesTheRunAsItWas)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(idleReply);
    form->Command18_Click();
    for (const char *text : {"msga", "", "\r\nMSGa", "MS"}) {
        speak(QString::fromLatin1(text));
        EXPECT_EQ(form->Snd_cnt, 1);
        EXPECT_EQ(form->Snd_max, 2);
        EXPECT_EQ(form->Snd_flg, 1);
        EXPECT_EQ(form->Stop_flg, 1);
        EXPECT_EQ(form->Snd_dat, (QStringList{"MSGa\r", "MSGb\r", ""}));
    }
    ASSERT_EQ(boxes.boxes.size(), 4);
    EXPECT_EQ(boxes.boxes[3].prompt, QStringLiteral("送信データに誤りがあります"));
    EXPECT_EQ(boxes.boxes[3].title, QStringLiteral("Error"));
}

TEST_F(LinePump, ANewPressRestartsFromTheNewFirstLine)
{
    speak(QStringLiteral("MSGa\r\nMSGb\r\nMSGc"));
    tick(idleReply);
    form->Command18_Click();
    speak(QStringLiteral("MSGx\r\nMSGy"));
    EXPECT_EQ(form->Stop_flg, 0);
    EXPECT_EQ(form->Snd_cnt, 0);
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGx\r")});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGy\r")});
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
}

TEST_F(LinePump, OneBoxPerErrorEvenWhenTicksComeWhileItIsOpen)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    QStringList writtenWhileOpen;
    bool open = false;
    boxes.whileOpen = [&](const MessageBoxRecorder::Box &) {
        // A second box would open inside this one; it must not, and must not recurse.
        if (open)
            return;
        open = true;
        // The box's own event loop lets the timers tick: run it for a few ticks and
        // call the handler directly too.
        const qsizetype before = serial->written.size();
        form->Timer1->start();
        QTest::qWait(350);
        form->Timer1_Timer();
        form->Timer1->stop();
        writtenWhileOpen = serial->written.mid(before);
    };
    EXPECT_EQ(tick(errorReply), (QStringList{clear, poll}));
    EXPECT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(writtenWhileOpen.isEmpty());
    EXPECT_EQ(form->Stop_flg, 1);
    EXPECT_EQ(form->Snd_flg, 1);
    // The error reply still there on the next tick: a line step, no second box.
    EXPECT_EQ(tick(errorReply), QStringList{QStringLiteral("MSGa\r")});
    EXPECT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
}

TEST_F(LinePump, ErrorPathShowsTheReplyAtTheEnd)
{
    speak(QStringLiteral("MSGa"));
    boxes.whileOpen = [&](const MessageBoxRecorder::Box &) {
        form->Rcv_dat = QStringLiteral(">\r");
    };
    tick(errorReply);
    EXPECT_EQ(text2(), QStringLiteral(">\r"));
}

TEST_F(LinePump, TooManyLinesAreRefusedWhole)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(idleReply);
    boxes.boxes.clear();
    QString big = QStringLiteral("MSGa\r\n").repeated(32767);
    speak(big.chopped(2));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(form->Snd_max, 32767);

    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(idleReply);
    speak(big + QStringLiteral("MSGz"));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(boxes.boxes[0].prompt.contains(QStringLiteral("32767")));
    EXPECT_EQ(form->Snd_max, 2);
    EXPECT_EQ(form->Snd_cnt, 1);
}

TEST_F(LinePump, IconFollowsTheModuleDuringARunOnly)
{
    auto iconTick = [&](const QString &received) {
        form->Rcv_dat = received;
        form->Timer2_Timer();
        return picture();
    };
    const QImage idle = icon("MISC13.ICO");
    const QImage speaking = icon("MISC15.ICO");
    ASSERT_FALSE(idle.isNull());
    ASSERT_NE(idle, speaking);
    EXPECT_EQ(picture(), idle);
    EXPECT_EQ(iconTick(speakingReply), idle);

    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(iconTick(speakingReply), speaking);
    for (const QString &received :
         {errorReply, QStringLiteral("ver 1.00\r"), QString(), QStringLiteral("stt 2")})
        EXPECT_EQ(iconTick(received), speaking);
    EXPECT_EQ(iconTick(idleReply), idle);
}

TEST_F(LinePump, MissingIconsKeepThePictureAndTheRunStillEnds)
{
    speak(QStringLiteral("MSGa"));
    form->Rcv_dat = speakingReply;
    form->Timer2_Timer();
    const QImage speaking = picture();
    QDir(work.file("icon")).removeRecursively();
    form->Rcv_dat = idleReply;
    form->Timer2_Timer();
    EXPECT_EQ(picture(), speaking);
    tick(idleReply);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(picture(), speaking);
}

TEST_F(LinePump, IconsAreLookedUpUnderTheCurrentDirectoryEachTime)
{
    ScopedWorkDir elsewhere;
    elsewhere.write("icon/MISC15.ICO", work.read("icon/MISC13.ICO"));
    speak(QStringLiteral("MSGa"));
    form->Rcv_dat = speakingReply;
    form->Timer2_Timer();
    EXPECT_EQ(picture(), icon("MISC13.ICO"));
}

TEST_F(LinePump, CloseDuringARunKeepsItArmed)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(idleReply);
    form->Command6_Click();
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 1);
    EXPECT_EQ(form->Snd_cnt, 2);
}

} // namespace
