// backtest.cpp - the backtest tally and the compact history store.
#include "tolvex/backtest/backtest.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tolvex/backtest/band.h"
#include "tolvex/history/time_order.h"
#include "tolvex/tolvex.h"

namespace tolvex::backtest {

std::optional<double> Summary::HitRate() const {
    if (tested == 0) {
        return std::nullopt;
    }
    return static_cast<double>(hits) / static_cast<double>(tested);
}

std::optional<double> Summary::ChanceRate() const {
    if (tested == 0) {
        return std::nullopt;
    }
    return ExpectedHits() / static_cast<double>(tested);
}

std::optional<double> Summary::ZScore() const {
    if (variance_e6 == 0) {
        return std::nullopt;
    }
    const double sd = std::sqrt(static_cast<double>(variance_e6)) / 1000.0;
    return (static_cast<double>(hits) - ExpectedHits()) / sd;
}

void Runs::Add(bool hit) {
    if (open_ > 0 && hit != hit_) {
        auto& ended = ended_[hit_ ? 1 : 0];
        ended.resize(std::max<std::size_t>(ended.size(), open_ + 1));
        ++ended[open_];
        open_ = 0;
    }
    hit_ = hit;
    ++open_;
    auto& longest = longest_[hit ? 1 : 0];
    longest = std::max(longest, open_);
}

std::vector<std::uint64_t> Runs::Lengths(bool hit) const {
    std::vector<std::uint64_t> runs = ended_[hit ? 1 : 0];
    if (open_ > 0 && hit_ == hit) {
        runs.resize(std::max<std::size_t>(runs.size(), open_ + 1));
        ++runs[open_];
    }
    return runs;
}

std::optional<TestedDraw> Backtest::Add(int number) {
    ++summary_.draws;
    std::optional<TestedDraw> verdict;
    if (previous_ >= 0) {
        const KeptNumbers rules(previous_, last_);
        const bool hit = rules.Keeps(number);
        summary_.Count(rules.count(), hit);
        runs_.Add(hit);
        summary_.longest_hit_run = runs_.longest(true);
        summary_.longest_miss_run = runs_.longest(false);
        if (summary_.tested >= kBandStart) {
            const double r = static_cast<double>(summary_.ExcessThousandths()) /
                             std::sqrt(static_cast<double>(summary_.variance_e6));
            const bool first = summary_.tested == kBandStart;
            summary_.band_high = first ? r : std::max(summary_.band_high, r);
            summary_.band_low = first ? r : std::min(summary_.band_low, r);
        }
        verdict = TestedDraw{previous_, last_, number, rules.count(), hit};
    }
    previous_ = last_;
    last_ = number;
    return verdict;
}

bool History::Add(int number, std::uint64_t line, std::string_view label) {
    if (line > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    label = label.substr(0, std::numeric_limits<std::uint16_t>::max());
    if ((size_ >> kBlockShift) == entries_.size()) {
        entries_.emplace_back().reserve(std::size_t{1} << kBlockShift);
    }
    if (labels_.empty() || labels_.back().size() + label.size() > kLabelBlock) {
        labels_.emplace_back().reserve(kLabelBlock);
    }
    std::string& block = labels_.back();
    entries_.back().push_back(
        Entry{static_cast<std::uint32_t>(labels_.size() - 1),
              static_cast<std::uint32_t>(block.size()), static_cast<std::uint32_t>(line),
              static_cast<std::uint16_t>(label.size()), static_cast<std::uint16_t>(number)});
    block.append(label);
    ++size_;
    return true;
}

void History::Reverse() {
    history::IntoTimeOrder(
        size_, [this](std::size_t i, std::size_t j) { std::swap(at(i), at(j)); },
        [this](std::size_t i, std::size_t j) { return at(i).line == at(j).line; });
}

}  // namespace tolvex::backtest
