// The first field of the port settings file, read from any file content decoded from code
// page 932. Checks that the field is the one run of text the field rules describe, and that
// a plain field written back by OPEN reads back the same.
#include "fuzz_check.h"
#include "fuzz_text.h"
#include "text/cp932.h"
#include "text/text_file.h"

#include <algorithm>
#include <optional>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n';
}

bool endsPlainField(QChar c)
{
    return c == u',' || c == u'\r' || c == u'\n';
}

void checkQuoted(QStringView text, qsizetype quote, const QString &field)
{
    // The text between the opening quote and the next quote, or the end.
    FUZZ_CHECK(text.sliced(quote + 1).startsWith(field));
    FUZZ_CHECK(!field.contains(u'"'));
    const qsizetype after = quote + 1 + field.size();
    FUZZ_CHECK(after == text.size() || text[after] == u'"');
}

void checkPlain(QStringView text, qsizetype start, const QString &field)
{
    // The longest run from the first character that holds no comma, CR or LF.
    FUZZ_CHECK(text.sliced(start).startsWith(field));
    FUZZ_CHECK(std::none_of(field.begin(), field.end(), endsPlainField));
    const qsizetype after = start + field.size();
    FUZZ_CHECK(after == text.size() || endsPlainField(text[after]));
    // Saved by OPEN as one line and read again at the next start, a field comes back
    // unchanged. (An empty one leaves an empty line, which holds no field.)
    if (field.isEmpty())
        return;
    const QByteArray saved = cp932::encode(field) + "\r\n";
    FUZZ_CHECK(firstField(cp932::decode(saved)) == unassignedAsQuestionMarks(field));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = cp932::decode(fuzzBytes(data, size));
    const std::optional<QString> field = firstField(text);

    const qsizetype start = std::find_if_not(text.begin(), text.end(), isBlank) - text.begin();
    // Only spaces and line ends, or nothing: there is no field.
    FUZZ_CHECK(field.has_value() == (start < text.size()));
    if (!field)
        return 0;
    if (text[start] == u'"')
        checkQuoted(text, start, *field);
    else
        checkPlain(text, start, *field);
    return 0;
}
