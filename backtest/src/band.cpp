// band.cpp - the constants of the whole-history chance band and the check against them.
#include "tolvex/backtest/band.h"

#include <cmath>
#include <iterator>

namespace tolvex::backtest {

namespace {

struct BandRow {
    std::uint64_t tested;
    int c_hundredths;
};

// c(N) on a grid of N = round(30 * 2^(i/4)): the smallest c (in hundredths) for which a walk of
// Bernoulli(0.7217) draws leaves |S_k| <= c·sqrt(V_k), 30 <= k <= N, with probability at most
// 0.05, computed exactly by dynamic programming over the hit count by
// backtest/tools/band_table.cpp (docs/cli.md gives the commands). Chance's rate varies only
// between 0.720 and 0.722, and the walk is measured in its own standard deviations, so the
// constants hold for every history.
constexpr BandRow kBand[] = {
    {30, 190},       // P(exit) 0.0389
    {36, 223},       // P(exit) 0.0490
    {42, 231},       // P(exit) 0.0426
    {50, 237},       // P(exit) 0.0483
    {60, 244},       // P(exit) 0.0489
    {71, 250},       // P(exit) 0.0499
    {85, 256},       // P(exit) 0.0485
    {101, 260},      // P(exit) 0.0486
    {120, 264},      // P(exit) 0.0490
    {143, 267},      // P(exit) 0.0496
    {170, 271},      // P(exit) 0.0478
    {202, 273},      // P(exit) 0.0492
    {240, 276},      // P(exit) 0.0490
    {285, 278},      // P(exit) 0.0499
    {339, 281},      // P(exit) 0.0489
    {404, 283},      // P(exit) 0.0497
    {480, 285},      // P(exit) 0.0500
    {571, 287},      // P(exit) 0.0499
    {679, 290},      // P(exit) 0.0493
    {807, 292},      // P(exit) 0.0486
    {960, 293},      // P(exit) 0.0499
    {1142, 295},     // P(exit) 0.0498
    {1358, 297},     // P(exit) 0.0488
    {1615, 298},     // P(exit) 0.0496
    {1920, 300},     // P(exit) 0.0489
    {2283, 301},     // P(exit) 0.0497
    {2715, 303},     // P(exit) 0.0489
    {3229, 304},     // P(exit) 0.0492
    {3840, 305},     // P(exit) 0.0496
    {4567, 306},     // P(exit) 0.0499
    {5431, 308},     // P(exit) 0.0489
    {6458, 309},     // P(exit) 0.0492
    {7680, 310},     // P(exit) 0.0495
    {9133, 311},     // P(exit) 0.0495
    {10861, 312},    // P(exit) 0.0489
    {12916, 313},    // P(exit) 0.0489
    {15360, 314},    // P(exit) 0.0492
    {18266, 315},    // P(exit) 0.0490
    {21722, 316},    // P(exit) 0.0489
    {25832, 317},    // P(exit) 0.0488
    {30720, 318},    // P(exit) 0.0488
    {36532, 318},    // P(exit) 0.0500
    {43445, 319},    // P(exit) 0.0498
    {51665, 320},    // P(exit) 0.0492
    {61440, 321},    // P(exit) 0.0489
    {73065, 322},    // P(exit) 0.0486
    {86889, 322},    // P(exit) 0.0497
    {103329, 323},   // P(exit) 0.0493
    {122880, 324},   // P(exit) 0.0491
    {146130, 325},   // P(exit) 0.0488
    {173779, 325},   // P(exit) 0.0498
    {206659, 326},   // P(exit) 0.0492
    {245760, 327},   // P(exit) 0.0485
    {292260, 327},   // P(exit) 0.0494
    {347557, 328},   // P(exit) 0.0491
    {413317, 328},   // P(exit) 0.0500
    {491520, 329},   // P(exit) 0.0494
    {584519, 330},   // P(exit) 0.0489
    {695114, 330},   // P(exit) 0.0497
    {826635, 331},   // P(exit) 0.0492
    {983040, 331},   // P(exit) 0.0500
    {1169038, 332},  // P(exit) 0.0493
};

}  // namespace

std::optional<double> BandConstant(std::uint64_t tested) {
    if (tested < kBandStart) {
        return std::nullopt;
    }
    // The probability of leaving grows with the length, so the next tabled length is safe.
    for (const BandRow& row : kBand) {
        if (row.tested >= tested) {
            return row.c_hundredths / 100.0;
        }
    }
    // Past the table: 0.03 more per doubling, more than its last doublings add (0.01 or 0.02).
    const BandRow& last = kBand[std::size(kBand) - 1];
    int doublings = 0;
    for (std::uint64_t n = last.tested; n < tested; n *= 2) {
        ++doublings;
    }
    return (last.c_hundredths + 3 * doublings) / 100.0;
}

BandResult CheckBand(const Summary& s) {
    const auto c = BandConstant(s.tested);
    if (!c) {
        return BandResult::TooShort;
    }
    // On the boundary is inside, as in the table's computation.
    constexpr double kTolerance = 1e-12;
    const bool above = s.band_high > *c + kTolerance, below = s.band_low < -*c - kTolerance;
    return above && below ? BandResult::AboveAndBelow
           : above        ? BandResult::Above
           : below        ? BandResult::Below
                          : BandResult::Inside;
}

std::optional<bool> LeftBand(const Summary& s) {
    const BandResult r = CheckBand(s);
    if (r == BandResult::TooShort) {
        return std::nullopt;
    }
    return r != BandResult::Inside;
}

double BonferroniZ(std::size_t periods) {
    // P(|Z| > z) = erfc(z / sqrt 2) falls with z: halve the interval until it is tight.
    const double target = 0.05 / static_cast<double>(periods > 0 ? periods : 1);
    double lo = 0, hi = 40;
    for (int i = 0; i < 100; ++i) {
        const double mid = (lo + hi) / 2;
        (std::erfc(mid / std::sqrt(2.0)) > target ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

double OutsideTwoSigma() {
    return std::erfc(2 / std::sqrt(2.0));
}

}  // namespace tolvex::backtest
