// The telnet and RFC 2217 layer of network ports: random server bytes, cut into reads of any
// size. Nothing crashes; cutting changes nothing; the answers are whole option commands and
// never outgrow what the server sent; the console's own data crosses the escape exactly.
#include "fuzz_check.h"
#include "transport/rfc2217_line.h"
#include "transport/telnet_session.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

TelnetSession::Input readAll(TelnetSession &session, const QList<QByteArray> &reads)
{
    TelnetSession::Input all;
    for (const QByteArray &bytes : reads) {
        const TelnetSession::Input got = session.read(bytes);
        all.data += got.data;
        all.answers += got.answers;
        all.subnegotiations += got.subnegotiations;
        all.droppedSubnegotiations += got.droppedSubnegotiations;
    }
    return all;
}

bool sameInput(const TelnetSession::Input &a, const TelnetSession::Input &b)
{
    return a.data == b.data && a.answers == b.answers && a.subnegotiations == b.subnegotiations
           && a.droppedSubnegotiations == b.droppedSubnegotiations;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool comPort = input.ConsumeBool();
    QList<QByteArray> reads;
    QByteArray whole;
    while (input.remaining_bytes() > 0) {
        const std::string piece = input.ConsumeRandomLengthString(64);
        reads.append(QByteArray(piece.data(), qsizetype(piece.size())));
        whole += reads.last();
    }

    TelnetSession cut(comPort);
    TelnetSession once(comPort);
    cut.start();
    once.start();
    const TelnetSession::Input fromReads = readAll(cut, reads);
    const TelnetSession::Input fromWhole = readAll(once, {whole});
    FUZZ_CHECK(sameInput(fromReads, fromWhole));
    FUZZ_CHECK(fromWhole.data.size() <= whole.size());
    // Each answer is one option command, and the server sent one for each.
    FUZZ_CHECK(fromWhole.answers.size() % 3 == 0);
    FUZZ_CHECK(fromWhole.answers.size() <= whole.size());
    for (qsizetype at = 0; at < fromWhole.answers.size(); at += 3) {
        FUZZ_CHECK(static_cast<unsigned char>(fromWhole.answers[at]) == TelnetSession::iac);
        FUZZ_CHECK(static_cast<unsigned char>(fromWhole.answers[at + 1]) >= TelnetSession::will);
    }
    for (const QByteArray &sub : fromWhole.subnegotiations)
        FUZZ_CHECK(!sub.isEmpty() && sub.size() <= TelnetSession::maxSubnegotiation);

    // A subnegotiation left open is dropped when the link's time for it is up: what follows is
    // data again.
    if (once.dropSubnegotiation())
        FUZZ_CHECK(!once.inSubnegotiation() && once.read(QByteArray("A")).data == "A");

    // An agreement that only confirms what holds is an answer, and an answer is never
    // answered: no negotiation loops. IAC SE twice first ends whatever command the random
    // bytes left open.
    once.read(QByteArray("\xFF\xF0\xFF\xF0", 4));
    for (int option = 0; option < 256; ++option) {
        const auto command = [option](unsigned char verb) {
            QByteArray bytes(3, char(TelnetSession::iac));
            bytes[1] = char(verb);
            bytes[2] = char(option);
            return bytes;
        };
        if (once.remoteEnabled(option))
            FUZZ_CHECK(once.read(command(TelnetSession::will)).answers.isEmpty());
        if (once.localEnabled(option))
            FUZZ_CHECK(once.read(command(TelnetSession::doOption)).answers.isEmpty());
        if (!once.remoteEnabled(option) && !once.localEnabled(option)) {
            const TelnetSession::Input refused = once.read(command(TelnetSession::dont));
            FUZZ_CHECK(refused.answers.isEmpty() && refused.data.isEmpty());
        }
    }

    Rfc2217Line line;
    for (const QByteArray &sub : fromWhole.subnegotiations)
        line.read(sub);
    FUZZ_CHECK((line.progress() == Rfc2217Line::Progress::Refused) == !line.refusal().isEmpty());

    // Any bytes as the module's data, escaped by a server in BINARY, come out exact.
    TelnetSession binary(comPort);
    binary.start();
    const QByteArray agreed("\xFF\xFB\x00", 3);
    FUZZ_CHECK(binary.read(agreed).answers.isEmpty());
    const TelnetSession::Input back = binary.read(TelnetSession::escape(whole));
    FUZZ_CHECK(back.data == whole && back.answers.isEmpty() && back.subnegotiations.isEmpty());
    return 0;
}
