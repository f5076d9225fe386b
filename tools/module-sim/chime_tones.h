#pragma once

#include <cstdint>
#include <vector>

// The module's two chimes, made here from decaying tones: chime 1 a falling two-note "ding-dong",
// chime 2 three rising notes. 16-bit mono samples at the given rate; nothing for another number.
std::vector<std::int16_t> chimeSamples(int chime, int sampleRate);
