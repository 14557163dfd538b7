// tolvex/backtest/backtest.h - each draw checked against the reduction of the two before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex::backtest {

/// One tested draw: the two draws before it, the draw, how many numbers were kept and
/// whether the draw was among them.
struct TestedDraw {
    int previous, last, draw, kept;
    bool hit;
};

/// What a backtest found. Chance alone hits a draw with probability kept/1000, so the
/// expected number of hits is the sum of kept/1000 over the tested draws.
/// kept * (1000 - kept): 10^6 times the variance under chance of one verdict that keeps `kept`
/// numbers of 1000.
constexpr std::uint64_t VarianceE6(int kept) {
    return static_cast<std::uint64_t>(kept) * static_cast<std::uint64_t>(1000 - kept);
}

struct Summary {
    std::uint64_t draws = 0;     ///< draws read
    std::uint64_t tested = 0;    ///< draws from the third on
    std::uint64_t hits = 0;      ///< tested draws that were kept
    std::uint64_t kept_sum = 0;  ///< sum of the kept counts over the tested draws
    /// Sum of kept * (1000 - kept): 10^6 times the variance of the hit count under chance.
    std::uint64_t variance_e6 = 0;
    std::uint64_t longest_hit_run = 0;
    std::uint64_t longest_miss_run = 0;
    /// The highest and lowest running excess (hits less expected hits) in standard deviations
    /// of chance, over the tested draws from the band's start (band.h) on; 0 before it.
    double band_high = 0, band_low = 0;

    /// Counts one tested draw: whether it was kept, and how many numbers were.
    void Count(int kept, bool hit) {
        ++tested;
        hits += hit ? 1 : 0;
        kept_sum += static_cast<std::uint64_t>(kept);
        variance_e6 += VarianceE6(kept);
    }
    std::uint64_t misses() const { return tested - hits; }
    /// hits / tested, or no value when nothing was tested.
    std::optional<double> HitRate() const;
    /// expected hits / tested: the hit rate chance gives.
    std::optional<double> ChanceRate() const;
    double ExpectedHits() const { return static_cast<double>(kept_sum) / 1000.0; }
    /// hits - expected hits, exactly, in thousandths of a hit.
    std::int64_t ExcessThousandths() const {
        return static_cast<std::int64_t>(hits * 1000) - static_cast<std::int64_t>(kept_sum);
    }
    /// (hits - expected hits) in standard deviations of the hit count under chance.
    std::optional<double> ZScore() const;
};

/// The runs of hits and of misses in the verdicts as they come: the longest of each and how
/// many there are of each length, the run still open counted as it stands.
class Runs {
  public:
    void Add(bool hit);
    std::uint64_t longest(bool hit) const { return longest_[hit ? 1 : 0]; }
    /// How many runs of hits (or of misses) there are of each length: index = length.
    std::vector<std::uint64_t> Lengths(bool hit) const;

  private:
    bool hit_ = false;
    std::uint64_t open_ = 0;
    std::uint64_t longest_[2] = {0, 0};
    std::vector<std::uint64_t> ended_[2];  // runs that have ended, by length
};

/// Takes draws in time order and tests each from the third on.
class Backtest {
  public:
    /// Adds the next draw (0..999); from the third draw on returns its verdict.
    std::optional<TestedDraw> Add(int number);

    const Summary& summary() const { return summary_; }

  private:
    int previous_ = -1, last_ = -1;
    Runs runs_;
    Summary summary_;
};

/// The draws of a history with their line numbers and labels, kept compactly until the whole
/// input has been read and found valid: 16 bytes per draw plus the label bytes, in blocks that
/// are never moved as the history grows.
class History {
  public:
    /// Labels are at most 65535 bytes (longer ones are cut); false when `line` does not fit
    /// in 32 bits.
    bool Add(int number, std::uint64_t line, std::string_view label);

    std::size_t size() const { return size_; }
    int number(std::size_t i) const { return at(i).number; }
    std::uint64_t line(std::size_t i) const { return at(i).line; }
    std::string_view label(std::size_t i) const {
        const Entry& e = at(i);
        return std::string_view(labels_[e.label_block]).substr(e.label_begin, e.label_size);
    }
    /// Turns a newest-first history into time order; draws of one line keep their order.
    void Reverse();

  private:
    struct Entry {
        std::uint32_t label_block;
        std::uint32_t label_begin;
        std::uint32_t line;
        std::uint16_t label_size;
        std::uint16_t number;
    };
    static constexpr std::size_t kBlockShift = 16;
    static constexpr std::size_t kLabelBlock = 1 << 20;

    Entry& at(std::size_t i) { return entries_[i >> kBlockShift][i & ((1 << kBlockShift) - 1)]; }
    const Entry& at(std::size_t i) const {
        return entries_[i >> kBlockShift][i & ((1 << kBlockShift) - 1)];
    }

    std::vector<std::vector<Entry>> entries_;
    std::vector<std::string> labels_;
    std::size_t size_ = 0;
};

}  // namespace tolvex::backtest
