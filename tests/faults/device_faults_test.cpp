// The device goes away (a USB adapter pulled out, the simulator killed) in the middle of a run,
// of a version query and of a record, and comes back: CLOSE then OPEN reconnects, and nothing
// of the run is lost or sent twice. The window opens it again by itself only when the same
// device comes back, never another that has taken its name.
#include "fault_support.h"
#include "support/console_fixture.h"
#include "text/cp932.h"
#include "transport/port_inventory.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>

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

// The loss box that is up, if any.
QMessageBox *openBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

TEST_F(ConsoleOnModule, ADeviceThatComesBackIsOpenedAgainByItselfAndHearsNothingUntilAsked)
{
    // The device is reached by its by-id name, which stays while it is gone and leads to the
    // same adapter when it comes back, on whatever terminal.
    qputenv("PARLINO_SERIAL_BY_ID", QFile::encodeName(work.file("by-id")));
    const auto unsetById = qScopeGuard([] { qunsetenv("PARLINO_SERIAL_BY_ID"); });
    const QString link = work.file("by-id/usb-Maker_Adapter_A10K-if00-port0");
    ASSERT_TRUE(QDir().mkpath(work.file("by-id")) && QFile::link(module.terminalPath(), link));
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

TEST_F(ConsoleOnModule, OnlyTheLostDeviceIsOpenedAgainByItselfWhateverElseTakesItsName)
{
    // How the port names the device: its "by-id" name, a "link" of the user's or the "pty"
    // itself; the USB identities the seam gives the lost terminal and the one that comes
    // under the name; what is typed into the port box meanwhile ("!" picks COM1); and a part
    // of what the loss box then says (null: the device is opened again by itself).
    const struct
    {
        const char *name, *lostUsb, *backUsb, *edit, *cause;
    } rows[] = {
        {"by-id", "", "", nullptr, nullptr},
        {"link", "ftdi A1", "ftdi A1", nullptr, nullptr},
        {"link", "ftdi A1", "ftdi B2", nullptr, "別の装置（USB ftdi B2"},
        {"link", "ch340 port 1-1.2", "ch340 port 1-1.3", nullptr, "（USB ch340 port 1-1.3"},
        {"link", "", "", nullptr, "別の装置（pseudo-terminal"},
        // Its number may go to another terminal, which is not opened; it never comes back.
        {"pty", "", "", nullptr, "自動では開きません"},
        {"by-id", "", "", "COM2", "ポート欄が変わった"},
        {"by-id", "", "", "COM", "ポート欄が変わった"},
        {"by-id", "", "", "!", "ポート欄が変わった"},
    };
    qputenv("PARLINO_SERIAL_BY_ID", QFile::encodeName(work.file("by-id")));
    ASSERT_TRUE(QDir().mkpath(work.file("by-id")));
    const MessageBoxHandler recorder = installMessageBoxHandler({});
    QString lostPath, backPath;
    const char *lostUsb = "", *backUsb = "";
    const UsbIdentityReader system = installUsbIdentityReader([&](const QString &real) {
        return QString::fromUtf8(real == lostPath ? lostUsb : real == backPath ? backUsb : "");
    });
    const auto restore = qScopeGuard([&] {
        installMessageBoxHandler(recorder);
        installUsbIdentityReader(system);
        qunsetenv("PARLINO_SERIAL_BY_ID");
    });
    auto *portBox = form->findChild<QComboBox *>(QStringLiteral("Combo1"));
    for (const auto &row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3").arg(row.name, row.backUsb, row.edit).toStdString());
        button("Command6")->click();
        auto lost = std::make_unique<ScriptedModule>();
        std::unique_ptr<ScriptedModule> back, spares[64];
        lostPath = lost->terminalPath();
        lostUsb = row.lostUsb;
        backUsb = row.backUsb;
        const QString name = QLatin1String(row.name) == "pty" ? lostPath
                             : QLatin1String(row.name) == "by-id"
                                 ? work.file("by-id/usb-Maker_Adapter_A10K-if00-port0")
                                 : work.file("com1");
        QFile::remove(name);
        ASSERT_TRUE(name == lostPath || QFile::link(lostPath, name));
        qputenv("PARLINO_COM1", QFile::encodeName(name));
        portBox->setEditText(QStringLiteral("COM1"));
        button("Command5")->click();
        ASSERT_TRUE(form->MSComm1->PortOpen());

        // While the loss box is up: the port box changes, if the row says so, then another
        // terminal comes under the name; after a while, what the box says is read.
        bool shown = false;
        QString cause;
        QElapsedTimer up;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] {
            QMessageBox *box = openBox();
            if (box && !shown) {
                shown = true;
                up.start();
                if (row.edit && *row.edit == '!')
                    emit portBox->activated(0);
                else if (row.edit)
                    portBox->setEditText(QString::fromLatin1(row.edit));
                if (name == lostPath) {
                    // The number is given to the lowest free: the terminals below it are
                    // taken until it comes, or others have it.
                    lost.reset();
                    back = std::make_unique<ScriptedModule>();
                    for (auto &spare : spares) {
                        if (back->terminalPath() == name)
                            break;
                        spare = std::exchange(back, std::make_unique<ScriptedModule>());
                    }
                } else {
                    back = std::make_unique<ScriptedModule>();
                    QFile::remove(name);
                    QFile::link(back->terminalPath(), name);
                }
                backPath = back->terminalPath();
            } else if (box && up.elapsed() > 1500) {
                // As the operator reads it: the box keeps commands and paths whole in rich text.
                cause = QTextDocumentFragment::fromHtml(box->informativeText()).toPlainText();
                box->done(QMessageBox::Ok);
            }
        });
        lost->closeModuleSide();
        sampler.start(20);
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown && !openBox(); }, 8000));
        sampler.stop();
        EXPECT_EQ(form->MSComm1->PortOpen(), !row.cause);
        EXPECT_TRUE(back->received().isEmpty());
        if (row.cause) {
            EXPECT_TRUE(cause.contains(QString::fromUtf8(row.cause)) && cause.contains(u"OPEN"))
                << cause.toStdString();
            // The operator's OPEN opens what has the name now.
            qputenv("PARLINO_COM1", QFile::encodeName(name == lostPath ? backPath : name));
            portBox->setEditText(QStringLiteral("COM1"));
            button("Command5")->click();
            ASSERT_TRUE(form->MSComm1->PortOpen());
        }
        EXPECT_TRUE(chimeReaches(*form, *back));
    }
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
