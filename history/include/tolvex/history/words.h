// words.h - the English words that messages and reports share: a count with its noun.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvex::history {

/// "1 line", "0 lines", "2 lines": the count and the noun that agrees with it.
inline std::string Plural(std::uint64_t n, std::string_view one, std::string_view many) {
    std::string out = std::to_string(n);
    out += ' ';
    out += n == 1 ? one : many;
    return out;
}

}  // namespace tolvex::history
