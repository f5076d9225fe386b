#pragma once

#include "support/local_port.h"

#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

// Debian's ser2net, started for one test, serving one device on 127.0.0.1 at three free
// ports: telnet with RFC 2217, raw TCP, and telnet without RFC 2217 (a server that sets no
// line). The destructor stops it.
class Ser2NetServer
{
public:
    // The program, or an empty string when ser2net is not installed.
    static QString program();

    explicit Ser2NetServer(const QString &device);
    ~Ser2NetServer();
    Ser2NetServer(const Ser2NetServer &) = delete;
    Ser2NetServer &operator=(const Ser2NetServer &) = delete;

    // Whether it listens on both ports; a server that does not is a test failure.
    bool isListening() const { return listening_; }
    QString rfc2217Name() const;
    QString tcpName() const;
    // The port of plain telnet, named as RFC 2217, and as what it is.
    QString plainTelnetName() const;
    QString telnetName() const;
    // Stops the server, which drops its connections; start() serves the same ports again.
    void stop();
    bool start();

private:
    std::unique_ptr<QProcess> process_;
    QStringList arguments_;
    int rfc2217Port_ = 0;
    int tcpPort_ = 0;
    int telnetPort_ = 0;
    bool listening_ = false;
};
