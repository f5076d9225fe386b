// The device goes away (a USB adapter pulled out, the simulator killed) in the middle of a run,
// of a version query and of a record, and comes back: CLOSE then OPEN reconnects, and nothing
// of the run is lost or sent twice.
#include "fault_support.h"
#include "support/console_fixture.h"
#include "text/cp932.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <vector>

namespace {

// Counts the errors the serial port raises and the losses the control reports.
struct LossWatch
{
    explicit LossWatch(Form1 &form)
        : errors(form.MSComm1->findChild<QSerialPort *>(), &QSerialPort::errorOccurred)
        , lost(form.MSComm1, &SerialControl::deviceLost)
    {}
    QSignalSpy errors;
    QSignalSpy lost;
};

// How many times the operator was told that the device went away.
qsizetype lossBoxes(const MessageBoxRecorder &boxes)
{
    return std::count_if(boxes.boxes.cbegin(), boxes.boxes.cend(), [](const auto &box) {
        return box.prompt == QStringLiteral("COMが切断されました")
               && box.title == QStringLiteral("Com Port Error");
    });
}

bool hasSpeakErrorBox(const MessageBoxRecorder &boxes)
{
    return std::any_of(boxes.boxes.cbegin(), boxes.boxes.cend(), [](const auto &box) {
        return box.prompt == QStringLiteral("送信データに誤りがあります");
    });
}

// The module speaks long enough that the device can be pulled while it speaks a line.
class SlowSim : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--char-ms", "40"}; }
};

TEST_F(SlowSim, RemovedMidRunTheRunEndsAndNothingGoesOutAfterReconnectUntilAsked)
{
    const QStringList texts = {QStringLiteral("MSGあいうえおかきく"),
                               QStringLiteral("MSGさしすせそたちつ"),
                               QStringLiteral("MSGなにぬねのはひふ"),
                               QStringLiteral("MSGまみむめもやゆよ")};
    QList<QByteArray> lines;
    for (const QString &text : texts)
        lines << cp932::encode(text + u'\r');
    LossWatch watch(*form);
    speak(texts.join(QStringLiteral("\r\n")));
    // Pull the device while the module speaks the second line.
    ASSERT_TRUE(sim->waitUntil(
        [&] { return linesReceived().contains(lines[1]) && form->Rcv_dat.startsWith("stt 1"); },
        10000));
    sim->sendSignal(SIGKILL);
    ASSERT_TRUE(sim->waitForExit(3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.lost.count() > 0; }, 3000));
    // Give a storm of errors time to show; none may come, and the port is closed once.
    QTest::qWait(300);
    EXPECT_EQ(watch.lost.count(), 1);
    EXPECT_LE(watch.errors.count(), 3);
    EXPECT_FALSE(form->MSComm1->PortOpen());
    EXPECT_EQ(form->Snd_flg, 0);
    EXPECT_EQ(form->runOutcome(), RunOutcome::PortLost);
    EXPECT_FALSE(hasSpeakErrorBox(boxes));
    EXPECT_EQ(lossBoxes(boxes), 1);
    EXPECT_EQ(linesReceived(), lines.mid(0, 2));
    // The window shows the port closed.
    EXPECT_TRUE(form->findChild<QPushButton *>(QStringLiteral("Command5"))->isEnabled());
    EXPECT_FALSE(form->findChild<QPushButton *>(QStringLiteral("Command6"))->isEnabled());
    EXPECT_FALSE(form->findChild<QPushButton *>(QStringLiteral("Command10"))->isEnabled());

    // The device comes back under a new terminal; one OPEN reconnects, and nothing goes
    // out until the operator asks for it.
    sim.reset();
    sim = std::make_unique<SimModule>(QStringList{"--char-ms", "5"});
    form->findChild<QPushButton *>(QStringLiteral("Command5"))->click();
    ASSERT_TRUE(form->MSComm1->PortOpen());
    sim->waitUntil([] { return false; }, 500);
    EXPECT_TRUE(sim->received().isEmpty());
    form->findChild<QPushButton *>(QStringLiteral("Command10"))->click();
    ASSERT_TRUE(waitForRunEnd());
    EXPECT_EQ(linesReceived(), lines);
    EXPECT_FALSE(hasSpeakErrorBox(boxes));
    EXPECT_TRUE(chimeReaches(*form, *sim));
}

TEST_F(ConsoleOnModule, RemovedDuringAVersionQueryTheQueryEndsAsUsual)
{
    LossWatch watch(*form);
    auto *text3 = form->findChild<QLineEdit *>(QStringLiteral("Text3"));
    text3->setText(QStringLiteral("earlier"));
    // The module hears the query and is pulled out before it answers.
    QTimer::singleShot(50, &module, [&] { module.closeModuleSide(); });
    button("Command19")->click();
    EXPECT_EQ(module.lines(), QList<QByteArray>{"VER\r"});
    EXPECT_EQ(text3->text(), QStringLiteral("earlier"));
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(lossBoxes(boxes), 1);
    // The box's details say what became of the device.
    EXPECT_EQ(boxes.boxes.constLast().details,
              QStringLiteral("COM1: %1: the device was removed").arg(module.terminalPath()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.lost.count() > 0; }, 3000));
    QTest::qWait(300);
    EXPECT_EQ(watch.lost.count(), 1);
    EXPECT_LE(watch.errors.count(), 3);
    EXPECT_FALSE(form->MSComm1->PortOpen());

    // Back on a new terminal: one OPEN, and the query gets its answer.
    ScriptedModule back;
    back.answer = [](const QByteArray &line) -> QByteArray {
        return line == "VER\r" ? QByteArray("ver 2.00\r") : QByteArray();
    };
    qputenv("PARLINO_COM1", QFile::encodeName(back.terminalPath()));
    button("Command5")->click();
    ASSERT_TRUE(form->MSComm1->PortOpen());
    button("Command19")->click();
    EXPECT_EQ(text3->text(), QStringLiteral("ver 2.00\r"));
    EXPECT_EQ(back.lines(), QList<QByteArray>{"VER\r"});
    EXPECT_TRUE(chimeReaches(*form, back));
    form.reset();
}

TEST_F(ConsoleOnModule, ADeviceThatComesBackIsOpenedAgainByItselfAndHearsNothingUntilAsked)
{
    // The device is reached through a link that stays, as udev's by-id link does.
    const QString link = work.file("com1");
    ASSERT_TRUE(QFile::link(module.terminalPath(), link));
    button("Command6")->click();
    qputenv("PARLINO_COM1", QFile::encodeName(link));
    button("Command5")->click();
    ASSERT_TRUE(form->MSComm1->PortOpen());
    auto *watch = form->findChild<QTimer *>(QStringLiteral("reconnectWatch"));
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->isActive()); // nothing is watched while nothing is lost

    LossWatch loss(*form);
    QSignalSpy portEvents(form->MSComm1, &SerialControl::portEvent);
    module.closeModuleSide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loss.lost.count() > 0; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return lossBoxes(boxes) == 1; }, 3000));
    EXPECT_TRUE(watch->isActive());
    QTest::qWait(500); // gone for a while: nothing to open
    EXPECT_FALSE(form->MSComm1->PortOpen());

    ScriptedModule back;
    back.answer = [](const QByteArray &line) -> QByteArray {
        return line == "VER\r" ? QByteArray("ver 2.00\r") : QByteArray();
    };
    ASSERT_TRUE(QFile::remove(link) && QFile::link(back.terminalPath(), link));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->MSComm1->PortOpen(); }, 1500));
    EXPECT_FALSE(watch->isActive());
    EXPECT_TRUE(!button("Command5")->isEnabled() && button("Command6")->isEnabled()
                && button("Command10")->isEnabled());
    ASSERT_EQ(portEvents.count(), 1);
    EXPECT_EQ(portEvents.constFirst().at(0).toString(), QStringLiteral("OPEN"));
    QTest::qWait(300);
    EXPECT_TRUE(back.received().isEmpty());
    button("Command19")->click();
    EXPECT_EQ(back.lines(), QList<QByteArray>{"VER\r"});

    // Pulled and plugged in again while the real box is up, three times: one box at a time,
    // and each closes by itself once the device is open again.
    const MessageBoxHandler recorder = installMessageBoxHandler({});
    const auto restoreRecorder = qScopeGuard([&] { installMessageBoxHandler(recorder); });
    std::vector<std::unique_ptr<ScriptedModule>> modules;
    QPointer<QMessageBox> shown;
    int shownCount = 0, ticksShown = 0;
    qsizetype mostAtOnce = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        QList<QMessageBox *> open;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                open.append(box);
        }
        mostAtOnce = std::max(mostAtOnce, open.size());
        if (open.size() == 1 && open[0] != shown) {
            shown = open[0];
            ++shownCount;
            ticksShown = 0;
            EXPECT_EQ(shown->text(), QStringLiteral("COMが切断されました"));
            QFile::remove(link);
            QFile::link(modules.back()->terminalPath(), link);
        } else if (!open.isEmpty() && ++ticksShown > 250) {
            ADD_FAILURE() << "the box stayed up after the device came back";
            open[0]->done(QMessageBox::Ok);
        }
    });
    sampler.start(20);
    for (int cycle = 1; cycle <= 3; ++cycle) {
        SCOPED_TRACE(cycle);
        modules.push_back(std::make_unique<ScriptedModule>());
        (cycle == 1 ? back : *modules[cycle - 2]).closeModuleSide();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return shownCount == cycle && form->MSComm1->PortOpen() && !shown; }, 8000));
    }
    EXPECT_EQ(mostAtOnce, 1);
}

// A module that never answers: only the loss of the device can end a record early.
class SilentSimToPull : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--silent"}; }
};

TEST_F(SilentSimToPull, RemovedDuringRecordTheRecordEndsAtOnceWithTheWindowEnabledAndSaysSo)
{
    LossWatch watch(*form);
    form->setText1_Text(QStringLiteral("MSGあいう"));
    QTimer::singleShot(100, form.get(), [&] { sim->sendSignal(SIGKILL); });
    form->findChild<QPushButton *>(QStringLiteral("Command11"))->click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    // Told once that the port is gone, not that the module never reported idle.
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMが切断されました"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(form->MSComm1->PortOpen());
    EXPECT_EQ(watch.lost.count(), 1);
    EXPECT_TRUE(sim->received().startsWith(cp932::encode(u"EEP01あいう\rSTT\r")));

    // The device comes back; one OPEN, and record completes on it.
    ASSERT_TRUE(sim->waitForExit(3000));
    sim.reset();
    sim = std::make_unique<SimModule>(QStringList{"--char-ms", "5"});
    form->findChild<QPushButton *>(QStringLiteral("Command5"))->click();
    ASSERT_TRUE(form->MSComm1->PortOpen());
    form->findChild<QPushButton *>(QStringLiteral("Command11"))->click();
    EXPECT_EQ(boxes.boxes.size(), 1);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(sim->received().startsWith(cp932::encode(u"EEP01あいう\rSTT\r")));
    // The slot holds the line: playing it is accepted.
    const qsizetype before = sim->sent().size();
    form->findChild<QPushButton *>(QStringLiteral("Command13"))->click();
    ASSERT_TRUE(sim->waitUntil([&] { return sim->sent().size() > before; }, 2000));
    EXPECT_EQ(sim->sent().mid(before), QByteArray(">\r"));
}

} // namespace
