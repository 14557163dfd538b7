// detector.h - the layout detector the history library's detection files share (private).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text_scan.h"
#include "tolvex/history/layout.h"

namespace tolvex::history::detail {

struct Split {
    std::uint64_t number;
    std::string_view text;
    std::vector<Field> fields;
};

struct Column {
    std::array<std::size_t, 11> kinds{};       // per FieldKind, over the lines that fit
    std::size_t draws = 0;                     // Draw or Joined
    std::size_t short_numbers = 0;             // one or two digits: a draw without its zeros?
    std::size_t fours = 0;                     // Four or JoinedFour, not years
    bool consecutive = false;                  // three-digit values that count up or down by one
    bool years = true;                         // every Four a year
    std::optional<std::string_view> constant;  // the same text on every line
    std::string name;
    bool triple_name = false;  // the header's name covers this column and the next two
};

inline bool IsDrawKind(FieldKind k) {
    return k == FieldKind::Draw || k == FieldKind::Joined;
}

inline std::string Quote(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

inline std::string Range(std::size_t column, std::size_t width) {
    std::string s = std::to_string(column + 1);
    if (width > 1) {
        s += "-" + std::to_string(column + width);
    }
    return s;
}

class Detector {
  public:
    Detector(std::span<const SampleLine> data, const SampleLine* comment,
             const DetectOptions& options, Delimiter delimiter);

    // Whether the delimiter occurs on the lines that must fit.
    static bool Occurs(std::span<const SampleLine> data, Delimiter d, bool lenient);

    enum class Outcome { Chosen, Ambiguous, None, Failed };

    Outcome Choose(Layout& layout, ReadError& error);

    // Whether the header names the draw's column (and the delimiter splits it into columns).
    bool HeaderNamesDraw() const { return header_draw_.has_value() && header_.size() > 1; }

    // The first line that stops a draw from being read, with the reason, for when no column
    // holds a draw on every line.
    ReadError Trouble() const;

  private:
    bool Fits(const Split& s) const {
        return exact_ ? s.fields.size() == columns_ : s.fields.size() >= columns_;
    }

    std::string_view Value(const Split& s, std::size_t c) const {
        if (extra_at_end_) {
            if (c + 1 < columns_) {
                return FieldValue(s.text, s.fields[c]);
            }
            return s.text.substr(s.fields[c].begin, s.fields.back().end - s.fields[c].begin);
        }
        if (exact_ || c > 0) {
            const std::size_t extra = s.fields.size() - columns_;
            return FieldValue(s.text, s.fields[c + extra]);
        }
        const std::size_t extra = s.fields.size() - columns_;
        return s.text.substr(s.fields[0].begin, s.fields[extra].end - s.fields[0].begin);
    }

    bool DrawAt(const Split& s, std::size_t c, std::size_t width) const {
        if (!Fits(s) || c + width > columns_) {
            return false;
        }
        if (width == 1) {
            return IsDrawKind(ClassifyField(Value(s, c)));
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (ClassifyField(Value(s, c + k)) != FieldKind::Digit) {
                return false;
            }
        }
        return true;
    }

    // Names only, and a known one among them unless `named_only` is false and the line has no
    // digits at all.
    static bool IsHeader(std::string_view text, std::span<const Field> fields, bool named_only);

    void DecideHeader(const SampleLine* comment);

    // The header's one column named as the draw's, if any.
    std::optional<std::size_t> HeaderDrawColumn() const {
        std::optional<std::size_t> found;
        for (std::size_t i = 0; i < header_.size(); ++i) {
            if (IsDrawName(header_[i])) {
                if (found) {
                    return std::nullopt;
                }
                found = i;
            }
        }
        return found;
    }

    // Rows whose cell under the header's draw name is empty or pending: no draw yet.
    void DropPendingRows();

    const Split* PendingWordWithoutHeader() const;

    void DecideColumns();

    void Gather();

    std::size_t DigitCount(std::size_t c) const {
        return cols_[c].kinds[static_cast<std::size_t>(FieldKind::Digit)];
    }

    void NameColumns();

    static bool IsInlineName(std::string_view text) {
        return IsDrawName(text) || IsOtherName(text) || EndsWith(text, ":") ||
               EndsWith(text, kFullwidthColon);
    }

    struct Candidate {
        DrawColumn column;
        bool four;            // a draw of more than three digits
        bool places = false;  // three single digits named by their places (百位 十位 个位)
    };

    std::vector<Candidate> Candidates() const;

    // A sample value of a candidate from the first line it fits: "357", "3 5 7".
    std::string Example(const DrawColumn& d) const;

    Outcome ChooseFound(Layout& layout, ReadError& error);

    bool ChooseGiven(std::vector<DrawColumn>& draws, ReadError& error);

    void DecideLabel(Layout& layout) const;

    const DetectOptions& options_;
    Delimiter delimiter_;
    std::vector<Split> lines_;
    std::uint64_t header_line_ = 0;
    std::vector<std::string> header_;
    std::size_t need_ = 0;
    std::size_t columns_ = 0;
    std::size_t mode_ = 0;  // the most common number of fields
    bool exact_ = true;
    bool extra_at_end_ = false;
    std::vector<Column> cols_;
    std::optional<std::size_t> header_draw_;  // the header's column named as the draw's
    std::vector<Split> pending_;              // rows with no draw yet, left out
};

}  // namespace tolvex::history::detail
