// What a fuzzer does when the code disagrees with its model: it says where, then stops, so that
// libFuzzer keeps the input that showed it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace velm::fuzz {

inline void Check(bool ok, int line = __builtin_LINE()) {
    if (!ok) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}

} // namespace velm::fuzz
