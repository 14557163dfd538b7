// hit_test.cpp - the hit check of a typed draw against a result text.
#include <gtest/gtest.h>

#include <string>

#include "tolvex/tolvex.h"

namespace {

using tolvex::CheckHit;
using tolvex::HitKind;
using namespace std::string_literals;

const std::string& Result456123() {
    static const std::string text =
        tolvex::ReduceNumbers(*tolvex::ParseDraw("456"), *tolvex::ParseDraw("123")).text;
    return text;
}

struct HitCase {
    std::string result;
    std::string entry;
    HitKind kind;
    std::size_t start;
};

TEST(CheckHit, Verdicts) {
    const std::string r = Result456123();
    const HitCase cases[] = {
        // empty or blank results clear the marker whatever the entry
        {"", "", HitKind::Clear, 0},
        {"", "000", HitKind::Clear, 0},
        {" \t\r\n", "123", HitKind::Clear, 0},
        {"\x01\x1f ", "abc", HitKind::Clear, 0},
        // no verdict until the entry is three bytes long
        {r, "", HitKind::None, 0},
        {r, "0", HitKind::None, 0},
        {r, "00", HitKind::None, 0},
        {r, "0000", HitKind::None, 0},
        {r, "000 ", HitKind::None, 0},
        // the worked example
        {r, "000", HitKind::Hit, 0},
        {r, "002", HitKind::Hit, 4},
        {r, "999", HitKind::Hit, r.size() - 4},
        {r, "001", HitKind::Miss, 0},
        {r, "123", HitKind::Miss, 0},
        // a blank in the middle may match across two neighbouring numbers
        {r, "0 0", HitKind::Hit, 2},
        // only the first occurrence counts; surrounding blanks are searched unstripped
        {"  555 123 555", "555", HitKind::Hit, 2},
        {"\n123", "123", HitKind::Hit, 1},
        // bytes above 0x7f are not blanks, and are searched byte by byte
        {"\xD6\xD0"
         "1",
         "\xD6\xD0"
         "1",
         HitKind::Hit, 0},
        {"\xB0\xD6\xD0"
         "1",
         "\xD6\xD0"
         "1",
         HitKind::Hit, 1},
        {"\xA0", "123", HitKind::Miss, 0},
        // an embedded NUL is an ordinary byte
        {"12\0"
         "3"s,
         "2\0"
         "3"s,
         HitKind::Hit, 1},
    };
    for (const auto& c : cases) {
        const auto h = CheckHit(c.result, c.entry);
        EXPECT_EQ(h.kind, c.kind) << "entry '" << c.entry << "' in '" << c.result.substr(0, 20)
                                  << "'";
        if (c.kind == HitKind::Hit) {
            EXPECT_EQ(h.start, c.start) << "entry '" << c.entry << "'";
        }
    }
}

TEST(CheckHit, EveryKeptNumberIsFoundAtItsGroup) {
    const std::string& r = Result456123();
    for (std::size_t at = 0; at < r.size(); at += 4) {
        const auto h = CheckHit(r, r.substr(at, 3));
        ASSERT_EQ(h.kind, HitKind::Hit) << r.substr(at, 3);
        ASSERT_EQ(h.start, at);
    }
}

}  // namespace
