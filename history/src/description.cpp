// description.cpp - how a history was read, in the words that inspect and the page share.
#include "tolvex/history/description.h"

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
            text += " (as written: the labels do not tell)";
            break;
    }
    return text;
}

}  // namespace tolvex::history
