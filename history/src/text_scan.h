// text_scan.h - the byte-level tests the history library's layout code shares (UTF-8 text).
#pragma once

#include <string>
#include <string_view>

namespace tolvex::history::detail {

inline constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
inline constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
inline constexpr std::string_view kFullwidthComma = "\xEF\xBC\x8C";

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline bool AllDigits(std::string_view s) {
    for (const char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !s.empty();
}

inline bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

inline bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

/// The full-width colon that may end a column name (开奖号码：).
inline constexpr std::string_view kFullwidthColon = "\xEF\xBC\x9A";

/// A column name made comparable: lower case, without blanks, punctuation and full-width
/// colons ("Winning Numbers:" is "winningnumbers").
std::string NormalName(std::string_view name);

}  // namespace tolvex::history::detail
