// Code page 932 through the Windows converter (MultiByteToWideChar, WideCharToMultiByte),
// giving the same bytes and text as the Linux one: twins mapped before encoding, '?' for
// what the code page lacks, U+001A for a byte that is no character, U+FFFD for a pair the
// code page leaves unassigned, every ASCII byte as itself.
#include "text/cp932.h"
#include "text/cp932_twins.h"

#include <qt_windows.h>

namespace cp932 {
namespace {

constexpr UINT codePage = 932;
constexpr char16_t noCharacter = u'\u001A';
constexpr char16_t unassigned = u'\uFFFD';

bool isLeadByte(uchar byte)
{
    return IsDBCSLeadByteEx(codePage, byte);
}

// The second byte of a pair is 0x40-0x7E or 0x80-0xFC. After a lead byte, any other byte
// leaves the lead byte alone as no character and starts a character of its own.
bool isTrailByte(uchar byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Windows gives a few single bytes that are no character of the code page (0x80, 0xA0,
// 0xFD-0xFF) a C1 control or a private-use code point; no text means them, either way.
bool isStraySingleByteForm(char16_t c)
{
    return (c >= 0x80 && c <= 0x9F) || (c >= 0xE000 && c <= 0xF8FF);
}

std::optional<char16_t> toUnicode(const char *bytes, int size)
{
    wchar_t character = 0;
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, &character, 1) != 1)
        return std::nullopt;
    return char16_t(character);
}

// The bytes of the character at text[i] (one code unit, or two for a surrogate pair), or
// nothing when the code page has no form for it; length gets the code units it took.
std::optional<QByteArray> encodeOne(QStringView text, qsizetype i, qsizetype *length)
{
    const char16_t c = text[i].unicode();
    *length = 1;
    if (c < 0x80)
        return QByteArray(1, char(c));
    char16_t twin = 0;
    const QStringView one = unitsToEncode(text, i, &twin, length);
    if (one.isEmpty())
        return std::nullopt; // half a pair is no character
    // No best fit: U+00A5 must not go out as a backslash, nor any look-alike as another
    // character. The default character flags what the code page lacks.
    char bytes[4];
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage,
                                         WC_NO_BEST_FIT_CHARS,
                                         reinterpret_cast<const wchar_t *>(one.utf16()),
                                         int(one.size()),
                                         bytes,
                                         int(sizeof bytes),
                                         nullptr,
                                         &usedDefault);
    if (size <= 0 || usedDefault || (size == 1 && isStraySingleByteForm(twin)))
        return std::nullopt;
    return QByteArray(bytes, size);
}

// Decodes the bytes. A lead byte that ends them is left over (used stops before it) when
// holdLastLead is set, else read as no character; valid turns false at any byte or pair
// that is no character.
QString decodeBytes(QByteArrayView bytes, bool holdLastLead, qsizetype *used, bool *valid)
{
    QString text;
    text.reserve(bytes.size());
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const uchar byte = uchar(data[i]);
        if (byte < 0x80) {
            text += QChar(byte);
            ++i;
        } else if (isLeadByte(byte)) {
            if (i + 1 == size && holdLastLead)
                break;
            if (i + 1 == size || !isTrailByte(uchar(data[i + 1]))) {
                text += QChar(noCharacter);
                *valid = false;
                ++i;
                continue;
            }
            const std::optional<char16_t> character = toUnicode(data + i, 2);
            text += QChar(character.value_or(unassigned));
            *valid = *valid && character.has_value();
            i += 2;
        } else {
            const std::optional<char16_t> character = toUnicode(data + i, 1);
            const bool meaningful = character && !isStraySingleByteForm(*character);
            text += QChar(meaningful ? *character : noCharacter);
            *valid = *valid && meaningful;
            ++i;
        }
    }
    *used = i;
    return text;
}

} // namespace

QByteArray encode(QStringView text)
{
    return encodeWith(text, encodeOne);
}

qsizetype firstUnencodable(QStringView text)
{
    return firstUnencodableIn(text, encodeOne);
}

QString decode(const QByteArray &bytes)
{
    qsizetype used = 0;
    bool valid = true;
    return decodeBytes(bytes, false, &used, &valid);
}

std::optional<QString> decodeStrict(const QByteArray &bytes)
{
    qsizetype used = 0;
    bool valid = true;
    QString text = decodeBytes(bytes, false, &used, &valid);
    if (!valid)
        return std::nullopt;
    return text;
}

struct Decoder::State
{
    QByteArray heldLeadByte;
};

Decoder::Decoder()
    : state_(std::make_unique<State>())
{}
Decoder::~Decoder() = default;
Decoder::Decoder(Decoder &&other) noexcept = default;
Decoder &Decoder::operator=(Decoder &&other) noexcept = default;

QString Decoder::decode(QByteArrayView bytes)
{
    QByteArray joined;
    if (!state_->heldLeadByte.isEmpty()) {
        joined = state_->heldLeadByte;
        joined.append(bytes);
        bytes = joined;
    }
    qsizetype used = 0;
    bool valid = true;
    const QString text = decodeBytes(bytes, true, &used, &valid);
    state_->heldLeadByte = bytes.sliced(used).toByteArray();
    return text;
}

} // namespace cp932
