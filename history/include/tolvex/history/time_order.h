// time_order.h - draws read newest first put into time order, the draws of one line kept in theirs.
#pragma once

#include <cstddef>

namespace tolvex::history {

/// Turns `size` draws read newest first into time order: the lines are turned round, and the
/// draws of one line (midday, then evening) keep their order. `swap(i, j)` exchanges two
/// draws; `same_line(i, j)` tells whether two, once the lines are turned round, share a line.
template <class Swap, class SameLine>
void IntoTimeOrder(std::size_t size, Swap swap, SameLine same_line) {
    const auto reverse = [&swap](std::size_t begin, std::size_t end) {
        while (begin + 1 < end) {
            swap(begin++, --end);
        }
    };
    reverse(0, size);
    for (std::size_t i = 0; i < size;) {
        std::size_t end = i + 1;
        while (end < size && same_line(i, end)) {
            ++end;
        }
        reverse(i, end);
        i = end;
    }
}

}  // namespace tolvex::history
