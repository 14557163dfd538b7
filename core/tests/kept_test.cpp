// kept_test.cpp - the kept-number check against the reduction over every pair of draws, and
// against the literal rule and the hit check on a spread of pairs.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "literal_reduce.h"
#include "tolvex/tolvex.h"

namespace {

using tolvex::KeptNumbers;

tolvex::DrawDigits Digits(int n) {
    return {n / 100, n / 10 % 10, n % 10};
}

std::string Three(int n) {
    return std::to_string(1000 + n).substr(1);
}

// For every one of the 1,000,000 pairs, the count is the reduction's count and the numbers the
// check keeps are, in order, exactly the groups of the reduction's text.
TEST(KeptNumbers, AgreesWithReduceNumbersOnEveryPair) {
    for (int previous = 0; previous < 1000; ++previous) {
        for (int last = 0; last < 1000; ++last) {
            const KeptNumbers kept(previous, last);
            const auto r = tolvex::ReduceNumbers(Digits(previous), Digits(last));
            ASSERT_EQ(kept.count(), r.count) << previous << " " << last;
            std::size_t at = 0;
            for (int n = 0; n < 1000; ++n) {
                const bool listed = at + 3 <= r.text.size() && (r.text[at] - '0') * 100 +
                                                                       (r.text[at + 1] - '0') * 10 +
                                                                       (r.text[at + 2] - '0') ==
                                                                   n;
                if (listed) {
                    at += 4;
                }
                if (kept.Keeps(n) != listed) {
                    FAIL() << previous << " " << last << " " << n;
                }
            }
            ASSERT_EQ(at, r.text.size()) << previous << " " << last;
        }
    }
}

// The literal rule, written independently, and CheckHit on the reduction's text say the same
// as the check: every last draw with a spread of previous draws.
TEST(KeptNumbers, AgreesWithTheLiteralRuleAndCheckHit) {
    for (int last = 0; last < 1000; ++last) {
        for (int previous = last % 7; previous < 1000; previous += 97) {
            const auto literal =
                tolvex::testing::LiteralReduceNumbers(Digits(previous), Digits(last));
            const KeptNumbers kept(previous, last);
            ASSERT_EQ(kept.count(), literal.count) << previous << " " << last;
            std::vector<bool> listed(1000, false);
            for (std::size_t i = 0; i + 4 <= literal.text.size(); i += 4) {
                listed[static_cast<std::size_t>(std::stoi(literal.text.substr(i, 3)))] = true;
            }
            for (int n = 0; n < 1000; ++n) {
                ASSERT_EQ(kept.Keeps(n), listed[static_cast<std::size_t>(n)])
                    << previous << " " << last << " " << n;
            }
            for (int n = (previous + last) % 37; n < 1000; n += 37) {
                const bool hit =
                    tolvex::CheckHit(literal.text, Three(n)).kind == tolvex::HitKind::Hit;
                ASSERT_EQ(kept.Keeps(n), hit) << previous << " " << last << " " << n;
            }
        }
    }
}

TEST(KeptNumbers, RejectsDrawsOutsideTheThousand) {
    const int bad[][2] = {{-1, 0}, {0, -1}, {1000, 0}, {0, 1000}};
    for (const auto& pair : bad) {
        EXPECT_THROW(KeptNumbers(pair[0], pair[1]), std::invalid_argument)
            << pair[0] << " " << pair[1];
    }
    EXPECT_NO_THROW(KeptNumbers(999, 0));
}

}  // namespace
