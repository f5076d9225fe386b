#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Text on the serial line and in the text files is code page 932.
namespace cp932 {

// Encodes text for the module. Characters that code page 932 lacks but has a twin for, as
// Linux input methods type them (U+301C for U+FF5E and the like), go out as the twin;
// anything else it cannot encode goes out as '?', as Windows does.
QByteArray encode(QStringView text);

// Decodes a whole byte sequence; bytes that are no character become U+001A.
QString decode(const QByteArray &bytes);

} // namespace cp932
