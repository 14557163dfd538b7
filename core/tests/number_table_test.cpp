// number_table_test.cpp - the number table and the reading of typed draws.
#include <gtest/gtest.h>

#include "tolvex/tolvex.h"

namespace {

using tolvex::DrawDigits;
using tolvex::GetNumberTable;
using tolvex::ParseDraw;

TEST(NumberTable, EveryEntryHoldsTheDigitsOfItsIndexWithMarkZero) {
    const auto& table = GetNumberTable();
    for (int h = 0; h < 10; ++h) {
        for (int t = 0; t < 10; ++t) {
            for (int u = 0; u < 10; ++u) {
                const auto& r = table[static_cast<std::size_t>(100 * h + 10 * t + u)];
                ASSERT_EQ(r.hundreds, h);
                ASSERT_EQ(r.tens, t);
                ASSERT_EQ(r.units, u);
                ASSERT_EQ(r.mark, 0);
            }
        }
    }
}

TEST(NumberTable, IsCompleteBeforeBuildAndUnchangedByRebuilding) {
    // No BuildNumberTable call has run in this process yet (each test program is its own
    // process and this is the only test here that builds).
    const auto early = tolvex::ReduceNumbers(DrawDigits{4, 5, 6}, DrawDigits{1, 2, 3});
    EXPECT_EQ(early.count, 722);
    EXPECT_EQ(early.text.substr(0, 12), "000 002 003 ");
    const tolvex::NumberTable before = GetNumberTable();
    EXPECT_EQ(before[999].hundreds, 9);
    EXPECT_EQ(before[7].units, 7);
    tolvex::BuildNumberTable();
    tolvex::BuildNumberTable();
    const auto& after = GetNumberTable();
    for (std::size_t i = 0; i < after.size(); ++i) {
        ASSERT_EQ(after[i].hundreds, before[i].hundreds) << i;
        ASSERT_EQ(after[i].tens, before[i].tens) << i;
        ASSERT_EQ(after[i].units, before[i].units) << i;
        ASSERT_EQ(after[i].mark, 0) << i;
    }
}

struct ValidDraw {
    const char* text;
    DrawDigits digits;
};

TEST(ParseDraw, ReadsThreeAsciiDigitsLeftToRight) {
    const ValidDraw cases[] = {
        {"000", {0, 0, 0}}, {"999", {9, 9, 9}}, {"007", {0, 0, 7}},
        {"123", {1, 2, 3}}, {"450", {4, 5, 0}}, {"908", {9, 0, 8}},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseDraw(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed->hundreds, c.digits.hundreds) << c.text;
        EXPECT_EQ(parsed->tens, c.digits.tens) << c.text;
        EXPECT_EQ(parsed->units, c.digits.units) << c.text;
    }
}

TEST(ParseDraw, RejectsEverythingElse) {
    using namespace std::string_view_literals;
    const std::string_view cases[] = {
        ""sv,
        "1"sv,
        "12"sv,
        "1234"sv,
        "0000"sv,
        // three bytes, yet not three digits
        "-12"sv,
        "+12"sv,
        " 12"sv,
        "12 "sv,
        "1 2"sv,
        "1a2"sv,
        "$1F"sv,
        "0x1"sv,
        "12\n"sv,
        "12\t"sv,
        "/12"sv,
        ":12"sv,
        "12\0"sv,
        "\0\0\0"sv,
        // full-width digit (UTF-8 and GBK bytes) and a Chinese character
        "\xEF\xBC\x91"sv,
        "\xA3\xB1"
        "1"sv,
        "\xD6\xD0"
        "1"sv,
        "\xE4\xB8\xAD"sv,
        // bytes that a signed char would turn negative
        "\x80\x80\x80"sv,
        "\xB0\xB1\xB2"sv,
    };
    for (const auto text : cases) {
        EXPECT_FALSE(ParseDraw(text).has_value()) << "text of " << text.size() << " bytes";
    }
}

}  // namespace
