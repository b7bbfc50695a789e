#pragma once

#include <cstdio>
#include <cstdlib>

// Always-on invariant check: a broken invariant is a bug, and carrying on would
// only move the crash somewhere harder to read.
#define VERIFY(expr)                                                                               \
    do {                                                                                           \
        if (!(expr)) {                                                                             \
            std::fprintf(stderr, "VERIFY failed: %s at %s:%d\n", #expr, __FILE__, __LINE__);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

#define VERIFY_NOT_REACHED() VERIFY(false && "not reached")
