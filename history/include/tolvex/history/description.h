// description.h - how a history was read, in the words that inspect and the page share.
#pragma once

#include <string>
#include <vector>

#include "tolvex/history/layout.h"
#include "tolvex/history/reader.h"

namespace tolvex::history {

/// "GB18030 (the text is not UTF-8)": the encoding and what decided it.
std::string EncodingText(const HistoryInfo& info);
/// "column 2 \"开奖号码\"", "columns 2-4 and column 5": the draw's columns; empty for none.
std::string ColumnList(const std::vector<DrawColumn>& columns);
/// "newest first (the issue numbers run down)": the order and what decided it; when nothing
/// did, "read as written, oldest first; give --newest-first if that is wrong".
std::string OrderText(const HistoryInfo& info);
/// "skipped 3 lines: a title row (line 1), 2 footer lines (line 19, ...)"; empty when none was.
std::string SkippedLines(const HistoryInfo& info);

}  // namespace tolvex::history
