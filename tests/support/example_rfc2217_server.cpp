#include "support/example_rfc2217_server.h"

#include "support/local_port.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

bool ExampleRfc2217Server::available()
{
    return QFile::exists(QStringLiteral("/usr/share/doc/python3-serial/examples/rfc2217_server.py"))
           && QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                {QStringLiteral("-c"), QStringLiteral("import serial")})
                  == 0;
}

ExampleRfc2217Server::ExampleRfc2217Server(const QString &device)
    : port_(freeLocalPort())
{
    // It logs each client on standard error: no news to a test.
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(PARLINO_TEST_DIR "/support/rfc2217_example_server.py"),
                    QStringLiteral("-p"),
                    QString::number(port_),
                    device});
    if (!QTest::qWaitFor([this] { return listensOnLocalPort(port_); }, 10000))
        ADD_FAILURE() << "the python3-serial example server does not listen on " << port_;
}

QString ExampleRfc2217Server::rfc2217Name() const
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(port_);
}

void ExampleRfc2217Server::stop()
{
    process_.kill();
    process_.waitForFinished(3000);
}
