#pragma once

#include <cstdlib>

// A property every input must keep: when it does not, the run ends and libFuzzer keeps the input.
inline void check(bool condition) {
    if (!condition)
        std::abort();
}
