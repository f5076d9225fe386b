#include "support/ser2net_server.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

QString Ser2NetServer::program()
{
    return QStandardPaths::findExecutable(
        QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
}

Ser2NetServer::Ser2NetServer(const QString &device)
    : process_(std::make_unique<QProcess>())
    , rfc2217Port_(freeLocalPort())
    , tcpPort_(freeLocalPort())
{
    while (tcpPort_ == rfc2217Port_)
        tcpPort_ = freeLocalPort();
    telnetPort_ = freeLocalPort();
    while (telnetPort_ == rfc2217Port_ || telnetPort_ == tcpPort_)
        telnetPort_ = freeLocalPort();
    // No banner and no lock file: the module's bytes alone cross the connection.
    const QString connector
        = QStringLiteral("  connector: serialdev,%1,38400n81,local").arg(device);
    const QStringList configuration = {
        QStringLiteral("connection: &rfc2217"),
        QStringLiteral("  accepter: telnet(rfc2217),tcp,127.0.0.1,%1").arg(rfc2217Port_),
        connector,
        QStringLiteral("connection: &raw"),
        QStringLiteral("  accepter: tcp,127.0.0.1,%1").arg(tcpPort_),
        connector,
        QStringLiteral("connection: &telnet"),
        QStringLiteral("  accepter: telnet,tcp,127.0.0.1,%1").arg(telnetPort_),
        connector,
    };
    arguments_ = QStringList{QStringLiteral("-n"), QStringLiteral("-u")};
    for (const QString &line : configuration)
        arguments_ << QStringLiteral("-Y") << line;
    start();
}

bool Ser2NetServer::start()
{
    // It says on standard error that it runs without mDNS, each time: no news to a test.
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->setStandardErrorFile(QProcess::nullDevice());
    process_->start(program(), arguments_);
    listening_ = process_->waitForStarted(5000)
                 && QTest::qWaitFor(
                     [this] {
                         return listensOnLocalPort(rfc2217Port_) && listensOnLocalPort(tcpPort_)
                                && listensOnLocalPort(telnetPort_);
                     },
                     5000);
    if (!listening_)
        ADD_FAILURE() << "ser2net does not listen on 127.0.0.1:" << rfc2217Port_ << ", " << tcpPort_
                      << " and " << telnetPort_;
    return listening_;
}

Ser2NetServer::~Ser2NetServer()
{
    stop();
}

QString Ser2NetServer::rfc2217Name() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(rfc2217Port_);
}

QString Ser2NetServer::tcpName() const
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(tcpPort_);
}

QString Ser2NetServer::plainTelnetName() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(telnetPort_);
}

QString Ser2NetServer::telnetName() const
{
    return QStringLiteral("telnet://127.0.0.1:%1").arg(telnetPort_);
}

void Ser2NetServer::stop()
{
    if (process_->state() == QProcess::NotRunning)
        return;
    process_->terminate();
    if (!process_->waitForFinished(3000)) {
        process_->kill();
        process_->waitForFinished(3000);
    }
}
