// detector.cpp - the layout detector: the header, the columns, what they hold, the draw's.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "detector.h"
#include "text_scan.h"
#include "tolvex/history/layout.h"

namespace tolvex::history::detail {

Detector::Detector(std::span<const SampleLine> data, const SampleLine* comment,
                   const DetectOptions& options, Delimiter delimiter)
    : options_(options), delimiter_(delimiter) {
    for (const auto& line : data) {
        Split s{line.number, line.text, {}};
        SplitFields(line.text, delimiter, s.fields);
        lines_.push_back(std::move(s));
    }
    DecideHeader(comment);
    DropPendingRows();
    need_ = options.lenient ? lines_.size() / 2 + 1 : lines_.size();
    DecideColumns();
    Gather();
}

bool Detector::Occurs(std::span<const SampleLine> data, Delimiter d, bool lenient) {
    if (d == Delimiter::None) {
        return true;
    }
    std::size_t with = 0;
    std::vector<Field> fields;
    // A line whose last fields are empty keeps its delimiters, though not its fields: a
    // spreadsheet's row with an empty draw cell ("1/2/24,").
    std::string_view mark;
    switch (d) {
        case Delimiter::Tab:
            mark = "\t";
            break;
        case Delimiter::FullwidthComma:
            mark = kFullwidthComma;
            break;
        case Delimiter::Comma:
            mark = ",";
            break;
        case Delimiter::Semicolon:
            mark = ";";
            break;
        case Delimiter::Pipe:
            mark = "|";
            break;
        default:
            break;
    }
    for (const auto& line : data) {
        SplitFields(line.text, d, fields);
        with +=
            fields.size() > 1 || (!mark.empty() && line.text.find(mark) != std::string_view::npos);
    }
    const std::size_t need = lenient ? data.size() / 2 + 1 : data.size();
    return with > 0 && (d == Delimiter::Blanks || with >= need);
}

Detector::Outcome Detector::Choose(Layout& layout, ReadError& error) {
    if (lines_.empty()) {
        // a header and no data
        layout.header_line = header_line_;
        layout.header = header_;
        return Outcome::Chosen;
    }
    layout.delimiter = delimiter_;
    for (const auto& line : lines_) {
        layout.no_break_spaces =
            layout.no_break_spaces || line.text.find(kNoBreakSpace) != std::string_view::npos;
        layout.ideographic_spaces = layout.ideographic_spaces ||
                                    line.text.find(kIdeographicSpace) != std::string_view::npos;
    }
    layout.columns = columns_;
    layout.exact = exact_;
    layout.extra_at_end = extra_at_end_;
    layout.header_line = header_line_;
    layout.header = header_;
    if (const Split* pending = PendingWordWithoutHeader()) {
        error = {ReadErrorKind::NoDrawColumn,
                 pending->number,
                 {},
                 "a draw still to come stands on this line, and no header names the draw's "
                 "column, so which column holds the draw cannot be told: " +
                     std::string(pending->text) +
                     "\n(add a header line naming the columns, e.g. 期号 开奖号码 试机号)"};
        return Outcome::Failed;
    }
    if (!options_.columns.empty()) {
        if (!ChooseGiven(layout.draws, error)) {
            error.kind = ReadErrorKind::BadColumnOption;
            return Outcome::Failed;
        }
        layout.chosen_by = "given with --column";
    } else {
        const Outcome o = ChooseFound(layout, error);
        if (o != Outcome::Chosen) {
            return o;
        }
    }
    if (!pending_.empty() || header_draw_) {
        // Rows with no draw yet were left out by the header's draw column: it must be the
        // column chosen.
        const bool same = layout.draws.size() == 1 && layout.draws[0].width == 1 && header_draw_ &&
                          layout.draws[0].column == *header_draw_ && exact_ &&
                          header_.size() >= columns_;
        if (same) {
            layout.pending_column = *header_draw_;
        } else if (!pending_.empty()) {
            error = {ReadErrorKind::NoDrawColumn,
                     pending_[0].number,
                     {},
                     "no draw found in: " + std::string(pending_[0].text)};
            return Outcome::Failed;
        }
    }
    DecideLabel(layout);
    return Outcome::Chosen;
}

bool Detector::IsHeader(std::string_view text, std::span<const Field> fields, bool named_only) {
    bool named = false;
    for (const Field& f : fields) {
        const std::string_view v = FieldValue(text, f);
        const FieldKind k = ClassifyField(v);
        if (k != FieldKind::Text && k != FieldKind::Empty) {
            return false;
        }
        named = named || IsDrawName(v) || IsOtherName(v);
    }
    const bool digits = std::any_of(text.begin(), text.end(), IsDigit);
    return named || (!named_only && !digits && !fields.empty());
}

void Detector::DecideHeader(const SampleLine* comment) {
    // A line of unknown names is a header only above data.
    if (!lines_.empty() && IsHeader(lines_[0].text, lines_[0].fields, lines_.size() == 1)) {
        header_line_ = lines_[0].number;
        for (const Field& f : lines_[0].fields) {
            header_.emplace_back(FieldValue(lines_[0].text, f));
        }
        lines_.erase(lines_.begin());
        return;
    }
    if (comment == nullptr) {
        return;
    }
    std::string_view text = comment->text;
    text.remove_prefix(std::min(text.find('#') + 1, text.size()));
    std::vector<Field> fields;
    SplitFields(text, delimiter_, fields);
    if (fields.size() > 1 && IsHeader(text, fields, true)) {
        header_line_ = comment->number;
        for (const Field& f : fields) {
            header_.emplace_back(FieldValue(text, f));
        }
    }
}

void Detector::DropPendingRows() {
    header_draw_ = HeaderDrawColumn();
    if (!header_draw_ || delimiter_ == Delimiter::None) {
        return;
    }
    const std::size_t c = *header_draw_;
    std::erase_if(lines_, [&](const Split& s) {
        const bool pending =
            s.fields.size() <= header_.size() &&
            (s.fields.size() <= c || IsPendingDraw(FieldValue(s.text, s.fields[c])));
        if (pending) {
            pending_.push_back(s);
        }
        return pending;
    });
    if (pending_.size() > lines_.size()) {
        // Most rows without a draw: not rows of draws to come, but no draw column at all.
        lines_.insert(lines_.end(), pending_.begin(), pending_.end());
        std::sort(lines_.begin(), lines_.end(),
                  [](const Split& a, const Split& b) { return a.number < b.number; });
        pending_.clear();
    }
}

const Split* Detector::PendingWordWithoutHeader() const {
    if (header_draw_) {
        return nullptr;
    }
    for (const auto& s : lines_) {
        for (const Field& f : s.fields) {
            if (IsPendingWord(FieldValue(s.text, f))) {
                return &s;
            }
        }
    }
    return nullptr;
}

void Detector::DecideColumns() {
    if (lines_.empty()) {
        return;
    }
    std::vector<std::size_t> counts;
    for (const auto& s : lines_) {
        counts.push_back(s.fields.size());
    }
    std::sort(counts.begin(), counts.end());
    // the most common count, the larger on a tie
    std::size_t mode = counts[0], mode_n = 0;
    for (std::size_t i = 0; i < counts.size();) {
        std::size_t j = i;
        while (j < counts.size() && counts[j] == counts[i]) {
            ++j;
        }
        if (j - i >= mode_n) {
            mode = counts[i];
            mode_n = j - i;
        }
        i = j;
    }
    mode_ = mode;
    if (delimiter_ == Delimiter::Comma && header_draw_ && header_.size() > 1 &&
        counts.back() > header_.size() && counts.front() != counts.back() &&
        counts[counts.size() - need_] >= header_.size()) {
        // More fields than the header names: unquoted thousands separators. The columns up
        // to the draw's stand where the header says only when the amounts follow the draw.
        columns_ = header_.size();
        exact_ = false;
        extra_at_end_ = true;
        return;
    }
    if (mode_n >= need_ || delimiter_ != Delimiter::Blanks) {
        columns_ = mode;
        exact_ = true;
        return;
    }
    // Blanks inside a label: count the columns from the right.
    exact_ = false;
    columns_ = counts[counts.size() - need_];
}

void Detector::Gather() {
    cols_.assign(columns_, Column{});
    std::vector<std::optional<int>> last(columns_);
    std::vector<int> step(columns_, 0);
    std::vector<bool> stepping(columns_, true);
    std::vector<std::size_t> values(columns_, 0);
    std::vector<bool> varied(columns_, false);
    for (const auto& s : lines_) {
        if (!Fits(s)) {
            continue;
        }
        for (std::size_t c = 0; c < columns_; ++c) {
            Column& col = cols_[c];
            const std::string_view v = Value(s, c);
            const FieldKind k = ClassifyField(v);
            ++col.kinds[static_cast<std::size_t>(k)];
            col.draws += IsDrawKind(k);
            col.short_numbers +=
                (k == FieldKind::Digit || k == FieldKind::Number) && AllDigits(v) && v.size() <= 2;
            if (k == FieldKind::Four || k == FieldKind::JoinedFour) {
                ++col.fours;
                const bool year = k == FieldKind::Four && v >= "1900" && v <= "2199";
                col.years = col.years && year;
            }
            if (k != FieldKind::Text || (col.constant && *col.constant != v)) {
                varied[c] = true;
            }
            col.constant = v;
            if (k == FieldKind::Draw) {
                const int n = (v[0] - '0') * 100 + (v[1] - '0') * 10 + (v[2] - '0');
                if (last[c]) {
                    const int d = n - *last[c];
                    stepping[c] =
                        stepping[c] && (d == 1 || d == -1) && (step[c] == 0 || step[c] == d);
                    step[c] = d;
                }
                last[c] = n;
                ++values[c];
            }
        }
    }
    for (std::size_t c = 0; c < columns_; ++c) {
        cols_[c].consecutive = stepping[c] && values[c] >= 3;
        if (varied[c]) {
            cols_[c].constant.reset();
        }
    }
    NameColumns();
}

void Detector::NameColumns() {
    const std::size_t h = header_.size();
    if (h > 0 && (exact_ || extra_at_end_) && h <= columns_ && (columns_ - h) % 2 == 0) {
        // A header name may stand over a draw written as three single-digit fields.
        std::size_t triples = (columns_ - h) / 2;
        std::size_t j = 0;
        for (std::size_t i = 0; i < h && j < columns_; ++i) {
            const bool spread = triples > 0 && j + 2 < columns_ &&
                                (IsDrawName(header_[i]) || IsOtherName(header_[i])) &&
                                DigitCount(j) >= need_ && DigitCount(j + 1) >= need_ &&
                                DigitCount(j + 2) >= need_;
            const std::size_t width = spread ? 3 : 1;
            for (std::size_t k = 0; k < width; ++k) {
                cols_[j + k].name = header_[i];
            }
            cols_[j].triple_name = spread;
            triples -= spread;
            j += width;
        }
        if (j != columns_ || triples != 0) {
            for (auto& col : cols_) {
                col.name.clear();
                col.triple_name = false;
            }
        }
    }
    // Text that stands before a column on every line names it: "开奖号码 3 5 7 试机号 4 6 8".
    for (std::size_t c = 1; c < columns_; ++c) {
        const auto& before = cols_[c - 1].constant;
        if (cols_[c].name.empty() && before && IsInlineName(*before)) {
            cols_[c].name = std::string(*before);
            for (std::size_t k = c + 1; k < c + 3 && k < columns_; ++k) {
                if (cols_[k].name.empty() && DigitCount(c) >= need_) {
                    cols_[k].name = cols_[c].name;
                }
            }
        }
    }
}

std::vector<Detector::Candidate> Detector::Candidates() const {
    std::vector<Candidate> found;
    for (std::size_t c = 0; c < columns_; ++c) {
        const Column& col = cols_[c];
        if (col.draws >= need_ && !col.consecutive) {
            found.push_back({{c, 1, col.name}, false});
        } else if (IsDrawName(col.name) && !col.consecutive &&
                   col.draws + col.short_numbers >= need_ && col.draws * 2 >= need_) {
            // the header's draw column, some draws without their leading zeros
            found.push_back({{c, 1, col.name, true}, false});
        } else if (col.fours >= need_ && !col.years) {
            found.push_back({{c, 1, col.name}, true});
        }
    }
    // Three single-digit columns the header names by their places, when no other place
    // is named (千位 makes a four-digit game): a bonus digit beside them is not the draw's.
    bool fourth_place = false;
    for (std::size_t c = 0; c < columns_; ++c) {
        fourth_place = fourth_place || DigitPlace(cols_[c].name) == 4;
    }
    for (std::size_t c = 0; c + 2 < columns_ && !fourth_place; ++c) {
        bool places = true;
        for (std::size_t k = 0; k < 3; ++k) {
            places = places && DigitPlace(cols_[c + k].name) == static_cast<int>(k + 1) &&
                     DigitCount(c + k) >= need_;
        }
        if (places) {
            const std::string name =
                cols_[c].name + " " + cols_[c + 1].name + " " + cols_[c + 2].name;
            found.push_back({{c, 3, name}, false, true});
        }
    }
    // Runs of single-digit columns; a header name over three of them, or a name that is
    // never a draw's, ends a run.
    for (std::size_t c = 0; c < columns_;) {
        if (DigitCount(c) < need_ || IsOtherName(cols_[c].name)) {
            ++c;
            continue;
        }
        std::size_t end = c + 1;
        while (end < columns_ && DigitCount(end) >= need_ && !cols_[end].triple_name &&
               !IsOtherName(cols_[end].name)) {
            ++end;
        }
        if (end - c >= 3) {
            // a name shared by the three (a header's or one written before them)
            const bool shared =
                cols_[c].name == cols_[c + 1].name && cols_[c].name == cols_[c + 2].name;
            found.push_back({{c, end - c, shared ? cols_[c].name : ""}, end - c > 3});
        }
        c = end;
    }
    std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        return a.column.column < b.column.column;
    });
    return found;
}

std::string Detector::Example(const DrawColumn& d) const {
    for (const auto& s : lines_) {
        if (!Fits(s)) {
            continue;
        }
        std::string text;
        for (std::size_t k = 0; k < d.width; ++k) {
            text += (k > 0 ? " " : "") + std::string(Value(s, d.column + k));
        }
        return text + " (line " + std::to_string(s.number) + ")";
    }
    return "";
}

void Detector::DecideLabel(Layout& layout) const {
    std::size_t first = columns_;
    for (const auto& d : layout.draws) {
        first = std::min(first, d.column);
    }
    // Names written before the draw on every line ("开奖号码", "Result:") and other draws
    // (a midday draw before the evening one) are no label.
    while (first > 0 && ((cols_[first - 1].constant && IsInlineName(*cols_[first - 1].constant)) ||
                         (cols_[first - 1].draws >= need_ && !cols_[first - 1].consecutive))) {
        --first;
    }
    layout.label_columns = first;
    for (std::size_t c = 0; c < first && layout.key == KeyKind::None; ++c) {
        const auto& kinds = cols_[c].kinds;
        if (kinds[static_cast<std::size_t>(FieldKind::Issue)] >= need_) {
            layout.key = KeyKind::Issue;
            layout.key_column = c;
        } else if (kinds[static_cast<std::size_t>(FieldKind::Date)] >= need_) {
            layout.key = KeyKind::Date;
            layout.key_column = c;
        }
    }
    if (layout.key == KeyKind::None) {
        return;
    }
    // The way most steps go; a line that steps the other way is out of order.
    std::size_t up = 0, down = 0;
    std::uint64_t up_lines[2] = {}, down_lines[2] = {};
    std::optional<std::uint64_t> last;
    std::uint64_t last_line = 0;
    for (const auto& s : lines_) {
        if (!Fits(s)) {
            continue;
        }
        const std::string_view v = Value(s, layout.key_column);
        const auto key = OrderKey(layout.key, v, last.value_or(0));
        if (!key) {
            continue;
        }
        if (last && *key != *last) {
            std::uint64_t* lines = *key > *last ? up_lines : down_lines;
            if ((*key > *last ? up++ : down++) == 0) {
                lines[0] = last_line;
                lines[1] = s.number;
            }
        }
        last = key;
        last_line = s.number;
    }
    if (up != down) {
        layout.label_order = up > down ? Order::OldestFirst : Order::NewestFirst;
        const std::uint64_t* lines = up > down ? up_lines : down_lines;
        layout.order_lines[0] = lines[0];
        layout.order_lines[1] = lines[1];
    }
}

}  // namespace tolvex::history::detail
