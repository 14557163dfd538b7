// tolvex/backtest/report.h - backtest rows and summaries as text, CSV or JSON, and shared helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tolvex/backtest/backtest.h"

namespace tolvex::backtest {

/// Html is the page of html_report.h; ReportWriter leaves it alone.
enum class Format { Text, Csv, Json, Html };

/// "text", "csv", "json" or "html"; no value for anything else.
std::optional<Format> ParseFormat(std::string_view name);

/// One row of the report: a tested draw with the line and label it was read from.
struct Row {
    std::uint64_t line;
    std::string_view label;
    TestedDraw test;
};

/// Appends one format's report piece by piece to `out`; the caller flushes `out` whenever it
/// likes. Rows go between Begin and End; with `rows` false only the summary is written.
class ReportWriter {
  public:
    /// `label_width` is the widest label in columns (see LabelWidth), used by text only.
    ReportWriter(Format format, bool rows, std::size_t label_width, std::string& out);

    void Begin();
    void Add(const Row& row);
    void End(const Summary& summary);

  private:
    Format format_;
    bool rows_;
    std::size_t label_width_;
    std::string& out_;
    bool first_ = true;
};

/// Labels in the text report take at most this many display columns; longer ones are cut
/// and end with "…".
constexpr std::size_t kLabelColumns = 40;

/// A label's width in the text report in display columns (a CJK character takes two, a tab
/// or control byte shown as one blank takes one), at most kLabelColumns.
std::size_t LabelWidth(std::string_view label);

/// The label as the text report shows it, cut to `columns` display columns: control bytes as
/// blanks, bytes that are not UTF-8 as U+FFFD.
std::string TextLabel(std::string_view label, std::size_t columns = kLabelColumns);

/// The summary as the text report ends: hit rate beside the rate chance gives.
std::string SummaryText(const Summary& summary);

/// `text` as a JSON string, quotes included; bytes that are not valid UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

/// `text` as one CSV field, quoted when it holds a comma, a quote, a tab or a line end.
std::string CsvField(std::string_view text);

/// A label as a CSV field: one that starts with = + - or @ gets a leading apostrophe, so
/// that spreadsheets show it instead of running it as a formula.
std::string CsvLabel(std::string_view text);

/// Appends a draw (0..999) as three digits, and a count in decimal digits.
void AppendThree(std::string& out, int number);
void AppendUint(std::string& out, std::uint64_t value);

/// The decimal `value` with `digits` digits after the point, independent of the locale.
std::string Fixed(double value, int digits);

/// A count of thousandths written exactly: 6494 as "6.494", -1494 as "-1.494".
std::string Thousandths(std::int64_t value);

/// A rate as a percentage with two decimals ("55.56%"), "n/a" without a value.
std::string Percent(std::optional<double> rate);

}  // namespace tolvex::backtest
