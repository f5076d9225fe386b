// Version and status queries, record and play, speed and chimes, with a recording serial
// control that answers as the test says.
#include "platform/reply_wait.h"
#include "support/form_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

namespace {

class Commands : public FormTest
{
protected:
    void SetUp() override
    {
        createForm();
        openPort();
        form->Timer1->start();
    }
    QString text2() const { return control<QLineEdit>("Text2")->text(); }
    QString text3() const { return control<QLineEdit>("Text3")->text(); }
    // Answers each command written with the given reply, a few milliseconds later.
    void answer(std::function<QString(const QString &)> reply)
    {
        serial->onWrite = [this, reply](const QString &line) {
            const QString text = reply(line);
            if (!text.isNull())
                serial->deliverLater(text);
        };
    }
};

TEST_F(Commands, QueriesShowTheAnswerWithTheRightBeginning)
{
    const struct
    {
        const char *button;
        const char *command;
        QString reply;
        QString shown; // in Text3 for VER, Text2 for STT; null: unchanged
    } rows[] = {
        {"Command19", "VER\r", QStringLiteral("ver 1.00\r"), QStringLiteral("ver 1.00\r")},
        {"Command19", "VER\r", QStringLiteral("VER 1.00\r"), QString()},
        {"Command19", "VER\r", QStringLiteral("stt 0\r"), QString()},
        {"Command19", "VER\r", QStringLiteral("ve\r"), QString()},
        {"Command15", "STT\r", QStringLiteral("stt 1\r"), QStringLiteral("stt 1\r")},
        {"Command15", "STT\r", QStringLiteral("stt-1\r"), QStringLiteral("stt-1\r")},
        {"Command15",
         "STT\r",
         QStringLiteral("stt 0\r\nstt 1\r"),
         QStringLiteral("stt 0\r\nstt 1\r")},
        {"Command15", "STT\r", QStringLiteral("stt 2\r"), QStringLiteral("stt 2\r")},
        {"Command15", "STT\r", QStringLiteral("ver 1.00\r"), QString()},
        {"Command15", "STT\r", QStringLiteral(">\r"), QString()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.reply.toStdString());
        const bool version = QByteArray(row.button) == "Command19";
        QLineEdit *box = control<QLineEdit>(version ? "Text3" : "Text2");
        box->setText(QStringLiteral("before"));
        serial->written.clear();
        answer([&](const QString &) { return row.reply; });
        control<QPushButton>(row.button)->click();
        EXPECT_EQ(serial->written, QStringList{QString::fromLatin1(row.command)});
        EXPECT_EQ(box->text(), row.shown.isNull() ? QStringLiteral("before") : row.shown);
        EXPECT_FALSE(form->Timer1->isActive());
    }
}

TEST_F(Commands, VersionQueryIsIgnoredDuringARun)
{
    form->setText1_Text(QStringLiteral("MSGa"));
    form->Command10_Click();
    control<QLineEdit>("Text3")->setText(QStringLiteral("before"));
    answer([](const QString &) { return QStringLiteral("ver 1.00\r"); });
    form->Command19_Click();
    EXPECT_TRUE(serial->written.isEmpty());
    EXPECT_EQ(text3(), QStringLiteral("before"));
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(Commands, StatusQueryDuringARunPausesThePumpAndResumesIt)
{
    form->setText1_Text(QStringLiteral("MSGa\r\nMSGb"));
    form->Command10_Click();
    form->Rcv_dat = QStringLiteral("stt 1\r");
    bool pumpRanDuringWait = false;
    bool timerActiveAtWrite = true;
    serial->onWrite = [&](const QString &line) {
        if (line == QLatin1String("STT\r") && serial->written.size() == 1) {
            timerActiveAtWrite = form->Timer1->isActive();
            serial->deliverLater(QStringLiteral("stt 0\r"), 20);
        } else {
            pumpRanDuringWait = true;
        }
    };
    form->Command15_Click();
    EXPECT_FALSE(timerActiveAtWrite);
    EXPECT_FALSE(pumpRanDuringWait);
    EXPECT_EQ(text2(), QStringLiteral("stt 0\r"));
    EXPECT_TRUE(form->Timer1->isActive());
    // The pump picks the answer up on its next tick and sends the first line.
    serial->onWrite = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return serial->written.size() >= 2; }, 1000));
    EXPECT_EQ(serial->written[1], QStringLiteral("MSGa\r"));
}

TEST_F(Commands, AQueryWaitHoldsThePumpWhichGoesOnAfterItOnlyForARun)
{
    // 発話 during a VER wait: the pump writes nothing until the wait ends.
    QList<bool> pumping;
    QTimer::singleShot(30, form.get(), [this] {
        form->setText1_Text(QStringLiteral("MSGa"));
        form->Command10_Click();
    });
    QTimer::singleShot(ReplyWait - 50, form.get(), [&] { pumping << form->Timer1->isActive(); });
    form->Command19_Click();
    EXPECT_EQ(serial->written, QStringList{"VER\r"});
    pumping << form->Timer1->isActive();
    // The device lost during an STT wait ends the run: the pump stays off after the wait.
    QTimer::singleShot(30, form.get(), [this] {
        serial->setPortOpen(false);
        emit serial->deviceLost(QStringLiteral("gone"));
    });
    form->Command15_Click();
    pumping << form->Timer1->isActive();
    EXPECT_EQ(pumping, (QList<bool>{false, true, false}));
}

TEST_F(Commands, AStaleAnswerIsShownAgainAndThePumpIsLeftAsItWas)
{
    form->Rcv_dat = QStringLiteral("stt 1\r");
    form->Timer1->stop();
    form->Command15_Click();
    EXPECT_EQ(text2(), QStringLiteral("stt 1\r"));
    EXPECT_FALSE(form->Timer1->isActive());
    form->Timer1->start();
    form->Rcv_dat = QStringLiteral("st");
    control<QLineEdit>("Text3")->setText(QStringLiteral("before"));
    form->Command19_Click();
    EXPECT_EQ(text3(), QStringLiteral("before"));
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(Commands, NestedQueriesEachWriteTheirCommand)
{
    answer([](const QString &line) {
        return line == QLatin1String("VER\r") ? QStringLiteral("ver 1.00\r") : QString();
    });
    QTimer::singleShot(50, form.get(), [this] { form->Command15_Click(); });
    form->Command19_Click();
    EXPECT_EQ(serial->written, (QStringList{"VER\r", "STT\r"}));
    EXPECT_FALSE(form->Timer1->isActive());
    // The outer query tests what was received last, the version answer.
    EXPECT_EQ(text3(), QStringLiteral("ver 1.00\r"));
}

TEST_F(Commands, ExitDuringAQueryWaitEndsItThere)
{
    answer([](const QString &) { return QStringLiteral("ver 1.00\r"); });
    QTimer::singleShot(50, form.get(), [this] { form->Command9_Click(); });
    form->Command19_Click();
    EXPECT_EQ(end.ended, 1);
    EXPECT_EQ(serial->written, QStringList{"VER\r"});
    EXPECT_TRUE(text3().isEmpty());
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(Commands, RecordWritesTheSlotCommandThenPollsUntilIdle)
{
    form->setText1_Text(QStringLiteral("MSGあいう\r\nMSGかきく\r\n"));
    form->ui.Combo2->setCurrentText(QStringLiteral("ROM3"));
    form->Combo2_Click();
    int polls = 0;
    bool disabledWhileWaiting = false;
    bool busyPointer = false;
    answer([&](const QString &line) {
        if (line != QLatin1String("STT\r"))
            return QStringLiteral(">\r");
        ++polls;
        disabledWhileWaiting = !form->isEnabled();
        busyPointer = QApplication::overrideCursor()
                      && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        return polls < 3 ? QStringLiteral("stt 1\r") : QStringLiteral("stt 0\r");
    });
    form->Command11_Click();
    EXPECT_EQ(serial->written, (QStringList{"EEP03あいう\r", "STT\r", "STT\r", "STT\r"}));
    EXPECT_TRUE(disabledWhileWaiting);
    EXPECT_TRUE(busyPointer);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    // Record leaves the pump's timer running.
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(Commands, RecordEndsAfterOnePassOnAStaleIdleAnswer)
{
    form->Rcv_dat = QStringLiteral("stt 0\r");
    form->setText1_Text(QStringLiteral("MSG"));
    form->Command11_Click();
    EXPECT_EQ(serial->written, (QStringList{"EEP01\r", "STT\r"}));
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Commands, RecordRefusesWhatIsNoSpeakLineOrHoldsACharacterTheCodePageLacks)
{
    const QString notSpeak = QStringLiteral("送信データに誤りがあります");
    // As 発話 refuses it: no three characters of the operator's text are cut off.
    const std::pair<QString, QString> rows[]
        = {{QStringLiteral("MSGあ\U0001F600\r\nMSGい"),
            QStringLiteral(
                "送信データにシフトJISで送れない文字があります\n1行目: \U0001F600 (U+1F600)")},
           {QStringLiteral("ABCDEFG"), notSpeak},
           {QStringLiteral("あいう\r\nMSGかきく"), notSpeak},
           {QString(), notSpeak}};
    for (const auto &[sendBox, prompt] : rows) {
        boxes.boxes.clear();
        form->setText1_Text(sendBox);
        form->Command11_Click();
        EXPECT_TRUE(serial->written.isEmpty() && form->isEnabled());
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].prompt, prompt);
    }
}

TEST_F(Commands, RecordWithThePortClosedEndsAtOnceAndSaysSo)
{
    form->setText1_Text(QStringLiteral("MSGあ"));
    form->Command6_Click();
    QElapsedTimer timer;
    timer.start();
    form->Command11_Click();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(serial->written.isEmpty());
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENされていません"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
}

TEST_F(Commands, ExitDuringRecordEndsItThere)
{
    form->setText1_Text(QStringLiteral("MSG"));
    QTimer::singleShot(50, form.get(), [this] { form->Command9_Click(); });
    form->Command11_Click();
    EXPECT_EQ(end.ended, 1);
    EXPECT_EQ(serial->written, (QStringList{"EEP01\r", "STT\r"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Commands, PlayWritesTheSlotCommandOnly)
{
    form->ui.Combo2->setCurrentText(QStringLiteral("ROM12"));
    form->Combo2_Click();
    form->Timer1->stop();
    control<QPushButton>("Command13")->click();
    EXPECT_EQ(serial->written, QStringList{"SEL12\r"});
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

TEST_F(Commands, SliderWritesOneSpeedCommandPerChange)
{
    form->Timer1->stop();
    auto *slider = control<QSlider>("Slider1");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(serial->written, QStringList{"SPD101\r"});
    QTest::keyClick(slider, Qt::Key_PageUp);
    EXPECT_EQ(serial->written.last(), QStringLiteral("SPD106\r"));
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(serial->written.last(), QStringLiteral("SPD50\r"));
    QTest::keyClick(slider, Qt::Key_Left);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(serial->written.last(), QStringLiteral("SPD300\r"));
    EXPECT_EQ(serial->written.size(), 4);
    // The same value again writes nothing.
    slider->setValue(300);
    EXPECT_EQ(serial->written.size(), 4);
    // A drag writes one command, when it ends.
    slider->setSliderDown(true);
    for (int position : {250, 200, 150})
        slider->setSliderPosition(position);
    EXPECT_EQ(serial->written.size(), 4);
    slider->setSliderDown(false);
    EXPECT_EQ(serial->written.size(), 5);
    EXPECT_EQ(serial->written.last(), QStringLiteral("SPD150\r"));
}

TEST_F(Commands, ARefusedPlayIsShownAndTheNextRunIsToldTheModuleWasInErrorBefore)
{
    form->Timer1->stop();
    QSignalSpy notes(form.get(), &Form1::pumpNote);
    control<QPushButton>("Command13")->click();
    serial->deliver(QStringLiteral("?\r"));
    EXPECT_EQ(text2(), QStringLiteral("?"));
    EXPECT_TRUE(form->moduleSign().contains(QStringLiteral("SEL01")));
    EXPECT_EQ(notes.last()[0].toString(), QStringLiteral("REFUSED"));
    // The module latched the error: a correct line's run is stopped before anything is
    // sent, and the box says why.
    form->setText1_Text(QStringLiteral("MSGあ"));
    form->Command10_Click();
    form->Timer1->stop();
    serial->written.clear();
    form->Timer1_Timer();
    serial->deliver(QStringLiteral("stt-1\r"));
    form->Timer1_Timer();
    EXPECT_FALSE(serial->written.contains(QStringLiteral("MSGあ\r")));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("送信データに誤りがあります"));
    EXPECT_TRUE(boxes.boxes[0].cause.contains(QStringLiteral("行を送る前から")));
    EXPECT_TRUE(boxes.boxes[0].details.contains(QStringLiteral("SEL01")));
    // The sign belongs to the connection: CLOSE takes it away.
    control<QPushButton>("Command6")->click();
    EXPECT_TRUE(form->moduleSign().isEmpty());
}

TEST_F(Commands, ChimesWriteTheirCommandEveryTime)
{
    form->Timer1->stop();
    for (const char *button : {"Command7", "Command7", "Command8"})
        control<QPushButton>(button)->click();
    EXPECT_EQ(serial->written, (QStringList{"SSD01\r", "SSD01\r", "SSD02\r"}));
}

TEST(CommandsAtStartUp, NoSpeedCommandIsWritten)
{
    ScopedWorkDir work;
    auto recording = std::make_unique<RecordingSerial>();
    RecordingSerial *serial = recording.get();
    serial->setPortOpen(true);
    Form1 form(std::move(recording));
    EXPECT_TRUE(serial->written.isEmpty());
}

} // namespace
