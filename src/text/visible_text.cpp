#include "text/visible_text.h"

QString visibleText(QStringView text)
{
    QString visible;
    visible.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\r':
            visible += QLatin1String("\\r");
            break;
        case '\n':
            visible += QLatin1String("\\n");
            break;
        case '\t':
            visible += QLatin1String("\\t");
            break;
        case '\\':
            visible += QLatin1String("\\\\");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                visible += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                visible += c;
        }
    }
    return visible;
}
