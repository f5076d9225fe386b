// Faults of the module at the far end of the line: it falls silent, answers in pieces, sends
// garbage or a flood of bytes, or reports an error in the middle of a run. Every case ends
// with the window answering a click.
#include "fault_support.h"
#include "support/console_fixture.h"
#include "text/cp932.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <optional>

namespace {

const QString twoLines = QStringLiteral("MSGあいう\r\nMSGかきく\r\n");
const QByteArray firstLine = cp932::encode(u"MSGあいう\r");
const QByteArray secondLine = cp932::encode(u"MSGかきく\r");

using SilentLine = ConsoleOnModule;

TEST_F(SilentLine, TheRunIsPolledOnceATimeOutAndAStopWaitsForTheNextIdleReport)
{
    QElapsedTimer elapsed;
    elapsed.start();
    speak(twoLines);
    ASSERT_TRUE(QTest::qWaitFor([&] { return module.countOf("STT\r") >= 3; }, 5000));
    // One poll in flight: an unanswered one is followed by the next after the time-out,
    // and nothing else goes out: no reply means no leave to speak.
    const qint64 timeOuts = elapsed.elapsed() / StatusPolls::timeoutMs;
    EXPECT_LE(module.countOf("STT\r"), timeOuts + 1);
    EXPECT_GE(module.countOf("STT\r"), timeOuts);
    EXPECT_TRUE(module.linesWithoutPolls().isEmpty());
    EXPECT_TRUE(boxes.boxes.isEmpty());

    // 中止 with no status report at hand: the pump goes on polling and the run stays armed
    // until the module reports idle again.
    button("Command18")->click();
    const qsizetype pollsAtStop = module.countOf("STT\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return module.countOf("STT\r") >= pollsAtStop + 2; }, 5000));
    EXPECT_EQ(form->Snd_flg, 1);
    EXPECT_EQ(form->Stop_flg, 1);

    // The status query gets no answer: its box keeps its text and the pump goes on.
    auto *text2 = form->findChild<QLineEdit *>(QStringLiteral("Text2"));
    const QString shownBefore = text2->text();
    button("Command15")->click();
    EXPECT_EQ(text2->text(), shownBefore);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(chimeReaches(*form, module));

    // The module comes back: speaking for three polls, then idle. The run ends at the idle
    // report without a line spoken.
    int speakingReports = 0;
    module.answer = [&](const QByteArray &line) -> QByteArray {
        if (line != "STT\r")
            return {};
        return speakingReports++ < 3 ? "stt 1\r" : "stt 0\r";
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Snd_flg == 0; }, 5000));
    EXPECT_GE(speakingReports, 4);
    EXPECT_EQ(module.linesWithoutPolls(), QList<QByteArray>{"SSD01\r"});
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

class SilentSim : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--silent"}; }
};

TEST_F(SilentSim, QueriesKeepTheShownAnswerAndLeaveThePumpAsItWas)
{
    const struct
    {
        const char *button;
        const char *box;
        QByteArray command;
    } rows[] = {
        {"Command19", "Text3", "VER\r"},
        {"Command15", "Text2", "STT\r"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.button);
        auto *box = form->findChild<QLineEdit *>(QString::fromLatin1(row.box));
        box->setText(QStringLiteral("earlier answer"));
        const qsizetype before = sim->received().count(row.command);
        form->findChild<QPushButton *>(QString::fromLatin1(row.button))->click();
        EXPECT_EQ(box->text(), QStringLiteral("earlier answer"));
        EXPECT_FALSE(form->Timer1->isActive());
        EXPECT_TRUE(
            sim->waitUntil([&] { return sim->received().count(row.command) == before + 1; }, 2000));
    }

    // During a run the status query pauses the pump for its wait and lets it go on after.
    speak(QStringLiteral("MSGあ"));
    ASSERT_TRUE(sim->waitUntil([&] { return sim->received().count("STT\r") >= 2; }, 3000));
    form->findChild<QPushButton *>(QStringLiteral("Command15"))->click();
    EXPECT_TRUE(form->Timer1->isActive());
    const qsizetype polls = sim->received().count("STT\r");
    EXPECT_TRUE(sim->waitUntil([&] { return sim->received().count("STT\r") >= polls + 1; }, 3000));
    EXPECT_EQ(form->Snd_flg, 1);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

TEST_F(SilentSim, RecordGivesUpAfterItsTimeOutAndLeavesTheArmedRunAsItWas)
{
    speak(QStringLiteral("MSGあいう\r\nMSGかきく\r\n"));
    QList<bool> enabled;
    QList<bool> pumping;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        enabled << form->isEnabled();
        pumping << form->Timer1->isActive();
    });
    sampler.start(50);
    form->findChild<QPushButton *>(QStringLiteral("Command11"))->click();
    sampler.stop();

    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("記録の終了を確認できません"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The window stayed disabled for the whole wait while the pump went on.
    ASSERT_GE(enabled.size(), 10);
    EXPECT_FALSE(enabled.contains(true));
    EXPECT_FALSE(pumping.contains(false));
    const QByteArray received = sim->received();
    const qsizetype record = received.indexOf(cp932::encode(u"EEP01あいう\r"));
    ASSERT_GE(record, 0);
    EXPECT_EQ(received.count(cp932::encode(u"EEP01")), 1);
    // Nothing was spoken: the run is still armed at its first line.
    EXPECT_FALSE(received.contains("MSG"));
    EXPECT_EQ(form->Snd_flg, 1);
    EXPECT_EQ(form->Snd_cnt, 0);
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

class SplitSim : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--split", "--char-ms", "5"}; }
};

TEST_F(SplitSim, RepliesInPiecesAreTakenWholeAndEveryLineIsSpoken)
{
    QStringList texts;
    QObject::connect(
        form->MSComm1, &SerialControl::OnComm, form.get(), [&] { texts << form->Rcv_dat; });
    speak(twoLines);
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(linesReceived(), (QList<QByteArray>{firstLine, secondLine}));
    EXPECT_TRUE(boxes.boxes.isEmpty());
    auto *text2 = form->findChild<QLineEdit *>(QStringLiteral("Text2"));
    auto *text3 = form->findChild<QLineEdit *>(QStringLiteral("Text3"));
    form->findChild<QPushButton *>(QStringLiteral("Command19"))->click();
    form->findChild<QPushButton *>(QStringLiteral("Command15"))->click();
    EXPECT_EQ(text3->text(), QStringLiteral("ver 1.00\r"));
    EXPECT_EQ(text2->text(), QStringLiteral("stt 0\r"));
    // The pieces came apart on the line, but the window only ever saw whole replies.
    EXPECT_TRUE(std::all_of(texts.cbegin(), texts.cend(), [](const QString &text) {
        return text.isEmpty() || text.endsWith(u'\r');
    })) << texts.join(u'|').toStdString();
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

// Replies that are no replies, from a module that otherwise answers well: each row is sent in
// place of the status report after the first line of a two-line run.
TEST_F(ConsoleOnModule, GarbageFromTheModuleNeitherStopsNorCorruptsARun)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    QByteArray highBytes;
    for (int b = 0x80; b < 0x100; ++b)
        highBytes.append(char(b));
    const auto exactly = [](QString text) {
        return [text](const QString &seen) {
            return seen == text;
        };
    };
    const auto anything = [](const QString &) {
        return true;
    };
    // Text without CR is not taken for a reply before the line has been quiet for a moment:
    // the next tick may still find the acknowledgement of the line.
    const auto quietThen = [](QString text) {
        return [text](const QString &seen) {
            return seen == text || seen == QStringLiteral(">\r");
        };
    };
    const struct
    {
        const char *name;
        QByteArray garbage;
        // What the pump's next tick finds in Rcv_dat.
        std::function<bool(const QString &)> seen;
    } rows[] = {
        {"NUL bytes", QByteArray(3, '\0'), quietThen(QString(3, QChar(0)))},
        {"a reply in capitals", "STT 0\r", exactly(QStringLiteral("STT 0\r"))},
        {"a reply behind a NUL",
         QByteArray("\0stt 0\r", 7),
         exactly(QString(QChar(0)) + QStringLiteral("stt 0\r"))},
        // The line feed ends the acknowledgement before it, as CR LF: an idle reply, which
        // lets the second line go; the next poll finds that line's acknowledgement.
        {"a reply behind a line feed", "\nstt 0\r", exactly(QStringLiteral(">\r"))},
        {"an unknown status", "stt 9\r", exactly(QStringLiteral("stt 9\r"))},
        {"a version reply", "ver 9.99\r", exactly(QStringLiteral("ver 9.99\r"))},
        {"a lone lead byte", "\x82", exactly(QStringLiteral(">\r"))},
        {"a lead byte before CR", "\x82\r", anything},
        {"an unassigned double byte", "\x85\x40\r", anything},
        {"bytes 0x80 to 0xFF", highBytes, anything},
        {"every byte value", everyByte, anything},
        {"a long line without an end",
         QByteArray(10000, 'a'),
         [](const QString &seen) {
             return seen == QStringLiteral(">\r")
                    || (!seen.isEmpty() && seen.size() <= 10000 && seen.count(u'a') == seen.size());
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        // Garbage in place of a status reply leaves its poll waiting, for the life of the
        // connection: each row starts on a connection of its own.
        form->Command6_Click();
        form->Command5_Click();
        ASSERT_TRUE(form->MSComm1->PortOpen());
        const qsizetype linesBefore = module.linesWithoutPolls().size();
        bool garbageDue = false;
        bool garbageSent = false;
        std::optional<QString> seenAfter;
        const auto silenceAfter = qScopeGuard([&] { module.answer = nullptr; });
        module.answer = [&](const QByteArray &line) -> QByteArray {
            if (line.startsWith("MSG")) {
                garbageDue = line == firstLine;
                return ">\r";
            }
            if (line != "STT\r")
                return {};
            if (garbageSent && !seenAfter)
                seenAfter = form->Rcv_dat;
            if (garbageDue) {
                garbageDue = false;
                garbageSent = true;
                return row.garbage;
            }
            return "stt 0\r";
        };
        speak(twoLines);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Snd_flg == 0; }, 5000));
        EXPECT_TRUE(garbageSent);
        ASSERT_TRUE(seenAfter.has_value());
        EXPECT_TRUE(row.seen(*seenAfter)) << seenAfter->toStdString();
        EXPECT_EQ(module.linesWithoutPolls().mid(linesBefore),
                  (QList<QByteArray>{firstLine, secondLine}));
    }
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_TRUE(chimeReaches(*form, module));
}

TEST_F(ConsoleOnSim, AnErrorReplyMidRunIsReportedOnceAndTheModuleIsUsableAfter)
{
    // The operator takes half a second to read the box; meanwhile the pump must not write.
    QByteArray atOpen;
    QByteArray atClose;
    boxes.whileOpen = [&](const MessageBoxRecorder::Box &) {
        QTest::qWait(100);
        atOpen = sim->received();
        QTest::qWait(400);
        atClose = sim->received();
    };
    speak(QStringLiteral("MSGあいう\r\nMSGabc\r\nMSGかきく\r\n"));
    ASSERT_TRUE(waitForRunEnd());
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("送信データに誤りがあります"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
    EXPECT_FALSE(atOpen.isEmpty());
    EXPECT_EQ(atClose, atOpen);
    const QByteArray received = sim->received();
    const qsizetype bad = received.indexOf("MSGabc\r");
    ASSERT_GT(bad, received.indexOf(firstLine));
    EXPECT_TRUE(received.mid(atClose.size()).startsWith("CLR0\rSTT\r"));
    EXPECT_EQ(received.count("CLR0\r"), 1);
    // The run ends at the next idle report; no further line goes out.
    EXPECT_EQ(received.count(secondLine), 0);

    // CLR0 cleared the module: the next run speaks without another box.
    boxes.whileOpen = nullptr;
    speak(QStringLiteral("MSGさしす"));
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(sim->received().count(cp932::encode(u"MSGさしす\r")), 1);
    EXPECT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

// A megabyte of random bytes from the module in the middle of a run.
TEST_F(ConsoleOnModule, AFloodOfRandomBytesIsReadAndDroppedWhileTheWindowAnswers)
{
    constexpr qsizetype floodSize = 1 << 20;
    constexpr qsizetype chunk = 4096;
    QStringList texts;
    qsizetype longest = 0;
    QObject::connect(
        form->MSComm1,
        &SerialControl::traffic,
        form.get(),
        [&](SerialControl::Direction direction, const QByteArray &, const QString &text) {
            if (direction == SerialControl::Direction::In)
                texts << text;
        });
    QObject::connect(form->MSComm1, &SerialControl::OnComm, form.get(), [&] {
        longest = std::max(longest, form->Rcv_dat.size());
    });
    bool flooding = false;
    bool floodOver = false;
    module.answer = [&](const QByteArray &line) -> QByteArray {
        if (line.startsWith("MSG"))
            return flooding ? QByteArray() : QByteArray(">\r");
        if (line != "STT\r" || flooding)
            return {};
        // Idle before the first line and after the flood; speaking in between.
        if (floodOver || !module.lines().contains(firstLine))
            return "stt 0\r";
        return "stt 1\r";
    };
    speak(twoLines);
    ASSERT_TRUE(QTest::qWaitFor([&] { return module.sent().endsWith("stt 1\r"); }, 3000));

    flooding = true;
    QRandomGenerator random(20240601);
    QByteArray flood(floodSize, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(flood.data()), floodSize / 4);
    // An ASCII byte last, so that no half character is left waiting when the flood ends.
    flood.back() = 'Z';
    for (qsizetype at = 0; at < floodSize; at += chunk) {
        ASSERT_TRUE(module.writeAll(flood.mid(at, chunk))) << "stuck at byte " << at;
        QCoreApplication::processEvents();
        if (at % (256 * 1024) == 0) {
            EXPECT_TRUE(chimeReaches(*form, module));
        }
    }
    auto *port = form->MSComm1->findChild<QSerialPort *>();
    ASSERT_NE(port, nullptr);
    // Everything the module sent has come in as text, in order, nothing left waiting.
    // The same text as the same bytes make when read from a file. Which of the control codes
    // 0x1A, 0x1C and 0x7F reads as which is another case's matter (below); here they count
    // alike.
    const auto controlsAlike = [](QString text) {
        return text.replace(QChar(0x1C), QChar(0x1A)).replace(QChar(0x7F), QChar(0x1A));
    };
    const QString whole = controlsAlike(cp932::decode(module.sent()));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return controlsAlike(texts.join(QString())) == whole; }, 10000))
        << "received " << texts.join(QString()).size() << " of " << whole.size();
    EXPECT_EQ(port->bytesAvailable(), 0);
    EXPECT_TRUE(form->MSComm1->Input().isEmpty());
    // The latest text is the flood's last piece, not the flood: nothing keeps it. Without
    // an end it waits for one up to the bound on a reply.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return whole.endsWith(controlsAlike(form->Rcv_dat)) && form->Rcv_dat.endsWith('Z'); },
        ReplyAssembler::replyBoundMs + 2000));
    EXPECT_LE(longest, 64 * 1024);
    EXPECT_TRUE(boxes.boxes.isEmpty());

    // The module is well again; the run goes on with its second line and ends.
    flooding = false;
    floodOver = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Snd_flg == 0; }, 5000));
    EXPECT_EQ(module.countOf(firstLine), 1);
    EXPECT_EQ(module.countOf(secondLine), 1);
    // What the console wrote during the flood came through whole: only its own commands.
    for (const QByteArray &line : module.lines()) {
        EXPECT_TRUE(line == "STT\r" || line == "SSD01\r" || line == firstLine || line == secondLine)
            << line.toHex(' ').toStdString();
    }
    EXPECT_TRUE(chimeReaches(*form, module));
}

TEST_F(ConsoleOnModule, ControlCodesFromTheModuleReadAsThemselves)
{
    // The code page's converter alone reads 0x1A as U+001C, 0x1C as U+007F and 0x7F as
    // U+001A; the console keeps every ASCII byte as itself, as its encoder and Windows do.
    ASSERT_TRUE(module.writeAll(QByteArray("stt\x1A\x1C\x7F\r")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->Rcv_dat.startsWith(u"stt"); }, 2000));
    EXPECT_EQ(form->Rcv_dat, QStringLiteral("stt\u001A\u001C\u007F\r"));
    EXPECT_TRUE(chimeReaches(*form, module));
}

} // namespace
