#pragma once

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

} // namespace cp932
