#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>

// Readable failure messages: GoogleTest finds these by argument-dependent lookup. Every test
// file of this program includes this header, so all of them print Qt strings the same way.

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// Printable ASCII as is, everything else as \xNN, so CR and CP932 bytes are visible.
inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"';
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x20 && value < 0x7f && byte != '\\' && byte != '"') {
            *os << byte;
        } else {
            static const char digits[] = "0123456789ABCDEF";
            *os << "\\x" << digits[value >> 4] << digits[value & 0x0f];
        }
    }
    *os << '"';
}
