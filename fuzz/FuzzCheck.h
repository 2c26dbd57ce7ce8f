#pragma once

#include <cstdio>
#include <cstdlib>

// What must hold for every input: a failure stops the run with the condition and its place,
// and libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
