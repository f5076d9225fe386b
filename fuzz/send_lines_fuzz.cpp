// The speak request's handling of the send box: the "MSG" check, the completion with CR LF
// and the cut into the lines of a run, on any text.
#include "fuzz_check.h"
#include "fuzz_text.h"
#include "speak/speak_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);

    const bool msg = beginsWithMsg(text);
    FUZZ_CHECK(msg == (text.size() >= 3 && text.first(3) == QLatin1String("MSG")));

    // CR LF is added once, only where it is missing.
    const QString completed = completeWithCrLf(text);
    FUZZ_CHECK(completed.endsWith(QLatin1String("\r\n")));
    if (text.endsWith(QLatin1String("\r\n")))
        FUZZ_CHECK(completed == text);
    else
        FUZZ_CHECK(completed == text + QLatin1String("\r\n"));
    FUZZ_CHECK(beginsWithMsg(completed) == msg);

    // One element per LF and one after the last, which is empty; joined again with LF they
    // give the completed text back.
    const QStringList lines = splitAtLineFeeds(completed);
    FUZZ_CHECK(lines.size() == completed.count(u'\n') + 1);
    FUZZ_CHECK(lines.last().isEmpty());
    FUZZ_CHECK(lines.join(u'\n') == completed);
    for (const QString &line : lines)
        FUZZ_CHECK(!line.contains(u'\n'));
    // The last line sent keeps the CR of the completion; the first is an MSG line exactly
    // when the text passed the check.
    FUZZ_CHECK(lines[lines.size() - 2].endsWith(u'\r'));
    FUZZ_CHECK(beginsWithMsg(lines.first()) == msg);
    return 0;
}
