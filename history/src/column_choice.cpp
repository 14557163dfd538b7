// column_choice.cpp - which column holds the draw: found, given with --column, or why none does.
#include "detector.h"

namespace tolvex::history::detail {

// The first line that stops a draw from being read, with the reason, for when no column
// holds a draw on every line.
ReadError Detector::Trouble() const {
    // Judged with the most common number of fields: a line with another number is one
    // that does not share the layout.
    const auto at = [&](const Split& s, std::size_t c, std::size_t width) {
        if (s.fields.size() != mode_ || c + width > mode_) {
            return false;
        }
        for (std::size_t k = 0; k < width; ++k) {
            const FieldKind kind = ClassifyField(FieldValue(s.text, s.fields[c + k]));
            if (width == 1 ? !IsDrawKind(kind) : kind != FieldKind::Digit) {
                return false;
            }
        }
        return true;
    };
    std::size_t best = 0, best_width = 1, best_count = 0;
    for (std::size_t c = 0; c < mode_; ++c) {
        for (const std::size_t width : {std::size_t{1}, std::size_t{3}}) {
            std::size_t count = 0;
            for (const auto& s : lines_) {
                count += at(s, c, width);
            }
            if (count > best_count) {
                best = c;
                best_width = width;
                best_count = count;
            }
        }
    }
    for (const Split& s : lines_) {
        if (s.fields.size() != mode_) {
            return {ReadErrorKind::NoDrawColumn,
                    s.number,
                    {},
                    std::to_string(s.fields.size()) +
                        (s.fields.size() == 1 ? " field" : " fields") + " (" +
                        std::string(DelimiterName(delimiter_)) + ") where most lines have " +
                        std::to_string(mode_) + ": " + std::string(s.text) +
                        "\n(the lines of a file must share one layout)"};
        }
        if (!at(s, best, best_width)) {
            std::string m = "no draw found in: " + std::string(s.text);
            if (best_count > 0) {
                m += "\n(the draw stands in column " + Range(best, best_width) +
                     " of the other lines)";
            }
            return {ReadErrorKind::NoDrawColumn, s.number, {}, std::move(m)};
        }
    }
    return {ReadErrorKind::NoDrawColumn, 0, {}, "no draw found"};
}

Detector::Outcome Detector::ChooseFound(Layout& layout, ReadError& error) {
    const auto found = Candidates();
    std::vector<const Candidate*> three, named;
    for (const auto& c : found) {
        if (c.four) {
            continue;
        }
        if (IsDrawName(c.column.name) || c.places) {
            named.push_back(&c);
        }
        if (!IsOtherName(c.column.name)) {
            three.push_back(&c);
        }
    }
    if (named.size() == 1) {
        layout.draws = {named[0]->column};
        layout.chosen_by = named[0]->places
                               ? "by the names of its places " + Quote(named[0]->column.name)
                               : "by its name " + Quote(named[0]->column.name);
        if (named[0]->column.pad) {
            layout.chosen_by += "; one or two digits there are a draw without its leading zeros";
        }
        return Outcome::Chosen;
    }
    const auto& choice = named.size() > 1 ? named : three;
    if (choice.size() == 1) {
        layout.draws = {choice[0]->column};
        layout.chosen_by = choice[0]->column.width == 1
                               ? "the only column that holds a draw on every line"
                               : "the only three single-digit columns on every line";
        return Outcome::Chosen;
    }
    if (choice.size() > 1) {
        error.kind = ReadErrorKind::AmbiguousColumn;
        error.message = "more than one column could hold the draw:\n";
        for (const Candidate* c : choice) {
            error.candidates.push_back(c->column);
            error.message +=
                "  " + DescribeColumn(c->column) + ", e.g. " + Example(c->column) + "\n";
        }
        if (header_draw_ && header_.size() > 1 && header_.size() < columns_ &&
            delimiter_ == Delimiter::Comma) {
            error.message +=
                "(the lines have more fields than the header names: numbers with "
                "unquoted thousands separators, as 46,123,456, before the draw "
                "move its field)\n";
        }
        error.message += "choose with --column N or --column NAME; several, as --column " +
                         Range(choice[0]->column.column, 1) + "," +
                         Range(choice[1]->column.column, 1) +
                         ", read the draws of each line in that order";
        return Outcome::Ambiguous;
    }
    if (extra_at_end_) {
        error.kind = ReadErrorKind::NoDrawColumn;
        error.message =
            "the lines have more fields than the header names (numbers with "
            "unquoted thousands separators, as 46,123,456), and the column " +
            Quote(header_[*header_draw_]) +
            " holds no draw on every line: the separators must stand after the "
            "draw for its field to be found\n(put such numbers in quotes, or save "
            "the file without thousands separators)";
        return Outcome::Failed;
    }
    for (const auto& c : found) {
        if (!c.four) {
            continue;
        }
        error.kind = ReadErrorKind::NotThreeDigits;
        if (c.column.width == 1) {
            error.message = DescribeColumn(c.column) + " holds draws of four digits, e.g. " +
                            Example(c.column) + ": this is not a three-digit game";
        } else {
            error.message = DescribeColumn(c.column) + " hold " + std::to_string(c.column.width) +
                            " single digits in a row, e.g. " + Example(c.column) +
                            ": a game of more than three digits is not read; when a bonus digit "
                            "or a second draw stands among them, choose the draw with --column " +
                            Range(c.column.column, 3);
        }
        return Outcome::Failed;
    }
    return Outcome::None;
}

bool Detector::ChooseGiven(std::vector<DrawColumn>& draws, ReadError& error) {
    for (const std::string& given : options_.columns) {
        std::string_view wanted = given;
        while (!wanted.empty() && wanted.front() == ' ') {
            wanted.remove_prefix(1);
        }
        while (!wanted.empty() && wanted.back() == ' ') {
            wanted.remove_suffix(1);
        }
        std::size_t c = 0, width = 0;
        const std::size_t dash = wanted.find('-');
        if (AllDigits(wanted)) {
            c = static_cast<std::size_t>(std::stoul(std::string(wanted.substr(0, 6))));
        } else if (dash != std::string_view::npos && AllDigits(wanted.substr(0, dash)) &&
                   AllDigits(wanted.substr(dash + 1))) {
            c = static_cast<std::size_t>(std::stoul(std::string(wanted.substr(0, 6))));
            const auto to = std::stoul(std::string(wanted.substr(dash + 1, 6)));
            width = to + 1 > c ? to + 1 - c : 0;
            if (width != 1 && width != 3) {
                error.message = "--column " + std::string(wanted) +
                                ": a draw stands in one column or three adjacent ones";
                return false;
            }
        } else {
            const std::string want = NormalName(wanted);
            for (std::size_t k = 0; k < columns_ && c == 0; ++k) {
                if (!want.empty() && NormalName(cols_[k].name) == want) {
                    c = k + 1;
                    width = cols_[k].triple_name ? 3 : 0;
                }
            }
            if (c == 0) {
                error.message = "--column " + Quote(wanted) + ": no column has that name";
                if (!header_.empty()) {
                    error.message += " (the header has";
                    for (const auto& h : header_) {
                        error.message += " " + Quote(h);
                    }
                    error.message += ")";
                }
                return false;
            }
        }
        if (c == 0 || c > columns_) {
            error.message = "--column " + std::string(wanted) + ": the lines have " +
                            std::to_string(columns_) + (columns_ == 1 ? " column" : " columns") +
                            " (" + std::string(DelimiterName(delimiter_)) + ")";
            return false;
        }
        --c;
        if (width == 0) {
            width = DigitCount(c) > cols_[c].draws ? 3 : 1;
        }
        const DrawColumn d{c, width, cols_[c].name};
        if (c + width > columns_) {
            error.message = "--column " + std::string(wanted) + ": " + DescribeColumn(d) +
                            " run past the last column";
            return false;
        }
        std::size_t held = 0;
        const Split* miss = nullptr;
        for (const auto& s : lines_) {
            if (DrawAt(s, c, width)) {
                ++held;
            } else if (miss == nullptr) {
                miss = &s;
            }
        }
        if (held < need_) {
            error.line = miss->number;
            error.message = DescribeColumn(d) + " holds no draw in: " + std::string(miss->text);
            return false;
        }
        for (const auto& other : draws) {
            if (c < other.column + other.width && other.column < c + width) {
                error.message =
                    "--column: " + DescribeColumn(d) + " overlaps " + DescribeColumn(other);
                return false;
            }
        }
        draws.push_back(d);
    }
    return true;
}

}  // namespace tolvex::history::detail
