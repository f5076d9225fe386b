// The payload of the record command, cut from any send box text.
#include "commands/record_play.h"
#include "fuzz_check.h"
#include "fuzz_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    const std::optional<QString> refusedOrPayload = recordPayload(text);
    // Refused exactly when the text does not begin with "MSG".
    FUZZ_CHECK(refusedOrPayload.has_value() == text.startsWith(u"MSG"));
    if (!refusedOrPayload)
        return 0;
    const QString &payload = *refusedOrPayload;

    // It never carries a CR (the command line's own CR ends it) and is a piece of the text.
    FUZZ_CHECK(!payload.contains(u'\r'));
    FUZZ_CHECK(text.contains(payload));

    const qsizetype firstCr = text.indexOf(u'\r');
    const qsizetype firstLineEnd = firstCr < 0 ? text.size() : firstCr;
    if (payload.isEmpty()) {
        // Only a first line that is "MSG" alone gives nothing.
        FUZZ_CHECK(firstLineEnd == 3);
        return 0;
    }
    // The rest of the first line after its first three characters.
    FUZZ_CHECK(text.sliced(3).startsWith(payload));
    FUZZ_CHECK(3 + payload.size() == firstLineEnd);
    return 0;
}
