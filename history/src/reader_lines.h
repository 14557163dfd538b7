// reader_lines.h - the kinds of line the history reader tells apart, and records across lines
// (private).
#pragma once

#include <string>
#include <string_view>

#include "tolvex/history/reader.h"

namespace tolvex::history::detail {

// Blank lines hold nothing but spaces, tabs, no-break and ideographic spaces (and a DOS
// end-of-file mark); comments start with '#' after those. Some data lines are known not to be
// draws: // comments, a table's separator row, totals and footers.
enum class LineClass { Blank, Comment, Data, Skip };

struct LineKind {
    LineClass cls;
    SkipKind skip = SkipKind::Comment;
};

LineKind Classify(std::string_view text);

std::string_view TrimBlanks(std::string_view text);

// Only names and empty cells; `known`: one of them a name the reader knows.
bool NameRow(std::string_view text, bool known);

// Whether a field of the line, split by its plainest delimiter, is a draw.
bool HoldsDraw(std::string_view text);

// The layout's keys, as the reader's messages name them.
inline std::string_view KeyName(KeyKind key) {
    return key == KeyKind::Date ? "dates" : "issue numbers";
}

// Whether the line opens a record written across several lines: its issue number.
bool RecordStart(std::string_view text);

}  // namespace tolvex::history::detail
