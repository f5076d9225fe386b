// The port: held by another program, and named by a text that is no port name (from the
// settings file or typed). OPEN refuses with its message, or opens the port whose number was
// set last.
#include "fault_support.h"
#include "support/console_process.h"
#include "text/cp932.h"
#include "transport/device_locks.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTest>

#include <optional>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The device is open in this process: reached by another name, a second window and a scripted
// run are refused as in use, the run naming this process, and nothing reaches the module.
void expectInUseUnder(const QString &name, ScriptedModule &module, const ScopedWorkDir &work)
{
    SCOPED_TRACE(name.toStdString());
    qputenv("PARLINO_COM3", QFile::encodeName(name));
    const auto unsetCom3 = qScopeGuard([] { qunsetenv("PARLINO_COM3"); });
    Form1 second;
    second.ui.Combo1->setEditText(QStringLiteral("COM3"));
    second.Command5_Click();
    EXPECT_FALSE(second.MSComm1->PortOpen());
    work.write(QStringLiteral("one.txt"), cp932::encode(u"あ\r\n"));
    const ConsoleResult run = runConsole({"--speak", "one.txt", "--port", "COM3"}, work.path());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("in use by another program (process "
                                 + QByteArray::number(QCoreApplication::applicationPid())))
        << run.err.toStdString();
    EXPECT_FALSE(module.received().contains("MSG"));
}

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

// A lock file naming the process in each form serial programs write; Qt's own is made from
// the lines of one of its locks.
QByteArray lockNaming(qint64 pid, int form, QList<QByteArray> qtLines)
{
    switch (form) {
    case 0: // Qt's own: the id, the program, the host ...
        qtLines[0] = QByteArray::number(pid);
        qtLines[1] = "sleep";
        return qtLines.join('\n');
    case 1: // ten columns and a line feed
        return QByteArray::number(pid).rightJustified(10, ' ') + "\n";
    case 2: // the id alone, no line end
        return QByteArray::number(pid);
    default: { // the old binary form: the id as four bytes
        const qint32 binary = qint32(pid);
        return QByteArray(reinterpret_cast<const char *>(&binary), sizeof binary);
    }
    }
}

TEST(PortInUse, ALiveProcesssLockInAnyFormKeepsThePortTheirsAndADeadOnesIsTakenOver)
{
    ScopedWorkDir work;
    work.copyData();
    MessageBoxRecorder boxes;
    EndProgramRecorder end;
    ScriptedModule module;
    ASSERT_TRUE(module.isValid());
    qputenv("PARLINO_COM1", QFile::encodeName(module.terminalPath()));
    const auto unsetPort = qScopeGuard([] { qunsetenv("PARLINO_COM1"); });
    const std::optional<PortLock> lock = portLockOf(module.terminalPath());
    ASSERT_TRUE(lock.has_value());
    ASSERT_FALSE(QFile::exists(lock->path));
    const auto removeLock = qScopeGuard([&] { QFile::remove(lock->path); });
    auto writeLock = [&](const QByteArray &content) {
        QFile file(lock->path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
               && file.write(content) == content.size();
    };
    auto readLock = [&] {
        QFile file(lock->path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QProcess holder;
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted());

    // The same device reached through a link (as udev's by-id links reach it): its lock under
    // the device's own name holds it all the same.
    const QString link = work.file(QStringLiteral("by-id-link"));
    ASSERT_TRUE(QFile::link(module.terminalPath(), link));
    for (int form = 0; form < 8; ++form) {
        SCOPED_TRACE(form);
        const QString name = form < 4 ? module.terminalPath() : link;
        qputenv("PARLINO_COM1", QFile::encodeName(name));
        const QByteArray content = lockNaming(holder.processId(), form % 4, lock->lines);
        ASSERT_TRUE(writeLock(content));
        boxes.boxes.clear();
        auto window = std::make_unique<Form1>();
        window->findChild<QPushButton *>(QStringLiteral("Command5"))->click();
        ASSERT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENできません"));
        EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Com Port Error"));
        EXPECT_FALSE(window->MSComm1->PortOpen());
        // The operator reads who holds the port in the box's details.
        EXPECT_TRUE(boxes.boxes[0].details.contains(
            QStringLiteral("process %1 sleep").arg(holder.processId())))
            << boxes.boxes[0].details.toStdString();
        EXPECT_FALSE(QFile::exists(work.file(QStringLiteral("parlino_ini.txt"))));
        // Nothing reached the held port, and the other program's lock is left as it was.
        window->findChild<QPushButton *>(QStringLiteral("Command7"))->click();
        QTest::qWait(50);
        EXPECT_TRUE(module.received().isEmpty());
        EXPECT_EQ(readLock(), content);
    }

    // Locks that name no running program are the operator's to remove, and OPEN says so.
    const std::pair<std::function<bool()>, const char *> noProgram[]
        = {{[&] { return writeLock({}); }, "is empty"},
           {[&] { return writeLock("lock\n"); }, "holds no process id"},
           {[&] { return writeLock("99999999\n"); }, "holds no process id"},
           {[&] { return QFile::remove(lock->path) && QDir().mkdir(lock->path); }, "is a folder"},
           {[&] { return QDir().rmdir(lock->path) && QFile::link(work.file("gone"), lock->path); },
            "is a link to"}};
    for (const auto &[make, says] : noProgram) {
        SCOPED_TRACE(says);
        boxes.boxes.clear();
        ASSERT_TRUE(make());
        Form1 window;
        window.Command5_Click();
        EXPECT_FALSE(window.MSComm1->PortOpen());
        ASSERT_EQ(boxes.boxes.size(), 1);
        const QString details = boxes.boxes[0].details;
        EXPECT_TRUE(details.contains(lock->path + u' ' + QLatin1String(says))
                    && details.endsWith(QStringLiteral("; it names no running program and may "
                                                       "be removed if no program uses the port")))
            << details.toStdString();
        EXPECT_TRUE(QFileInfo(lock->path).exists() || QFileInfo(lock->path).isSymLink());
    }
    QFile::remove(lock->path);

    // The other program has ended and left its lock behind: OPEN takes it over, and the
    // console gives the port back on leaving. So does a lock naming the console's own process,
    // which has not opened the port: an ended process had the same id.
    const qint64 ended = holder.processId();
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished());
    qputenv("PARLINO_COM1", QFile::encodeName(module.terminalPath()));
    for (int form = 0; form < 8; ++form) {
        SCOPED_TRACE(form);
        const qint64 pid = form < 4 ? ended : QCoreApplication::applicationPid();
        ASSERT_TRUE(writeLock(lockNaming(pid, form % 4, lock->lines)));
        auto window = std::make_unique<Form1>();
        window->findChild<QPushButton *>(QStringLiteral("Command5"))->click();
        ASSERT_TRUE(window->MSComm1->PortOpen());
        EXPECT_TRUE(chimeReaches(*window, module));
        // Our own lock names us as those programs read it: the id on the first line.
        EXPECT_EQ(readLock().split('\n').value(0),
                  QByteArray::number(QCoreApplication::applicationPid()));
        window.reset();
        EXPECT_FALSE(QFile::exists(lock->path));
    }

    // The console holds the device through the link: under the device's own name a second
    // window and a scripted run are refused, the run naming the holder.
    qputenv("PARLINO_COM1", QFile::encodeName(link));
    Form1 owner;
    owner.Command5_Click();
    ASSERT_TRUE(owner.MSComm1->PortOpen());
    expectInUseUnder(module.terminalPath(), module, work);
}

TEST_F(ConsoleOnModule, SecondNamesOfTheOpenDeviceThatAreNoLinksAreRefusedAsInUse)
{
    // A second node of the device (where root may make one), then a bind mount of it.
    struct stat device = {};
    ASSERT_EQ(::stat(QFile::encodeName(module.terminalPath()).constData(), &device), 0);
    const QByteArray node = QFile::encodeName(work.file(QStringLiteral("node")));
    if (::mknod(node.constData(), S_IFCHR | 0600, device.st_rdev) == 0)
        expectInUseUnder(QFile::decodeName(node), module, work);
    else
        EXPECT_NE(::geteuid(), 0u) << "root could not make a device node: " << strerror(errno);
    work.write(QStringLiteral("bound"), {});
    const QByteArray bound = QFile::encodeName(work.file(QStringLiteral("bound")));
    if (::mount(QFile::encodeName(module.terminalPath()), bound, nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "bind mounts are not allowed here: " << strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(bound.constData(), MNT_DETACH); });
    expectInUseUnder(QFile::decodeName(bound), module, work);
}

using PortNames = TwoPorts;

TEST_F(PortNames, ANameFromTheSettingsFileThatIsNoPortOpensNothing)
{
    const struct
    {
        const char *name;
        QByteArray file;
        QString shown;
        int device; // 0: OPEN refused
    } rows[] = {
        {"a port above 16", "COM17\r\n", QStringLiteral("COM17"), 0},
        {"port zero", "COM0\r\n", QStringLiteral("COM0"), 0},
        {"lower case", "com3\r\n", QStringLiteral("com3"), 0},
        {"a leading zero", "COM03\r\n", QStringLiteral("COM03"), 0},
        {"a trailing blank", "COM3 \r\n", QStringLiteral("COM3 "), 0},
        {"full-width letters", cp932::encode(u"ＣＯＭ３\r\n"), QStringLiteral("ＣＯＭ３"), 0},
        {"a tab inside", "COM\t3\r\n", QStringLiteral("COM\t3"), 0},
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
        // Refused with the open-failure box, the file as it was; or the port that opened.
        ASSERT_EQ(boxes.boxes.size(), row.device ? 0 : 1);
        if (!row.device) {
            EXPECT_EQ(boxes.boxes[0].prompt, QStringLiteral("COMがOPENできません"));
        }
        EXPECT_EQ(work.read(QStringLiteral("parlino_ini.txt")),
                  row.device ? cp932::encode(row.shown) + "\r\n" : row.file);
    }
}

TEST_F(PortNames, TheTypedNameIsThePortThatOpensAndTheOneKeptForTheNextStart)
{
    ScopedWorkDir work;
    {
        Form1 form;
        auto *portBox = form.findChild<QComboBox *>(QStringLiteral("Combo1"));
        portBox->setCurrentIndex(2);
        emit portBox->activated(2);
        ASSERT_EQ(portBox->currentText(), QStringLiteral("COM3"));
        portBox->setEditText(QString());
        QTest::keyClicks(portBox, QStringLiteral("COM1"));
        EXPECT_EQ(openedDevice(form), 1);
        EXPECT_EQ(work.read(QStringLiteral("parlino_ini.txt")), QByteArray("COM1\r\n"));
        form.Command6_Click();
        // Text that names no port opens nothing and leaves the saved port alone.
        portBox->setEditText(QString());
        QTest::keyClicks(portBox, QStringLiteral("COM99"));
        EXPECT_EQ(openedDevice(form), 0);
        EXPECT_EQ(boxes.boxes.size(), 1);
        EXPECT_EQ(work.read(QStringLiteral("parlino_ini.txt")), QByteArray("COM1\r\n"));
    }
    Form1 again;
    EXPECT_EQ(again.findChild<QComboBox *>(QStringLiteral("Combo1"))->currentText(),
              QStringLiteral("COM1"));
    EXPECT_EQ(openedDevice(again), 1);
}

} // namespace
