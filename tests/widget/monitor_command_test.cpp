// The line monitor's command field: what it refuses, and that what it sends goes through the
// window's one write path (an STT typed there is a counted poll); the view over its rows.
#include "link/transcript.h"
#include "monitor/command_field.h"
#include "monitor/monitor_access.h"
#include "monitor/monitor_window.h"
#include "support/form_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

using MonitorCommand = FormTest;

TEST_F(MonitorCommand, SendsThroughTheWritePathOrSaysWhyNot)
{
    createForm();
    Transcript transcript;
    const std::unique_ptr<LineMonitor> lineMonitor = attachMonitor(*form, transcript);
    lineMonitor->open();
    MonitorWindow *monitor = &lineMonitor->window();
    auto *field = monitor->findChild<QLineEdit *>(QStringLiteral("commandField"));
    auto *status = monitor->findChild<QLabel *>(QStringLiteral("commandStatus"));
    ASSERT_TRUE(field && status);
    const struct
    {
        bool portOpen, runActive;
        const char *typed;
        const char *written; // nullptr: nothing goes out
        const char *says;
        quint64 pollsAfter;
    } rows[] = {
        {false, false, "VER", nullptr, "ポートが閉じています", 0},
        {true, false, "", nullptr, "コマンドを入力してください", 0},
        {true, false, "VER", "VER\r", "送信しました: VER", 0},
        {true, false, "STT", "STT\r", "送信しました: STT", 1},
        {true, false, "MSGあいう", "MSGあいう\r", "送信しました", 1},
        {true, false, "MSG\xF0\x9F\x98\x80", nullptr, "U+1F600", 1},
        {true, true, "MSGか", nullptr, "発話の実行中はMSG・SELを送れません", 1},
        {true, true, "SEL01", nullptr, "発話の実行中はMSG・SELを送れません", 1},
        {true, true, "STT", "STT\r", "送信しました", 2},
        {true, true, "CLR0", "CLR0\r", "送信しました", 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        if (row.portOpen != serial->PortOpen())
            serial->setPortOpen(row.portOpen);
        form->Snd_flg = row.runActive ? 1 : 0;
        serial->written.clear();
        field->setText(QString::fromUtf8(row.typed));
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(serial->written,
                  row.written ? QStringList{QString::fromUtf8(row.written)} : QStringList{});
        EXPECT_TRUE(status->text().contains(QString::fromUtf8(row.says)))
            << status->text().toStdString();
        // A line that went out leaves the field empty for the next; a refused one stays.
        EXPECT_EQ(field->text(), row.written ? QString() : QString::fromUtf8(row.typed));
        EXPECT_EQ(form->statusPolls().mark(), row.pollsAfter);
    }
    form->Snd_flg = 0;
    // An embedded line end would make two commands of one.
    EXPECT_TRUE(commandRefusal(QStringLiteral("VER\rSTT"), true, false));
    EXPECT_TRUE(commandRefusal(QStringLiteral("VER\n"), true, false));

    // The view is over the rows themselves, and over the filter while it hides polls.
    RecordModel &model = monitor->model();
    model.clear();
    model.append(0, "OUT", "STT\r", "STT\r", 9);
    model.append(1, "OUT", "VER\r", "VER\r");
    model.flush();
    auto *view = monitor->findChild<QTableView *>(QStringLiteral("recordView"));
    auto *hidePolls = monitor->findChild<QCheckBox *>(QStringLiteral("hidePollsBox"));
    ASSERT_TRUE(view && hidePolls);
    for (const bool hide : {true, false, true}) {
        hidePolls->setChecked(hide);
        ASSERT_EQ(view->model()->rowCount(), hide ? 1 : 2);
        EXPECT_EQ(view->model()->index(0, RecordModel::TextColumn).data().toString(),
                  hide ? QStringLiteral("VER\\r") : QStringLiteral("STT\\r"));
    }
}

} // namespace
