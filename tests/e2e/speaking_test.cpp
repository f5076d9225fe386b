// Speaking a list of lines through the simulated module: the order and bytes of the lines,
// the pacing by idle replies, repeat and stop, and an error reply from the module.
#include "support/console_fixture.h"
#include "text/cp932.h"

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

TEST_F(Speaking, EachLineWaitsForAnIdleReportOfItsOwn)
{
    const QString text = QStringLiteral("MSGあいう\r\n\r\nMSGｶｷｸ、かきく\r\n");
    const QList<QByteArray> lines{
        cp932::encode(u"MSGあいう\r"), "\r", cp932::encode(u"MSGｶｷｸ、かきく\r")};
    // Modules that acknowledge, that do not, that answer in pieces, that report being busy
    // in words of their own, that answer late, later than the poll time-out or at random
    // (a line sent while the module still speaks latches its error), that end their
    // replies with LF or nothing, that lose every other or a tenth of the status replies,
    // that send status unasked behind latency, and that pause inside every reply. Where
    // status is lost or unasked the n-th status reply answers no longer the n-th poll: a
    // line sent while busy still shows as the module's error.
    const QStringList modules[]
        = {{"--char-ms", "5"},
           {"--char-ms", "5", "--quiet"},
           {"--char-ms", "5", "--split"},
           {"--char-ms", "5", "--busy-status", "stt 2"},
           {"--char-ms", "100", "--reply-delay", "250"},
           {"--char-ms", "100", "--reply-delay", "1200"},
           {"--char-ms", "100", "--reply-delay", "2500"},
           {"--char-ms", "100", "--reply-jitter", "0-1500"},
           {"--char-ms", "5", "--reply-end", "lf"},
           {"--char-ms", "5", "--reply-end", "none"},
           {"--char-ms", "100", "--lose-every", "2"},
           {"--char-ms", "100", "--lose-percent", "10"},
           {"--char-ms", "100", "--unasked-status", "100", "--reply-delay", "300"},
           {"--char-ms", "5", "--trickle", "300"}};
    for (const QStringList &arguments : modules) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const bool pairedByCount = !arguments.contains(QStringLiteral("--lose-every"))
                                   && !arguments.contains(QStringLiteral("--lose-percent"))
                                   && !arguments.contains(QStringLiteral("--unasked-status"));
        form->Command6_Click();
        sim.reset();
        sim = std::make_unique<SimModule>(arguments);
        form->Command5_Click();
        speak(text);
        ASSERT_TRUE(waitForRunEnd(30000));
        EXPECT_EQ(linesReceived(), lines);
        // The module answers the n-th poll with its n-th status reply. Every line, and the
        // end of the run, follow an idle reply to a poll written after the line before.
        QByteArray said, heard;
        qsizetype scanned = 0;
        int polls = 0, answered = 0, pollsAtLine = 0, spoken = 0;
        bool idleSinceLine = false;
        for (const SimLogRecord &record : sim->log()) {
            (record.in ? heard : said) += record.bytes;
            for (qsizetype at; (at = said.indexOf("stt", scanned)) >= 0 && at + 5 <= said.size();
                 scanned = at + 5)
                idleSinceLine |= ++answered > pollsAtLine && said.mid(at, 5) == "stt 0";
            // Command by command: a busy machine may hand two writes over in one read.
            for (qsizetype end; (end = heard.indexOf('\r')) >= 0; heard.remove(0, end + 1)) {
                if (heard.first(end) == "STT") {
                    ++polls;
                    continue;
                }
                ++spoken;
                EXPECT_TRUE(idleSinceLine || !pairedByCount)
                    << "line " << spoken << " after " << polls << " polls";
                idleSinceLine = false;
                pollsAtLine = polls;
            }
        }
        EXPECT_EQ(spoken, 3);
        EXPECT_TRUE(idleSinceLine || !pairedByCount);
        EXPECT_TRUE(boxes.boxes.isEmpty());
    }
    EXPECT_EQ(form->Text1_Text(), text);
}

TEST_F(SlowSpeaking, CloseMidRunHoldsItAndOpenGoesOnWithAPoll)
{
    const QList<QByteArray> lines{cp932::encode(u"MSGあいうえお\r"),
                                  cp932::encode(u"MSGかきくけこ\r")};
    speak(QStringLiteral("MSGあいうえお\r\nMSGかきくけこ"));
    ASSERT_TRUE(sim->waitForReceived(lines[0], 5000));
    form->findChild<QPushButton *>(QStringLiteral("Command6"))->click();
    const qsizetype heard = sim->received().size();
    sim->waitUntil([] { return false; }, 500);
    EXPECT_EQ(sim->received().size(), heard);
    EXPECT_EQ(form->Snd_flg, 1);
    form->findChild<QPushButton *>(QStringLiteral("Command5"))->click();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(linesReceived(), lines);
    EXPECT_TRUE(sim->received().mid(heard).startsWith("STT\r"));
}

TEST_F(SlowSpeaking, StoppingSendsNoFurtherLineWhateverTheModuleReports)
{
    const QString text = QStringLiteral("MSGあいうえお\r\nMSGかきくけこ\r\nMSGさしすせそ");
    const QByteArray first = cp932::encode(u"MSGあいうえお\r");
    // While busy the module reports an error, then something neither idle nor speaking:
    // the first stops the run through the error box, the second through 中止.
    const struct
    {
        const char *busyStatus;
        int boxes;
    } rows[] = {{"stt-1", 1}, {"stt 2", 0}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.busyStatus);
        form->Command6_Click();
        sim.reset();
        sim = std::make_unique<SimModule>(
            QStringList{"--char-ms", "40", "--busy-status", row.busyStatus});
        form->Command5_Click();
        boxes.boxes.clear();
        speak(text);
        ASSERT_TRUE(sim->waitUntil(
            [&] { return form->Stop_flg == 1 || form->Rcv_dat.startsWith(u"stt 2"); }, 5000));
        if (row.boxes == 0)
            form->findChild<QPushButton *>(QStringLiteral("Command18"))->click();
        ASSERT_TRUE(waitForRunEnd());
        EXPECT_EQ(sim->received().count("MSG"), 1);
        EXPECT_TRUE(sim->received().contains(first));
        EXPECT_EQ(boxes.boxes.size(), row.boxes);
    }
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
