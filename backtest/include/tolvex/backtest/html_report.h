// tolvex/backtest/html_report.h - the backtest as one self-contained page with charts and tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/report.h"
#include "tolvex/history/reader.h"

namespace tolvex::backtest {

/// `text` for HTML text and attribute values: & < > " ' as references, control characters as
/// ControlReplacement (report.h) says, bytes that are not UTF-8 as U+FFFD.
std::string HtmlEscape(std::string_view text);

/// The period a label's key places a draw in, as yyyymm with month 0 when only the year is
/// known; 0 when it gives no year. A date gives its year and month; an issue number of 7 to 12
/// digits whose first four are a year from 1990 to 2099 (2024001, 2024000001) gives its year.
std::uint32_t PeriodOfKey(history::KeyKind kind, std::uint64_t key);

/// "2026-01-09 14:05 UTC" for seconds since 1970-01-01 UTC.
std::string FormatUtc(std::int64_t seconds);

/// How many runs of exactly `length` hits a sequence of `n` independent draws holds on average
/// when each is a hit with probability `p` (for miss runs, pass 1 - p).
double ExpectedRuns(double p, std::uint64_t n, std::uint64_t length);

/// A series of values, one per tested draw, kept as at most four points per bucket of draws
/// (the bucket's first, lowest, highest and last, in the order they came), so that a chart of
/// a million draws holds what a screen shows and no more.
class ThinnedSeries {
  public:
    struct Point {
        std::uint64_t index;  ///< the tested draw's index, from 0
        double value;
    };

    /// For `count` values in at most `buckets` buckets, the first value at index `first`.
    ThinnedSeries(std::uint64_t count, std::size_t buckets, std::uint64_t first = 0);

    /// Adds the value of the next tested draw (index i, in order from `first`).
    void Add(double value);
    /// The points so far; complete after the last Add.
    const std::vector<Point>& points();

  private:
    void Close();

    std::uint64_t count_;
    std::size_t buckets_;
    std::uint64_t next_ = 0;
    std::size_t bucket_ = 0;
    bool open_ = false;
    Point first_{}, low_{}, high_{}, last_{};
    std::vector<Point> points_;
};

struct HtmlOptions {
    std::int64_t made_at = 0;  ///< when the report was made, seconds since 1970 UTC
    std::string version;
    /// The struck draws listed, the most recent (newest first); the rest are counted.
    std::uint64_t struck_rows = 10000;
    std::string program = "tolvex-cli";  ///< the program named as the page's maker
};

/// Builds the page from the tested draws in time order, then writes it at once. Holds the
/// thinned charts, the tallies per period and at most `struck_rows` struck draws, so its
/// memory does not grow with the history beyond that.
class HtmlReport {
  public:
    /// `tested` is how many draws Add will be given.
    HtmlReport(const history::HistoryInfo& info, std::uint64_t tested, HtmlOptions options);

    /// The next tested draw, with its label's key (HistoryDraw::key).
    void Add(const Row& row, std::uint64_t key);
    /// Appends the whole page to `out`.
    void Write(const Summary& summary, std::string& out);

    /// Buckets of draws per chart line, about one per pixel column.
    static constexpr std::size_t kBuckets = 600;

  private:
    struct Struck {
        std::uint64_t line;
        std::string label;
        int previous, last, draw;
    };
    struct Block {
        Summary tally;
        std::string first, last;  // the names of its first and last draw
    };

    /// The date (yyyymmdd) a draw's label holds, in its key or another of its fields; 0 without.
    std::uint64_t LabelDate(const Row& row, std::uint64_t key);
    /// A draw's name on the axes and in the periods: its date, its issue number or its line.
    std::string DrawName(const Row& row, std::uint64_t key, std::uint64_t date) const;
    /// The ticks of the time axis, from tick_index_, whose names do not overlap.
    std::vector<std::size_t> ChooseTicks() const;
    void WriteHeader(std::string& out) const;
    void WriteVerdict(const Summary& s, std::string& out) const;
    void WriteExcessChart(std::string& out);
    void WriteRollingChart(const Summary& s, std::string& out);
    void WriteRunsChart(const Summary& s, std::string& out) const;
    void WritePeriods(std::string& out) const;
    void WriteStruck(const Summary& s, std::string& out) const;
    void WriteXAxis(std::string& out) const;

    const history::HistoryInfo& info_;
    HtmlOptions options_;
    std::uint64_t tested_;
    std::uint64_t index_ = 0;

    // hits minus expected hits, in thousandths; chance's variance so far, in millionths
    std::int64_t excess_e3_ = 0;
    std::uint64_t variance_e6_ = 0;
    ThinnedSeries excess_;
    std::optional<double> band_c_;            // the band's constant c(N); none under 30 draws
    std::vector<ThinnedSeries::Point> band_;  // c(N) standard deviations at each bucket's end

    static constexpr std::uint64_t kShortWindow = 30, kLongWindow = 100;
    bool window_[kLongWindow] = {};  // the last 100 verdicts, a ring
    std::uint64_t in30_ = 0, in100_ = 0;
    ThinnedSeries rate30_, rate100_;

    Runs runs_;

    std::map<std::uint32_t, Summary> periods_;  // by PeriodOfKey; 0 for draws without one
    std::uint32_t last_period_ = std::numeric_limits<std::uint32_t>::max();
    Summary* period_ = nullptr;
    std::vector<Block> blocks_;  // consecutive tested draws, when labels give no years
    std::uint64_t block_size_ = 1;

    std::vector<history::Field> fields_;
    static constexpr int kDateUnknown = -1, kNoDate = -2;
    int date_field_ = kDateUnknown;  // the label field that holds a date

    std::vector<std::uint64_t> tick_index_;  // candidates, chosen from by ChooseTicks
    std::vector<std::string> tick_name_;

    std::deque<Struck> struck_;
};

}  // namespace tolvex::backtest
