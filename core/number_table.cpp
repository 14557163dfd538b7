// number_table.cpp - the process's one table of the numbers 000 to 999, and draw parsing.
#include "tolvex/tolvex.h"

namespace tolvex {
namespace {

constexpr NumberTable MakeTable() {
    NumberTable table{};
    std::size_t index = 0;
    for (std::int32_t h = 0; h < 10; ++h) {
        for (std::int32_t t = 0; t < 10; ++t) {
            for (std::int32_t u = 0; u < 10; ++u) {
                table[index++] = NumberRecord{h, t, u, 0};
            }
        }
    }
    return table;
}

// Constant-initialised, so the table is complete before any code of the program runs and
// a reduction can never see it empty.
constinit NumberTable g_table = MakeTable();

}  // namespace

void BuildNumberTable() {
    g_table = MakeTable();
}

const NumberTable& GetNumberTable() {
    return g_table;
}

std::optional<DrawDigits> ParseDraw(std::string_view text) {
    if (text.size() != 3) {
        return std::nullopt;
    }
    std::int32_t digits[3];
    for (std::size_t k = 0; k < 3; ++k) {
        const unsigned char byte = static_cast<unsigned char>(text[k]);
        if (byte < '0' || byte > '9') {
            return std::nullopt;
        }
        digits[k] = byte - '0';
    }
    return DrawDigits{digits[0], digits[1], digits[2]};
}

}  // namespace tolvex
