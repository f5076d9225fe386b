// The receive path: bytes from the module, cut into arrivals of any size, go through the
// serial control's code page 932 decoder, which keeps its state from one arrival to the next;
// each arrival that gives text is a receive event, whose text the reply assembler joins into
// whole replies that replace Rcv_dat and are classified.
#include "fuzz_check.h"
#include "link/reply.h"
#include "link/reply_assembler.h"
#include "text/cp932.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

// What the serial control and the receive event do with the arrivals of an open port.
class ReceivePath
{
public:
    QString Rcv_dat;
    QString allText;  // the text of every receive event so far, in order
    QString handedOn; // every reply handed to Rcv_dat, and the line feeds added to one

    // One arrival; true when it handed a whole reply to Rcv_dat.
    bool arrive(const QByteArray &bytes)
    {
        const QString text = decoder_.decode(bytes);
        // A lone lead byte decodes to nothing yet; it becomes text with the next arrival.
        if (text.isEmpty())
            return false;
        allText += text;
        const ReplyAssembler::Taken taken = replies_.add(text);
        if (taken.lineFeedOfLast) {
            FUZZ_CHECK(Rcv_dat.endsWith(u'\r'));
            Rcv_dat += u'\n';
            handedOn += u'\n';
        }
        if (!taken.complete)
            return false;
        // A whole reply ends with its line end (CR, LF or CR LF), unless it is a stretch of
        // text so long that no reply is anywhere near it: cut at the bound of a module that
        // ends its replies, or at the noise bound of one that ends none.
        const QString &reply = *taken.complete;
        const bool ended = reply.endsWith(u'\r') || reply.endsWith(u'\n');
        const bool bounded = !reply.contains(u'\r') && !reply.contains(u'\n')
                             && reply.size() >= (taken.cut ? ReplyAssembler::replyBoundBytes
                                                           : ReplyAssembler::maxPending);
        FUZZ_CHECK(ended || bounded);
        Rcv_dat = reply;
        handedOn += reply;
        return true;
    }
    // The line has been quiet: what waits without CR is handed on.
    void quiet()
    {
        if (const std::optional<QString> rest = replies_.flush()) {
            FUZZ_CHECK(!rest->isEmpty());
            Rcv_dat = *rest;
            handedOn += *rest;
        }
        FUZZ_CHECK(!replies_.hasPending());
    }

private:
    cp932::Decoder decoder_;
    ReplyAssembler replies_;
};

struct KnownReply
{
    QStringView prefix;
    ReplyClass reply;
};

void checkClass(const QString &received)
{
    const ReplyClass reply = classifyReply(received);
    // Only the first five characters count.
    FUZZ_CHECK(classifyReply(QStringView(received).first(std::min<qsizetype>(received.size(), 5)))
               == reply);
    FUZZ_CHECK((reply == ReplyClass::None) == !received.startsWith(QLatin1String("stt")));
    static const KnownReply known[] = {{u"stt 0", ReplyClass::Idle},
                                       {u"stt 1", ReplyClass::Speaking},
                                       {u"stt-1", ReplyClass::Error}};
    for (const KnownReply &k : known) {
        if (received.startsWith(k.prefix))
            FUZZ_CHECK(reply == k.reply);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    ReceivePath path;
    QByteArray allBytes;
    while (input.remaining_bytes() > 0) {
        if (input.ConsumeIntegralInRange<int>(0, 7) == 0)
            path.quiet();
        const size_t length = input.ConsumeIntegralInRange<size_t>(0, 24);
        const std::string chunk = input.ConsumeBytesAsString(length);
        const QByteArray bytes(chunk.data(), qsizetype(chunk.size()));
        allBytes += bytes;
        if (path.arrive(bytes))
            checkClass(path.Rcv_dat);
    }
    // However the bytes were cut, the events carry the text of the bytes decoded at once: a
    // double-byte character split between two arrivals comes out whole. Only a lead byte at
    // the very end is still held back.
    FUZZ_CHECK(path.allText == cp932::Decoder().decode(allBytes));
    // Every character received reaches Rcv_dat once, in order: none lost, none twice.
    path.quiet();
    FUZZ_CHECK(path.handedOn == path.allText);
    const QString whole = cp932::decode(allBytes);
    FUZZ_CHECK(whole == path.allText || whole == path.allText + u'\x1A');
    return 0;
}
