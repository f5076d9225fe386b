#include "sim_fixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

constexpr int startTimeoutMs = 5000;
constexpr int exitTimeoutMs = 3000;
constexpr int pollStepMs = 5;

} // namespace

SimModule::SimModule(const QStringList &extraArguments, int comNumber)
    : m_comVariable("PARLINO_COM" + QByteArray::number(comNumber))
    , m_dir(std::make_unique<QTemporaryDir>())
    , m_process(std::make_unique<QProcess>())
{
    if (!m_dir->isValid()) {
        ADD_FAILURE() << "cannot create a temporary folder for the simulator";
        return;
    }
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setInputChannelMode(QProcess::ManagedInputChannel);
    m_process->start(PARLINO_SIM_PATH, QStringList{"--log", logPath()} + extraArguments);
    if (!m_process->waitForStarted(startTimeoutMs)) {
        ADD_FAILURE() << "cannot start " << PARLINO_SIM_PATH << ": "
                      << m_process->errorString().toStdString();
        return;
    }
    const QDeadlineTimer deadline(startTimeoutMs);
    while (!m_process->canReadLine() && !deadline.hasExpired()
           && m_process->state() == QProcess::Running)
        m_process->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    if (!m_process->canReadLine()) {
        ADD_FAILURE() << "the simulator printed no terminal path (arguments: "
                      << extraArguments.join(' ').toStdString() << ")";
        return;
    }
    m_ptyPath = QString::fromLocal8Bit(m_process->readLine().trimmed());
    qputenv(m_comVariable.constData(), QFile::encodeName(m_ptyPath));
}

SimModule::~SimModule()
{
    qunsetenv(m_comVariable.constData());
    stop();
}

void SimModule::stop()
{
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_process->closeWriteChannel();
    if (m_process->waitForFinished(exitTimeoutMs))
        return;
    m_process->terminate();
    if (m_process->waitForFinished(exitTimeoutMs))
        return;
    m_process->kill();
    m_process->waitForFinished(exitTimeoutMs);
}

QString SimModule::ptyPath() const
{
    return m_ptyPath;
}

int SimModule::pid() const
{
    return static_cast<int>(m_process->processId());
}

QString SimModule::tempPath(const QString &name) const
{
    return m_dir->filePath(name);
}

QString SimModule::logPath() const
{
    return tempPath("sim.log");
}

QList<SimLogRecord> SimModule::log() const
{
    return readSimLog(logPath());
}

QByteArray SimModule::received() const
{
    return receivedBytes(log());
}

QByteArray SimModule::sent() const
{
    return sentBytes(log());
}

bool SimModule::waitForReceived(const QByteArray &expected, int timeoutMs)
{
    return waitUntil([this, &expected] { return received().contains(expected); }, timeoutMs);
}

bool SimModule::waitUntil(const std::function<bool()> &cond, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!cond()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(pollStepMs);
    }
    return true;
}

void SimModule::closeInput()
{
    m_process->closeWriteChannel();
}

void SimModule::sendSignal(int signalNumber)
{
    if (m_process->state() == QProcess::Running)
        ::kill(static_cast<pid_t>(m_process->processId()), signalNumber);
}

bool SimModule::waitForExit(int timeoutMs)
{
    return waitUntil([this] { return m_process->state() == QProcess::NotRunning; }, timeoutMs);
}

bool SimModule::isRunning() const
{
    return m_process->state() != QProcess::NotRunning;
}

int SimModule::exitCode() const
{
    return m_process->exitCode();
}

bool SimModule::exitedNormally() const
{
    return m_process->state() == QProcess::NotRunning
           && m_process->exitStatus() == QProcess::NormalExit;
}
