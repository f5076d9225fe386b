#include "link/encodable.h"

#include "text/cp932.h"

std::optional<QString> unencodableCharacterMessage(const QString &text)
{
    const qsizetype at = cp932::firstUnencodable(text);
    if (at < 0)
        return std::nullopt;
    const bool pair
        = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
    const char32_t code
        = pair ? QChar::surrogateToUcs4(text[at], text[at + 1]) : text[at].unicode();
    // Half a surrogate pair cannot be shown; its code says what it is.
    const QString shown = QChar::isSurrogate(code) ? QString() : QString::fromUcs4(&code, 1) + u' ';
    return QStringLiteral("送信データにシフトJISで送れない文字があります\n%1行目: %2(U+%3)")
        .arg(QStringView(text).first(at).count(u'\n') + 1)
        .arg(shown, QString::number(uint(code), 16).toUpper().rightJustified(4, u'0'));
}
