#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// The line the console asks of an RFC 2217 server (38400 bit/s, 8 data bits, no parity, one
// stop bit, no flow control) and the check of the server's answers. Each setting counts as
// made when the server answers it with the value asked for; a server that answers another
// value in the form the protocol gives (four bytes for the speed, one for the others) has
// refused it and kept that one. An answer in another form (a two-byte speed, no value) is not
// understood: it refuses nothing, the setting counts as answered, and notes() says so.
class Rfc2217Line
{
public:
    enum class Progress { Waiting, Confirmed, Refused };

    // The five settings, each as a COM-PORT-OPTION subnegotiation, ready for the connection.
    static QByteArray requests();

    // Reads one subnegotiation of the server (the option byte first). Notifications of the
    // line and modem state and flow control reports change nothing.
    Progress read(const QByteArray &subnegotiation);
    Progress progress() const { return progress_; }
    // What the server refused: "the server refused the speed: it answered 9600".
    QString refusal() const { return refusal_; }
    // The name of the setting refused ("speed").
    QString refusedSetting() const { return refusedSetting_; }
    // Answers that were not understood, one a line: "the server's answer to the speed was
    // not understood: 96 00".
    const QStringList &notes() const { return notes_; }

private:
    std::array<bool, 5> confirmed_{};
    Progress progress_ = Progress::Waiting;
    QString refusal_;
    QString refusedSetting_;
    QStringList notes_;
};
