// kept.cpp - the two reduction rules for one pair of draws as integer checks, no text.
#include <stdexcept>

#include "tolvex/tolvex.h"

namespace tolvex {
namespace {

void Digits(std::int32_t number, std::int32_t (&digits)[3]) {
    digits[0] = number / 100;
    digits[1] = number / 10 % 10;
    digits[2] = number % 10;
}

}  // namespace

KeptNumbers::KeptNumbers(std::int32_t previous, std::int32_t last) {
    if (previous < 0 || previous > 999 || last < 0 || last > 999) {
        throw std::invalid_argument("KeptNumbers: a draw is outside 0..999");
    }
    std::int32_t p[3];
    Digits(previous, p);
    Digits(last, last_);
    // A parallel shift of the last draw by s survives the zero-sum rule unless s equals, in
    // some position, zero - last = (-2 last - previous) mod 10. Of the 729 numbers the
    // zero-sum rule keeps, the 10 - d shifts that survive it fall, where d is the number of
    // distinct such values: 719 + d are kept.
    std::int32_t shift[3];
    for (int k = 0; k < 3; ++k) {
        zero_[k] = (20 - last_[k] - p[k]) % 10;
        shift[k] = (zero_[k] + 10 - last_[k]) % 10;
    }
    const std::int32_t distinct =
        1 + (shift[1] != shift[0]) + (shift[2] != shift[0] && shift[2] != shift[1]);
    count_ = 719 + distinct;
}

bool KeptNumbers::Keeps(std::int32_t number) const {
    std::int32_t d[3];
    Digits(number, d);
    if (d[0] == zero_[0] || d[1] == zero_[1] || d[2] == zero_[2]) {
        return false;
    }
    const std::int32_t s0 = (d[0] + 10 - last_[0]) % 10;
    return s0 != (d[1] + 10 - last_[1]) % 10 || s0 != (d[2] + 10 - last_[2]) % 10;
}

}  // namespace tolvex
