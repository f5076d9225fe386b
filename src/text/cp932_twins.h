#pragma once

#include <QByteArray>
#include <QChar>
#include <QStringView>

#include <vector>

// What the code page 932 converters of both systems share.
namespace cp932 {

// Characters a Linux desktop types where a Windows one types the code page 932 form.
constexpr char16_t twinOf(char16_t c)
{
    switch (c) {
    case u'\u301C':
        return u'\uFF5E'; // WAVE DASH -> FULLWIDTH TILDE
    case u'\u2016':
        return u'\u2225'; // DOUBLE VERTICAL LINE -> PARALLEL TO
    case u'\u2212':
        return u'\uFF0D'; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case u'\u00A2':
        return u'\uFFE0'; // CENT SIGN -> FULLWIDTH CENT SIGN
    case u'\u00A3':
        return u'\uFFE1'; // POUND SIGN -> FULLWIDTH POUND SIGN
    case u'\u00AC':
        return u'\uFFE2'; // NOT SIGN -> FULLWIDTH NOT SIGN
    case u'\u2014':
        return u'\u2015'; // EM DASH -> HORIZONTAL BAR
    default:
        return c;
    }
}

// The code units of the character at text[i], not ASCII, as a converter is to take them: a
// surrogate pair as it stands, a single unit with its twin put in (kept in *twin); empty for
// half a pair, which is no character. length gets the code units the character spans.
inline QStringView unitsToEncode(QStringView text, qsizetype i, char16_t *twin, qsizetype *length)
{
    const char16_t c = text[i].unicode();
    *twin = twinOf(c);
    *length = 1;
    if (!QChar::isSurrogate(c))
        return QStringView(twin, 1);
    if (QChar::isHighSurrogate(c) && i + 1 < text.size()
        && QChar::isLowSurrogate(text[i + 1].unicode())) {
        *length = 2;
        return text.mid(i, 2);
    }
    return {};
}

// Both converters take text a character at a time, through their own
// encodeOne(text, i, &length): the bytes of the character at text[i], or nothing when the
// code page has no form for it, with length set to the code units it spans.

// The text's bytes, '?' for each character the code page lacks, as Windows sends it.
template<typename EncodeOne>
QByteArray encodeWith(QStringView text, EncodeOne encodeOne)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    qsizetype length = 1;
    for (qsizetype i = 0; i < text.size(); i += length)
        out.append(encodeOne(text, i, &length).value_or(QByteArray(1, '?')));
    return out;
}

// The index of the first character encodeOne has no bytes for, or -1. A script repeats a few
// hundred characters many thousand times: each character of the basic plane is put to the
// converter once, and ASCII never.
template<typename EncodeOne>
qsizetype firstUnencodableIn(QStringView text, EncodeOne encodeOne)
{
    enum : unsigned char { unknown, encodable, lacking };
    std::vector<unsigned char> known;
    qsizetype length = 1;
    for (qsizetype i = 0; i < text.size(); i += length) {
        const char16_t c = text[i].unicode();
        length = 1;
        if (c < 0x80)
            continue;
        if (QChar::isSurrogate(c)) {
            if (!encodeOne(text, i, &length))
                return i;
            continue;
        }
        if (known.empty())
            known.resize(0x10000, unknown);
        if (known[c] == unknown)
            known[c] = encodeOne(text, i, &length) ? encodable : lacking;
        if (known[c] == lacking)
            return i;
    }
    return -1;
}

} // namespace cp932
