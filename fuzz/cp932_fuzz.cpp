// Code page 932 both ways. The bytes are decoded as they come from the serial line or a
// file; the same bytes read as UTF-16 are any text the operator can type, and are encoded.
#include "fuzz_check.h"
#include "fuzz_text.h"
#include "text/cp932.h"

namespace {

bool isLeadByte(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Walks the text's characters (a surrogate pair is one) and the encoded characters (a lead
// byte and the byte after it are one) side by side: one encoded character for each
// character, ASCII as itself, and never the converter's substitute 0xFC 0xFC.
void checkCharacterByCharacter(QStringView text, const QByteArray &bytes)
{
    qsizetype at = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        FUZZ_CHECK(at < bytes.size());
        const uchar first = uchar(bytes[at]);
        if (c < 0x80) {
            FUZZ_CHECK(first == c);
            ++at;
        } else if (isLeadByte(first)) {
            FUZZ_CHECK(at + 1 < bytes.size());
            FUZZ_CHECK(!(first == 0xFC && uchar(bytes[at + 1]) == 0xFC));
            at += 2;
        } else {
            // A single byte for a character outside ASCII: half-width katakana, or '?'.
            FUZZ_CHECK((first >= 0xA1 && first <= 0xDF) || first == '?');
            ++at;
        }
    }
    FUZZ_CHECK(at == bytes.size());
}

void checkDecode(const QByteArray &bytes)
{
    const QString text = cp932::decode(bytes);
    // Every character takes at least one byte.
    FUZZ_CHECK(text.size() <= bytes.size());
    // Whatever was received encodes back to the same text.
    FUZZ_CHECK(cp932::decode(cp932::encode(text)) == unassignedAsQuestionMarks(text));
}

void checkEncode(QStringView text)
{
    const QByteArray bytes = cp932::encode(text);
    checkCharacterByCharacter(text, bytes);
    // The encoder writes each character in its one preferred form: decoding and encoding
    // again changes nothing.
    FUZZ_CHECK(cp932::encode(cp932::decode(bytes)) == bytes);
    // No byte that is no character: decoding yields U+001A only where the text had it.
    FUZZ_CHECK(cp932::decode(bytes).count(u'\x1A') == text.count(u'\x1A'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkDecode(fuzzBytes(data, size));
    checkEncode(utf16Text(data, size));
    return 0;
}
