#include "transport/telnet_session.h"

TelnetSession::TelnetSession(bool comPort)
    : comPort_(comPort)
{}

QByteArray TelnetSession::start()
{
    QByteArray out;
    const auto ask = [&out](std::array<Q, 256> &side, unsigned char command, unsigned char option) {
        if (side[option] != Q::No)
            return;
        side[option] = Q::WantYes;
        out += char(iac);
        out += char(command);
        out += char(option);
    };
    ask(us_, will, binary);
    ask(him_, doOption, binary);
    if (comPort_)
        ask(us_, will, comPortOption);
    return out;
}

bool TelnetSession::agreesLocal(unsigned char option) const
{
    return option == binary || (comPort_ && option == comPortOption);
}

bool TelnetSession::agreesRemote(unsigned char option) const
{
    // A server that says WILL COM-PORT-OPTION of its own (python3-serial's example server
    // does) is taken at its word; the line is still set through the console's side.
    return option == binary || option == suppressGoAhead || option == echo
           || (comPort_ && option == comPortOption);
}

// RFC 1143 without the queue: the console asks for each option once and never changes its
// mind while an answer is awaited, so the queue would stay empty.
void TelnetSession::negotiate(unsigned char command, unsigned char option, Input &input)
{
    const auto answer = [&input, option](unsigned char reply) {
        input.answers += char(iac);
        input.answers += char(reply);
        input.answers += char(option);
    };
    const bool remote = command == will || command == wont;
    const bool yes = command == will || command == doOption;
    Q &q = remote ? him_[option] : us_[option];
    const unsigned char agree = remote ? doOption : will;
    const unsigned char refuse = remote ? dont : wont;
    const bool agrees = remote ? agreesRemote(option) : agreesLocal(option);
    if (yes) {
        switch (q) {
        case Q::No:
            if (agrees) {
                q = Q::Yes;
                answer(agree);
            } else {
                answer(refuse);
            }
            break;
        case Q::Yes:
            break;
        case Q::WantNo: // a refusal answered by an offer: the option stays off
            q = Q::No;
            break;
        case Q::WantYes:
            q = Q::Yes;
            break;
        }
        return;
    }
    switch (q) {
    case Q::No:
        break;
    case Q::Yes:
        q = Q::No;
        answer(refuse);
        break;
    case Q::WantNo:
        q = Q::No;
        break;
    case Q::WantYes:
        q = Q::No;
        if (!remote)
            refusedUs_[option] = true;
        break;
    }
}

void TelnetSession::takeData(char byte, Input &input)
{
    // Without BINARY from the server, a CR it sends is followed by NUL, which is no data.
    const bool nulAfterCr = afterCr_ && byte == '\0' && !remoteEnabled(binary);
    afterCr_ = byte == '\r';
    if (!nulAfterCr)
        input.data += byte;
}

TelnetSession::Input TelnetSession::read(const QByteArray &bytes)
{
    Input input;
    input.data.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto u = static_cast<unsigned char>(byte);
        switch (state_) {
        case State::Data:
            if (u == iac)
                state_ = State::Command;
            else
                takeData(byte, input);
            break;
        case State::Command:
            state_ = State::Data;
            if (u == iac) {
                takeData(byte, input);
            } else if (u >= will) { // WILL, WONT, DO, DONT
                command_ = u;
                state_ = State::Option;
            } else if (u == sb) {
                sub_.clear();
                state_ = State::Sub;
            }
            // NOP, DM, BRK, IP, AO, AYT, EC, EL, GA and a stray SE carry no data.
            break;
        case State::Option:
            negotiate(command_, u, input);
            state_ = State::Data;
            break;
        case State::Sub:
            if (u == iac)
                state_ = State::SubCommand;
            else
                takeSubByte(byte, input);
            break;
        case State::SubCommand:
            if (u == iac) {
                state_ = State::Sub;
                takeSubByte(byte, input);
            } else {
                // IAC SE ends it; any other command there is a broken one, dropped whole.
                if (u == se && !sub_.isEmpty())
                    input.subnegotiations.append(sub_);
                else
                    ++input.droppedSubnegotiations;
                sub_.clear();
                state_ = State::Data;
            }
            break;
        }
    }
    return input;
}

void TelnetSession::takeSubByte(char byte, Input &input)
{
    if (sub_.size() < maxSubnegotiation) {
        sub_ += byte;
        return;
    }
    // Past the bound: the subnegotiation is dropped and this byte is data again.
    dropSubnegotiation();
    ++input.droppedSubnegotiations;
    takeData(byte, input);
}

bool TelnetSession::dropSubnegotiation()
{
    if (!inSubnegotiation())
        return false;
    sub_.clear();
    state_ = State::Data;
    return true;
}

QByteArray TelnetSession::escape(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(iac)));
    for (const char byte : data) {
        out += byte;
        if (static_cast<unsigned char>(byte) == iac)
            out += byte;
    }
    return out;
}

QByteArray TelnetSession::subnegotiation(unsigned char option, const QByteArray &payload)
{
    QByteArray out;
    out += char(iac);
    out += char(sb);
    out += char(option);
    out += escape(payload);
    out += char(iac);
    out += char(se);
    return out;
}

bool looksLikeTelnet(const QByteArray &firstBytes)
{
    return firstBytes.size() >= 2 && static_cast<unsigned char>(firstBytes[0]) == TelnetSession::iac
           && static_cast<unsigned char>(firstBytes[1]) >= TelnetSession::sb
           && static_cast<unsigned char>(firstBytes[1]) != 255;
}
