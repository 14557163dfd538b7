// band_test.cpp - the whole-history chance band: its constants, its check, and its calibration on
// random histories.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/band.h"
#include "tolvex/tolvex.h"

namespace {

using namespace tolvex::backtest;

TEST(BandConstant, LooksUpTheNextTabledLength) {
    const struct {
        std::uint64_t tested;
        double c;  // 0: no band
    } cases[] = {
        {0, 0},
        {29, 0},
        {30, 1.90},
        {31, 2.23},
        {36, 2.23},
        {101, 2.60},
        {102, 2.64},
        {1000, 2.95},
        {5000, 3.08},
        {1'000'000, 3.32},
        {1'169'038, 3.32},
        {1'169'039, 3.35},
        {2'338'076, 3.35},
        {2'338'077, 3.38},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tested);
        const auto got = BandConstant(c.tested);
        if (c.c == 0) {
            EXPECT_FALSE(got);
        } else {
            ASSERT_TRUE(got);
            EXPECT_DOUBLE_EQ(*got, c.c);
        }
    }
    // The band widens with the length: a longer history has more chances to stray.
    double previous = 0;
    for (std::uint64_t n = 30; n < 5'000'000; n = n * 11 / 10 + 1) {
        const double c = *BandConstant(n);
        EXPECT_GE(c, previous) << n;
        previous = c;
    }
}

enum class Steer { Hit, Miss, Even };

// `more` draws added to history `h`, each kept or struck as `steer` says; Even hits while
// the hits are below what chance expects, so that the excess stays within one hit of zero.
std::vector<int> Steered(std::size_t more, Steer steer, std::vector<int> h = {456, 123}) {
    double excess = 0;
    for (std::size_t i = 0; i < more; ++i) {
        const tolvex::KeptNumbers rules(h[h.size() - 2], h.back());
        const bool hit = steer == Steer::Hit || (steer == Steer::Even && excess < 0);
        int next = 0;
        while (rules.Keeps(next) != hit) {
            ++next;
        }
        excess += (hit ? 1 : 0) - rules.count() / 1000.0;
        h.push_back(next);
    }
    return h;
}

TEST(Band, CheckFollowsTheRunningExcess) {
    const struct {
        std::vector<int> draws;
        BandResult band;
    } cases[] = {
        {Steered(29, Steer::Hit), BandResult::TooShort},
        {Steered(30, Steer::Hit), BandResult::Above},  // S = 8.35 > 1.90 sqrt(V) = 4.66
        {Steered(29, Steer::Miss), BandResult::TooShort},
        {Steered(30, Steer::Miss), BandResult::Below},
        {Steered(5000, Steer::Even), BandResult::Inside},
        {Steered(500, Steer::Miss, Steered(400, Steer::Hit)), BandResult::AboveAndBelow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.draws.size());
        Backtest b;
        for (const int d : c.draws) {
            b.Add(d);
        }
        EXPECT_EQ(CheckBand(b.summary()), c.band);
        EXPECT_EQ(LeftBand(b.summary()).has_value(), c.band != BandResult::TooShort);
    }
}

// Of 400 histories of uniformly random draws, about 5 % leave the band, at every length.
TEST(Band, CalibratedOnRandomHistories) {
    constexpr int kHistories = 400;
    std::mt19937_64 random(20261209);
    std::uniform_int_distribution<int> draw(0, 999);
    for (const std::size_t draws : {100, 1000, 5000}) {
        int left = 0;
        for (int h = 0; h < kHistories; ++h) {
            Backtest b;
            for (std::size_t i = 0; i < draws; ++i) {
                b.Add(draw(random));
            }
            left += *LeftBand(b.summary()) ? 1 : 0;
        }
        const double share = static_cast<double>(left) / kHistories;
        const std::string figure = std::to_string(left) + " of " + std::to_string(kHistories) +
                                   " (" + std::to_string(share * 100).substr(0, 4) + "%)";
        std::printf("band calibration: %zu draws: %s left the band\n", draws, figure.c_str());
        testing::Test::RecordProperty("left_band_" + std::to_string(draws), figure);
        EXPECT_GE(share, 0.02) << draws;
        EXPECT_LE(share, 0.08) << draws;
    }
}

}  // namespace
