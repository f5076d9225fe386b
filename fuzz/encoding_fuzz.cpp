// The encoding decision over generated Japanese text: the fuzzer's bytes seed the text (the
// dictionary's words, kanji of both levels, ASCII letters, digits, symbols), which is written
// in both encodings and read back. A file read as other text than it was made as must have
// been told: both readings decoded, and the operator hears which was taken.
#include "../tests/text/generated_text.h"
#include "fuzz_check.h"
#include "text/text_file.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const GeneratedText made;
    std::seed_seq seed(data, data + size);
    std::mt19937 random(seed);
    const QString text = size % 2 ? made.kanjiAndOne(random) : made.lines(random);
    for (const QByteArray &bytes : {text.toUtf8(), cp932::encode(text)}) {
        TextReading reading;
        const std::optional<QString> read = decodeFileText(bytes, nullptr, &reading);
        // A refusal names its line; any other reading is the text or is told.
        FUZZ_CHECK(!read || *read == text || reading.bothPlausible);
        if (reading.bothPlausible) {
            FUZZ_CHECK(reading.differingLine > 0);
            FUZZ_CHECK(reading.takenLine != reading.otherLine);
        }
    }
    return 0;
}
