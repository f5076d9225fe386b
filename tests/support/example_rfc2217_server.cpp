#include "support/example_rfc2217_server.h"

#include "support/local_port.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString wrapper = QStringLiteral(PARLINO_TEST_DIR "/support/rfc2217_example_server.py");

} // namespace

bool ExampleRfc2217Server::available()
{
    return QFile::exists(python)
           && QFile::exists(QStringLiteral("/usr/share/doc/python3-serial/examples/"
                                           "rfc2217_server.py"))
           && QProcess::execute(python, {QStringLiteral("-c"), QStringLiteral("import serial")})
                  == 0;
}

ExampleRfc2217Server::ExampleRfc2217Server(const QString &device)
    : process_(std::make_unique<QProcess>())
    , port_(freeLocalPort())
{
    // It logs each client on standard error: no news to a test.
    process_->setStandardOutputFile(QProcess::nullDevice());
    process_->setStandardErrorFile(QProcess::nullDevice());
    process_->start(python, {wrapper, QStringLiteral("-p"), QString::number(port_), device});
    listening_ = process_->waitForStarted(5000)
                 && QTest::qWaitFor([this] { return listensOnLocalPort(port_); }, 10000);
    if (!listening_)
        ADD_FAILURE() << "the python3-serial example server does not listen on 127.0.0.1:" << port_;
}

ExampleRfc2217Server::~ExampleRfc2217Server()
{
    stop();
}

QString ExampleRfc2217Server::rfc2217Name() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(port_);
}

void ExampleRfc2217Server::stop()
{
    if (process_->state() == QProcess::NotRunning)
        return;
    process_->kill();
    process_->waitForFinished(3000);
}
