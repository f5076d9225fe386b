// The line monitor on the simulated module: F12 opens it beside the window, a VER typed in its
// command field reaches the module and the reply comes in as a row.
#include "link/transcript.h"
#include "monitor/monitor_access.h"
#include "monitor/monitor_window.h"
#include "support/console_fixture.h"

#include <QLineEdit>
#include <QTest>

namespace {

using LineMonitor = ConsoleOnSim;

TEST_F(LineMonitor, F12OpensItAndVerTypedThereIsAnsweredInARow)
{
    Transcript transcript;
    transcript.follow(form->MSComm1, &form->statusPolls());
    QObject::connect(form.get(), &Form1::statusAnswered, &transcript, &Transcript::noteStatus);
    const std::unique_ptr<::LineMonitor> lineMonitor = attachMonitor(*form, transcript);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F12);
    MonitorWindow *monitor = &lineMonitor->window();
    ASSERT_TRUE(monitor->isVisible());
    EXPECT_EQ(monitor->windowTitle(), QStringLiteral("PARLINO 通信モニタ"));
    EXPECT_GT(monitor->x(), form->x()) << "beside the window, on its right";

    auto *field = monitor->findChild<QLineEdit *>(QStringLiteral("commandField"));
    ASSERT_TRUE(field);
    QTest::keyClicks(field, QStringLiteral("VER"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(sim->waitForReceived("VER\r", 3000));
    const RecordModel &model = monitor->model();
    auto replyRow = [&] {
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.record(row).kind == QLatin1String("IN")
                && model.record(row).text.startsWith(QLatin1String("ver 1.00")))
                return row;
        }
        return -1;
    };
    ASSERT_TRUE(sim->waitUntil([&] { return replyRow() >= 0; }, 3000));
    const int reply = replyRow();
    ASSERT_GT(reply, 0);
    EXPECT_EQ(model.record(reply - 1).kind, QStringLiteral("OUT"));
    EXPECT_EQ(model.record(reply - 1).text, QStringLiteral("VER\r"));

    QTest::keyClick(monitor, Qt::Key_F12);
    EXPECT_FALSE(monitor->isVisible());
}

} // namespace
