// layout_test.cpp - fields: splitting by each delimiter, what a field holds, label sort keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tolvex/history/layout.h"

namespace {

using namespace tolvex::history;

std::vector<std::string> Values(std::string_view line, Delimiter d) {
    std::vector<Field> fields;
    SplitFields(line, d, fields);
    std::vector<std::string> values;
    for (const Field& f : fields) {
        values.emplace_back(FieldValue(line, f));
    }
    return values;
}

TEST(SplitFields, EachDelimiter) {
    const struct {
        std::string line;
        Delimiter delimiter;
        std::vector<std::string> values;
    } cases[] = {
        {"2024001\t3 5 7\t\t468\t", Delimiter::Tab, {"2024001", "3 5 7", "", "468"}},
        {" 2024001 , 357 ,", Delimiter::Comma, {"2024001", "357"}},
        {"\"2024001\",\"3,5,7\"", Delimiter::Comma, {"2024001", "3,5,7"}},
        {"\"a \"\"b\"\"\", 1", Delimiter::Comma, {"a \"\"b\"\"", "1"}},
        // quotes that do not close a field are text
        {"\"2024001,357", Delimiter::Comma, {"\"2024001", "357"}},
        {"a\"b\",357", Delimiter::Comma, {"a\"b\"", "357"}},
        {"2024001;357", Delimiter::Semicolon, {"2024001", "357"}},
        {"| 2024001 | 357 |", Delimiter::Pipe, {"", "2024001", "357"}},
        {"2024001\xEF\xBC\x8C"
         "357",
         Delimiter::FullwidthComma,
         {"2024001", "357"}},
        {" 2024001 \t 3\xC2\xA0"
         "5\xE3\x80\x80"
         "7 ",
         Delimiter::Blanks,
         {"2024001", "3", "5", "7"}},
        {"  357 \t", Delimiter::None, {"357"}},
        {"", Delimiter::Blanks, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Values(c.line, c.delimiter), c.values) << c.line;
    }
}

TEST(ClassifyField, WhatAFieldHolds) {
    const struct {
        const char* value;
        FieldKind kind;
    } cases[] = {
        {"", FieldKind::Empty},
        {"7", FieldKind::Digit},
        {"15", FieldKind::Number},
        {"-3", FieldKind::Number},
        {"007", FieldKind::Draw},
        {"3 5 7", FieldKind::Joined},
        {"1-2-3", FieldKind::Joined},
        {"3, 5, 7", FieldKind::Joined},
        {"3-5 7", FieldKind::Text},
        {"3--5-7", FieldKind::Text},
        {"1-2-3-4", FieldKind::JoinedFour},
        {"1234", FieldKind::Four},
        {"2024001", FieldKind::Issue},
        {"第2024001期", FieldKind::Issue},
        {"2024001期", FieldKind::Issue},
        {"2024-01-09", FieldKind::Date},
        {"2024/1/9", FieldKind::Date},
        {"2024.01.09", FieldKind::Date},
        {"2024年1月9日", FieldKind::Date},
        {"2024-01-09(二)", FieldKind::Date},
        {"2024-01-09 20:30", FieldKind::Date},
        {"01/09/2026", FieldKind::Date},
        {"Fri, Jan 9, 2026", FieldKind::Date},
        {"9 January 2026", FieldKind::Date},
        {"2024-13-09", FieldKind::Text},
        {"2024-01-09 357", FieldKind::Text},
        {"46,138,919", FieldKind::Amount},
        {"$500", FieldKind::Amount},
        {"¥1,040", FieldKind::Amount},
        {"1040.00", FieldKind::Amount},
        {"173元", FieldKind::Amount},
        {"46,13", FieldKind::Text},
        {"彩票3D", FieldKind::Text},
        {"４５６", FieldKind::Text},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyField(c.value), c.kind) << c.value;
    }
}

TEST(FieldDraw, OnlyThreeDigits) {
    EXPECT_EQ(FieldDraw("007"), 7);
    EXPECT_EQ(FieldDraw("9 8 7"), 987);
    EXPECT_EQ(FieldDraw("0,0,2"), 2);
    EXPECT_FALSE(FieldDraw("0070").has_value());
    EXPECT_FALSE(FieldDraw("1-2-3-4").has_value());
    EXPECT_FALSE(FieldDraw("1 2").has_value());
}

// Keys must sort as the dates and issues do, whatever the way they are written.
TEST(Keys, SortAsTime) {
    EXPECT_EQ(DateKey("2024-01-09"), DateKey("2024年1月9日"));
    EXPECT_EQ(DateKey("01/09/2024"), DateKey("Tue, Jan 9, 2024"));
    EXPECT_EQ(DateKey("09.01.2024"), DateKey("9 Jan 2024"));
    EXPECT_LT(*DateKey("Dec 31, 2025"), *DateKey("Jan 1, 2026"));
    EXPECT_LT(*DateKey("2026-01-09"), *DateKey("2026-01-10"));
    EXPECT_LT(*IssueKey("2024358"), *IssueKey("第2025001期"));
    EXPECT_FALSE(IssueKey("2024-001").has_value());
    // two-digit years, as spreadsheets write them; dates without a year
    EXPECT_EQ(DateKey("1/16/24"), DateKey("01/16/2024"));
    EXPECT_EQ(DateKey("12/31/99"), DateKey("12/31/1999"));
    EXPECT_EQ(DateKey("01-16"), 116u);
    EXPECT_EQ(DateKey("03月12日(二)"), 312u);
    EXPECT_TRUE(IsYearless(*DateKey("12-25")));
    EXPECT_FALSE(IsYearless(*DateKey("2024-12-25")));
    EXPECT_FALSE(DateKey("1-16").has_value());
    EXPECT_FALSE(DateKey("13-16").has_value());
    EXPECT_FALSE(DateKey("1/16/202").has_value());
    // a date without a year takes the year that puts it nearest the date before
    EXPECT_EQ(WithYear(20241231, 101), 20250101u);
    EXPECT_EQ(WithYear(20250101, 1231), 20241231u);
    EXPECT_EQ(WithYear(20240610, 605), 20240605u);
    EXPECT_LT(*OrderKey(KeyKind::Date, "12-31", 0),
              *OrderKey(KeyKind::Date, "01-01", *OrderKey(KeyKind::Date, "12-31", 0)));
}

TEST(PlainTyped, AsInputMethodsTypeThem) {
    const struct {
        const char* line;
        const char* plain;  // nullptr: unchanged
    } cases[] = {
        {"２０２４００１　５０９", "2024001　509"},
        {"开奖号码:771", "开奖号码: 771"},
        {"期号：2024031，开奖号码：670，试机号：395", "期号: 2024031 开奖号码: 670 试机号: 395"},
        {"3–5–7", "3-5-7"},
        {"3—5—7", "3-5-7"},
        {"2024001,—,468", nullptr},
        {"2024-01-09 20:30 357", nullptr},
        {"2024001,357", nullptr},
        {"2024001，357", nullptr},
        {"http://x 357", nullptr},
    };
    for (const auto& c : cases) {
        std::string out = "untouched";
        const bool changed = PlainTyped(c.line, out);
        EXPECT_EQ(changed, c.plain != nullptr) << c.line;
        EXPECT_EQ(out, c.plain != nullptr ? c.plain : "untouched") << c.line;
    }
}

TEST(Names, DrawAndOtherColumns) {
    for (const char* name : {"开奖号码", "Winning Numbers", "winning_numbers", " RESULT "}) {
        EXPECT_TRUE(IsDrawName(name)) << name;
        EXPECT_FALSE(IsOtherName(name)) << name;
    }
    for (const char* name : {"试机号", "Bonus Ball", "Sum", "和值", "Date"}) {
        EXPECT_TRUE(IsOtherName(name)) << name;
        EXPECT_FALSE(IsDrawName(name)) << name;
    }
    const struct {
        const char* name;
        int place;
    } places[] = {{"百位", 1},   {"十位", 2},   {"个位", 3},     {"千位", 4},
                  {"Num1", 1},   {"Ball 3", 3}, {"Number 4", 4}, {"Lucky Ball", 0},
                  {"幸运号", 0}, {"Num", 0},    {"Ball 10", 0}};
    for (const auto& p : places) {
        EXPECT_EQ(DigitPlace(p.name), p.place) << p.name;
    }
}

// English dates: month first or day first, with or without the comma and the weekday; the
// year has four digits and nothing but a time may follow.
TEST(Keys, EnglishDates) {
    const auto jan9 = DateKey("2026-01-09");
    ASSERT_TRUE(jan9.has_value());
    const struct {
        const char* text;
        bool same;  // the key of 2026-01-09; otherwise no date at all
    } cases[] = {
        {"Jan 9, 2026", true},    {"Jan 9 2026", true},    {"January 09,2026", true},
        {"9 Jan 2026", true},     {"9 Jan, 2026", true},   {"Friday, 9 January 2026", true},
        {"Fri Jan 9 2026", true}, {"Jan 9, 26", false},    {"Jan, 2026", false},
        {"9 2026", false},        {"Jan 32, 2026", false}, {"Jan 9, 2026 357", false},
        {"9 Jan", false},         {"Jan 9, 20261", false},
    };
    for (const auto& c : cases) {
        const auto key = DateKey(c.text);
        if (c.same) {
            EXPECT_EQ(key, jan9) << c.text;
        } else {
            EXPECT_FALSE(key.has_value()) << c.text;
        }
    }
}

// A currency sign before, a unit after, or both; neither alone makes an amount.
TEST(ClassifyField, CurrencyMarks) {
    const struct {
        const char* value;
        FieldKind kind;
    } cases[] = {
        {"US$ 1,000", FieldKind::Amount}, {"¥1,040元", FieldKind::Amount},
        {"1,040 CNY", FieldKind::Amount}, {"RMB500", FieldKind::Amount},
        {"3万", FieldKind::Amount},       {"$", FieldKind::Text},
        {"元", FieldKind::Text},          {"$元", FieldKind::Text},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyField(c.value), c.kind) << c.value;
    }
}

TEST(IsPendingDraw, CellsOfADrawToCome) {
    for (const char* v : {"", "待开奖", "未开奖", "-", "—", "--", "?", "pending", "—？－*"}) {
        EXPECT_TRUE(IsPendingDraw(v)) << v;
    }
    for (const char* v : {"357", "3 5 7", "42", "2024-01-09", "-3", "--?7"}) {
        EXPECT_FALSE(IsPendingDraw(v)) << v;
    }
    EXPECT_TRUE(IsPendingWord("待开奖"));
    EXPECT_FALSE(IsPendingWord("-"));
}

}  // namespace
