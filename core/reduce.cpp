// reduce.cpp - the reduction filter: strikes parallel shifts of the last draw and every
// number with a zero-sum position, and writes the rest as one line of text.
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
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

// A word that, added to two groups "htu " side by side, adds `digit` to the byte at `offset`
// (0 hundreds, 1 tens) of each group. bit_cast keeps it right on either byte order.
constexpr std::uint64_t GroupPairAdd(int offset, int digit) {
    std::array<unsigned char, 8> bytes{};
    bytes[static_cast<std::size_t>(offset)] = static_cast<unsigned char>(digit);
    bytes[static_cast<std::size_t>(offset) + 4] = static_cast<unsigned char>(digit);
    return std::bit_cast<std::uint64_t>(bytes);
}

constexpr std::array<std::uint64_t, 10> DigitAdds(int offset) {
    std::array<std::uint64_t, 10> adds{};
    for (int d = 0; d < 10; ++d) {
        adds[static_cast<std::size_t>(d)] = GroupPairAdd(offset, d);
    }
    return adds;
}

constexpr std::array<std::uint64_t, 10> kHundredsAdd = DigitAdds(0);
constexpr std::array<std::uint64_t, 10> kTensAdd = DigitAdds(1);

}  // namespace

ReductionResult ReduceNumbers(const DrawDigits& previous, const DrawDigits& last) {
    RequireDigits(previous, "previous");
    RequireDigits(last, "last");

    const std::int32_t zeroH = ZeroSumDigit(last.hundreds, previous.hundreds);
    const std::int32_t zeroT = ZeroSumDigit(last.tens, previous.tens);
    const std::int32_t zeroU = ZeroSumDigit(last.units, previous.units);

    // A hundreds or tens digit that sums to zero strikes its whole row of ten, and the units
    // digit that does strikes one column: every row that is left keeps the same nine units
    // digits. They are written once as a template row, "00u " for each kept u; each row is
    // then that template with its hundreds and tens digits added, eight bytes (two groups) at
    // a time. No byte carries ('0' + 9 is '9'), so adding words adds byte by byte.
    constexpr std::size_t kRowBytes = 9 * 4;
    constexpr std::size_t kRowWords = (kRowBytes + 7) / 8;  // the last word runs 4 bytes over
    unsigned char templateRow[kRowWords * 8] = {};
    std::size_t at = 0;
    for (std::int32_t u = 0; u < 10; ++u) {
        if (u != zeroU) {
            const unsigned char group[4] = {'0', '0', static_cast<unsigned char>('0' + u), ' '};
            std::memcpy(templateRow + at, group, 4);
            at += 4;
        }
    }
    std::uint64_t templateWords[kRowWords];
    std::memcpy(templateWords, templateRow, sizeof templateWords);

    // Room for every row in full, and for the last word's four bytes past the end.
    std::string text(kMaxKept * 4 + 8, ' ');
    char* out = text.data();

    for (std::int32_t h = 0; h < 10; ++h) {
        if (h == zeroH) {
            continue;
        }
        const std::int32_t shiftH = (h + 10 - last.hundreds) % 10;
        for (std::int32_t t = 0; t < 10; ++t) {
            if (t == zeroT) {
                continue;
            }
            const std::uint64_t add =
                kHundredsAdd[static_cast<std::size_t>(h)] + kTensAdd[static_cast<std::size_t>(t)];
            for (std::size_t w = 0; w < kRowWords; ++w) {
                const std::uint64_t word = templateWords[w] + add;
                std::memcpy(out + w * 8, &word, sizeof word);
            }
            std::size_t written = kRowBytes;

            // The parallel shift strikes at most one number in the row: the one whose units
            // shift matches the shift that its hundreds and tens share.
            const std::int32_t shiftT = (t + 10 - last.tens) % 10;
            const std::int32_t shiftedU = (last.units + shiftH) % 10;
            if (shiftH == shiftT && shiftedU != zeroU) {
                // Its place in the template, which lacks the zero-sum units digit.
                const std::size_t column = static_cast<std::size_t>(shiftedU - (shiftedU > zeroU));
                std::memmove(out + column * 4, out + column * 4 + 4, kRowBytes - column * 4 - 4);
                written -= 4;
            }
            out += written;
        }
    }

    const auto length = static_cast<std::size_t>(out - text.data());
    text.resize(length);
    return ReductionResult{std::move(text), static_cast<std::int32_t>(length / 4)};
}

}  // namespace tolvex
