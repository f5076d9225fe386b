#pragma once

#include <QByteArray>
#include <QList>

#include <array>

// The telnet protocol of a connection to a serial-port server, without the connection: bytes
// of the server in, the module's data, the console's answers and the server's subnegotiations
// out. Options are negotiated by the Q method (RFC 1143): whatever order the server asks in,
// an answer is never answered and no negotiation loops, so the answers are never more bytes
// than the server sent. The console agrees to BINARY both ways (data bytes pass unchanged),
// to the server's SUPPRESS-GO-AHEAD and ECHO, and to COM-PORT-OPTION both ways when it asks
// for it; it refuses everything else.
class TelnetSession
{
public:
    static constexpr unsigned char iac = 255;
    static constexpr unsigned char dont = 254;
    static constexpr unsigned char doOption = 253;
    static constexpr unsigned char wont = 252;
    static constexpr unsigned char will = 251;
    static constexpr unsigned char sb = 250;
    static constexpr unsigned char se = 240;

    static constexpr unsigned char binary = 0;
    static constexpr unsigned char echo = 1;
    static constexpr unsigned char suppressGoAhead = 3;
    static constexpr unsigned char comPortOption = 44;

    // A subnegotiation longer than this is the server's mistake, or one it never ends: it is
    // dropped, and the bytes after the bound are data again, so that no later reply of the
    // module is swallowed.
    static constexpr int maxSubnegotiation = 32;

    // What a piece of the server's bytes came to.
    struct Input
    {
        QByteArray data;    // the module's bytes, exact
        QByteArray answers; // to send to the server at once
        // Each whole subnegotiation: the option, then its bytes with 0xFF undoubled.
        QList<QByteArray> subnegotiations;
        // Subnegotiations dropped at the length bound, or broken by another command.
        int droppedSubnegotiations = 0;
    };

    // comPort: the console asks for COM-PORT-OPTION (RFC 2217).
    explicit TelnetSession(bool comPort = true);

    // The console's first requests: WILL and DO BINARY, and WILL COM-PORT-OPTION.
    QByteArray start();
    // Reads the next bytes from the server; a command split across reads is completed by the
    // reads that follow.
    Input read(const QByteArray &bytes);

    // The console's data for the connection: 0xFF doubled, nothing else changed.
    static QByteArray escape(const QByteArray &data);
    // IAC SB option payload IAC SE, 0xFF in the payload doubled.
    static QByteArray subnegotiation(unsigned char option, const QByteArray &payload);

    // Whether the console performs the option (the server said DO to its WILL).
    bool localEnabled(unsigned char option) const { return us_[option] == Q::Yes; }
    // Whether the server performs the option.
    bool remoteEnabled(unsigned char option) const { return him_[option] == Q::Yes; }
    // Whether the server refused the console's offer of the option (DONT to its WILL).
    bool localRefused(unsigned char option) const { return refusedUs_[option]; }

    // Whether a subnegotiation is begun and not yet ended: the link bounds how long it may
    // stay so.
    bool inSubnegotiation() const { return state_ == State::Sub || state_ == State::SubCommand; }
    // Drops a subnegotiation under way (one the server never ends); what comes next is data.
    // False when there is none.
    bool dropSubnegotiation();

private:
    enum class Q : unsigned char { No, Yes, WantNo, WantYes };
    enum class State { Data, Command, Option, Sub, SubCommand };

    bool agreesLocal(unsigned char option) const;
    bool agreesRemote(unsigned char option) const;
    void negotiate(unsigned char command, unsigned char option, Input &input);
    void takeData(char byte, Input &input);
    void takeSubByte(char byte, Input &input);

    bool comPort_;
    std::array<Q, 256> us_{};
    std::array<Q, 256> him_{};
    std::array<bool, 256> refusedUs_{};
    State state_ = State::Data;
    unsigned char command_ = 0;
    QByteArray sub_;
    bool afterCr_ = false;
};

// Whether the first bytes of a connection are telnet negotiation (IAC and WILL, WONT, DO,
// DONT or SB): the server speaks telnet, not raw bytes. Only what a server sends before the
// port counts as open says so; after it, the same bytes are the module's.
bool looksLikeTelnet(const QByteArray &firstBytes);
