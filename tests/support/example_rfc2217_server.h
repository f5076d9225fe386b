#pragma once

#include <QString>

#include <memory>

class QProcess;

// The RFC 2217 example server of Debian's python3-serial, started for one test through
// rfc2217_example_server.py (127.0.0.1 only, modem lines stubbed for a pseudo-terminal),
// serving one device at a free port. The destructor stops it.
class ExampleRfc2217Server
{
public:
    // Whether python3-serial and its example are installed.
    static bool available();

    explicit ExampleRfc2217Server(const QString &device);
    ~ExampleRfc2217Server();
    ExampleRfc2217Server(const ExampleRfc2217Server &) = delete;
    ExampleRfc2217Server &operator=(const ExampleRfc2217Server &) = delete;

    bool isListening() const { return listening_; }
    QString rfc2217Name() const;
    void stop();

private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
    bool listening_ = false;
};
