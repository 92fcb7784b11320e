// The fuzz targets' checks: a failed one prints what failed and aborts, so
// that libFuzzer reports the input as a crash and keeps it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "FUZZ_CHECK failed: %s\n  ", #condition);                         \
            std::fprintf(stderr, __VA_ARGS__);                                                     \
            std::fprintf(stderr, "\n");                                                            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
