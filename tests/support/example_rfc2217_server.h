#pragma once

#include <QProcess>
#include <QString>

// The RFC 2217 example server of Debian's python3-serial, run by rfc2217_example_server.py
// (127.0.0.1 only, modem lines stubbed) for one device at a free port, until destroyed.
class ExampleRfc2217Server
{
public:
    // Whether python3-serial and its example are installed.
    static bool available();

    explicit ExampleRfc2217Server(const QString &device);
    ~ExampleRfc2217Server() { stop(); }

    QString rfc2217Name() const;
    void stop();

private:
    QProcess process_;
    int port_ = 0;
};
