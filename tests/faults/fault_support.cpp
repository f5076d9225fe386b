#include "fault_support.h"

#include "support/pty_pair.h"
#include "support/sim_fixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTest>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ScriptedModule::ScriptedModule()
    : path_(openRawPty(master_, slave_))
{
    if (master_ < 0)
        return;
    notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ScriptedModule::readWaiting);
}

ScriptedModule::~ScriptedModule()
{
    closeModuleSide();
    if (slave_ >= 0)
        ::close(slave_);
}

void ScriptedModule::readWaiting()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = master_ >= 0 ? ::read(master_, buffer, sizeof buffer) : -1;
        if (n <= 0)
            break;
        received_.append(buffer, n);
        partial_.append(buffer, n);
    }
    // An answer written while the terminal is full runs the event loop, which may bring more
    // lines here; the loop below that is already running takes them in order.
    if (dispatching_)
        return;
    dispatching_ = true;
    qsizetype cr;
    while ((cr = partial_.indexOf('\r')) >= 0) {
        const QByteArray line = partial_.left(cr + 1);
        partial_.remove(0, cr + 1);
        lines_.append(line);
        if (answer) {
            const QByteArray reply = answer(line);
            if (!reply.isEmpty())
                writeAll(reply);
        }
    }
    dispatching_ = false;
}

bool ScriptedModule::writeAll(const QByteArray &bytes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        if (master_ < 0 || deadline.hasExpired())
            return false;
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            sent_.append(bytes.constData() + done, n);
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else {
            // The terminal is full: let the console read.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    return true;
}

QList<QByteArray> ScriptedModule::linesWithoutPolls() const
{
    QList<QByteArray> lines;
    for (const QByteArray &line : lines_) {
        if (line != "STT\r")
            lines.append(line);
    }
    return lines;
}

void ScriptedModule::closeModuleSide()
{
    if (master_ < 0)
        return;
    delete notifier_;
    notifier_ = nullptr;
    ::close(master_);
    master_ = -1;
}

void ConsoleOnModule::SetUp()
{
    ASSERT_TRUE(module.isValid());
    work.copyData();
    qputenv("PARLINO_COM1", QFile::encodeName(module.terminalPath()));
    form = std::make_unique<Form1>();
    form->Command5_Click();
    ASSERT_TRUE(boxes.boxes.isEmpty());
    ASSERT_TRUE(form->MSComm1->PortOpen());
}

void ConsoleOnModule::TearDown()
{
    form.reset();
    qunsetenv("PARLINO_COM1");
}

void ConsoleOnModule::speak(const QString &text)
{
    form->setText1_Text(text);
    button("Command10")->click();
}

QPushButton *ConsoleOnModule::button(const char *name) const
{
    return form->findChild<QPushButton *>(QString::fromLatin1(name));
}

void TwoPorts::SetUp()
{
    ASSERT_TRUE(com1.isValid());
    ASSERT_TRUE(com3.isValid());
    qputenv("PARLINO_COM1", QFile::encodeName(com1.terminalPath()));
    qputenv("PARLINO_COM3", QFile::encodeName(com3.terminalPath()));
}

void TwoPorts::TearDown()
{
    qunsetenv("PARLINO_COM1");
    qunsetenv("PARLINO_COM3");
}

int TwoPorts::openedDevice(Form1 &form)
{
    form.findChild<QPushButton *>(QStringLiteral("Command5"))->click();
    if (!form.MSComm1->PortOpen())
        return 0;
    const qsizetype at1 = com1.countOf("SSD01\r");
    const qsizetype at3 = com3.countOf("SSD01\r");
    form.findChild<QPushButton *>(QStringLiteral("Command7"))->click();
    if (!QTest::qWaitFor(
            [&] { return com1.countOf("SSD01\r") > at1 || com3.countOf("SSD01\r") > at3; }, 2000))
        return 0;
    const bool reached1 = com1.countOf("SSD01\r") > at1;
    const bool reached3 = com3.countOf("SSD01\r") > at3;
    if (reached1 == reached3)
        return 0;
    return reached1 ? 1 : 3;
}

bool chimeReaches(Form1 &form, ScriptedModule &module, int timeoutMs)
{
    const qsizetype before = module.countOf("SSD01\r");
    form.findChild<QPushButton *>(QStringLiteral("Command7"))->click();
    return QTest::qWaitFor([&] { return module.countOf("SSD01\r") > before; }, timeoutMs);
}

bool chimeReaches(Form1 &form, SimModule &sim, int timeoutMs)
{
    const qsizetype before = sim.received().count("SSD01\r");
    form.findChild<QPushButton *>(QStringLiteral("Command7"))->click();
    return sim.waitUntil([&] { return sim.received().count("SSD01\r") > before; }, timeoutMs);
}

FifoReleaser::FifoReleaser(QStringList paths, int graceMs)
    : paths_(std::move(paths))
    , previousPipeHandler_(std::signal(SIGPIPE, SIG_IGN))
{
    thread_ = std::thread([this, graceMs] {
        const auto graceEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
        while (!done_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (done_ || std::chrono::steady_clock::now() < graceEnd)
                continue;
            released_ = true;
            // Reading and writing at once never blocks, and meets a waiting open of either kind.
            for (const QString &path : paths_) {
                const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
            }
        }
    });
}

FifoReleaser::~FifoReleaser()
{
    finish();
}

bool FifoReleaser::finish()
{
    done_ = true;
    if (thread_.joinable()) {
        thread_.join();
        std::signal(SIGPIPE, previousPipeHandler_);
    }
    return released_;
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}
