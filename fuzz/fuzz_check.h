#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the fuzz run with a message when an invariant does not hold. Unlike assert() it stays
// on in optimised builds; the fuzzer then saves the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(                                                                          \
                stderr, "%s:%d: invariant does not hold: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
