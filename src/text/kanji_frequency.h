#pragma once

#include <array>
#include <string_view>

// The kanji most used in Japanese text, by how often: bucket b holds the kanji of frequency
// ranks 2^b to 2^(b+1)-1 (rank 1 the most used), 2,501 kanji in all. Kanji in no bucket are
// rarer than all of these.
inline constexpr int kanjiRankBuckets = 12;
extern const std::array<std::u16string_view, kanjiRankBuckets> kanjiByRankBucket;
