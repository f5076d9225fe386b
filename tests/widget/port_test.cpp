// Choosing, opening and closing the port, the settings file it writes, and the receive event.
#include "link/port_names.h"
#include "link/visible_causes.h"
#include "support/form_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class Port : public FormTest
{
protected:
    void SetUp() override { createForm(); }

    QComboBox *portBox() const { return control<QComboBox>("Combo1"); }
    void pick(const QString &name)
    {
        portBox()->setCurrentIndex(portBox()->findText(name));
        form->Combo1_Click();
    }
    // OPEN, CLOSE and 発話 enabled, in that order.
    std::array<bool, 3> buttons() const
    {
        return {control<QPushButton>("Command5")->isEnabled(),
                control<QPushButton>("Command6")->isEnabled(),
                control<QPushButton>("Command10")->isEnabled()};
    }
};

TEST_F(Port, PickedNamesSelectTheirNumber)
{
    const struct
    {
        const char *text;
        int port;
    } rows[] = {{"COM3", 3},
                {"COM16", 16},
                {"COM17", 16},
                {"com3", 16},
                {"COM3 ", 16},
                {"COM03", 16},
                {"", 16},
                {"COM1", 1},
                {"COM12", 12}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        portBox()->setEditText(QString::fromLatin1(row.text));
        form->Combo1_Click();
        EXPECT_EQ(serial->CommPort(), row.port);
    }
}

TEST_F(Port, OpenWritesTheSettingsFileAndSwapsTheButtons)
{
    pick(QStringLiteral("COM12"));
    EXPECT_EQ(buttons(), (std::array<bool, 3>{true, false, false}));
    form->Command5_Click();
    EXPECT_TRUE(serial->PortOpen());
    EXPECT_EQ(serial->opened, QList<int>{12});
    EXPECT_EQ(work.read("parlino_ini.txt"), QByteArray("COM12\r\n"));
    EXPECT_EQ(buttons(), (std::array<bool, 3>{false, true, true}));
    EXPECT_TRUE(boxes.boxes.isEmpty());

    form->Command6_Click();
    EXPECT_FALSE(serial->PortOpen());
    EXPECT_EQ(buttons(), (std::array<bool, 3>{true, false, false}));
}

TEST_F(Port, OpenTakesThePortTheBoxShowsAndRefusesTextThatNamesNone)
{
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // The operator's keys into the port box, and how the typing ends: the focus moving on
    // (Tab), Enter, or nothing. Typed text never picks, however closely it matches an entry,
    // but OPEN opens the port the box names, exactly as written, or nothing at all.
    const struct
    {
        const char *typed;
        Qt::Key ending;
        int opened; // 0: refused
    } rows[] = {{"COM5", Qt::Key_Tab, 5},
                {"COM5", Qt::Key_Return, 5},
                {"com3", Qt::Key_Tab, 0},
                {"com3", Qt::Key_Return, 0},
                {"foo", Qt::Key_Return, 0},
                {"COM3,X", Qt::Key_unknown, 0},
                {"COM1", Qt::Key_unknown, 1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        pick(QStringLiteral("COM2"));
        QFile::remove(work.file("parlino_ini.txt"));
        serial->opened.clear();
        boxes.boxes.clear();
        portBox()->setFocus();
        portBox()->lineEdit()->selectAll();
        QTest::keyClicks(portBox(), QString::fromLatin1(row.typed));
        if (row.ending != Qt::Key_unknown)
            QTest::keyClick(QApplication::focusWidget(), row.ending);
        // Tabbing back through the box holding the typed text picks nothing either.
        portBox()->setFocus();
        QTest::keyClick(portBox(), Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), portBox());
        EXPECT_EQ(portBox()->currentText(), QString::fromLatin1(row.typed));
        EXPECT_EQ(portBox()->count(), 16);
        form->Command5_Click();
        // Qt's comparison of two empty lists trips the undefined-behaviour sanitizer.
        EXPECT_EQ(serial->opened.size(), row.opened ? 1 : 0);
        EXPECT_EQ(serial->opened.value(0), row.opened);
        EXPECT_EQ(boxes.boxes.size(), row.opened ? 0 : 1);
        // A refusal's details name the text; beneath its message, the names that are ports
        // and how to number a device.
        EXPECT_EQ(boxes.boxes.value(0).details,
                  row.opened
                      ? QString()
                      : QStringLiteral("\"%1\" is no port name (COM1 to COM16)").arg(row.typed));
        EXPECT_EQ(boxes.boxes.value(0).cause.section(u'\n', 0, 0),
                  row.opened ? QString()
                             : QStringLiteral("「%1」はポート名ではありません。COM1 から COM16 "
                                              "を選んでください。")
                                   .arg(row.typed));
        EXPECT_EQ(boxes.boxes.value(0).cause.contains(QLatin1String("PARLINO_COM3=")), !row.opened);
        EXPECT_EQ(work.read("parlino_ini.txt"),
                  row.opened ? QByteArray(row.typed) + "\r\n" : QByteArray());
        form->Command6_Click();
    }
    // The list's own choice, by its arrow keys, is a pick.
    pick(QStringLiteral("COM2"));
    portBox()->setFocus();
    QTest::keyClick(portBox(), Qt::Key_Down);
    EXPECT_EQ(serial->CommPort(), 3);
}

TEST_F(Port, FailedOpenShowsTheMessageAndChangesNothing)
{
    qputenv("PARLINO_COM1", "/dev/ttyUSB7");
    work.write("parlino_ini.txt", "COM7\r\n");
    serial->failOpen = true;
    // Each kind of failure the serial control reports, and the two lines beneath the box's
    // message: what stood in the way, then what to do.
    const struct
    {
        OpenFailureKind kind;
        const char16_t *subject;
        const char16_t *cause;
        const char16_t *remedy;
    } rows[] = {
        {OpenFailureKind::NoSuchDevice,
         u"",
         u"COM1 は /dev/ttyUSB7 ですが、その装置がありません。",
         u"アダプタを差し込むか、ある COM を選んでください（parlino --list-ports）。"},
        {OpenFailureKind::NoAccess,
         u"dialout",
         u"COM1 の /dev/ttyUSB7 を開く権限がありません。",
         u"グループ dialout に入り、ログインし直してください（sudo usermod -aG dialout $USER）。"},
        {OpenFailureKind::NoAccess,
         u"",
         u"COM1 の /dev/ttyUSB7 を開く権限がありません。",
         u"装置の持ち主とグループ、その権限を確かめてください。"},
        {OpenFailureKind::OnlyRoot,
         u"root",
         u"COM1 の /dev/ttyUSB7 は root しか開けません（グループ root）。",
         u"udev の規則（GROUP=\"dialout\", "
         u"MODE=\"0660\"）か装置の持ち主に開けるようにしてもらってください。"},
        {OpenFailureKind::InUse,
         u"minicom (4242)",
         u"COM1 の /dev/ttyUSB7 は他のプログラム（minicom (4242)）が使っています。",
         u"そのプログラムを終えるか、別の COM を選んでください。"},
        {OpenFailureKind::InUse,
         u"",
         u"COM1 の /dev/ttyUSB7 は他のプログラムが使っています。",
         u"そのプログラムを終えるか、別の COM を選んでください。"},
        {OpenFailureKind::OrphanLock,
         u"/run/lock/LCK..ttyUSB7",
         u"COM1 の /dev/ttyUSB7 のロックファイル /run/lock/LCK..ttyUSB7 "
         u"は、動いているプログラムを指していません。",
         u"その装置を使っているプログラムがなければ、/run/lock/LCK..ttyUSB7 を削除してください。"},
        {OpenFailureKind::NotNetworkPort,
         u"",
         u"COM1 の /dev/ttyUSB7 はネットワークのポート名として読めません。",
         u"rfc2217://ホスト:ポート、telnet://ホスト:ポート か tcp://ホスト:ポート "
         u"の形で書いてください。"},
        {OpenFailureKind::ServerUnreached,
         u"",
         u"COM1 の /dev/ttyUSB7 のサーバにつながりません（応答がありません）。",
         u"シリアルサーバの機械が動いていて、ネットワークで届くこと（ファイアウォールなど）を"
         u"確かめてください。"},
        {OpenFailureKind::UnknownHost,
         u"",
         u"COM1 の /dev/ttyUSB7 のホスト名が見つかりません。",
         u"ホスト名の綴りと、名前解決（DNS や /etc/hosts）を確かめてください。"},
        {OpenFailureKind::ServerRefused,
         u"",
         u"COM1 の /dev/ttyUSB7 のホストが接続を拒みました。そのポートでサーバが待っていません。",
         u"シリアルサーバが動いていること、ポート番号がその設定（ser2net なら "
         u"/etc/ser2net.yaml の accepter）と合っていることを確かめてください。"},
        {OpenFailureKind::ServerSilent,
         u"",
         u"COM1 の /dev/ttyUSB7 のサーバは接続を受けましたが、応答しません。",
         u"ポート名の種類（rfc2217://、telnet://、tcp://）がシリアルサーバの設定と"
         u"合っていることを確かめてください（ser2net なら /etc/ser2net.yaml の accepter）。"},
        {OpenFailureKind::ServerBusy,
         u"",
         u"COM1 の /dev/ttyUSB7 "
         u"のサーバが接続を断りました。ほかのクライアントが使っているようです。",
         u"そのクライアントを終えてから、もう一度 OPEN を押してください。"},
        {OpenFailureKind::SettingRefused,
         u"parity none",
         u"COM1 の /dev/ttyUSB7 のサーバが回線の設定（parity none）を受け付けません。",
         u"シリアルサーバの設定を確かめてください（ser2net なら /etc/ser2net.yaml）。"},
        {OpenFailureKind::Other,
         u"",
         u"COM1 の /dev/ttyUSB7 を開けません。",
         u"理由は詳細をご覧ください。"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(QString::fromUtf16(row.cause).toStdString());
        boxes.boxes.clear();
        serial->failCause = {row.kind, QString::fromUtf16(row.subject)};
        form->Command5_Click();
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENできません"));
        EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
        EXPECT_EQ(boxes.boxes[0].buttons, 16);
        // The technical cause the serial control gave is the box's details.
        EXPECT_EQ(boxes.boxes[0].details, QStringLiteral("COM1: refused"));
        EXPECT_EQ(boxes.boxes[0].cause,
                  QString::fromUtf16(row.cause) + u'\n' + QString::fromUtf16(row.remedy));
        EXPECT_EQ(buttons(), (std::array<bool, 3>{true, false, false}));
        EXPECT_EQ(work.read("parlino_ini.txt"), QByteArray("COM7\r\n"));
    }
    qunsetenv("PARLINO_COM1");

    // On Windows the device is mostly the COM name itself, named once, and the serial ports
    // are looked up in Device Manager; a network port keeps its own words on both systems.
    const struct
    {
        Desk desk;
        const char *device;
        OpenFailureKind kind;
        const char16_t *said;
    } bySystem[] = {
        {Desk::Windows,
         "COM1",
         OpenFailureKind::NoSuchDevice,
         u"COM1 というポートがありません。\nアダプタを差し込むか、ある COM を選んでください"
         u"（デバイス マネージャーの「ポート (COM と LPT)」）。"},
        {Desk::Linux,
         "COM1",
         OpenFailureKind::NoSuchDevice,
         u"COM1 というポートがありません。\nアダプタを差し込むか、ある COM を選んでください"
         u"（parlino --list-ports）。"},
        {Desk::Windows,
         "com1",
         OpenFailureKind::InUse,
         u"COM1 は他のプログラムが使っています。\nそのプログラムを終えるか、別の COM "
         u"を選んでください。"},
        {Desk::Windows,
         "COM20",
         OpenFailureKind::Other,
         u"COM1 の COM20 を開けません。\n理由は詳細をご覧ください。"},
    };
    for (const auto &row : bySystem) {
        SCOPED_TRACE(row.device);
        EXPECT_EQ(visibleOpenCause(1, QLatin1String(row.device), {row.kind, {}}, row.desk),
                  QString::fromUtf16(row.said));
    }
    EXPECT_EQ(
        visibleDeviceLoss(3, QStringLiteral("COM3"), Desk::Windows),
        QStringLiteral("COM3 との接続が切れました。\n装置をつなぎ直して、OPEN を押してください"
                       "（デバイス マネージャーの「ポート (COM と LPT)」で確かめられます）。"));
    EXPECT_EQ(portCause(3, QStringLiteral("COM3: no such port")),
              QStringLiteral("COM3: no such port"));
}

TEST_F(Port, OpenStillSucceedsWhenTheSettingsFileCannotBeWrittenAndSaysSo)
{
    // A folder where the file should be: not even root can write the file then.
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("parlino_ini.txt")));
    form->Command5_Click();
    EXPECT_TRUE(serial->PortOpen());
    EXPECT_EQ(buttons(), (std::array<bool, 3>{false, true, true}));
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("File Error"));
    EXPECT_TRUE(boxes.boxes[0].prompt.startsWith(
        QStringLiteral("ポートは開きましたが、設定を保存できません\n")));
    EXPECT_TRUE(boxes.boxes[0].prompt.contains(work.file("parlino_ini.txt")));
}

TEST_F(Port, EachSuccessfulOpenWritesTheFile)
{
    form->Command5_Click();
    form->Command6_Click();
    QFile::remove(work.file("parlino_ini.txt"));
    pick(QStringLiteral("COM2"));
    form->Command5_Click();
    EXPECT_EQ(work.read("parlino_ini.txt"), QByteArray("COM2\r\n"));
    EXPECT_EQ(serial->opened, (QList<int>{1, 2}));
}

TEST_F(Port, PickingAPortWhileOpenLeavesTheOpenPortAlone)
{
    form->Command5_Click();
    pick(QStringLiteral("COM4"));
    EXPECT_TRUE(serial->PortOpen());
    EXPECT_EQ(serial->opened, QList<int>{1});
    form->Command6_Click();
    form->Command5_Click();
    EXPECT_EQ(serial->opened, (QList<int>{1, 4}));
}

TEST_F(Port, WordsAboutTheOpenPortNameItWhateverTheBoxShows)
{
    qputenv("PARLINO_COM1", "/dev/ttyUSB7");
    openPort();
    pick(QStringLiteral("COM4"));
    form->showModuleSilent();
    EXPECT_TRUE(form->windowTitle().endsWith(u"COM1 の /dev/ttyUSB7 のモジュールが応答しません"));
    serial->setPortOpen(false);
    emit serial->deviceLost(QStringLiteral("gone"));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].details, QStringLiteral("COM1: gone"));
    EXPECT_TRUE(boxes.boxes[0].cause.startsWith(u"COM1 の /dev/ttyUSB7 との接続が切れました。"));
    // A new connection starts without the sign of the old one.
    form->Command5_Click();
    EXPECT_FALSE(form->moduleSilentShown());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("PARLINO Ver1.05"));
    qunsetenv("PARLINO_COM1");
}

TEST_F(Port, WritesWhileClosedGoNowhere)
{
    form->writeCommandLine(QStringLiteral("STT"));
    EXPECT_TRUE(serial->written.isEmpty());
    openPort();
    form->writeCommandLine(QStringLiteral("STT"));
    EXPECT_EQ(serial->written, QStringList{QStringLiteral("STT\r")});
}

TEST_F(Port, EachWholeReplyReplacesTheReceivedText)
{
    openPort();
    form->pumpClock().simulate();
    // Each arrival, and what Rcv_dat holds after it: whole replies only, up to the last CR
    // (and an LF after it); what follows waits for its own CR.
    const struct
    {
        const char *arrival;
        const char *received;
    } arrivals[] = {
        {"stt 0\r", "stt 0\r"},
        {"st", "stt 0\r"},
        {"t 1\r", "stt 1\r"},
        {"stt 1\rstt 0\r", "stt 1\rstt 0\r"},
        {"ver 1.00\r", "ver 1.00\r"},
        {"\n", "ver 1.00\r\n"},
        {"stt 0\r\nst", "stt 0\r\n"},
        {"t 1\r\n", "stt 1\r\n"},
        {"ver", "stt 1\r\n"},
    };
    for (const auto &step : arrivals) {
        SCOPED_TRACE(step.arrival);
        serial->deliver(QString::fromLatin1(step.arrival));
        EXPECT_EQ(form->Rcv_dat, QString::fromLatin1(step.received));
    }
    // From a module that ends its replies, text without an end waits for it, whatever the
    // pauses, up to the bound on a reply; then it is taken as it stands.
    form->pumpClock().advance(ReplyAssembler::replyBoundMs - 1);
    form->takeDueReply();
    EXPECT_EQ(form->Rcv_dat, QStringLiteral("stt 1\r\n"));
    form->pumpClock().advance(1);
    form->takeDueReply();
    EXPECT_EQ(form->Rcv_dat, QStringLiteral("ver"));
    // Other events (a modem line, an error) leave it.
    serial->raiseEvent(1001);
    EXPECT_EQ(form->Rcv_dat, QStringLiteral("ver"));
    // Closing and opening again keeps it; a piece left from before the close is dropped.
    serial->deliver(QStringLiteral("stt"));
    form->Command6_Click();
    form->Command5_Click();
    serial->deliver(QStringLiteral(" 0\r"));
    EXPECT_EQ(form->Rcv_dat, QStringLiteral(" 0\r"));
    // A module that has ended no reply on this connection is heard after a quiet gap.
    form->Command6_Click();
    form->Command5_Click();
    serial->deliver(QStringLiteral("stt 0"));
    form->pumpClock().advance(ReplyAssembler::quietGapMs);
    form->takeDueReply();
    EXPECT_EQ(form->Rcv_dat, QStringLiteral("stt 0"));
}

// The port settings file read at start-up: its first field becomes the port box's text.
class SettingsAtStartUp : public FormTest
{
};

TEST_F(SettingsAtStartUp, FirstFieldOfTheFile)
{
    const struct
    {
        const char *content;
        const char *text;
        int port;
    } rows[] = {
        {"COM3\r\n", "COM3", 3},
        {"COM3", "COM3", 3},
        {"COM3,X\r\n", "COM3", 3},
        {"\"COM4\"\r\n", "COM4", 4},
        {"  \r\n\r\nCOM5\r\n", "COM5", 5},
        {"COM17\r\n", "COM17", 1},
        {"com3\r\n", "com3", 1},
        {"", "COM1", 1},
        {"\r\n", "COM1", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.content);
        work.write("parlino_ini.txt", row.content);
        createForm();
        EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), QString::fromLatin1(row.text));
        EXPECT_EQ(serial->CommPort(), row.port);
        EXPECT_FALSE(serial->PortOpen());
    }
}

TEST_F(SettingsAtStartUp, MissingFileKeepsCom1)
{
    createForm();
    EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(serial->CommPort(), 1);
    EXPECT_EQ(control<QComboBox>("Combo1")->count(), 16);
    EXPECT_EQ(control<QComboBox>("Combo1")->itemText(15), QStringLiteral("COM16"));
}

} // namespace
