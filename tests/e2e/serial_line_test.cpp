// The serial link through a real pseudo-terminal: the bytes the console puts on the line,
// the text it makes of what arrives, and a device that goes away.
#include "support/pty_pair.h"
#include "support/recorders.h"
#include "transport/qt_serial_control.h"
#include "ui/form1.h"

#include <QPushButton>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SerialLine : public ::testing::Test
{
protected:
    ScopedWorkDir work;
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    PtyPair module;
    std::unique_ptr<Form1> form;

    void SetUp() override
    {
        ASSERT_TRUE(module.isValid());
        qputenv("PARLINO_COM1", module.terminalPath().toLocal8Bit());
        form = std::make_unique<Form1>();
        form->Timer1->stop();
        form->Timer2->stop();
        form->Command5_Click();
        ASSERT_TRUE(boxes.boxes.isEmpty());
        ASSERT_TRUE(form->MSComm1->PortOpen());
    }
    void TearDown() override
    {
        form.reset();
        qunsetenv("PARLINO_COM1");
    }

    // Waits until the receive event has stored this text.
    bool receivedText(const QString &text)
    {
        return QTest::qWaitFor([&] { return form->Rcv_dat == text; }, 2000);
    }
};

TEST_F(SerialLine, CommandLinesGoOutByteExact)
{
    const struct
    {
        const char16_t *command;
        QByteArray bytes;
    } rows[] = {
        {u"STT", "\x53\x54\x54\x0D"},
        {u"MSGあいう", "MSG\x82\xA0\x82\xA2\x82\xA4\r"},
        {u"MSGｱｲｳ", "MSG\xB1\xB2\xB3\r"},
        {u"MSG\u301C", "MSG\x81\x60\r"},
        {u"MSG\U0001F600", "MSG?\r"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.command).toStdString());
        form->writeCommandLine(QString::fromUtf16(row.command));
        EXPECT_EQ(module.read(int(row.bytes.size())).toHex(' '), row.bytes.toHex(' '));
    }
}

TEST_F(SerialLine, ReceivedBytesBecomeText)
{
    module.write("stt 0\r");
    EXPECT_TRUE(receivedText(QStringLiteral("stt 0\r")));
    module.write("\x82\xA0\x82\xA2\r");
    EXPECT_TRUE(receivedText(QStringLiteral("あい\r")));
}

TEST_F(SerialLine, AReplyInTwoPiecesLeavesOnlyTheSecond)
{
    module.write("st");
    EXPECT_TRUE(receivedText(QStringLiteral("st")));
    module.write("t 0\r");
    EXPECT_TRUE(receivedText(QStringLiteral("t 0\r")));
}

TEST_F(SerialLine, ADoubleByteCharacterSplitOverTwoWritesArrivesWhole)
{
    module.write("ab\x82");
    EXPECT_TRUE(receivedText(QStringLiteral("ab")));
    module.write("\xA0z");
    EXPECT_TRUE(receivedText(QStringLiteral("あz")));
}

TEST_F(SerialLine, CloseAndReopenKeepTheReceivedText)
{
    module.write("stt 1\r");
    ASSERT_TRUE(receivedText(QStringLiteral("stt 1\r")));
    form->Command6_Click();
    EXPECT_FALSE(form->MSComm1->PortOpen());
    form->Command5_Click();
    EXPECT_TRUE(form->MSComm1->PortOpen());
    EXPECT_EQ(form->Rcv_dat, QStringLiteral("stt 1\r"));
    form->writeCommandLine(QStringLiteral("VER"));
    EXPECT_EQ(module.read(4), QByteArray("VER\r"));
}

TEST_F(SerialLine, WritesAfterCloseGoNowhere)
{
    form->Command6_Click();
    form->writeCommandLine(QStringLiteral("STT"));
    EXPECT_TRUE(module.readFor(100).isEmpty());
}

TEST_F(SerialLine, ADeviceThatGoesAwayIsClosedOnceWithoutAStorm)
{
    QSignalSpy lost(form->MSComm1, &SerialControl::deviceLost);
    QSignalSpy events(form->MSComm1, &SerialControl::OnComm);
    auto *port = form->MSComm1->findChild<QSerialPort *>();
    ASSERT_NE(port, nullptr);
    QSignalSpy errors(port, &QSerialPort::errorOccurred);
    module.closeModuleSide();
    ASSERT_TRUE(lost.wait(2000));
    // Give a storm of errors time to show itself; none may come.
    QTest::qWait(300);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(form->MSComm1->PortOpen());
    EXPECT_LE(events.count(), 1);
    EXPECT_LE(errors.count(), 3);
    // The window still answers, and writes after the loss go nowhere.
    form->writeCommandLine(QStringLiteral("STT"));
    form->findChild<QPushButton *>(QStringLiteral("Command6"))->click();
    EXPECT_TRUE(form->findChild<QPushButton *>(QStringLiteral("Command5"))->isEnabled());
    // The operator is told once, after the serial control's own handler has returned.
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMが切断されました"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
    // Beneath it, visible at once: the port, its device and what to do.
    EXPECT_EQ(boxes.boxes[0].cause.section(u'\n', 0, 0),
              QStringLiteral("COM1 の %1 との接続が切れました。").arg(module.terminalPath()));
}

TEST(SerialReconnect, CloseThenOpenReconnectsWhenTheDeviceIsBack)
{
    ScopedWorkDir work;
    MessageBoxRecorder boxes;
    QString path;
    auto module = std::make_unique<PtyPair>();
    qputenv("PARLINO_COM1", module->terminalPath().toLocal8Bit());
    Form1 form;
    form.Command5_Click();
    ASSERT_TRUE(form.MSComm1->PortOpen());
    QSignalSpy lost(form.MSComm1, &SerialControl::deviceLost);
    module.reset();
    ASSERT_TRUE(lost.wait(2000));
    form.Command6_Click();

    // The device comes back (a new terminal under the same name).
    module = std::make_unique<PtyPair>();
    qputenv("PARLINO_COM1", module->terminalPath().toLocal8Bit());
    form.Command5_Click();
    EXPECT_TRUE(boxes.boxes.isEmpty());
    ASSERT_TRUE(form.MSComm1->PortOpen());
    form.writeCommandLine(QStringLiteral("STT"));
    EXPECT_EQ(module->read(4), QByteArray("STT\r"));
    qunsetenv("PARLINO_COM1");
}

TEST(SerialOpen, AMissingDeviceShowsTheMessageAndChangesNothing)
{
    ScopedWorkDir work;
    MessageBoxRecorder boxes;
    qputenv("PARLINO_COM1", "/dev/parlino-no-such-device");
    Form1 form;
    form.Command5_Click();
    qunsetenv("PARLINO_COM1");
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENできません"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
    EXPECT_FALSE(form.MSComm1->PortOpen());
    EXPECT_TRUE(form.findChild<QPushButton *>(QStringLiteral("Command5"))->isEnabled());
    EXPECT_FALSE(form.findChild<QPushButton *>(QStringLiteral("Command6"))->isEnabled());
    EXPECT_FALSE(form.findChild<QPushButton *>(QStringLiteral("Command10"))->isEnabled());
    EXPECT_FALSE(QFile::exists(work.file("parlino_ini.txt")));
}

} // namespace
