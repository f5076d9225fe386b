// Speaking a list of lines through the simulated module: the order and bytes of the lines,
// the pacing by idle replies, repeat and stop, and an error reply from the module.
#include "platform/cp932.h"
#include "support/console_fixture.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

using Speaking = ConsoleOnSim;

// A module that speaks long enough for several status polls per line.
class SlowSpeaking : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--char-ms", "30"}; }
};

TEST_F(Speaking, LinesGoOutInOrderEachAfterAnIdleReply)
{
    speak(QStringLiteral("MSGあいう\r\n\r\nMSGｶｷｸ、かきく\r\n"));
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(linesReceived(),
              (QList<QByteArray>{
                  cp932::encode(u"MSGあいう\r"), "\r", cp932::encode(u"MSGｶｷｸ、かきく\r")}));
    // Every line follows an idle report, which is the last thing the module said before it.
    QByteArray lastAnswer;
    int lines = 0;
    for (const SimLogRecord &record : sim->log()) {
        if (!record.in) {
            lastAnswer = record.bytes;
        } else if (record.bytes != "STT\r") {
            ++lines;
            EXPECT_TRUE(lastAnswer.endsWith("stt 0\r")) << lastAnswer.toStdString();
        }
    }
    EXPECT_EQ(lines, 3);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_EQ(form->Text1_Text(), QStringLiteral("MSGあいう\r\n\r\nMSGｶｷｸ、かきく\r\n"));
}

TEST_F(SlowSpeaking, RepeatLoopsUntilStopThenEndsAtTheNextIdleReport)
{
    form->findChild<QCheckBox *>(QStringLiteral("Check1"))->click();
    const QByteArray line = cp932::encode(u"MSGあいうえおかきくけこ\r");
    speak(QStringLiteral("MSGあいうえおかきくけこ"));
    // Let the list go round a few times, then stop while the module speaks.
    ASSERT_TRUE(sim->waitUntil(
        [&] { return linesReceived().count(line) >= 3 && form->Rcv_dat.startsWith("stt 1"); },
        10000));
    const qsizetype spokenAtStop = linesReceived().size();
    form->findChild<QPushButton *>(QStringLiteral("Command18"))->click();
    ASSERT_TRUE(waitForRunEnd());
    sim->waitUntil([] { return false; }, 300);
    EXPECT_EQ(linesReceived().size(), spokenAtStop);
    EXPECT_EQ(linesReceived(), QList<QByteArray>(spokenAtStop, line));
    // Nothing more is written once the run has ended.
    const qsizetype bytes = sim->received().size();
    sim->waitUntil([] { return false; }, 300);
    EXPECT_EQ(sim->received().size(), bytes);
}

TEST_F(Speaking, AnErrorReplyBringsOneBoxThenClearAndAPollAndTheRunEnds)
{
    speak(QStringLiteral("MSGabc\r\nMSGあ"));
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("送信データに誤りがあります"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
    const QByteArray received = sim->received();
    const qsizetype bad = received.indexOf("MSGabc\r");
    ASSERT_GE(bad, 0);
    EXPECT_GT(received.indexOf("CLR0\rSTT\r", bad), bad);
    // The second line is never spoken: the run ends at the next idle report.
    EXPECT_FALSE(received.contains(cp932::encode(u"MSGあ\r")));
    EXPECT_EQ(form->Stop_flg, 1);
}

} // namespace
