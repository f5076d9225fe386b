// The telnet and RFC 2217 layer of network ports, on bytes alone: what the server sends, what
// the console answers, what reaches the module's data and when the line counts as set.
#include "transport/rfc2217_line.h"
#include "transport/telnet_session.h"

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *bytes)
{
    return QByteArray::fromHex(bytes);
}

TEST(TelnetSession, ServerBytesGiveExactDataAndBoundedAnswers)
{
    const struct
    {
        const char *what;
        QList<const char *> reads; // the server's bytes as the reads bring them, in hex
        const char *data, *answers;
        QList<const char *> subnegotiations;
        bool comPortAgreed, comPortRefused;
    } rows[] = {
        {"the python3-serial server's order: its own offers first, then its agreement",
         {"fffb01 fffb03 fffd00 fffb2c", "fffd2c fffb00"},
         "",
         "fffd01 fffd03 fffd2c",
         {},
         true,
         false},
        {"a server without the COM port option; unknown options refused",
         {"fffe2c fffd18 fffb1f"},
         "",
         "fffc18 fffe1f",
         {},
         false,
         true},
        {"an answer is never answered, a repeated request not answered again",
         {"fffd00 fffd00 fffe00 fffe00", "fffc00 fffc00 fffb00"},
         "",
         "fffc00 fffd00",
         {},
         false,
         false},
        {"0xFF undoubled, CR NUL and CR LF kept with BINARY",
         {"fffb00 41 ffff 0d00 0d0a ff"},
         "41ff0d000d0a",
         "",
         {},
         false,
         false},
        {"without BINARY from the server its CR NUL is a CR",
         {"fffc00 0d00 78 0d0a"},
         "0d780d0a",
         "",
         {},
         false,
         false},
        {"a notification split across reads, never in the data",
         {"68ff", "fa2c6b", "30ff", "f069"},
         "6869",
         "",
         {"2c6b30"},
         false,
         false},
        {"a doubled 0xFF inside a subnegotiation",
         {"fffa2c650000ffffff f0"},
         "",
         "",
         {"2c650000ff"},
         false,
         false},
        {"an over-long subnegotiation dropped at its bound, the bytes after it data again; a "
         "broken one dropped whole",
         {"fffa2c 6161616161616161616161616161616161616161616161616161616161616161 626364 fff078",
          "fffa2c01 fff1 79"},
         "61626364 78 79",
         "",
         {},
         false,
         false},
        {"other commands carry no data",
         {"fff1 fff9 fff6 6f6b fff0"},
         "6f6b",
         "",
         {},
         false,
         false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        // The same bytes one at a time must come to the same: commands are assembled.
        for (const bool byteByByte : {false, true}) {
            TelnetSession session;
            EXPECT_EQ(session.start(), hex("fffb00 fffd00 fffb2c"));
            TelnetSession::Input all;
            qsizetype sent = 0;
            for (const char *read : row.reads) {
                const QByteArray bytes = hex(read);
                sent += bytes.size();
                for (qsizetype at = 0; at < bytes.size(); at += byteByByte ? 1 : bytes.size()) {
                    const TelnetSession::Input got
                        = session.read(bytes.mid(at, byteByByte ? 1 : bytes.size()));
                    all.data += got.data;
                    all.answers += got.answers;
                    all.subnegotiations += got.subnegotiations;
                }
            }
            EXPECT_EQ(all.data, hex(row.data));
            EXPECT_EQ(all.answers, hex(row.answers));
            EXPECT_LE(all.answers.size(), sent);
            QList<QByteArray> subnegotiations;
            for (const char *sub : row.subnegotiations)
                subnegotiations.append(hex(sub));
            EXPECT_EQ(all.subnegotiations, subnegotiations);
            EXPECT_EQ(session.localEnabled(TelnetSession::comPortOption), row.comPortAgreed);
            EXPECT_EQ(session.localRefused(TelnetSession::comPortOption), row.comPortRefused);
        }
    }
    // An unended subnegotiation dropped when the link's time is up: what follows is data.
    TelnetSession session;
    EXPECT_TRUE(session.read(hex("fffa2c6a 00")).data.isEmpty());
    EXPECT_TRUE(session.inSubnegotiation());
    EXPECT_TRUE(session.dropSubnegotiation());
    EXPECT_FALSE(session.dropSubnegotiation());
    EXPECT_EQ(session.read(hex("49444c0d")).data, hex("49444c0d"));
}

TEST(Rfc2217Line, EachSettingConfirmedOrTheOpenFailsWithTheValueAnswered)
{
    EXPECT_EQ(Rfc2217Line::requests(),
              hex("fffa2c0100009600fff0 fffa2c0208fff0 fffa2c0301fff0 fffa2c0401fff0 "
                  "fffa2c0501fff0"));
    using P = Rfc2217Line::Progress;
    const struct
    {
        const char *what;
        QList<const char *> answers;
        P progress;
        const char *refusal;
        const char *note = ""; // an answer not understood
    } rows[] = {
        {"all five, in any order",
         {"2c6901", "2c6801", "2c6701", "2c6608", "2c6500009600"},
         P::Confirmed,
         ""},
        {"notifications and a modem-line answer change nothing",
         {"2c6b30", "2c6500009600", "2c6a00", "2c6608", "2c6908", "2c6701", "2c6801"},
         P::Waiting,
         ""},
        {"the speed kept at 9600",
         {"2c6500002580", "2c6608"},
         P::Refused,
         "the server refused the speed: it answered 9600"},
        {"even parity", {"2c6703"}, P::Refused, "the server refused the parity: it answered even"},
        {"hardware flow control",
         {"2c6903"},
         P::Refused,
         "the server refused the flow control: it answered hardware"},
        {"a two-byte speed is not understood, and refuses nothing",
         {"2c659600", "2c6608", "2c6701", "2c6801", "2c6901"},
         P::Confirmed,
         "",
         "the server's answer to the speed was not understood: 96 00"},
        {"no value",
         {"2c66"},
         P::Waiting,
         "",
         "the server's answer to the data bits was not understood: no value"},
        {"another option's subnegotiation", {"186500002580"}, P::Waiting, ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Rfc2217Line line;
        for (const char *answer : row.answers)
            line.read(hex(answer));
        EXPECT_EQ(line.progress(), row.progress);
        EXPECT_EQ(line.refusal(), QString::fromLatin1(row.refusal));
        EXPECT_EQ(line.notes().join(u'\n'), QString::fromLatin1(row.note));
    }
}

} // namespace
