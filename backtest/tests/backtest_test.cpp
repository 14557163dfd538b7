// backtest_test.cpp - a hand-worked backtest, the history store.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tolvex/backtest/backtest.h"
#include "tolvex/tolvex.h"

namespace {

using tolvex::backtest::Backtest;
using tolvex::backtest::History;
using tolvex::backtest::Runs;
using tolvex::backtest::Summary;

std::string Three(int n) {
    return std::to_string(1000 + n).substr(1);
}

struct Step {
    int draw;
    int kept;  // 0 for the first two draws, which are not tested
    bool hit;
};

// Worked out by hand from the two rules. For previous p and last l the zero-sum rule strikes,
// per position, the digit z = -(l + p) mod 10; the parallel-shift rule strikes l + s (every
// digit) for each s. The count is 729 less the shifts whose digits avoid every z.
const Step kHandWorked[] = {
    {0, 0, false},
    {0, 0, false},
    // p 000 l 000: z = 0,0,0; 111 avoids 0 but is l shifted by 1 -> miss. Shifts avoiding 0:
    // all but 000 itself -> 9 struck, 720 kept.
    {111, 720, false},
    // p 000 l 111: z = 9,9,9; 123 avoids 9, shifts 0,1,2 differ -> hit. Shifts 000..888
    // avoid 9 -> 9 struck, 720 kept.
    {123, 720, true},
    // p 111 l 123: z = 8,7,6; 456 has units 6 -> miss. A shift s is struck by rule 2 when
    // 1+s=8, 2+s=7 or 3+s=6: s = 7, 5, 3 -> 7 shifts left to strike, 722 kept.
    {456, 722, false},
    // p 123 l 456: z = 5,3,1; 999 avoids them, shifts 5,4,3 -> hit. s = 1, 8, 5 -> 722.
    {999, 722, true},
    // p 456 l 999: z = 7,6,5; 135 has units 5 -> miss. s = 8, 7, 6 -> 722.
    {135, 722, false},
    // p 999 l 135: z = 0,8,6; 000 has hundreds 0 -> miss. s = 9, 5, 1 -> 722.
    {0, 722, false},
    // p 135 l 000: z = 9,7,5; 246 avoids them, shifts 2,4,6 -> hit. s = 9, 7, 5 -> 722.
    {246, 722, true},
    // p 000 l 246: z = 8,6,4; 111 avoids them, shifts 9,7,5 -> hit. s = 6, 2, 8 -> 722.
    {111, 722, true},
    // p 246 l 111: z = 7,5,3; 468 avoids them, shifts 3,5,7 -> hit. s = 6, 4, 2 -> 722.
    {468, 722, true},
};

TEST(Backtest, HandWorkedHistory) {
    Backtest backtest;
    for (std::size_t i = 0; i < std::size(kHandWorked); ++i) {
        const Step& step = kHandWorked[i];
        SCOPED_TRACE(testing::Message() << "draw " << i + 1 << ": " << Three(step.draw));
        const auto t = backtest.Add(step.draw);
        if (i < 2) {
            EXPECT_FALSE(t.has_value());
            continue;
        }
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->previous, kHandWorked[i - 2].draw);
        EXPECT_EQ(t->last, kHandWorked[i - 1].draw);
        EXPECT_EQ(t->draw, step.draw);
        EXPECT_EQ(t->kept, step.kept);
        EXPECT_EQ(t->hit, step.hit);
    }
    const Summary& s = backtest.summary();
    EXPECT_EQ(s.draws, 11u);
    EXPECT_EQ(s.tested, 9u);
    EXPECT_EQ(s.hits, 5u);
    EXPECT_EQ(s.misses(), 4u);
    EXPECT_EQ(s.kept_sum, 2u * 720 + 7u * 722);  // 6.494 hits expected by chance
    EXPECT_EQ(s.longest_hit_run, 3u);            // 246, 111, 468
    EXPECT_EQ(s.longest_miss_run, 2u);           // 135, 000
    EXPECT_DOUBLE_EQ(*s.HitRate(), 5.0 / 9.0);
    EXPECT_DOUBLE_EQ(*s.ChanceRate(), 6.494 / 9.0);
    // variance under chance: 2 * 0.720 * 0.280 + 7 * 0.722 * 0.278 = 1.808212
    EXPECT_NEAR(*s.ZScore(), (5 - 6.494) / std::sqrt(1.808212), 1e-9);
}

TEST(Backtest, FewerThanThreeDrawsTestNothing) {
    Backtest backtest;
    EXPECT_FALSE(backtest.Add(123).has_value());
    EXPECT_FALSE(backtest.Add(456).has_value());
    const Summary& s = backtest.summary();
    EXPECT_EQ(s.draws, 2u);
    EXPECT_EQ(s.tested, 0u);
    EXPECT_FALSE(s.HitRate().has_value());
    EXPECT_FALSE(s.ChanceRate().has_value());
    EXPECT_FALSE(s.ZScore().has_value());
}

TEST(Backtest, RunsRestartAfterTheOtherVerdict) {
    const struct {
        std::vector<int> draws;
        std::uint64_t hit_run, miss_run;
    } cases[] = {
        {{0, 0}, 0, 0},
        // p 000 l 000 strikes every number holding a 0: 123 hits, 100 misses
        {{0, 0, 123}, 1, 0},
        {{0, 0, 100}, 0, 1},
        // then p 000 l 100: z = 9,0,0, so 550 misses; p 100 l 550: z = 4,5,0 and 123 is no
        // shift of 550, a hit; p 550 l 123: z = 4,3,7, so 400 misses. Miss, miss, hit, miss.
        {{0, 0, 100, 550, 123, 400}, 1, 2},
    };
    for (const auto& c : cases) {
        Backtest backtest;
        for (const int d : c.draws) {
            backtest.Add(d);
        }
        EXPECT_EQ(backtest.summary().longest_hit_run, c.hit_run);
        EXPECT_EQ(backtest.summary().longest_miss_run, c.miss_run);
    }
}

// Verdicts as hits (H) and misses (m): the longest run of each and how many runs of each length,
// the run still open at the end counted too.
TEST(Runs, LongestAndLengths) {
    const struct {
        std::string verdicts;
        std::uint64_t longest_hits, longest_misses;
        std::vector<std::uint64_t> hit_lengths, miss_lengths;  // index = length
    } cases[] = {
        {"", 0, 0, {}, {}},
        {"H", 1, 0, {0, 1}, {}},
        {"m", 0, 1, {}, {0, 1}},
        {"HHHm", 3, 1, {0, 0, 0, 1}, {0, 1}},
        {"mHHmmmHHH", 3, 3, {0, 0, 1, 1}, {0, 1, 0, 1}},
        {"HmHmHm", 1, 1, {0, 3}, {0, 3}},
        {"HHHmHH", 3, 1, {0, 0, 1, 1}, {0, 1}},
    };
    for (const auto& c : cases) {
        Runs runs;
        for (const char v : c.verdicts) {
            runs.Add(v == 'H');
        }
        EXPECT_EQ(runs.longest(true), c.longest_hits) << c.verdicts;
        EXPECT_EQ(runs.longest(false), c.longest_misses) << c.verdicts;
        EXPECT_EQ(runs.Lengths(true), c.hit_lengths) << c.verdicts;
        EXPECT_EQ(runs.Lengths(false), c.miss_lengths) << c.verdicts;
    }
}

// The tally the summary, the page's periods and its blocks share.
TEST(Summary, CountsEachTestedDraw) {
    Summary s;
    const struct {
        int kept;
        bool hit;
    } draws[] = {{720, true}, {722, false}, {1000, true}, {0, false}};
    for (const auto& d : draws) {
        s.Count(d.kept, d.hit);
    }
    EXPECT_EQ(s.tested, 4u);
    EXPECT_EQ(s.hits, 2u);
    EXPECT_EQ(s.misses(), 2u);
    EXPECT_EQ(s.kept_sum, 720u + 722 + 1000);
    EXPECT_EQ(s.variance_e6, 720u * 280 + 722u * 278);
    EXPECT_EQ(s.ExcessThousandths(), 2000 - 2442);
    // the draws counted one by one give what the backtest's summary gives
    Backtest backtest;
    Summary counted;
    for (const int draw : {0, 0, 111, 123, 456, 999}) {
        if (const auto t = backtest.Add(draw)) {
            counted.Count(t->kept, t->hit);
        }
    }
    EXPECT_EQ(counted.tested, backtest.summary().tested);
    EXPECT_EQ(counted.hits, backtest.summary().hits);
    EXPECT_EQ(counted.variance_e6, backtest.summary().variance_e6);
}

TEST(History, KeepsLabelsAndLinesAndTurnsRound) {
    History h;
    ASSERT_TRUE(h.Add(456, 3, "2024001"));
    ASSERT_TRUE(h.Add(7, 5, ""));
    ASSERT_TRUE(h.Add(999, 9, "Fri, Jan 9, 2026"));
    EXPECT_FALSE(h.Add(1, 1ull << 32, "too far"));
    h.Reverse();
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h.number(0), 999);
    EXPECT_EQ(h.line(0), 9u);
    EXPECT_EQ(h.label(0), "Fri, Jan 9, 2026");
    EXPECT_EQ(h.number(1), 7);
    EXPECT_EQ(h.label(1), "");
    EXPECT_EQ(h.label(2), "2024001");
    EXPECT_EQ(h.line(2), 3u);
}

}  // namespace
