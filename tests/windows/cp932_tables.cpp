// Prints what the code page 932 converter of this build makes of every character of the
// Basic Multilingual Plane and of every one- and two-byte sequence, whole and split in two.
// tools/windows/test compares the Windows converter's table, run under Wine, line by line
// with the Linux one's.
#include "text/cp932.h"

#include <QTextStream>

namespace {

QString hexOf(const QString &text)
{
    QString hex;
    for (const QChar c : text)
        hex += QStringLiteral("%1 ").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return hex.trimmed();
}

void printDecoding(QTextStream &out, const QByteArray &bytes)
{
    const std::optional<QString> strict = cp932::decodeStrict(bytes);
    // Split after the first byte, with an ASCII letter after the second piece, as arrivals on
    // the line come.
    cp932::Decoder decoder;
    QString split = decoder.decode(bytes.first(1));
    split += decoder.decode(bytes.sliced(1) + 'A');
    out << bytes.toHex(' ') << '\t' << hexOf(cp932::decode(bytes)) << '\t'
        << (strict ? hexOf(*strict) : QStringLiteral("refused")) << '\t' << hexOf(split) << '\n';
}

} // namespace

int main()
{
    QTextStream out(stdout);
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const char16_t unit = char16_t(c);
        const QStringView text(&unit, 1);
        out << QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')) << '\t'
            << cp932::encode(text).toHex(' ') << '\t' << cp932::firstUnencodable(text) << '\n';
    }
    for (const char32_t c : {U'\U0001F600', U'\U00020B9F'}) {
        const QString text = QString::fromUcs4(&c, 1);
        out << QStringLiteral("U+%1").arg(uint(c), 5, 16, QLatin1Char('0')) << '\t'
            << cp932::encode(text).toHex(' ') << '\t' << cp932::firstUnencodable(text) << '\n';
    }
    for (int first = 0; first <= 0xFF; ++first) {
        printDecoding(out, QByteArray(1, char(first)) + 'B');
        if (first < 0x80)
            continue;
        for (int second = 0; second <= 0xFF; ++second)
            printDecoding(out, QByteArray(1, char(first)) + char(second));
    }
    return 0;
}
