// decode_test.cpp - encodings: byte-order marks, UTF-16 and GB18030 to UTF-8, display widths.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tolvex/history/decode.h"

namespace {

using namespace tolvex::history;

std::string ReadUtf16(const std::string& bytes, bool big_endian) {
    std::istringstream in(bytes);
    StreamSource raw(in);
    Utf16Source source(raw, big_endian);
    std::string out;
    char piece[3];  // small reads: characters and surrogate pairs fall across them
    for (std::size_t n; (n = source.Read(piece, sizeof piece)) > 0;) {
        out.append(piece, n);
    }
    return out;
}

TEST(Utf16Source, BothByteOrdersAndSurrogates) {
    // "中1" and U+1F3B2 (a surrogate pair)
    EXPECT_EQ(ReadUtf16(std::string("\x2D\x4E\x31\x00\x3C\xD8\xB2\xDF", 8), false),
              "\xE4\xB8\xAD"
              "1\xF0\x9F\x8E\xB2");
    EXPECT_EQ(ReadUtf16(std::string("\x4E\x2D\x00\x31", 4), true),
              "\xE4\xB8\xAD"
              "1");
    // a lone surrogate and an odd byte at the end
    EXPECT_EQ(ReadUtf16(std::string("\x3C\xD8\x31\x00\x31", 5), false),
              "\xEF\xBF\xBD"
              "1");
    EXPECT_EQ(ReadUtf16(std::string("\xB2\xDF", 2), false), "\xEF\xBF\xBD");
}

TEST(GbDecoder, ConvertsAndRefuses) {
    GbDecoder gb;
    ASSERT_TRUE(gb.ok());
    std::string out;
    EXPECT_TRUE(gb.Decode("\xD6\xD0\xBD\xB1 357", out));
    EXPECT_EQ(out, "中奖 357");
    // a four-byte GB18030 sequence: U+0080, or refused where only GBK is known
    EXPECT_EQ(gb.Decode("\x81\x30\x81\x30", out), gb.four_byte());
    EXPECT_EQ(out, gb.four_byte() ? "\xC2\x80" : "");
    EXPECT_FALSE(gb.Decode("\xD6", out));  // cut short
    EXPECT_FALSE(
        gb.Decode("\xFF"
                  "1",
                  out));
    EXPECT_TRUE(gb.Decode("", out));
    EXPECT_EQ(out, "");
}

TEST(Encoding, MarksGuessesAndNames) {
    EXPECT_EQ(FindByteOrderMark("\xEF\xBB\xBF"
                                "1")
                  ->encoding,
              Encoding::Utf8);
    EXPECT_EQ(FindByteOrderMark("\xFF\xFE"
                                "1")
                  ->size,
              2u);
    EXPECT_EQ(FindByteOrderMark("\xFE\xFF")->encoding, Encoding::Utf16Be);
    EXPECT_FALSE(FindByteOrderMark("\xEF\xBB").has_value());
    EXPECT_EQ(GuessUtf16(std::string("1\0002\0003\000", 6)), Encoding::Utf16Le);
    EXPECT_EQ(GuessUtf16(std::string("\0001\0002\0003", 6)), Encoding::Utf16Be);
    EXPECT_FALSE(GuessUtf16("123456").has_value());
    EXPECT_EQ(ParseEncoding("GBK"), Encoding::Gb18030);
    EXPECT_EQ(ParseEncoding("utf-16"), Encoding::Utf16Le);
    EXPECT_FALSE(ParseEncoding("latin1").has_value());
}

TEST(DisplayWidth, WideCharactersTakeTwoColumns) {
    EXPECT_EQ(DisplayWidth("2024001"), 7u);
    EXPECT_EQ(DisplayWidth("彩票3D"), 6u);
    EXPECT_EQ(DisplayWidth("，"), 2u);
    EXPECT_EQ(DisplayWidth("e\xCC\x81"), 1u);  // e and a combining accent
    EXPECT_EQ(DisplayWidth("\xFF"), 1u);
    EXPECT_TRUE(IsUtf8("中 357"));
    EXPECT_FALSE(IsUtf8("\xD6\xD0"));
    EXPECT_EQ(RepairUtf8("a\xD6"), "a\xEF\xBF\xBD");
}

}  // namespace
