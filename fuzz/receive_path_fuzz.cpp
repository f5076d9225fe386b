// The receive path: bytes from the module, cut into arrivals of any size, go through the
// serial control's code page 932 decoder, which keeps its state from one arrival to the next;
// each arrival that gives text is a receive event, whose text replaces Rcv_dat whole and is
// classified as a reply.
#include "fuzz_check.h"
#include "link/reply.h"
#include "platform/cp932.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

// What the serial control and the receive event do with the arrivals of an open port.
class ReceivePath
{
public:
    QString Rcv_dat;
    QString allText; // the text of every receive event so far, in order

    // One arrival; true when it raised a receive event.
    bool arrive(const QByteArray &bytes)
    {
        const QString text = decoder_.decode(bytes);
        // A lone lead byte decodes to nothing yet; it becomes text with the next arrival.
        if (text.isEmpty())
            return false;
        Rcv_dat = text;
        allText += text;
        return true;
    }

private:
    cp932::Decoder decoder_;
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
    const QString whole = cp932::decode(allBytes);
    FUZZ_CHECK(whole == path.allText || whole == path.allText + u'\x1A');
    return 0;
}
