// The line reader of the presets file and of the import: any file content decoded from code
// page 932 and cut into lines, with no limit and with the limit the first byte gives; and the
// file's encoding judged from its bytes: what is read is what the chosen encoding makes of
// them.
#include "fuzz_check.h"
#include "fuzz_text.h"
#include "text/cp932.h"
#include "text/text_file.h"

namespace {

// The same lines by another route: every line end made one LF, the final one dropped.
QStringList linesByReplacing(QString text)
{
    if (text.isEmpty())
        return {};
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype maxLines = data[0];
    const QString text = cp932::decode(fuzzBytes(data + 1, size - 1));

    const QStringList lines = splitTextLines(text);
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'));
    FUZZ_CHECK(lines == linesByReplacing(text));

    // A limit takes the first lines and nothing else.
    const QStringList limited = splitTextLines(text, maxLines);
    FUZZ_CHECK(limited == lines.mid(0, maxLines));

    const QByteArray bytes = fuzzBytes(data + 1, size - 1);
    TextReading reading;
    if (const std::optional<QString> read = decodeFileText(bytes, nullptr, &reading)) {
        const QByteArrayView body = QByteArrayView(bytes).startsWith("\xEF\xBB\xBF")
                                        ? QByteArrayView(bytes).sliced(3)
                                        : QByteArrayView(bytes);
        FUZZ_CHECK(*read
                   == (reading.encoding == TextEncoding::Utf8 ? QString::fromUtf8(body)
                                                              : cp932::decode(bytes)));
    }
    return 0;
}
