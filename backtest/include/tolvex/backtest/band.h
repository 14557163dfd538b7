// tolvex/backtest/band.h - the whole-history chance band: how far chance lets the running excess of
// hits stray.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tolvex/backtest/backtest.h"

namespace tolvex::backtest {

/// A history of chance draws stays inside the band over its whole length with this probability.
inline constexpr double kBandLevel = 0.95;
/// The band begins at this tested draw (counted from 1); a shorter history has none.
inline constexpr std::uint64_t kBandStart = 30;

/// c(N) for a history of `tested` draws: under chance, the running excess S_k (hits less
/// expected hits after k tested draws) stays within ±c(N)·sqrt(V_k) (V_k chance's variance of
/// the hits so far) for every k from kBandStart to N with probability kBandLevel or more.
/// No value below kBandStart.
std::optional<double> BandConstant(std::uint64_t tested);

/// Where the running excess went with respect to the band.
enum class BandResult { TooShort, Inside, Above, Below, AboveAndBelow };

BandResult CheckBand(const Summary& summary);

/// Whether the running excess left the band; no value when the history is too short for one.
std::optional<bool> LeftBand(const Summary& summary);

/// The |z| a period must pass to stand out when `periods` periods are compared: the normal
/// quantile of 1 - 0.05 / (2 · periods) (Bonferroni), so that under chance the chance that any
/// of them passes is 5 % or less. 1.96 for one period.
double BonferroniZ(std::size_t periods);

/// The share of periods chance alone puts outside ±2 standard deviations: 4.55 %.
double OutsideTwoSigma();

}  // namespace tolvex::backtest
