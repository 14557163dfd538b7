// records.cpp - the history reader's records across several lines, and issues repeated where
// copied pages overlap.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "reader_lines.h"
#include "tolvex/history/layout.h"
#include "tolvex/history/reader.h"

namespace tolvex::history {
namespace detail {
namespace {

// Records across several lines, as phones copy result pages: one cell a line, each record
// opening with its issue number ("第2024021期", "期号: 2024047").
bool OneCell(std::string_view text) {
    return text.find('\t') == std::string_view::npos && text.find(',') == std::string_view::npos &&
           text.find("\xEF\xBC\x8C") == std::string_view::npos &&
           text.find('|') == std::string_view::npos;
}

// The name written before a line's value ("期号:"), and the value.
std::pair<std::string_view, std::string_view> NamedValue(std::string_view text) {
    text = TrimBlanks(text);
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && colon > 0 &&
        std::none_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon),
                     [](char c) { return (c >= '0' && c <= '9') || c == ' '; })) {
        return {text.substr(0, colon + 1), TrimBlanks(text.substr(colon + 1))};
    }
    return {std::string_view(), text};
}

// What a line of a record holds, to compare records: its name and the kind of its value.
std::string RowShape(std::string_view text) {
    const auto [name, value] = NamedValue(text);
    FieldKind kind = ClassifyField(value);
    if (kind == FieldKind::Text && DateKey(value.substr(0, value.find(' ')))) {
        kind = FieldKind::Date;  // a date and a weekday: 2024-02-16 周五
    }
    if (kind == FieldKind::Joined) {
        kind = FieldKind::Draw;
    }
    return std::string(name) + "/" + std::to_string(static_cast<int>(kind));
}

}  // namespace

bool RecordStart(std::string_view text) {
    const auto [name, value] = NamedValue(text);
    return ClassifyField(value) == FieldKind::Issue && (name.empty() || IsOtherName(name));
}

}  // namespace detail

using detail::NamedValue;
using detail::OneCell;
using detail::RecordStart;
using detail::RowShape;

// Records of one cell a line become one line each, their cells apart by tabs (by blanks when
// the cells are named, so that a name stands before its value); the rows after the opening
// part are joined as they come (Next). False when the records differ in shape.
bool HistoryReader::JoinRecords(std::vector<std::string>& decoded, std::vector<bool>& bad,
                                std::vector<std::optional<SkipKind>>& skip,
                                std::vector<std::size_t>& rows) {
    if (rows.size() < 4 || !RecordStart(decoded[rows[0]]) || RecordStart(decoded[rows[1]])) {
        return true;
    }
    std::vector<std::size_t> starts;  // indices into rows
    bool named = false;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string_view text = decoded[rows[r]];
        if (!OneCell(text) || bad[rows[r]]) {
            return true;
        }
        named = named || !NamedValue(text).first.empty();
        if (RecordStart(text)) {
            starts.push_back(r);
        }
    }
    if (starts.size() < 2) {
        return true;
    }
    if (!RecordsOfOneShape(decoded, rows, starts)) {
        return false;
    }
    const std::size_t size = starts[1] - starts[0];
    record_rows_ = size;
    info_.record_lines = size;
    record_gap_ = named ? " " : "\t";
    JoinSample(decoded, bad, skip, rows, starts);
    return true;
}

// Whether every record holds the rows the first does (the last may be cut short by the end of
// the opening part); else the failure.
bool HistoryReader::RecordsOfOneShape(const std::vector<std::string>& decoded,
                                      const std::vector<std::size_t>& rows,
                                      const std::vector<std::size_t>& starts) {
    const auto shape = [&](std::size_t k, std::size_t end) {
        std::string shape;
        for (std::size_t r = starts[k]; r < end; ++r) {
            shape += RowShape(decoded[rows[r]]) + ";";
        }
        return shape;
    };
    const std::size_t size = starts[1] - starts[0];
    const std::string first = shape(0, starts[1]);
    for (std::size_t k = 1; k < starts.size(); ++k) {
        const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : rows.size();
        // the opening part may end inside the last record
        const bool last = k + 1 == starts.size();
        if ((last ? end - starts[k] > size : end - starts[k] != size) ||
            shape(k, end) != first.substr(0, shape(k, end).size())) {
            return Fail(ReadErrorKind::NoDrawColumn, sample_[rows[starts[k]]].number,
                        "records across several lines, but not all of one shape: lines " +
                            std::to_string(sample_[rows[0]].number) + "-" +
                            std::to_string(sample_[rows[size - 1]].number) + " hold " +
                            std::to_string(size) + " lines, lines " +
                            std::to_string(sample_[rows[starts[k]]].number) + "-" +
                            std::to_string(sample_[rows[end - 1]].number) + " hold " +
                            std::to_string(end - starts[k]) +
                            " or other values; which line holds the draw cannot be told"
                            "\n(give each record one line: issue, date and draw)");
        }
    }
    return true;
}

// The opening part with one line a record.
void HistoryReader::JoinSample(std::vector<std::string>& decoded, std::vector<bool>& bad,
                               std::vector<std::optional<SkipKind>>& skip,
                               std::vector<std::size_t>& rows,
                               const std::vector<std::size_t>& starts) {
    const std::size_t size = record_rows_;
    // One line a record; lines that are no rows stay where they are.
    std::vector<Raw> joined;
    std::vector<std::string> texts;
    std::vector<std::optional<SkipKind>> skips;
    std::vector<std::size_t> new_rows;
    std::size_t r = 0;
    for (std::size_t i = 0; i < sample_.size(); ++i) {
        if (r < rows.size() && rows[r] == i) {
            const std::size_t k = r - starts[0];
            if (k % size == 0) {
                if (r + size > rows.size()) {
                    // the rest of a record after the opening part
                    record_first_ = sample_[i].number;
                    record_count_ = rows.size() - r;
                    for (std::size_t j = r; j < rows.size(); ++j) {
                        record_ += (j > r ? record_gap_ : "") + decoded[rows[j]];
                    }
                    break;
                }
                std::string text = decoded[i];
                for (std::size_t j = 1; j < size; ++j) {
                    text += record_gap_ + decoded[rows[r + j]];
                }
                new_rows.push_back(joined.size());
                joined.push_back({sample_[i].number, text});
                texts.push_back(std::move(text));
                skips.push_back(std::nullopt);
            }
            ++r;
            continue;
        }
        joined.push_back(sample_[i]);
        texts.push_back(decoded[i]);
        skips.push_back(skip[i]);
    }
    sample_ = std::move(joined);
    decoded = std::move(texts);
    skip = std::move(skips);
    bad.assign(sample_.size(), false);
    rows = std::move(new_rows);
}

// A line whose issue stands on a recent line: where copied pages overlap, the same draws
// (skipped); else a conflict. Read when no recent line has the issue.
HistoryReader::LineResult HistoryReader::RepeatedIssue(std::uint64_t key, std::string_view v,
                                                       std::uint64_t number, std::string& reason) {
    for (const Recent& r : recent_) {
        if (r.key != key || r.count == 0) {
            continue;
        }
        bool same = r.count == pending_.size();
        for (std::size_t i = 0; same && i < pending_.size(); ++i) {
            same = r.draws[i] == pending_[i].number;
        }
        if (same) {
            pending_.clear();
            Skipped(SkipKind::Duplicate, number);
            return LineResult::Skip;
        }
        reason = "issue " + std::string(v) + " stands twice with different draws: line " +
                 std::to_string(r.line) + " and line " + std::to_string(number) +
                 "; which is right cannot be told";
        return LineResult::Conflict;
    }
    return LineResult::Read;
}

void HistoryReader::RememberIssue(std::uint64_t key, std::uint64_t number) {
    if (recent_.size() < kRecent) {
        recent_.emplace_back();
    }
    Recent& r = recent_[recent_next_++ % kRecent];
    r.key = key;
    r.line = number;
    r.count = static_cast<std::uint8_t>(pending_.size());
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        r.draws[i] = pending_[i].number;
    }
}

}  // namespace tolvex::history
