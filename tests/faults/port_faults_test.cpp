// The port: held by another program, and named by a text that is no port name (from the
// settings file or typed). OPEN refuses with its message, or opens the port whose number was
// set last.
#include "fault_support.h"
#include "platform/cp932.h"
#include "platform/open_failure.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTest>

#include <optional>

namespace {

// The lock file Qt's serial port makes for a device while it is open: where it is and what
// it holds (process id, program name, host and machine lines). Found by opening the device
// once from this process.
struct PortLock
{
    QString path;
    QList<QByteArray> lines;
};

std::optional<PortLock> portLockOf(const QString &device)
{
    QSerialPort port(device);
    if (!port.open(QIODevice::ReadWrite))
        return std::nullopt;
    const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString &folder : portLockFolders()) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("LCK..*")}, QDir::Files)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QList<QByteArray> lines = file.readAll().split('\n');
            if (lines.size() >= 3 && lines[0] == ownPid)
                return PortLock{file.fileName(), lines};
        }
    }
    return std::nullopt;
}

TEST(PortInUse, OpenIsRefusedWhileAnotherProgramHoldsThePortAndSucceedsOnceItHasEnded)
{
    ScopedWorkDir work;
    work.copyData();
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    ScriptedModule module;
    ASSERT_TRUE(module.isValid());
    qputenv("PARLINO_COM1", QFile::encodeName(module.terminalPath()));
    const auto unsetPort = qScopeGuard([] { qunsetenv("PARLINO_COM1"); });

    // Another program holds the port: a lock file in Qt's own form naming a running process.
    const std::optional<PortLock> lock = portLockOf(module.terminalPath());
    ASSERT_TRUE(lock.has_value());
    ASSERT_FALSE(QFile::exists(lock->path));
    const auto removeLock = qScopeGuard([&] { QFile::remove(lock->path); });
    QProcess holder;
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted());
    QList<QByteArray> lines = lock->lines;
    lines[0] = QByteArray::number(holder.processId());
    lines[1] = "sleep";
    {
        QFile file(lock->path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join('\n'));
    }

    auto form = std::make_unique<Form1>();
    auto button = [&](const char *name) {
        return form->findChild<QPushButton *>(QString::fromLatin1(name));
    };
    button("Command5")->click();
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENできません"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
    EXPECT_FALSE(form->MSComm1->PortOpen());
    EXPECT_TRUE(button("Command5")->isEnabled());
    EXPECT_FALSE(button("Command6")->isEnabled());
    EXPECT_FALSE(button("Command10")->isEnabled());
    EXPECT_FALSE(QFile::exists(work.file(QStringLiteral("parlino_ini.txt"))));
    // Nothing reached the held port, and the other program's lock is left alone.
    button("Command7")->click();
    QTest::qWait(100);
    EXPECT_TRUE(module.received().isEmpty());
    EXPECT_TRUE(QFile::exists(lock->path));

    // The other program ends and leaves its lock behind: OPEN now succeeds.
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished());
    button("Command5")->click();
    EXPECT_EQ(boxes.boxes.size(), 1);
    ASSERT_TRUE(form->MSComm1->PortOpen());
    EXPECT_EQ(work.read(QStringLiteral("parlino_ini.txt")), QByteArray("COM1\r\n"));
    EXPECT_TRUE(chimeReaches(*form, module));
    form.reset();
    // The console took the stale lock over and gave the port back on leaving.
    EXPECT_FALSE(QFile::exists(lock->path));
}

using PortNames = TwoPorts;

TEST_F(PortNames, ANameFromTheSettingsFileThatIsNoPortOpensPortOne)
{
    const struct
    {
        const char *name;
        QByteArray file;
        QString shown;
        int device;
    } rows[] = {
        {"a port above 16", "COM17\r\n", QStringLiteral("COM17"), 1},
        {"port zero", "COM0\r\n", QStringLiteral("COM0"), 1},
        {"lower case", "com3\r\n", QStringLiteral("com3"), 1},
        {"a leading zero", "COM03\r\n", QStringLiteral("COM03"), 1},
        {"a trailing blank", "COM3 \r\n", QStringLiteral("COM3 "), 1},
        {"full-width letters", cp932::encode(u"ＣＯＭ３\r\n"), QStringLiteral("ＣＯＭ３"), 1},
        {"a tab inside", "COM\t3\r\n", QStringLiteral("COM\t3"), 1},
        // The control rows: a real port name opens that port.
        {"a quoted name", "\"COM3\"\r\n", QStringLiteral("COM3"), 3},
        {"a name and more fields", "COM3,COM1\r\n", QStringLiteral("COM3"), 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ScopedWorkDir work;
        work.write(QStringLiteral("parlino_ini.txt"), row.file);
        boxes.boxes.clear();
        Form1 form;
        auto *portBox = form.findChild<QComboBox *>(QStringLiteral("Combo1"));
        EXPECT_EQ(portBox->currentText(), row.shown);
        EXPECT_EQ(openedDevice(form), row.device);
        EXPECT_TRUE(boxes.boxes.isEmpty());
        // OPEN keeps what the box shows, as it shows it.
        EXPECT_EQ(work.read(QStringLiteral("parlino_ini.txt")), cp932::encode(row.shown) + "\r\n");
    }
}

TEST_F(PortNames, ATypedNameThatIsNoPortOpensThePortPickedLastAndIsKeptForTheNextStart)
{
    ScopedWorkDir work;
    {
        Form1 form;
        auto *portBox = form.findChild<QComboBox *>(QStringLiteral("Combo1"));
        portBox->setCurrentIndex(2);
        emit portBox->activated(2);
        ASSERT_EQ(portBox->currentText(), QStringLiteral("COM3"));
        portBox->setEditText(QString());
        QTest::keyClicks(portBox, QStringLiteral("COM99"));
        EXPECT_EQ(portBox->currentText(), QStringLiteral("COM99"));
        EXPECT_EQ(openedDevice(form), 3);
        EXPECT_EQ(work.read(QStringLiteral("parlino_ini.txt")), QByteArray("COM99\r\n"));
    }
    // The next start shows the typed text and, as it names no port, opens port 1.
    Form1 again;
    EXPECT_EQ(again.findChild<QComboBox *>(QStringLiteral("Combo1"))->currentText(),
              QStringLiteral("COM99"));
    EXPECT_EQ(openedDevice(again), 1);
    EXPECT_TRUE(boxes.boxes.isEmpty());
}

} // namespace
