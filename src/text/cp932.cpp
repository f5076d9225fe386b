#include "text/cp932.h"
#include "text/cp932_twins.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace cp932 {
namespace {

constexpr char codecName[] = "CP932";
// What the converter puts in place of a character the code page lacks; no character of
// code page 932 is encoded so. A constant, so that encode() is right also when it runs for
// another file's static initialisation, before any constructor of this file.
constexpr QByteArrayView substitute("\xFC\xFC", 2);

// ASCII bytes read as themselves and need no converter: module replies, commands and
// settings never load the code page's tables, which only Japanese text needs.
bool isAscii(QByteArrayView bytes)
{
    for (const char byte : bytes) {
        if (uchar(byte) >= 0x80)
            return false;
    }
    return true;
}

bool isSwappedControl(char byte)
{
    return byte == '\x1A' || byte == '\x1C' || byte == '\x7F';
}

// The bytes of the character at text[i] (one code unit, or two for a surrogate pair), or
// nothing when the code page has no form for it; length gets the code units it took.
std::optional<QByteArray>
encodeOne(std::optional<QStringEncoder> &encoder, QStringView text, qsizetype i, qsizetype *length)
{
    const char16_t c = text[i].unicode();
    *length = 1;
    if (c < 0x80)
        return QByteArray(1, char(c));
    char16_t twin = 0;
    const QStringView one = unitsToEncode(text, i, &twin, length);
    // Half a pair never reaches the converter: it would keep a lone high surrogate and put
    // its substitute bytes before the next character it is given.
    if (one.isEmpty())
        return std::nullopt;
    // One character at a time, so that a character the code page lacks can be told apart
    // from the others: the converter yields its own substitute bytes for it, which must
    // never reach the module. (Its error flag cannot be reset once set.)
    if (!encoder)
        encoder.emplace(codecName);
    const QByteArray bytes = encoder->encode(one);
    if (bytes.isEmpty() || bytes == substitute)
        return std::nullopt;
    return bytes;
}

// Decodes bytes through the converter, which keeps a lead byte at the end for the next call.
// Its table swaps three control codes (0x1A reads as U+001C, 0x1C as U+007F, 0x7F as
// U+001A), where encode() and Windows keep every ASCII byte as itself. None of the three can
// be the second byte of a character: the bytes before one are decoded up to it, a lead byte
// held back turning invalid as before a CR, and it goes in as itself.
QString decodeKeepingControls(QStringDecoder &converter, QByteArrayView bytes)
{
    QString text;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!isSwappedControl(bytes[i]))
            continue;
        text += converter.decode(bytes.sliced(start, i - start));
        text += converter.decode(QByteArrayView("\r", 1));
        text.chop(1);
        text += QChar(uchar(bytes[i]));
        start = i + 1;
    }
    text += converter.decode(bytes.sliced(start));
    return text;
}

} // namespace

QByteArray encode(QStringView text)
{
    std::optional<QStringEncoder> encoder;
    return encodeWith(text, [&](QStringView in, qsizetype i, qsizetype *length) {
        return encodeOne(encoder, in, i, length);
    });
}

qsizetype firstUnencodable(QStringView text)
{
    std::optional<QStringEncoder> encoder;
    return firstUnencodableIn(text, [&](QStringView in, qsizetype i, qsizetype *length) {
        return encodeOne(encoder, in, i, length);
    });
}

QString decode(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // A CR after the bytes makes the converter give up a lead byte cut off at the end as an
    // invalid one (U+001A, as for every byte it cannot decode); the CR is then taken off.
    QStringDecoder converter(codecName);
    QString text = decodeKeepingControls(converter, bytes + '\r');
    text.chop(1);
    return text;
}

std::optional<QString> decodeStrict(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // The converter flags a byte that is no character and a pair the code page leaves
    // unassigned; the CR after the bytes makes a lead byte cut off at the end one of them.
    QStringDecoder converter(codecName);
    QString text = decodeKeepingControls(converter, bytes + '\r');
    if (converter.hasError())
        return std::nullopt;
    text.chop(1);
    return text;
}

struct Decoder::State
{
    QStringDecoder converter{codecName};
};

// The converter is made for the first byte that is not ASCII: until then nothing is held back.
Decoder::Decoder() = default;
Decoder::~Decoder() = default;
Decoder::Decoder(Decoder &&other) noexcept = default;
Decoder &Decoder::operator=(Decoder &&other) noexcept = default;

QString Decoder::decode(QByteArrayView bytes)
{
    if (!state_) {
        if (isAscii(bytes))
            return QString::fromLatin1(bytes);
        state_ = std::make_unique<State>();
    }
    return decodeKeepingControls(state_->converter, bytes);
}

} // namespace cp932
