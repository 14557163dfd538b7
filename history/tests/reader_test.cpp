// reader_test.cpp - history files in the layouts players get them, and the line splitter.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tolvex/history/description.h"
#include "tolvex/history/reader.h"

// The table below leaves out what a case does not check.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace tolvex::history;

struct Read {
    bool opened = false;
    std::string error;
    std::vector<int> draws;
    std::vector<std::string> labels;
    tolvex::history::HistoryInfo info;
};

Read ReadAll(const std::string& input, ReadOptions options = {}) {
    std::istringstream in(input);
    HistoryReader reader(in, "h.txt", std::move(options));
    Read r;
    r.opened = reader.Open();
    HistoryDraw d{};
    while (r.opened && reader.Next(d)) {
        r.draws.push_back(d.number);
        r.labels.emplace_back(d.label);
    }
    r.error = reader.error();
    r.info = reader.info();
    return r;
}

std::string Utf16(const std::u16string& text, bool big_endian) {
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += big_endian ? hi : lo;
        out += big_endian ? lo : hi;
    }
    return out;
}

struct LayoutCase {
    const char* name;
    std::string input;
    ReadOptions options;
    std::vector<int> draws;           // in the order of the file
    std::vector<std::string> labels;  // none: not checked
    std::string error;                // a part of the message; empty: read without one
};

// Each layout as a small file: read as the player means it, or refused with a reason; never a
// wrong draw without a word.
TEST(HistoryReader, Layouts) {
    const ReadOptions none;
    const LayoutCase cases[] = {
        {"issue and draw", "2024001 456\n2024002 123\n", none, {456, 123}, {"2024001", "2024002"}},
        {"draw alone", "456\n007\n", none, {456, 7}, {"", ""}},
        {"single digits", "4 5 6\n0 0 2\n", none, {456, 2}, {}},
        {"joined digits", "4-5-6\n0-0-2\n", none, {456, 2}, {}},
        {"comma and three digits", "2024001,4,5,6\n2024002,0,0,2\n", none, {456, 2}, {}},
        {"separator before the draw",
         "  2024001 : 999  \n2024002 : 000\n",
         none,
         {999, 0},
         {"2024001", "2024002"}},
        {"pipes", "2024001|000|\n2024002|123|\n", none, {0, 123}, {"2024001", "2024002"}},
        {"date and single digits",
         "2024-01-09 4 5 6\n2024-01-10 1 2 3\n",
         none,
         {456, 123},
         {"2024-01-09", "2024-01-10"}},
        {"words after the draw",
         "2024001 456 (evening)\n2024002 123 (evening)\n",
         none,
         {456, 123},
         {}},
        {"a short number before single digits",
         "12 3 4 5\n13 6 7 8\n",
         none,
         {345, 678},
         {"12", "13"}},
        // trial numbers, prizes, bonus digits, second draws: never taken silently
        {"trial number after the draw",
         "2024001 357 468\n2024002 123 555\n",
         none,
         {},
         {},
         "more than one column could hold the draw"},
        {"trial number named in the header",
         "期号 开奖号码 试机号\n2024001 357 468\n2024002 123 555\n",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"trial number named in each line",
         "2024001期 开奖号码 3 5 7 试机号 4 6 8\n2024002期 开奖号码 1 2 3 试机号 5 5 5\n",
         none,
         {357, 123},
         {"2024001期", "2024002期"}},
        {"header over single digits",
         "期号,开奖号码,试机号\n2024001,3,5,7,4,6,8\n2024002,1,2,3,5,5,5\n",
         none,
         {357, 123},
         {}},
        {"commented header",
         "# 期号 开奖号码 试机号\n2024001 357 468\n2024002 123 555\n",
         none,
         {357, 123},
         {}},
        {"prize column",
         "2024001\t3 5 7\t组六\t173\n2024002\t1 1 2\t组三\t346\n",
         none,
         {},
         {},
         "more than one column"},
        {"sales with thousands",
         "2024001\t007\t46,138,919\n2024002\t123\t45,001,200\n",
         none,
         {7, 123},
         {}},
        {"payout after the draw",
         "1-2-3 Straight pays $500\n4-5-6 Box pays $80\n",
         none,
         {123, 456},
         {"", ""}},
        {"bonus digit",
         "Fri, Jan 9, 2026\t3\t5\t7\t2\nSat, Jan 10, 2026\t1\t2\t3\t9\n",
         none,
         {},
         {},
         "4 single digits in a row"},
        {"bonus digit named",
         "Date\tBall 1\tBall 2\tBall 3\tBonus\n1/9/2026\t3\t5\t7\t2\n",
         none,
         {357},
         {"1/9/2026"}},
        {"bonus digit chosen",
         "Fri, Jan 9, 2026\t3\t5\t7\t2\nSat, Jan 10, 2026\t1\t2\t3\t9\n",
         {.columns = {"2-4"}},
         {357, 123},
         {}},
        {"machine and ball after the draw",
         "2024001 357 M2 B4\n2024002 123 M1 B3\n",
         none,
         {357, 123},
         {}},
        {"two draws a line",
         "2026-01-09 123 456\n2026-01-10 789 012\n",
         none,
         {},
         {},
         "more than one column"},
        {"two draws a line, both chosen",
         "Date Midday Evening\n2026-01-09 123 456\n",
         {.columns = {"2", "3"}},
         {123, 456},
         {"2026-01-09 Midday", "2026-01-09 Evening"}},
        {"a column chosen by name",
         "Date Midday Evening\n2026-01-09 123 456\n",
         {.columns = {"evening"}},
         {456},
         {"2026-01-09"}},
        {"sum and span",
         "2024001 3 5 7 15 4\n2024002 1 0 2 3 2\n2024003 9 8 1 18 8\n",
         none,
         {357, 102, 981},
         {}},
        {"date, draw, sum, span",
         "2026-01-09,357,15,4\n2026-01-10,102,3,2\n",
         none,
         {357, 102},
         {}},
        {"issue counter",
         "001 357\n002 123\n003 987\n",
         none,
         {357, 123, 987},
         {"001", "002", "003"}},
        {"four-digit game", "2024001 1234\n2024002 5678\n", none, {}, {}, "four digits"},
        {"four-digit game in single digits",
         "2024001 1 2 3 4\n2024002 5 6 7 8\n",
         none,
         {},
         {},
         "not read"},
        {"game name after the draw",
         "2024001 357 彩票3D\n2024002 123 彩票3D\n",
         none,
         {357, 123},
         {}},
        // separators from web pages
        {"full-width comma",
         "2024001，357\n2024002，123\n",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"ideographic space",
         "2024001\u30003\u30005\u30007\n2024002\u30001\u30002\u30003\n",
         none,
         {357, 123},
         {}},
        {"no-break space",
         "2024001\u00A0357\n2024002\u00A0123\n",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"quoted fields",
         "\"2024001\",\"3,5,7\"\n\"2024002\",\"1,2,3\"\n",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"CR line ends", "2024001 357\r2024002 123\r2024003 987", none, {357, 123, 987}, {}},
        {"UTF-16 LE",
         Utf16(u"期号\t开奖号码\r\n2024001\t357\r\n2024002\t123\r\n", false),
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"UTF-16 BE", Utf16(u"2024001 357\n2024002 123\n", true), none, {357, 123}, {}},
        {"GBK",
         "\xC6\xDA\xBA\xC5 \xBF\xAA\xBD\xB1\xBA\xC5\xC2\xEB\n\xB5\xDA"
         "2024001\xC6\xDA 357\n",
         none,
         {357},
         {"第2024001期"}},
        // lines that do not fit
        {"a line without a draw",
         "2024001 456\n2024002 123\n2024003 000\n2024004 12\n",
         none,
         {},
         {},
         "line 4: no draw found in: 2024004 12"},
        {"skipped with --skip-invalid",
         "2024001 456\n2024002 123\n2024004 12\n2024005 999\n",
         {.skip_invalid = true},
         {456, 123, 999},
         {}},
        {"mixed layouts",
         "2024001 000\n2024002,0,0,0\n2024003 111\n",
         none,
         {},
         {},
         "line 2: 1 field (blanks) where most lines have 2"},
        {"a line out of order",
         "2024001 357\n2024002 123\n2024003 987\n2023999 555\n",
         none,
         {},
         {},
         "line 4: '2023999' is out of order"},
        {"a flag against the labels",
         "2024002 357\n2024001 123\n",
         {.order = Order::OldestFirst},
         {},
         {},
         "--oldest-first, but the issue numbers run down"},
        {"not a draw", "12\n", none, {}, {}, "no draw found"},
        {"full-width digits", "４５６\n", none, {456}, {}},
        {"a date alone", "2024-1-9\n", none, {}, {}, "no draw found"},
        {"only a header", "issue draw\n", none, {}, {}, ""},
        // a row with no draw yet: skipped under the header's draw column, never read elsewhere
        {"pending row under the header",
         "期号\t开奖号码\t试机号\n2024003\t待开奖\t4 6 8\n2024002\t1 2 3\t5 5 5\n"
         "2024001\t3 5 7\t1 1 1\n",
         none,
         {123, 357},
         {"2024002", "2024001"}},
        {"empty draw cell, the empty cells at the end left out",
         "期号,开奖号码,试机号,和值\n2024003,,468\n2024002,123,555,6\n2024001,357,111,15\n",
         none,
         {123, 357},
         {}},
        {"empty draw cell of the last column",
         "Draw Date,Winning Numbers\n1/3/24,\n1/2/24,1-2-3\n1/1/24,4-5-6\n",
         none,
         {123, 456},
         {"1/2/24", "1/1/24"}},
        {"dash for the draw",
         "期号 开奖号码 试机号\n2024001 357 111\n2024002 — 555\n",
         none,
         {357},
         {}},
        {"most rows without a draw",
         "期号 开奖号码\n2024001 组六\n2024002 组三\n2024003 357\n",
         none,
         {},
         {},
         "no draw found"},
        {"pending row without a header",
         "2024003 待开奖 468\n2024002 123 555\n2024001 357 111\n",
         none,
         {},
         {},
         "no header names the draw's column"},
        // the same issue twice
        {"the same issue and draw twice",
         "2024001 357\n2024002 123\n2024002 123\n2024003 987\n",
         none,
         {357, 123, 987},
         {}},
        {"pages overlapping, newest first",
         "2024005 555\n2024004 444\n2024003 333\n2024004 444\n2024003 333\n2024002 222\n",
         none,
         {555, 444, 333, 222},
         {}},
        {"the same issue with another draw",
         "2024001 357\n2024002 123\n2024002 124\n",
         none,
         {},
         {},
         "line 3: issue 2024002 stands twice with different draws: line 2 and line 3"},
        {"the same date twice is two draws of a day",
         "01/11/2024,Evening,6-4-4\n01/11/2024,Midday,1-6-8\n01/10/2024,Evening,8-6-9\n",
         none,
         {644, 168, 869},
         {}},
        // characters as input methods type them
        {"full-width digits and spaces",
         "２０２４００１　３　５　７\n２０２４００２　１　２　３\n",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"a name and a colon before the draw",
         "第2024001期 开奖号码:357\n第2024002期 开奖号码:123\n",
         none,
         {357, 123},
         {"第2024001期", "第2024002期"}},
        {"full-width colons and commas",
         "期号：2024001，开奖号码：357，试机号：468\n期号：2024002，开奖号码：123，试机号：555\n",
         none,
         {357, 123},
         {}},
        {"en and em dashes", "2024001 3–5–7\n2024002 1—2—3\n", none, {357, 123}, {}},
        {"a time keeps its colon",
         "2024-01-09 20:30 357\n2024-01-10 20:30 123\n",
         none,
         {357, 123},
         {}},
        // lines around the data
        {"title, comments, repeated header, totals, footer, Ctrl-Z",
         "3D开奖记录\n期号,开奖号码\n2024001,357\n// 第二页\n期号,开奖号码\n2024002,123\n"
         "合计,480\n\n数据来源：网络\n共2期\n\x1A",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"pipe table",
         "| 期号 | 开奖号码 |\n|---|:---:|\n| 2024001 | 357 |\n| 2024002 | 123 |\n",
         none,
         {357, 123},
         {}},
        {"second header row",
         "期号,开奖号码,,,和值\n,百位,十位,个位,\n2024001,3,5,7,15\n2024002,1,2,3,6\n",
         none,
         {357, 123},
         {}},
        {"a title holding a draw is data",
         "3D 357\n期号 开奖号码\n2024001 357\n",
         none,
         {},
         {},
         "no draw found"},
        {"a line without a draw inside the data",
         "2024001 357\n2024002 35\n2024003 123\n",
         none,
         {},
         {},
         "line 2: no draw found"},
        // leading zeros dropped under a named draw column
        {"leading zeros dropped",
         "期号,开奖号码,试机号\n2024001,42,5\n2024002,7,468\n2024003,357,12\n2024004,123,1\n"
         "2024005,456,2\n",
         none,
         {42, 7, 357, 123, 456},
         {}},
        {"leading zeros without a header", "2024001 42\n2024002 357\n", none, {}, {}, "no draw"},
        // digits named by their places beside a bonus digit
        {"places and a bonus digit",
         "期号,百位,十位,个位,幸运号\n2024001,3,5,7,2\n2024002,1,2,3,9\n",
         none,
         {357, 123},
         {}},
        {"Num1-3 and a bonus",
         "Draw Date,Num1,Num2,Num3,Bonus\n02/15/2024,3,3,9,2\n02/14/2024,6,5,4,9\n",
         none,
         {339, 654},
         {}},
        // records across several lines, as phones copy them
        {"records of three lines",
         "第2024003期\n2024-01-03\n6 3 6\n第2024002期\n2024-01-02\n5 0 8\n第2024001期\n2024-01-01\n"
         "1 2 3\n",
         none,
         {636, 508, 123},
         {"第2024003期 2024-01-03", "第2024002期 2024-01-02", "第2024001期 2024-01-01"}},
        {"named records with blank lines between",
         "期号：2024002\n开奖号码：0 3 3\n试机号：9 6 7\n\n期号：2024001\n开奖号码：4 3 7\n"
         "试机号：3 6 0\n",
         none,
         {33, 437},
         {}},
        {"records of different shapes",
         "第2024003期\n2024-01-03\n6 3 6\n第2024002期\n5 0 8\n第2024001期\n2024-01-01\n1 2 3\n",
         none,
         {},
         {},
         "line 4: records across several lines, but not all of one shape"},
        {"records with two unnamed draws",
         "第2024002期\n9 3 5\n8 0 6\n第2024001期\n9 9 1\n9 3 6\n",
         none,
         {},
         {},
         "more than one column could hold the draw"},
        {"a record cut short at the end",
         "第2024002期\n2024-01-02\n6 3 6\n第2024001期\n2024-01-01\n",
         none,
         {},
         {},
         "line 4: the last record has 2 lines where the others have 3"},
        {"four places", "期号,千位,百位,十位,个位\n2024001,9,4,1,7\n", none, {}, {}, "not read"},
        // unquoted thousands separators
        {"thousands after the draw",
         "期号,开奖号码,销售额\n2024001,357,46,123,456\n2024002,123,987,654\n",
         none,
         {357, 123},
         {"2024001", "2024002"}},
        {"thousands before the draw",
         "期号,销售额,开奖号码\n2024001,46,123,456,357\n2024002,987,654,123\n",
         none,
         {},
         {},
         "the separators must stand after the draw"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Read r = ReadAll(c.input, c.options);
        if (!c.error.empty()) {
            EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
            continue;
        }
        EXPECT_EQ(r.error, "");
        EXPECT_EQ(r.draws, c.draws);
        if (!c.labels.empty()) {
            EXPECT_EQ(r.labels, c.labels);
        }
    }
}

TEST(HistoryReader, OrderComesFromTheLabels) {
    const struct {
        std::string input;
        std::optional<Order> flag;
        Order order;
        tolvex::history::HistoryInfo::OrderSource source;
    } cases[] = {
        {"2024003 357\n2024002 123\n2024001 987\n",
         {},
         Order::NewestFirst,
         tolvex::history::HistoryInfo::OrderSource::Labels},
        {"2026-01-09 357\n2026-01-09 123\n2026-01-10 987\n",
         {},
         Order::OldestFirst,
         tolvex::history::HistoryInfo::OrderSource::Labels},
        {"01/10/2026 357\n01/09/2026 123\n12/31/2025 987\n", Order::NewestFirst, Order::NewestFirst,
         tolvex::history::HistoryInfo::OrderSource::Option},
        {"a 357\nb 123\n",
         {},
         Order::OldestFirst,
         tolvex::history::HistoryInfo::OrderSource::Default},
        // dates without a year, across a new year; two-digit years
        {"01-02 357\n01-01 123\n12-31 987\n12-30 555\n12-29 111\n",
         {},
         Order::NewestFirst,
         tolvex::history::HistoryInfo::OrderSource::Labels},
        {"12-30 357\n12-31 123\n01-01 987\n01-02 555\n",
         {},
         Order::OldestFirst,
         tolvex::history::HistoryInfo::OrderSource::Labels},
        {"1/2/24,357\n1/1/24,123\n12/31/23,987\n",
         {},
         Order::NewestFirst,
         tolvex::history::HistoryInfo::OrderSource::Labels},
        {"03月12日(二)\t357\n03月11日(一)\t123\n03月10日(日)\t987\n",
         {},
         Order::NewestFirst,
         tolvex::history::HistoryInfo::OrderSource::Labels},
        {"a 357\nb 123\n", Order::NewestFirst, Order::NewestFirst,
         tolvex::history::HistoryInfo::OrderSource::Option},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        ReadOptions options;
        options.order = c.flag;
        const Read r = ReadAll(c.input, options);
        ASSERT_EQ(r.error, "");
        EXPECT_EQ(r.info.order, c.order);
        EXPECT_EQ(r.info.order_source, c.source);
    }
}

// The opening part decides; every later line is held to the same layout, one pass.
TEST(HistoryReader, LinesAfterTheOpeningPartFollowItsLayout) {
    std::string input = "期号\t开奖号码\t试机号\n";
    for (int i = 0; i < 2500; ++i) {
        input += std::to_string(2024000 + i) + "\t" + std::to_string(100 + i % 900) + "\t468\n";
    }
    const Read r = ReadAll(input);
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.draws.size(), 2500u);
    EXPECT_EQ(r.draws[2499], 100 + 2499 % 900);
    EXPECT_EQ(r.info.oldest[0].label, "2024000");
    EXPECT_EQ(r.info.newest[2].label, "2026499");
    EXPECT_EQ(r.info.newest[2].line, 2501u);

    const Read late = ReadAll(input + "2026999\t12\t468\n");
    EXPECT_NE(late.error.find("line 2502: no draw in column 2"), std::string::npos) << late.error;
    const Read skipped =
        ReadAll(input + "2026999\t12\t468\n2027000\t555\t1\n", {.skip_invalid = true});
    EXPECT_EQ(skipped.draws.size(), 2501u);
    EXPECT_EQ(skipped.info.invalid_lines, std::vector<std::uint64_t>{2502});
}

// What the reader decided besides the draws: the lines skipped by kind, the draws padded.
TEST(HistoryReader, SaysWhatItSkippedAndPadded) {
    using tolvex::history::SkipKind;
    const Read r = ReadAll(
        "3D开奖记录\n期号\t开奖号码\t试机号\n2024004\t待开奖\t111\n2024003\t42\t222\n"
        "期号\t开奖号码\t试机号\n2024002\t357\t333\n2024002\t357\t333\n"
        "2024001\t7\t444\n合计\t\t\n数据来源：网络\n");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.draws, (std::vector<int>{42, 357, 7}));
    const auto& info = r.info;
    const auto at = [&](SkipKind k) { return info.skipped[static_cast<std::size_t>(k)]; };
    EXPECT_EQ(at(SkipKind::Title), 1u);
    EXPECT_EQ(at(SkipKind::Pending), 1u);
    EXPECT_EQ(at(SkipKind::RepeatedHeader), 1u);
    EXPECT_EQ(at(SkipKind::Duplicate), 1u);
    EXPECT_EQ(at(SkipKind::Totals), 1u);
    EXPECT_EQ(at(SkipKind::Footer), 1u);
    EXPECT_EQ(info.skipped_first[static_cast<std::size_t>(SkipKind::Duplicate)], 7u);
    EXPECT_EQ(info.padded, 2u);
    EXPECT_EQ(info.padded_first, 4u);
    EXPECT_EQ(tolvex::history::SkippedLines(info),
              "skipped 6 lines: a row with no draw yet (line 3), a duplicate of an issue before "
              "(line 7), a title row (line 1), a repeated header (line 5), a totals row (line 9), "
              "a footer (line 10)");
    EXPECT_EQ(tolvex::history::OrderText(info), "newest first (the issue numbers run down)");
    EXPECT_EQ(tolvex::history::OrderText(ReadAll("357\n123\n").info),
              "read as written, oldest first; give --newest-first if that is wrong");
}

// Padding is counted for the draws read, not for lines then skipped as repeats or as not fitting.
TEST(HistoryReader, CountsPaddingOnlyForDrawsRead) {
    const struct {
        std::string input;
        std::uint64_t padded, first;
    } cases[] = {
        {"期号\t开奖号码\n2024001\t42\n2024001\t42\n2024002\t357\n", 1, 2},
        {"期号,开奖号码\n2024001,357\n2024002,42\n2024003,456\n2024004,789\n2023999,7\n"
         "2024005,42\n",
         2, 3},
    };
    for (const auto& c : cases) {
        const Read r = ReadAll(c.input, {.skip_invalid = true});
        ASSERT_EQ(r.error, "") << c.input;
        EXPECT_EQ(r.info.padded, c.padded) << c.input;
        EXPECT_EQ(r.info.padded_first, c.first) << c.input;
    }
}

TEST(HistoryReader, NoteOnSkippedLinesAgreesWithTheirCount) {
    const struct {
        std::string input, note;
    } cases[] = {
        {"2024001 357\n2024002 123\n2024003 456\n2024004 12\n2024005 789\n",
         "h.txt: skipped 1 line that does not fit the layout: line 4"},
        {"2024001 357\n2024002 123\n2024003 456\n2024004 12\n2024005 7890\n",
         "h.txt: skipped 2 lines that do not fit the layout: lines 4, 5"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        HistoryReader reader(in, "h.txt", {.skip_invalid = true});
        ASSERT_TRUE(reader.Open()) << reader.error();
        HistoryDraw d{};
        while (reader.Next(d)) {
        }
        EXPECT_EQ(reader.Notes(), std::vector<std::string>{c.note});
    }
}

TEST(HistoryReader, ShownDrawsAreTheOldestAndNewestInTimeOrder) {
    const Read r = ReadAll("2024005 555\n2024004 444\n2024003 333\n2024002 222\n2024001 111\n");
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.info.oldest.size(), 3u);
    EXPECT_EQ(r.info.oldest[0].number, 111);
    EXPECT_EQ(r.info.oldest[2].number, 333);
    EXPECT_EQ(r.info.newest[0].number, 333);
    EXPECT_EQ(r.info.newest[2].number, 555);
    EXPECT_EQ(r.info.newest[2].line, 1u);
}

TEST(HistoryReader, UndecodableLinesAreNamed) {
    // Valid UTF-8 at the start, then a byte that is not: the file was taken as UTF-8.
    std::string input;
    for (int i = 0; i < 1200; ++i) {
        input += "开奖 " + std::to_string(100 + i % 900) + "\n";
    }
    const Read r = ReadAll(input + "\xFF 123\n");
    EXPECT_NE(r.error.find("line 1201: not UTF-8 text"), std::string::npos) << r.error;
    const Read bad = ReadAll("\xFF\xFF 123\n");
    EXPECT_NE(bad.error.find("line 1: not GB18030 text"), std::string::npos) << bad.error;
}

class CountingSource : public ByteSource {
  public:
    explicit CountingSource(char fill) : fill_(fill) {}
    std::size_t Read(char* data, std::size_t size) override {
        read_ += size;
        std::fill(data, data + size, fill_);
        return size;
    }
    const std::string& error() const override { return error_; }
    std::size_t read_ = 0;

  private:
    char fill_;
    std::string error_;
};

// /dev/zero, or a huge line without a line end: refused once the limit is passed.
TEST(LineSplitter, EndlessLineIsRefusedWithoutDrainingIt) {
    CountingSource zeros('\0');
    LineSplitter splitter(zeros, 1024, 256);
    std::string_view line;
    std::uint64_t number = 0;
    EXPECT_EQ(splitter.Next(line, number), LineSplitter::Status::TooLong);
    EXPECT_EQ(line.size(), 1024u);
    EXPECT_EQ(splitter.Next(line, number), LineSplitter::Status::End);
    EXPECT_LE(zeros.read_, 1024u + 2 * 256);
}

struct Split {
    std::vector<std::string> lines;
    std::vector<std::uint64_t> numbers;
    std::vector<LineSplitter::Status> statuses;
    unsigned ends = 0;
};

Split SplitAll(const std::string& input, std::size_t max_line, std::size_t chunk) {
    std::istringstream in(input);
    StreamSource source(in);
    LineSplitter splitter(source, max_line, chunk);
    Split s;
    std::string_view line;
    std::uint64_t number = 0;
    for (;;) {
        const auto status = splitter.Next(line, number);
        if (status == LineSplitter::Status::End) {
            s.ends = splitter.line_ends();
            return s;
        }
        s.lines.emplace_back(line);
        s.numbers.push_back(number);
        s.statuses.push_back(status);
    }
}

struct SplitCase {
    std::string input;
    std::vector<std::string> lines;
};

TEST(LineSplitter, LineEndsAndByteOrderMark) {
    const SplitCase cases[] = {
        {"", {}},
        {"\n", {""}},
        {"456", {"456"}},
        {"456\n", {"456"}},
        {"123\n456", {"123", "456"}},
        {"123\r\n456\r\n", {"123", "456"}},
        {"123\r\n\r\n456", {"123", "", "456"}},
        {"\xEF\xBB\xBF"
         "123\n456\n",
         {"123", "456"}},
        {"\xEF\xBB\xBF", {""}},
        // only a mark at the very start is dropped
        {"123\n\xEF\xBB\xBF"
         "456",
         {"123",
          "\xEF\xBB\xBF"
          "456"}},
        // a CR on its own ends a line (old Mac files), also at the very end
        {"1\r2\n", {"1", "2"}},
        {"1\r2\r", {"1", "2"}},
        {"1\r\r\n2", {"1", "", "2"}},
        {"1\n\r2", {"1", "", "2"}},
    };
    // Every buffer size from one byte up, so that line ends, CR LF pairs and the mark fall
    // across buffer refills.
    for (const auto& c : cases) {
        for (std::size_t chunk = 1; chunk <= 12; ++chunk) {
            SCOPED_TRACE(testing::Message()
                         << "input " << testing::PrintToString(c.input) << ", chunk " << chunk);
            const Split s = SplitAll(c.input, 8, chunk);
            EXPECT_EQ(s.lines, c.lines);
            for (std::size_t i = 0; i < s.numbers.size(); ++i) {
                EXPECT_EQ(s.numbers[i], i + 1);
                EXPECT_EQ(s.statuses[i], LineSplitter::Status::Line);
            }
        }
    }
    EXPECT_EQ(SplitAll("1\r\n2\r3\n", 8, 2).ends,
              LineSplitter::kLf | LineSplitter::kCrLf | LineSplitter::kCr);
}

TEST(LineSplitter, OverlongLineStopsTheReading) {
    for (std::size_t chunk : {1u, 3u, 10u, 64u}) {
        SCOPED_TRACE(chunk);
        const Split s = SplitAll("123\n12345678\n" + std::string(50, '7') + "\r\n456\n", 8, chunk);
        ASSERT_EQ(s.lines.size(), 3u);
        EXPECT_EQ(s.lines[0], "123");
        // exactly the limit is still a line
        EXPECT_EQ(s.statuses[1], LineSplitter::Status::Line);
        EXPECT_EQ(s.lines[1], "12345678");
        EXPECT_EQ(s.statuses[2], LineSplitter::Status::TooLong);
        EXPECT_EQ(s.lines[2], std::string(8, '7'));
        EXPECT_EQ(s.numbers[2], 3u);
    }
    const Split last = SplitAll(std::string(20, 'x'), 8, 4);
    ASSERT_EQ(last.statuses.size(), 1u);
    EXPECT_EQ(last.statuses[0], LineSplitter::Status::TooLong);
}

TEST(ShowLine, ControlBytesAreVisibleAndLongLinesCut) {
    EXPECT_EQ(tolvex::history::ShowLine("a\tb\rc\x01"), "a\\tb\\rc\\x01");
    EXPECT_EQ(tolvex::history::ShowLine("\xE4\xB8\xAD"
                                        "1"),
              "\xE4\xB8\xAD"
              "1");
    EXPECT_EQ(tolvex::history::ShowLine("abcdef", 4), "abcd...");
    // never cut inside a UTF-8 character
    EXPECT_EQ(tolvex::history::ShowLine("a\xE4\xB8\xAD", 2), "a...");
}

// Each failure comes as data: its kind, its line and, when the column is in doubt, the
// candidates; the message is the error's text after the file's name and line.
TEST(HistoryReader, ReportsFailuresAsData) {
    using tolvex::history::ReadErrorKind;
    ReadOptions column5, newest, column1;
    column5.columns = {"5"};
    newest.order = Order::NewestFirst;
    column1.columns = {"1"};
    const struct {
        const char* input;
        ReadOptions options;
        ReadErrorKind kind;
        std::uint64_t line;
        std::size_t candidates;
    } cases[] = {
        {"2024001 123 456\n2024002 234 567\n", {}, ReadErrorKind::AmbiguousColumn, 0, 2},
        {"123\n456\nxyz\n", {}, ReadErrorKind::NoDrawColumn, 3, 0},
        {"1234\n2345\n", {}, ReadErrorKind::NotThreeDigits, 0, 0},
        {"123\n456\n", column5, ReadErrorKind::BadColumnOption, 0, 0},
        {"123\n456\n1\n", column1, ReadErrorKind::BadColumnOption, 3, 0},
        {"2024001 123\n2024002 456\n", newest, ReadErrorKind::OrderContradicted, 0, 0},
        {"123\n456\n", {}, ReadErrorKind::None, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        std::istringstream in(c.input);
        HistoryReader reader(in, "h.txt", c.options);
        HistoryDraw d{};
        if (reader.Open()) {
            while (reader.Next(d)) {
            }
        }
        const auto& failure = reader.failure();
        EXPECT_EQ(failure.kind, c.kind);
        EXPECT_EQ(failure.line, c.line);
        EXPECT_EQ(failure.candidates.size(), c.candidates);
        if (c.kind == ReadErrorKind::None) {
            EXPECT_EQ(reader.error(), "");
            continue;
        }
        const std::string where =
            c.line > 0 ? "h.txt, line " + std::to_string(c.line) + ": " : std::string("h.txt: ");
        EXPECT_EQ(reader.error(), where + failure.message);
        // the line is the field's, never a prefix of the message
        EXPECT_NE(failure.message.rfind("line ", 0), 0u) << failure.message;
    }
}

}  // namespace
