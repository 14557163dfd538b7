// core_fuzz.cpp - fuzzes ParseDraw and CheckHit against their stated contracts, and the rule
// kept-number check against ReduceNumbers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tolvex/tolvex.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte sets the entry's length (0..5); the entry follows, the result text after.
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t entry_size = std::min<std::size_t>(data[0] % 6, rest.size());
    const std::string_view entry = rest.substr(0, entry_size);
    const std::string_view result = rest.substr(entry_size);

    const auto draw = tolvex::ParseDraw(entry);
    if (draw) {
        Require(entry.size() == 3);
        Require(draw->hundreds == entry[0] - '0' && draw->tens == entry[1] - '0' &&
                draw->units == entry[2] - '0');
        Require(draw->hundreds >= 0 && draw->hundreds <= 9 && draw->tens >= 0 && draw->tens <= 9 &&
                draw->units >= 0 && draw->units <= 9);
    } else {
        bool digits = entry.size() == 3;
        for (const char c : entry) {
            digits = digits && c >= '0' && c <= '9';
        }
        Require(!digits);
    }

    bool blank = true;
    for (const char c : result) {
        blank = blank && static_cast<unsigned char>(c) <= ' ';
    }
    const auto hit = tolvex::CheckHit(result, entry);
    switch (hit.kind) {
        case tolvex::HitKind::Clear:
            Require(blank);
            break;
        case tolvex::HitKind::None:
            Require(!blank && entry.size() != 3);
            break;
        case tolvex::HitKind::Hit:
            Require(!blank && entry.size() == 3 && result.find(entry) == hit.start);
            break;
        case tolvex::HitKind::Miss:
            Require(!blank && entry.size() == 3 && result.find(entry) == std::string_view::npos);
            break;
    }

    // Two draws at the start of the result: the check must keep what the reduction keeps.
    if (draw && result.size() >= 3) {
        if (const auto last = tolvex::ParseDraw(result.substr(0, 3))) {
            const int p = draw->hundreds * 100 + draw->tens * 10 + draw->units;
            const int l = last->hundreds * 100 + last->tens * 10 + last->units;
            const auto reduced = tolvex::ReduceNumbers(*draw, *last);
            const tolvex::KeptNumbers kept(p, l);
            Require(kept.count() == reduced.count);
            for (std::size_t i = 0; i + 4 <= reduced.text.size(); i += 4) {
                const std::string_view group(reduced.text.data() + i, 3);
                Require(
                    kept.Keeps((group[0] - '0') * 100 + (group[1] - '0') * 10 + (group[2] - '0')));
            }
        }
    }
    return 0;
}
