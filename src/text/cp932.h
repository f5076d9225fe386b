#pragma once

// The text room: code page 932 and the characters that stand in for it, and the text files
// the console reads and writes. It uses the platform room only.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

// Text on the serial line and in the text files is code page 932.
namespace cp932 {

// Encodes text for the module. Characters that code page 932 lacks but has a twin for, as
// Linux input methods type them (U+301C for U+FF5E and the like), go out as the twin;
// anything else it cannot encode goes out as '?', as Windows does.
QByteArray encode(QStringView text);

// The index of the first character of the text that code page 932 cannot encode, twins
// taken into account (a surrogate pair counts as one character at the index of its first
// half, half a pair as a character of its own); -1 when every character has a form.
qsizetype firstUnencodable(QStringView text);

// Decodes a whole byte sequence; bytes that are no character become U+001A, a pair of bytes
// that the code page leaves unassigned becomes U+FFFD. ASCII bytes read as themselves.
QString decode(const QByteArray &bytes);

// Decodes a whole byte sequence that must be code page 932 text: nothing when a byte or a
// pair of bytes is no character of the code page (a lead byte cut off at the end included).
std::optional<QString> decodeStrict(const QByteArray &bytes);

// Decodes bytes that arrive in pieces, as decode() does a whole sequence: a lead byte at the
// end of a piece is held back and joins the first byte of the next piece.
class Decoder
{
public:
    Decoder();
    ~Decoder();
    Decoder(Decoder &&other) noexcept;
    Decoder &operator=(Decoder &&other) noexcept;

    QString decode(QByteArrayView bytes);

private:
    // What the system's converter keeps between pieces; each platform has its own.
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace cp932
