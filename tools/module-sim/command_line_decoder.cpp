#include "command_line_decoder.h"

#include <QStringDecoder>

std::optional<QString> decodeCommandLine(QByteArrayView bytes)
{
    // A whole line is decoded at once, so a lead byte left at its end is an error, not a
    // character waiting for its second half.
    QStringDecoder decoder("CP932", QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (!decoder.isValid() || decoder.hasError() || text.contains(QChar::ReplacementCharacter))
        return std::nullopt;
    return text;
}
