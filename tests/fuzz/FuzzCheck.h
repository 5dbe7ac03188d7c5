#pragma once
// A failed property check in a fuzz target: reported and turned into a crash, so that libFuzzer
// keeps the input and the replay runner fails.

#include <cstdio>
#include <cstdlib>

#define SG_FUZZ_CHECK(condition)                                                               \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
