// reduce_test.cpp - the reduction filter: worked examples, an independent oracle and the
// properties every result must have, over all 1,000,000 pairs of draws.
#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "literal_reduce.h"
#include "tolvex/tolvex.h"

namespace {

using tolvex::DrawDigits;
using tolvex::ReduceNumbers;

DrawDigits Draw(int n) {
    return DrawDigits{n / 100, n / 10 % 10, n % 10};
}

std::string Group(int n) {
    std::string s = std::to_string(1000 + n).substr(1);
    return s + " ";
}

bool Kept(const std::string& text, int n) {
    const std::string g = Group(n);
    for (std::size_t i = 0; i + 4 <= text.size(); i += 4) {
        if (text.compare(i, 4, g) == 0) {
            return true;
        }
    }
    return false;
}

struct Example {
    int previous, last, count;
    const char* begins;
    const char* ends;
};

TEST(ReduceNumbers, WorkedExamples) {
    const Example cases[] = {
        {456, 123, 722, "000 002 003 004 005 006 007 008 009 010 013 014 ", "996 997 998 999 "},
        {0, 0, 720, "112 113 114 115 116 117 118 119 121 122 123 124 ", "995 996 997 998 "},
        {1, 0, 721, "110 112 113 114 115 116 117 118 120 121 122 123 ", ""},
        {999, 999, 720, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "previous " << c.previous << ", last " << c.last);
        const auto r = ReduceNumbers(Draw(c.previous), Draw(c.last));
        EXPECT_EQ(r.count, c.count);
        EXPECT_EQ(r.text.size(), 4u * static_cast<std::size_t>(c.count));
        EXPECT_EQ(r.text.rfind(c.begins, 0), 0u) << r.text.substr(0, 48);
        const std::string ends = c.ends;
        ASSERT_GE(r.text.size(), ends.size());
        EXPECT_EQ(r.text.substr(r.text.size() - ends.size()), ends);
    }
}

struct Membership {
    int previous, last;
    std::vector<int> struck, kept;
};

TEST(ReduceNumbers, KeepsAndStrikesSingleNumbers) {
    const Membership cases[] = {
        // 001 and 011 have units 1, which sums to zero with 3 + 6; 012 and 123 are shifts.
        {456, 123, {1, 11, 12, 123, 901}, {0}},
        // Swapping the draws changes only which parallel shifts fall.
        {1, 0, {111}, {112}},
        {0, 1, {112}, {111}},
        // Equal draws follow the same rules: 555 is the last draw itself.
        {555, 555, {555, 444}, {446}},
    };
    for (const auto& c : cases) {
        const auto r = ReduceNumbers(Draw(c.previous), Draw(c.last));
        for (const bool kept : {false, true}) {
            for (const int number : kept ? c.kept : c.struck) {
                EXPECT_EQ(Kept(r.text, number), kept)
                    << number << " with previous " << c.previous << ", last " << c.last;
            }
        }
    }
}

TEST(ReduceNumbers, SwappingParallelDrawsChangesNothing) {
    const int pairs[][2] = {{123, 456}, {0, 999}, {258, 703}};
    for (const auto& p : pairs) {
        EXPECT_EQ(ReduceNumbers(Draw(p[0]), Draw(p[1])).text,
                  ReduceNumbers(Draw(p[1]), Draw(p[0])).text)
            << p[0] << " / " << p[1];
    }
}

TEST(ReduceNumbers, MatchesTheLiteralLoopOnSampledPairs) {
    for (int previous = 0; previous < 1000; previous += 7) {
        for (int last = previous % 13; last < 1000; last += 13) {
            const auto fast = ReduceNumbers(Draw(previous), Draw(last));
            const auto slow = tolvex::testing::LiteralReduceNumbers(Draw(previous), Draw(last));
            ASSERT_EQ(fast.count, slow.count) << previous << " " << last;
            ASSERT_EQ(fast.text, slow.text) << previous << " " << last;
        }
    }
}

// Checks one result against the stated consequences; returns an empty string when all hold.
std::string Violation(int previous, int last, const tolvex::ReductionResult& r) {
    const DrawDigits p = Draw(previous), l = Draw(last);
    const int lastDigits[3] = {l.hundreds, l.tens, l.units};
    const int forbidden[3] = {(20 - l.hundreds - p.hundreds) % 10, (20 - l.tens - p.tens) % 10,
                              (20 - l.units - p.units) % 10};
    const int previousDigits[3] = {p.hundreds, p.tens, p.units};
    unsigned distinct = 0;  // bit v set for each value v_k = (-2 last_k - previous_k) mod 10
    for (int k = 0; k < 3; ++k) {
        distinct |= 1u << ((30 - 2 * lastDigits[k] - previousDigits[k]) % 10);
    }
    const int expected = 719 + std::popcount(distinct);
    if (r.count != expected) {
        return "count " + std::to_string(r.count) + ", expected " + std::to_string(expected);
    }
    if (r.text.size() != 4u * static_cast<std::size_t>(r.count)) {
        return "text length is not 4 x count";
    }
    int before = -1;
    for (std::size_t i = 0; i < r.text.size(); i += 4) {
        const char* g = r.text.data() + i;
        int d[3];
        for (int k = 0; k < 3; ++k) {
            if (g[k] < '0' || g[k] > '9') {
                return "non-digit at " + std::to_string(i + static_cast<std::size_t>(k));
            }
            d[k] = g[k] - '0';
        }
        if (g[3] != ' ') {
            return "group not followed by a blank at " + std::to_string(i);
        }
        const int n = 100 * d[0] + 10 * d[1] + d[2];
        if (n <= before) {
            return "groups not strictly ascending at " + std::to_string(i);
        }
        before = n;
        if (n == last) {
            return "the last draw is kept";
        }
        for (int k = 0; k < 3; ++k) {
            if (d[k] == forbidden[k]) {
                return "kept " + std::to_string(n) + " with a zero-sum digit";
            }
        }
        const int s0 = (d[0] + 10 - lastDigits[0]) % 10;
        if (s0 == (d[1] + 10 - lastDigits[1]) % 10 && s0 == (d[2] + 10 - lastDigits[2]) % 10) {
            return "kept the parallel shift " + std::to_string(n);
        }
    }
    return {};
}

TEST(ReduceNumbers, EveryPairOfDrawsGivesAWellFormedResult) {
    std::set<int> counts;
    for (int previous = 0; previous < 1000; ++previous) {
        for (int last = 0; last < 1000; ++last) {
            const auto r = ReduceNumbers(Draw(previous), Draw(last));
            const std::string why = Violation(previous, last, r);
            ASSERT_TRUE(why.empty()) << "previous " << previous << ", last " << last << ": " << why;
            counts.insert(r.count);
        }
    }
    EXPECT_EQ(counts, (std::set<int>{720, 721, 722}));
}

TEST(ReduceNumbers, RejectsDigitsOutsideZeroToNine) {
    const DrawDigits bad[] = {{10, 0, 0}, {0, -1, 0}, {0, 0, 12}, {-10, 5, 5}};
    for (const auto& d : bad) {
        EXPECT_THROW(ReduceNumbers(d, Draw(123)), std::invalid_argument);
        EXPECT_THROW(ReduceNumbers(Draw(123), d), std::invalid_argument);
    }
}

}  // namespace
