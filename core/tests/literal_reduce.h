// literal_reduce.h - a word-for-word reduction loop (printf per number), the tests' oracle
// and the benchmark's baseline.
#pragma once

#include <cstdio>

#include "tolvex/tolvex.h"

namespace tolvex::testing {

inline ReductionResult LiteralReduceNumbers(const DrawDigits& previous, const DrawDigits& last) {
    ReductionResult result{"", 0};
    const NumberTable& table = GetNumberTable();
    const std::int32_t lastDigits[3] = {last.hundreds, last.tens, last.units};
    const std::int32_t previousDigits[3] = {previous.hundreds, previous.tens, previous.units};
    for (int i = 0; i < 1000; ++i) {
        const NumberRecord& r = table[static_cast<std::size_t>(i)];
        const std::int32_t c[3] = {r.hundreds, r.tens, r.units};
        std::int32_t shift[3];
        int zeros = 0;
        for (int k = 0; k < 3; ++k) {
            shift[k] = (c[k] + 10 - lastDigits[k]) % 10;
            if ((c[k] + lastDigits[k] + previousDigits[k]) % 10 == 0) {
                ++zeros;
            }
        }
        const bool parallel = shift[0] == shift[1] && shift[2] == shift[1];
        if (parallel || zeros > 0) {
            continue;
        }
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%.3d", i);
        result.text += buffer;
        result.text += " ";
        ++result.count;
    }
    return result;
}

}  // namespace tolvex::testing
