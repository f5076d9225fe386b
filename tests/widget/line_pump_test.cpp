// The speak request, the line pump and the activity icon, tick by tick, with a recording
// serial control and message box.
#include "support/form_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
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

    // Puts the text into the send box and presses 発話; the test drives the ticks.
    void speak(const QString &text)
    {
        form->setText1_Text(text);
        form->Command10_Click();
        form->Timer1->stop();
        form->Timer2->stop();
    }
    // The reply arrives from the module, then the pump ticks; returns what it wrote. An
    // acknowledging module has acknowledged the command of the tick before first.
    bool acknowledging = true;
    bool wroteCommand = false;
    QStringList tick(const QString &received)
    {
        if (std::exchange(wroteCommand, false) && acknowledging)
            serial->deliver(QStringLiteral(">\r"));
        if (received.isEmpty())
            form->Rcv_dat.clear();
        else
            serial->deliver(received);
        serial->written.clear();
        form->Timer1_Timer();
        for (const QString &text : std::as_const(serial->written))
            wroteCommand = wroteCommand || (text != poll && text != QStringLiteral("\r"));
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
    bool lineSent; // the first line went out on an idle reply before this tick
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
    // Each row's reply answers the poll written after 発話 (or, after a line, comes
    // unasked). Stopping writes no further line and ends only on an idle reply; an idle
    // reply that came before any poll after the last line is used up; while the poll is
    // unanswered nothing more is written.
    const DecisionRow rows[] = {
        {"none: empty", 0, false, empty, {}, false, 1, 0, 0},
        {"none: version", 0, false, versionReply, {}, false, 1, 0, 0},
        {"none: capitals", 1, false, capitals, {}, false, 1, 1, 0},
        {"running idle", 0, false, idleReply, {line0}, true, 1, 0, 0},
        {"running idle used up", 0, true, idleReply, {poll}, true, 1, 0, 0},
        {"running speaking", 0, false, speakingReply, {poll}, true, 1, 0, 0},
        {"running error", 0, false, errorReply, {clear, poll}, true, 1, 1, 1},
        {"running other", 0, false, otherReply, {poll}, true, 1, 0, 0},
        {"stopping idle", 1, false, idleReply, {}, true, 0, 1, 0},
        {"stopping idle used up", 1, true, idleReply, {poll}, true, 1, 1, 0},
        {"stopping speaking", 1, false, speakingReply, {poll}, true, 1, 1, 0},
        {"stopping error", 1, false, errorReply, {poll}, true, 1, 1, 0},
        {"stopping other", 1, false, otherReply, {poll}, true, 1, 1, 0},
    };
    for (const DecisionRow &row : rows) {
        SCOPED_TRACE(row.name);
        createForm();
        openPort();
        speak(QStringLiteral("MSGa\r\nMSGb\r\n"));
        ASSERT_EQ(tick(QString()), QStringList{poll});
        if (row.lineSent) {
            ASSERT_EQ(tick(idleReply), QStringList{line0});
        }
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
    tick(speakingReply);
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
        // Each row on a fresh idle report: one that answers a poll written after the
        // row before.
        tick(speakingReply);
        EXPECT_EQ(tick(idleReply), row.writes);
        EXPECT_EQ(form->Snd_cnt, row.countAfter);
        EXPECT_EQ(form->Snd_flg, row.sndFlgAfter);
    }
}

TEST_F(LinePump, TheTwoLineExampleTickForTick)
{
    acknowledging = false;
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
        {QStringLiteral(">\rstt 1\r"), {poll}, 2, 1},
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

TEST_F(LinePump, TheFirstLineWaitsForAnIdleReplyToAPollAfterTheRequest)
{
    // An idle reply at hand from before 発話, or one that answers a poll written before it,
    // says nothing of the module now.
    form->Rcv_dat = idleReply;
    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(tick(idleReply), QStringList{poll});
    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(tick(errorReply), QStringList{poll});
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
}

TEST_F(LinePump, OnePollInFlightUntilItsReplyOrTheTimeOut)
{
    acknowledging = false;
    QSignalSpy notes(form.get(), &Form1::pumpNote);
    QSignalSpy answered(form.get(), &Form1::statusAnswered);
    form->pumpClock().simulate();
    speak(QStringLiteral("MSGa\r\nMSGb"));
    EXPECT_EQ(tick(QString()), QStringList{poll});
    // A module that answers late: the acknowledgement of something else is no answer.
    EXPECT_TRUE(tick(QStringLiteral(">\r")).isEmpty());
    EXPECT_TRUE(tick(QString()).isEmpty());
    // No answer within the time-out: the poll is taken as lost, noted, and the next goes.
    form->pumpClock().advance(StatusPolls::timeoutMs);
    EXPECT_EQ(tick(QString()), QStringList{poll});
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0][0].toString(), QStringLiteral("POLL-TIMEOUT"));
    EXPECT_TRUE(tick(QString()).isEmpty());
    // Two replies in one arrival: the status among them answers the first poll, however late.
    EXPECT_EQ(tick(QStringLiteral(">\rstt 0\r")), QStringList{QStringLiteral("MSGa\r")});
    // The second poll, written before the line, still waits; a reply has come, so the next
    // goes. The second's late idle reply says nothing of the line; the third's does.
    EXPECT_EQ(tick(QString()), QStringList{poll});
    EXPECT_EQ(tick(idleReply), QStringList{poll});
    EXPECT_EQ(tick(QStringLiteral(">\rstt 1\r")), QStringList{poll});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGb\r")});
    EXPECT_EQ(notes.size(), 1);
    ASSERT_EQ(answered.size(), 4);
    EXPECT_EQ(answered[3][1].toULongLong(), 4u);
}

TEST_F(LinePump, AnAcknowledgementGivesUpThePollsWrittenBeforeItsLine)
{
    acknowledging = false;
    QStringList notes;
    QObject::connect(form.get(), &Form1::pumpNote, [&](const QString &kind) { notes << kind; });
    QSignalSpy refused(form.get(), &Form1::commandRefused);
    form->pumpClock().simulate();
    speak(QStringLiteral("MSGa\r\nMSGb"));
    // The first poll's reply is lost; the second's answers the first, however late.
    EXPECT_EQ(tick(QString()), QStringList{poll});
    form->pumpClock().advance(StatusPolls::timeoutMs);
    EXPECT_EQ(tick(QString()), QStringList{poll});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
    EXPECT_EQ(tick(QString()), QStringList{poll});
    // The line's acknowledgement shows the poll written before it lost: the next reply
    // answers the poll written after the line, and lets the next line go.
    EXPECT_TRUE(tick(QStringLiteral(">\r")).isEmpty());
    EXPECT_EQ(notes.last(), QStringLiteral("POLLS-LOST"));
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGb\r")});
    // A '?' lands on the command it answers.
    tick(QStringLiteral("?\r"));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_EQ(refused[0][0].toString(), QStringLiteral("MSGb"));
    EXPECT_EQ(refused[0][1].toInt(), 1);
    EXPECT_TRUE(form->runHadRefusal());
}

TEST_F(LinePump, PollsAreLostOnlyOnceTheLineIsSeenQuietPastTheLimitAtTwoPollsInARow)
{
    QStringList notes;
    QObject::connect(form.get(), &Form1::pumpNote, [&](const QString &kind) { notes << kind; });
    form->setLateReplyLimitMs(1000);
    form->pumpClock().simulate();
    speak(QStringLiteral("MSGa"));
    tick(QString());
    // An acknowledgement is not quiet; then quiet past the limit at one poll, and the next.
    for (const QString &received : {QStringLiteral(">\r"), QString(), QString()}) {
        form->pumpClock().advance(StatusPolls::timeoutMs);
        EXPECT_EQ(tick(received), QStringList{poll});
    }
    EXPECT_EQ(notes, (QStringList{"POLL-TIMEOUT", "POLL-TIMEOUT", "POLL-TIMEOUT", "POLLS-LOST"}));
    // The count started again: the reply answers the poll written after the loss.
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
}

TEST_F(LinePump, EachIdleReportLetsOneLineGo)
{
    // A module that does not acknowledge lines: the idle report that let a line go is used
    // up, so a poll goes between every two lines. In the send box a lone LF is a line break
    // like CR LF, so every line keeps a CR.
    // Its first line's acknowledgement is waited for a poll time-out, once.
    acknowledging = false;
    form->pumpClock().simulate();
    speak(QStringLiteral("MSG1\r\n\r\nMSG3\nMSG4"));
    EXPECT_EQ(tick(QString()), QStringList{poll});
    for (const char *line : {"MSG1\r", "\r", "MSG3\r", "MSG4\r"}) {
        EXPECT_EQ(tick(idleReply), QStringList{QString::fromLatin1(line)});
        form->pumpClock().advance(StatusPolls::timeoutMs);
        EXPECT_EQ(tick(idleReply), QStringList{poll});
    }
    // The empty last element is never written.
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(form->runOutcome(), RunOutcome::Spoken);
}

TEST_F(LinePump, RepeatStartsTheListAgain)
{
    control<QCheckBox>("Check1")->click();
    EXPECT_EQ(form->Rep_flg, 1);
    speak(QStringLiteral("MSGa"));
    EXPECT_EQ(tick(QString()), QStringList{poll});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
    EXPECT_EQ(tick(idleReply), QStringList{poll});
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_cnt, 0);
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGa\r")});
    // Unchecked before the list is exhausted: the run ends there.
    control<QCheckBox>("Check1")->click();
    EXPECT_EQ(form->Rep_flg, 0);
    EXPECT_EQ(tick(idleReply), QStringList{poll});
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
}

TEST_F(LinePump, StopInEverySituation)
{
    acknowledging = false;
    const QString lineA = QStringLiteral("MSGa\r");
    // No run: nothing, and the next press clears the request.
    form->Command18_Click();
    EXPECT_EQ(form->Stop_flg, 1);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    speak(QStringLiteral("MSGa\r\nMSGb"));
    EXPECT_EQ(form->Stop_flg, 0);
    tick(QString());
    EXPECT_EQ(tick(idleReply), QStringList{lineA});

    // Module speaking: polls go on until idle, then the run ends with no further line.
    form->Command18_Click();
    EXPECT_EQ(tick(speakingReply), QStringList{poll});
    EXPECT_TRUE(tick(QStringLiteral(">\r")).isEmpty());
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(form->runOutcome(), RunOutcome::Stopped);

    // Stopped right after a line went out: the idle report that let it go does not end
    // the run while the module speaks that line; the next one does.
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(QString());
    EXPECT_EQ(tick(idleReply), QStringList{lineA});
    form->Command18_Click();
    EXPECT_EQ(tick(idleReply), QStringList{poll});
    EXPECT_TRUE(tick(QStringLiteral(">\rstt 0\r")).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);

    // An error or other status reply while stopping: polled past, no line, no box.
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(QString());
    tick(idleReply);
    form->Command18_Click();
    EXPECT_EQ(tick(errorReply), QStringList{poll});
    EXPECT_EQ(tick(QStringLiteral("stt 9\r")), QStringList{poll});
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(form->Snd_cnt, 1);

    // 中止 again while stopping: the run ends at once, without an idle report; but the
    // second press of a double click is the same press.
    form->Command18_Click();
    EXPECT_EQ(form->Snd_flg, 1);
    QTest::qWait(QApplication::doubleClickInterval() + 10);
    form->Command18_Click();
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(form->runOutcome(), RunOutcome::Abandoned);
    EXPECT_EQ(picture(), icon("MISC13.ICO"));
    EXPECT_TRUE(tick(QStringLiteral("stt 9\r")).isEmpty());
}

TEST_F(LinePump, ARejectedPressLeavesTheRunAsItWas)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(QString());
    tick(idleReply);
    form->Command18_Click();
    const QStringList refused = {"msga", "", "\r\nMSGa", "MS", QStringLiteral("MSGa\r\nMSG한")};
    for (const QString &text : refused) {
        speak(text);
        EXPECT_EQ(form->Snd_cnt, 1);
        EXPECT_EQ(form->Snd_max, 2);
        EXPECT_EQ(form->Snd_flg, 1);
        EXPECT_EQ(form->Stop_flg, 1);
        EXPECT_EQ(form->Snd_dat, (QStringList{"MSGa\r", "MSGb\r", ""}));
    }
    ASSERT_EQ(boxes.boxes.size(), 5);
    EXPECT_EQ(boxes.boxes[3].prompt, QStringLiteral("送信データに誤りがあります"));
    EXPECT_EQ(boxes.boxes[3].title, QStringLiteral("Error"));
    // A character the code page lacks is named, with its line.
    EXPECT_EQ(boxes.boxes[4].prompt,
              QStringLiteral("送信データにシフトJISで送れない文字があります\n2行目: 한 (U+D55C)"));
}

TEST_F(LinePump, ANewPressRestartsFromTheNewFirstLine)
{
    speak(QStringLiteral("MSGa\r\nMSGb\r\nMSGc"));
    tick(QString());
    tick(idleReply);
    form->Command18_Click();
    speak(QStringLiteral("MSGx\r\nMSGy"));
    EXPECT_EQ(form->Stop_flg, 0);
    EXPECT_EQ(form->Snd_cnt, 0);
    EXPECT_EQ(tick(idleReply), QStringList{poll});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGx\r")});
    tick(speakingReply);
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGy\r")});
    tick(speakingReply);
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
        // The box's own event loop lets the timers tick: run it for a few ticks (quickened
        // to one a millisecond) and call the handler directly too.
        const qsizetype before = serial->written.size();
        const int interval = form->Timer1->interval();
        form->Timer1->start(1);
        QTest::qWait(30);
        form->Timer1_Timer();
        form->Timer1->stop();
        form->Timer1->setInterval(interval);
        writtenWhileOpen = serial->written.mid(before);
    };
    tick(QString());
    EXPECT_EQ(tick(errorReply), (QStringList{clear, poll}));
    EXPECT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(writtenWhileOpen.isEmpty());
    // The same while the speak request's box is open, with the run stopping on that reply.
    open = false;
    speak(QStringLiteral("msg"));
    EXPECT_EQ(boxes.boxes.size(), 2);
    EXPECT_TRUE(writtenWhileOpen.isEmpty());
    EXPECT_EQ(form->Stop_flg, 1);
    EXPECT_EQ(form->Snd_flg, 1);
    // The error reply again on the next tick: polled past, no line, no second box.
    EXPECT_EQ(tick(errorReply), QStringList{poll});
    EXPECT_EQ(boxes.boxes.size(), 2);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(form->runOutcome(), RunOutcome::ModuleError);
}

TEST_F(LinePump, ErrorPathShowsTheReplyAtTheEnd)
{
    speak(QStringLiteral("MSGa"));
    boxes.whileOpen = [&](const MessageBoxRecorder::Box &) {
        form->Rcv_dat = QStringLiteral(">\r");
    };
    tick(QString());
    tick(errorReply);
    EXPECT_EQ(text2(), QStringLiteral(">\r"));
}

TEST_F(LinePump, TooManyLinesAreRefusedWhole)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(QString());
    tick(idleReply);
    boxes.boxes.clear();
    QString big = QStringLiteral("MSGa\r\n").repeated(32767);
    speak(big.chopped(2));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(form->Snd_max, 32767);

    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(QString());
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

TEST_F(LinePump, IconsAreReadOnceAndAMissingOneKeepsThePicture)
{
    const QImage idle = icon("MISC13.ICO");
    QFile::remove(work.file("icon/MISC15.ICO"));
    speak(QStringLiteral("MSGa"));
    form->Rcv_dat = speakingReply;
    form->Timer2_Timer();
    EXPECT_EQ(picture(), idle);
    // The idle icon was read at start-up: gone from the disk, it still shows.
    QFile::remove(work.file("icon/MISC13.ICO"));
    tick(QString());
    tick(idleReply);
    tick(speakingReply);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(picture(), idle);
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

TEST_F(LinePump, AClosedPortHoldsTheRunAndOpenGoesOnWithAPoll)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(QString());
    tick(idleReply);
    form->Command6_Click();
    tick(speakingReply);
    EXPECT_TRUE(tick(idleReply).isEmpty());
    EXPECT_EQ(form->Snd_flg, 1);
    EXPECT_EQ(form->Snd_cnt, 1);
    form->Command5_Click();
    EXPECT_EQ(tick(QString()), QStringList{poll});
    EXPECT_EQ(tick(idleReply), QStringList{QStringLiteral("MSGb\r")});
}

TEST_F(LinePump, NothingGoesOutWhileEarlierBytesAreStillLeaving)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(idleReply);
    serial->pendingBytes = 100;
    EXPECT_TRUE(tick(speakingReply).isEmpty());
    serial->pendingBytes = 0;
    EXPECT_EQ(tick(speakingReply), QStringList{poll});
}

TEST_F(LinePump, DeviceLossEndsTheRunAndShowsThePortClosed)
{
    speak(QStringLiteral("MSGa\r\nMSGb"));
    tick(idleReply);
    form->Rcv_dat = speakingReply;
    form->Timer2_Timer();
    serial->setPortOpen(false);
    emit serial->deviceLost(QStringLiteral("gone"));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(form->runOutcome(), RunOutcome::PortLost);
    EXPECT_EQ(picture(), icon("MISC13.ICO"));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMが切断されました"));
    for (const auto &[name, enabled] :
         {std::pair{"Command5", true}, {"Command6", false}, {"Command10", false}})
        EXPECT_EQ(control<QPushButton>(name)->isEnabled(), enabled) << name;
    // One OPEN reconnects, and nothing goes out until the operator asks.
    form->Command5_Click();
    EXPECT_TRUE(tick(idleReply).isEmpty());
}

} // namespace
