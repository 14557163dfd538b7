// read_line.cpp - the history reader holding one data line to the layout: its fields, label,
// draws and key.
#include <algorithm>
#include <string>
#include <string_view>

#include "reader_lines.h"
#include "text_scan.h"
#include "tolvex/history/description.h"
#include "tolvex/history/layout.h"
#include "tolvex/history/reader.h"

namespace tolvex::history {
namespace {

bool IsLabelEnd(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == ':' || c == '|' || c == '-' ||
           c == '/' || c == '=';
}

std::string_view TrimLabel(std::string_view label) {
    while (!label.empty() && IsLabelEnd(label.back())) {
        label.remove_suffix(1);
    }
    return label;
}

bool AllDigitsText(std::string_view v) {
    return std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Unescape(std::string_view quoted_value) {
    std::string out;
    for (std::size_t i = 0; i < quoted_value.size(); ++i) {
        out += quoted_value[i];
        if (quoted_value[i] == '"' && i + 1 < quoted_value.size() && quoted_value[i + 1] == '"') {
            ++i;
        }
    }
    return out;
}

}  // namespace

using detail::KeyName;

HistoryReader::LineResult HistoryReader::ReadLine(std::string_view text, std::uint64_t number,
                                                  std::string& reason) {
    SplitFields(text, info_.layout.delimiter, fields_);
    if (PendingRow(text)) {
        Skipped(SkipKind::Pending, number);
        return LineResult::Skip;
    }
    if (!FieldsFit(reason)) {
        return LineResult::Bad;
    }
    const std::string_view label = ReadLabel(text);
    LineResult result = ReadDraws(text, number, label, reason);
    if (result == LineResult::Read && info_.layout.key != KeyKind::None) {
        result = ReadKey(text, number, reason);
    }
    if (result == LineResult::Read && pending_.size() > 1) {
        LabelByColumn(label);
    }
    return result;
}

bool HistoryReader::PendingRow(std::string_view text) const {
    const Layout& layout = info_.layout;
    const std::size_t n = fields_.size();
    return layout.pending_column && n <= layout.columns &&
           (n <= *layout.pending_column ||
            IsPendingDraw(FieldValue(text, fields_[*layout.pending_column])));
}

bool HistoryReader::FieldsFit(std::string& reason) const {
    const Layout& layout = info_.layout;
    const std::size_t n = fields_.size();
    if (layout.exact ? n != layout.columns : n < layout.columns) {
        reason = std::to_string(n) + (n == 1 ? " field" : " fields") + " (" +
                 std::string(DelimiterName(layout.delimiter)) + ") where the lines have " +
                 std::to_string(layout.columns);
        return false;
    }
    if (layout.draws.empty()) {
        reason = "no draw found";
        return false;
    }
    return true;
}

std::string_view HistoryReader::ReadLabel(std::string_view text) {
    const Layout& layout = info_.layout;
    const std::size_t extra = layout.extra_at_end ? 0 : fields_.size() - layout.columns;
    // The label: the fields before the draw, as written.
    std::string_view label;
    if (layout.label_columns > 0) {
        const Field& first = fields_[0];
        const Field& last = fields_[layout.label_columns - 1 + extra];
        bool quoted = false;
        for (std::size_t i = 0; i < layout.label_columns + extra; ++i) {
            quoted = quoted || fields_[i].quoted;
        }
        if (!quoted) {
            label = TrimLabel(text.substr(first.begin, last.end - first.begin));
        } else {
            label_.clear();
            for (std::size_t i = 0; i < layout.label_columns + extra; ++i) {
                if (i > 0) {
                    label_ += layout.delimiter == Delimiter::FullwidthComma
                                  ? detail::kFullwidthComma
                                  : text.substr(fields_[i - 1].end, 1);
                }
                const std::string_view v = FieldValue(text, fields_[i]);
                label_ += fields_[i].escaped ? Unescape(v) : std::string(v);
            }
            label = TrimLabel(label_);
        }
    }
    if (record_rows_ > 1 && label.find('\t') != std::string_view::npos) {
        // a record's lines, joined by tabs to be read, are apart by blanks in its label
        label_.assign(label);
        std::replace(label_.begin(), label_.end(), '\t', ' ');
        label = label_;
    }
    return label;
}

HistoryReader::LineResult HistoryReader::ReadDraws(std::string_view text, std::uint64_t number,
                                                   std::string_view label, std::string& reason) {
    const Layout& layout = info_.layout;
    pending_.clear();
    pending_pos_ = 0;
    pending_padded_ = 0;
    for (const DrawColumn& d : layout.draws) {
        int value = -1;
        if (d.width == 1) {
            const std::string_view v = ColumnText(text, fields_, layout, d.column);
            const auto draw = FieldDraw(v);
            value = draw ? *draw : -1;
            if (!draw && d.pad && !v.empty() && v.size() <= 2 && AllDigitsText(v)) {
                value = std::stoi(std::string(v));
                ++pending_padded_;
            }
        } else {
            value = 0;
            for (std::size_t k = 0; k < 3 && value >= 0; ++k) {
                const std::string_view v = ColumnText(text, fields_, layout, d.column + k);
                value =
                    v.size() == 1 && v[0] >= '0' && v[0] <= '9' ? value * 10 + (v[0] - '0') : -1;
            }
        }
        if (value < 0) {
            reason = "no draw in " + DescribeColumn(d);
            return LineResult::Bad;
        }
        pending_.push_back({static_cast<std::uint16_t>(value), number, label, 0});
    }
    return LineResult::Read;
}

HistoryReader::LineResult HistoryReader::ReadKey(std::string_view text, std::uint64_t number,
                                                 std::string& reason) {
    const Layout& layout = info_.layout;
    const std::string_view v = ColumnText(text, fields_, layout, layout.key_column);
    const auto key = OrderKey(layout.key, v, last_key_.value_or(0));
    if (!key) {
        reason = "'" + std::string(v) + "' is not one of the " + std::string(KeyName(layout.key)) +
                 " the other lines have";
        return LineResult::Bad;
    }
    const bool oldest = layout.label_order != Order::NewestFirst;
    const bool behind = last_key_ && (oldest ? *key < *last_key_ : *key > *last_key_);
    if (layout.key == KeyKind::Issue && last_key_ && (behind || *key == *last_key_)) {
        const LineResult repeat = RepeatedIssue(*key, v, number, reason);
        if (repeat != LineResult::Read) {
            return repeat;
        }
    }
    if (behind && layout.label_order != Order::Unknown) {
        reason = "'" + std::string(v) + "' is out of order after line " +
                 std::to_string(last_key_line_) + " (the " + std::string(KeyName(layout.key)) +
                 " run " + (oldest ? "up" : "down") + ")";
        return LineResult::Bad;
    }
    if (!behind) {
        last_key_ = key;
        last_key_line_ = number;
    }
    const bool yearless = layout.key == KeyKind::Date && DateKey(v) && IsYearless(*DateKey(v));
    for (HistoryDraw& d : pending_) {
        d.key = yearless ? 0 : *key;
    }
    if (layout.key == KeyKind::Issue && pending_.size() <= 4) {
        RememberIssue(*key, number);
    }
    return LineResult::Read;
}

void HistoryReader::LabelByColumn(std::string_view label) {
    const Layout& layout = info_.layout;
    // Several draws on a line: each label says which column it came from.
    labels_.resize(pending_.size());
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const DrawColumn& d = layout.draws[i];
        labels_[i].assign(label);
        labels_[i] += labels_[i].empty() ? "" : " ";
        labels_[i] += d.name.empty() ? "column " + std::to_string(d.column + 1) : d.name;
        pending_[i].label = labels_[i];
    }
}

}  // namespace tolvex::history
