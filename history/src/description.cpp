// description.cpp - how a history was read, in the words that inspect and the page share.
#include "tolvex/history/description.h"

#include <string_view>

#include "tolvex/history/decode.h"

namespace tolvex::history {

std::string EncodingText(const HistoryInfo& info) {
    std::string text(EncodingName(info.encoding));
    if (info.encoding_given) {
        text += " (--encoding)";
    } else if (info.byte_order_mark) {
        text += " (byte-order mark)";
    } else if (info.encoding == Encoding::Gb18030) {
        text += " (the text is not UTF-8)";
    }
    return text;
}

std::string ColumnList(const std::vector<DrawColumn>& columns) {
    std::string text;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += i == 0 ? "" : i + 1 == columns.size() ? " and " : ", ";
        text += DescribeColumn(columns[i]);
    }
    return text;
}

std::string OrderText(const HistoryInfo& info) {
    const bool newest = info.order == Order::NewestFirst;
    std::string text = newest ? "newest first" : "oldest first";
    switch (info.order_source) {
        case HistoryInfo::OrderSource::Option:
            text += newest ? " (--newest-first)" : " (--oldest-first)";
            break;
        case HistoryInfo::OrderSource::Labels:
            text += std::string(" (the ") +
                    (info.layout.key == KeyKind::Issue ? "issue numbers" : "dates") + " run " +
                    (newest ? "down" : "up") + ")";
            break;
        case HistoryInfo::OrderSource::Default:
            return "read as written, oldest first; give --newest-first if that is wrong";
    }
    return text;
}

std::string SkippedLines(const HistoryInfo& info) {
    static constexpr std::string_view kNames[kSkipKinds][2] = {
        {"a row with no draw yet", "rows with no draw yet"},
        {"a duplicate of an issue before", "duplicates of issues before"},
        {"a title row", "title rows"},
        {"a second header row", "second header rows"},
        {"a repeated header", "repeated headers"},
        {"a totals row", "totals rows"},
        {"a footer", "footer lines"},
        {"a table's separator row", "separator rows"},
        {"a // comment", "// comments"},
    };
    std::uint64_t total = 0;
    std::string kinds;
    for (std::size_t k = 0; k < kSkipKinds; ++k) {
        const std::uint64_t n = info.skipped[k];
        if (n == 0) {
            continue;
        }
        total += n;
        kinds += kinds.empty() ? "" : ", ";
        kinds += n == 1 ? std::string(kNames[k][0])
                        : std::to_string(n) + " " + std::string(kNames[k][1]);
        kinds += " (line " + std::to_string(info.skipped_first[k]) + (n > 1 ? ", ...)" : ")");
    }
    if (total == 0) {
        return "";
    }
    return "skipped " + std::to_string(total) + (total == 1 ? " line: " : " lines: ") + kinds;
}

}  // namespace tolvex::history
