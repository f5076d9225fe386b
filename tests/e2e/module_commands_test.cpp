// The module commands through the simulated module: the exact bytes on the line, the answers
// shown, and record holding the window until the module is idle.
#include "support/console_fixture.h"
#include "text/cp932.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

using ModuleCommands = ConsoleOnSim;

TEST_F(ModuleCommands, EveryCommandGoesOutByteExact)
{
    form->Timer1->stop();
    auto *slotBox = form->findChild<QComboBox *>(QStringLiteral("Combo2"));
    auto pickSlot = [&](const char *name) {
        slotBox->setCurrentText(QString::fromLatin1(name));
        emit slotBox->activated(slotBox->currentIndex());
    };
    auto *slider = form->findChild<QSlider *>(QStringLiteral("Slider1"));
    const struct
    {
        const char *name;
        std::function<void()> action;
        QByteArray bytes;
    } rows[] = {
        {"VER", [&] { form->Command19_Click(); }, "\x56\x45\x52\x0D"},
        {"STT", [&] { form->Command15_Click(); }, "\x53\x54\x54\x0D"},
        {"SEL12",
         [&] {
             pickSlot("ROM12");
             form->Command13_Click();
         },
         "\x53\x45\x4C\x31\x32\x0D"},
        {"SPD50", [&] { slider->setValue(50); }, "SPD50\r"},
        {"SPD300", [&] { slider->setValue(300); }, "SPD300\r"},
        {"SSD01", [&] { form->Command7_Click(); }, "\x53\x53\x44\x30\x31\x0D"},
        {"SSD02", [&] { form->Command8_Click(); }, "\x53\x53\x44\x30\x32\x0D"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = sim->received().size();
        row.action();
        ASSERT_TRUE(sim->waitUntil(
            [&] { return sim->received().size() >= before + row.bytes.size(); }, 2000));
        EXPECT_EQ(sim->received().mid(before).toHex(' '), row.bytes.toHex(' '));
    }
    EXPECT_EQ(form->findChild<QLineEdit *>(QStringLiteral("Text3"))->text(),
              QStringLiteral("ver 1.00\r"));
}

TEST_F(ModuleCommands, RecordHoldsTheWindowUntilTheModuleIsIdle)
{
    form->setText1_Text(QStringLiteral("MSGあいう\r\nMSGかきく\r\n"));
    auto *slotBox = form->findChild<QComboBox *>(QStringLiteral("Combo2"));
    slotBox->setCurrentText(QStringLiteral("ROM3"));
    emit slotBox->activated(slotBox->currentIndex());
    QList<bool> enabledSamples;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { enabledSamples << form->isEnabled(); });
    sampler.start(20);
    form->Command11_Click();
    sampler.stop();
    ASSERT_FALSE(enabledSamples.isEmpty());
    EXPECT_FALSE(enabledSamples.contains(true));
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes.boxes.isEmpty());
    const QByteArray received = sim->received();
    EXPECT_TRUE(received.startsWith(cp932::encode(u"EEP03あいう\rSTT\r")));
    EXPECT_FALSE(received.contains(cp932::encode(u"かきく")));
    // The module stored the line: playing the slot works.
    const qsizetype before = sim->sent().size();
    form->Command13_Click();
    ASSERT_TRUE(sim->waitUntil([&] { return sim->sent().size() > before; }, 2000));
    EXPECT_EQ(sim->sent().mid(before), QByteArray(">\r"));
}

class SilentModule : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override { return {"--silent"}; }
};

TEST_F(SilentModule, RecordGivesUpAfterTheTimeOutAndSaysSo)
{
    form->setText1_Text(QStringLiteral("MSGあ"));
    QElapsedTimer timer;
    timer.start();
    form->Command11_Click();
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 10000);
    EXPECT_LT(elapsed, 20000);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("記録の終了を確認できません"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Error"));
    // The window answers again.
    form->findChild<QPushButton *>(QStringLiteral("Command7"))->click();
    EXPECT_TRUE(sim->waitForReceived("SSD01\r", 2000));
}

TEST_F(SilentModule, QueriesKeepTheBoxesAndLeaveThePumpAsleep)
{
    auto *text3 = form->findChild<QLineEdit *>(QStringLiteral("Text3"));
    form->Command19_Click();
    // The query that got no answer says so in the title, without a box.
    EXPECT_EQ(form->windowTitle(),
              QStringLiteral("PARLINO Ver1.05 — COM1 の %1 のモジュールが応答しません")
                  .arg(sim->ptyPath()));
    form->Command15_Click();
    EXPECT_TRUE(form->moduleSilentShown());
    EXPECT_TRUE(boxes.boxes.isEmpty());
    EXPECT_TRUE(text3->text().isEmpty());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(sim->waitForReceived("VER\rSTT\r", 2000));
}

// A module that answers every command 1.5 s late, past the poll time-out.
class LateModule : public ConsoleOnSim
{
protected:
    QStringList simArguments() const override
    {
        return {"--char-ms", "5", "--reply-delay", "1500"};
    }
};

TEST_F(LateModule, TheTitleNamesTheSilentModuleFromThePollTimeOutToTheNextReply)
{
    const QString designTitle = form->windowTitle();
    speak(QStringLiteral("MSGあ"));
    EXPECT_FALSE(form->moduleSilentShown());
    ASSERT_TRUE(sim->waitUntil([&] { return form->moduleSilentShown(); }, 3000));
    EXPECT_EQ(form->windowTitle(),
              designTitle
                  + QStringLiteral(" — COM1 の %1 のモジュールが応答しません").arg(sim->ptyPath()));
    ASSERT_TRUE(sim->waitUntil([&] { return !form->moduleSilentShown(); }, 3000));
    EXPECT_EQ(form->windowTitle(), designTitle);
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

} // namespace
