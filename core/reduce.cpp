// reduce.cpp - the reduction filter: strikes parallel shifts of the last draw and every
// number with a zero-sum position, and writes the rest as one line of text.
#include <stdexcept>

#include "tolvex/tolvex.h"

namespace tolvex {
namespace {

constexpr int kMaxKept = 722;

constexpr bool IsDigit(std::int32_t d) {
    return d >= 0 && d <= 9;
}

void RequireDigits(const DrawDigits& draw, const char* which) {
    if (!IsDigit(draw.hundreds) || !IsDigit(draw.tens) || !IsDigit(draw.units)) {
        throw std::invalid_argument(std::string("ReduceNumbers: ") + which +
                                    " draw holds a digit outside 0..9");
    }
}

// The one digit per position that makes (digit + last + previous) a multiple of 10.
constexpr std::int32_t ZeroSumDigit(std::int32_t last, std::int32_t previous) {
    return (20 - last - previous) % 10;
}

}  // namespace

ReductionResult ReduceNumbers(const DrawDigits& previous, const DrawDigits& last) {
    RequireDigits(previous, "previous");
    RequireDigits(last, "last");
    const NumberTable& table = GetNumberTable();

    const std::int32_t zeroH = ZeroSumDigit(last.hundreds, previous.hundreds);
    const std::int32_t zeroT = ZeroSumDigit(last.tens, previous.tens);
    const std::int32_t zeroU = ZeroSumDigit(last.units, previous.units);

    std::string text(kMaxKept * 4, ' ');
    char* out = text.data();

    // The table is walked in blocks of ten: a hundreds or tens digit that sums to zero
    // strikes its whole block, so only the units need testing one by one. Within a block the
    // parallel-shift rule can strike at most one units digit: the one whose shift matches the
    // shift that hundreds and tens already share.
    for (std::int32_t h = 0; h < 10; ++h) {
        if (h == zeroH) {
            continue;
        }
        const std::int32_t shiftH = (h + 10 - last.hundreds) % 10;
        for (std::int32_t t = 0; t < 10; ++t) {
            if (t == zeroT) {
                continue;
            }
            const std::int32_t shiftT = (t + 10 - last.tens) % 10;
            const std::int32_t shiftedU = shiftH == shiftT ? (last.units + shiftH) % 10 : -1;
            const NumberRecord* block = &table[static_cast<std::size_t>(h * 100 + t * 10)];
            for (std::int32_t u = 0; u < 10; ++u) {
                if (u == zeroU || u == shiftedU) {
                    continue;
                }
                const NumberRecord& number = block[u];
                out[0] = static_cast<char>('0' + number.hundreds);
                out[1] = static_cast<char>('0' + number.tens);
                out[2] = static_cast<char>('0' + number.units);
                out += 4;  // the blank is already there
            }
        }
    }

    const auto length = static_cast<std::size_t>(out - text.data());
    text.resize(length);
    return ReductionResult{std::move(text), static_cast<std::int32_t>(length / 4)};
}

}  // namespace tolvex
