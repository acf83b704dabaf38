#pragma once
// A failed property in a fuzz target: print what was expected and abort, so
// libFuzzer (or the replay test) reports the input as a crash.
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, ...)                                                                  \
    do {                                                                                       \
        if (!(cond)) {                                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #cond);    \
            std::fprintf(stderr, __VA_ARGS__);                                                 \
            std::fprintf(stderr, "\n");                                                        \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
