// The telnet and RFC 2217 layer of network ports, on bytes alone: what the server sends, what
// the console answers, what reaches the module's data and when the line counts as set.
#include "transport/rfc2217_line.h"
#include "transport/telnet_session.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out += char(value);
    return out;
}

constexpr int IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr int BINARY = 0, ECHO_ = 1, SGA = 3, COM = 44, NOP = 241;

TEST(TelnetSession, ServerBytesGiveExactDataAndBoundedAnswers)
{
    const struct
    {
        const char *what;
        std::vector<QByteArray> chunks; // as the reads bring them
        QByteArray data;
        QByteArray answers;
        QList<QByteArray> subnegotiations;
        bool comPortAgreed;
        bool comPortRefused;
    } rows[] = {
        {"the python3-serial server's order: its own offers first, then its agreement",
         {bytes({IAC, WILL, ECHO_, IAC, WILL, SGA, IAC, DO, BINARY, IAC, WILL, COM}),
          bytes({IAC, DO, COM, IAC, WILL, BINARY})},
         {},
         bytes({IAC, DO, ECHO_, IAC, DO, SGA, IAC, DO, COM}),
         {},
         true,
         false},
        {"a server without the COM port option refuses it; unknown options are refused",
         {bytes({IAC, DONT, COM, IAC, DO, 24, IAC, WILL, 31})},
         {},
         bytes({IAC, WONT, 24, IAC, DONT, 31}),
         {},
         false,
         true},
        {"an answer to an answer is never sent, a repeated request is not answered again",
         {bytes({IAC, DO, BINARY, IAC, DO, BINARY, IAC, DONT, BINARY, IAC, DONT, BINARY}),
          bytes({IAC, WONT, BINARY, IAC, WONT, BINARY, IAC, WILL, BINARY})},
         {},
         bytes({IAC, WONT, BINARY, IAC, DO, BINARY}),
         {},
         false,
         false},
        {"0xFF undoubled, CR NUL and CR LF kept as they are with BINARY",
         {bytes({IAC, WILL, BINARY, 'A', IAC, IAC, '\r', 0, '\r', '\n', IAC})},
         bytes({'A', 0xFF, '\r', 0, '\r', '\n'}),
         {},
         {},
         false,
         false},
        {"without BINARY from the server, its CR NUL is a CR",
         {bytes({IAC, WONT, BINARY, '\r', 0, 'x', '\r', '\n'})},
         bytes({'\r', 'x', '\r', '\n'}),
         {},
         {},
         false,
         false},
        {"a notification split across reads is assembled and never reaches the data",
         {bytes({'h', IAC}), bytes({SB, COM, 107}), bytes({0x30, IAC}), bytes({SE, 'i'})},
         "hi",
         {},
         {bytes({COM, 107, 0x30})},
         false,
         false},
        {"a doubled 0xFF inside a subnegotiation",
         {bytes({IAC, SB, COM, 101, 0, 0, IAC, IAC, IAC, SE})},
         {},
         {},
         {bytes({COM, 101, 0, 0, 0xFF})},
         false,
         false},
        {"an over-long or broken subnegotiation is dropped whole",
         {bytes({IAC, SB, COM}) + QByteArray(100, 'a') + bytes({IAC, SE, 'x'}),
          bytes({IAC, SB, COM, 1, IAC, NOP, 'y'})},
         "xy",
         {},
         {},
         false,
         false},
        {"other commands carry no data",
         {bytes({IAC, 241, IAC, 249, IAC, 246, 'o', 'k', IAC, SE})},
         "ok",
         {},
         {},
         false,
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        // The same bytes one at a time must come to the same: commands are assembled.
        for (const bool byteByByte : {false, true}) {
            TelnetSession session;
            EXPECT_EQ(session.start(), bytes({IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, COM}));
            TelnetSession::Input all;
            qsizetype sent = 0;
            for (const QByteArray &chunk : row.chunks) {
                sent += chunk.size();
                for (qsizetype at = 0; at < chunk.size(); at += byteByByte ? 1 : chunk.size()) {
                    const TelnetSession::Input got
                        = session.read(chunk.mid(at, byteByByte ? 1 : chunk.size()));
                    all.data += got.data;
                    all.answers += got.answers;
                    all.subnegotiations += got.subnegotiations;
                }
            }
            EXPECT_EQ(all.data, row.data);
            EXPECT_EQ(all.answers, row.answers);
            EXPECT_LE(all.answers.size(), sent);
            EXPECT_EQ(all.subnegotiations, row.subnegotiations);
            EXPECT_EQ(session.localEnabled(COM), row.comPortAgreed);
            EXPECT_EQ(session.localRefused(COM), row.comPortRefused);
        }
    }
}

TEST(TelnetSession, TheConsolesDataGoesOutWithOnly0xFFDoubled)
{
    EXPECT_EQ(TelnetSession::escape(bytes({'\r', 0, 0xFF, '\r', '\n', 0xFF, 0xFF})),
              bytes({'\r', 0, 0xFF, 0xFF, '\r', '\n', 0xFF, 0xFF, 0xFF, 0xFF}));
    const struct
    {
        QByteArray first;
        bool telnet;
    } rows[] = {
        {bytes({IAC, WILL, SGA}), true},
        {bytes({IAC, DO, BINARY}), true},
        {bytes({IAC, SB, COM}), true},
        {bytes({IAC, IAC}), false},
        {bytes({IAC}), false},
        {"stt 0\r", false},
    };
    for (const auto &row : rows)
        EXPECT_EQ(looksLikeTelnet(row.first), row.telnet) << row.first.toHex().toStdString();
}

TEST(Rfc2217Line, EachSettingConfirmedOrTheOpenFailsWithTheValueAnswered)
{
    EXPECT_EQ(Rfc2217Line::requests(),
              bytes({IAC, SB, COM, 1,   0,   0,   0x96, 0,   IAC, SE,  IAC, SB,  COM,
                     2,   8,  IAC, SE,  IAC, SB,  COM,  3,   1,   IAC, SE,  IAC, SB,
                     COM, 4,  1,   IAC, SE,  IAC, SB,   COM, 5,   1,   IAC, SE}));
    const QByteArray speed = bytes({COM, 101, 0, 0, 0x96, 0});
    const QByteArray dataBits = bytes({COM, 102, 8});
    const QByteArray parity = bytes({COM, 103, 1});
    const QByteArray stopBits = bytes({COM, 104, 1});
    const QByteArray flow = bytes({COM, 105, 1});
    using P = Rfc2217Line::Progress;
    const struct
    {
        const char *what;
        QList<QByteArray> answers;
        P progress;
        const char *refusal;
    } rows[] = {
        {"all five, in any order", {flow, stopBits, parity, dataBits, speed}, P::Confirmed, ""},
        {"notifications and a modem-line answer change nothing",
         {bytes({COM, 107, 0x30}),
          speed,
          bytes({COM, 106, 0}),
          dataBits,
          bytes({COM, 105, 8}),
          parity,
          stopBits},
         P::Waiting,
         ""},
        {"the speed kept at 9600",
         {bytes({COM, 101, 0, 0, 0x25, 0x80}), dataBits},
         P::Refused,
         "the server refused the speed: it answered 9600"},
        {"even parity",
         {speed, bytes({COM, 103, 3})},
         P::Refused,
         "the server refused the parity: it answered even"},
        {"hardware flow control",
         {bytes({COM, 105, 3})},
         P::Refused,
         "the server refused the flow control: it answered hardware"},
        {"no value",
         {bytes({COM, 102})},
         P::Refused,
         "the server refused the data bits: it answered nothing"},
        {"another option's subnegotiation", {bytes({24, 101, 0, 0, 0x25, 0x80})}, P::Waiting, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Rfc2217Line line;
        for (const QByteArray &answer : row.answers)
            line.read(answer);
        EXPECT_EQ(line.progress(), row.progress);
        EXPECT_EQ(line.refusal(), QString::fromLatin1(row.refusal));
    }
}

} // namespace
