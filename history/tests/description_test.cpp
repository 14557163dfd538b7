// description_test.cpp - the words for how a history was read, and draws put into time order.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tolvex/history/description.h"
#include "tolvex/history/time_order.h"

// The table below leaves out the reading options a case does not set.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace tolvex::history;

HistoryInfo Opened(const std::string& input, ReadOptions options = {}) {
    std::istringstream in(input);
    HistoryReader reader(in, "h.txt", std::move(options));
    EXPECT_TRUE(reader.Open()) << reader.error();
    return reader.info();
}

TEST(Description, SaysWhatDecidedTheReading) {
    // 期号 开奖号码 in GBK
    const std::string gbk =
        "\xC6\xDA\xBA\xC5 \xBF\xAA\xBD\xB1\xBA\xC5\xC2\xEB\n2024001 357\n2024002 123\n";
    const struct {
        std::string input;
        ReadOptions options;
        std::string encoding, columns, order;
    } cases[] = {
        {"2024002 357\n2024001 123\n",
         {},
         "UTF-8",
         "column 2",
         "newest first (the issue numbers run down)"},
        {"\xEF\xBB\xBF"
         "2024001 357\n2024002 123\n",
         {},
         "UTF-8 (byte-order mark)",
         "column 2",
         "oldest first (the issue numbers run up)"},
        {gbk,
         {},
         "GB18030 (the text is not UTF-8)",
         "column 2 \"\xE5\xBC\x80\xE5\xA5\x96\xE5\x8F\xB7\xE7\xA0\x81\"",
         "oldest first (the issue numbers run up)"},
        {"a 357 123\nb 456 789\n",
         {.encoding = Encoding::Utf8, .columns = {"2", "3"}},
         "UTF-8 (--encoding)",
         "column 2 and column 3",
         "read as written, oldest first; give --newest-first if that is wrong"},
        {"357\n123\n",
         {.order = Order::NewestFirst},
         "UTF-8",
         "column 1",
         "newest first (--newest-first)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const HistoryInfo info = Opened(c.input, c.options);
        EXPECT_EQ(EncodingText(info), c.encoding);
        EXPECT_EQ(ColumnList(info.layout.draws), c.columns);
        EXPECT_EQ(OrderText(info), c.order);
    }
    EXPECT_EQ(ColumnList({}), "");
}

// Lines 3, 2, 1 read newest first, two draws on line 2: the lines turn, line 2 keeps its pair.
TEST(IntoTimeOrder, TurnsTheLinesAndKeepsEachLinesOrder) {
    std::vector<std::pair<int, char>> draws = {{3, 'a'}, {2, 'a'}, {2, 'b'}, {1, 'a'}};
    IntoTimeOrder(
        draws.size(), [&](std::size_t i, std::size_t j) { std::swap(draws[i], draws[j]); },
        [&](std::size_t i, std::size_t j) { return draws[i].first == draws[j].first; });
    const std::vector<std::pair<int, char>> want = {{1, 'a'}, {2, 'a'}, {2, 'b'}, {3, 'a'}};
    EXPECT_EQ(draws, want);
}

}  // namespace
