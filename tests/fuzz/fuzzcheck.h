// Property checks for the fuzz targets: a broken property stops the fuzzer
// with the failed condition, and libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                              \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                         #cond);                                                      \
            std::abort();                                                             \
        }                                                                             \
    } while (0)
