// report_test.cpp - escaping for JSON and CSV, number formatting, the text layout.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tolvex/backtest/report.h"
#include "tolvex/history/decode.h"

namespace {

using namespace tolvex::backtest;
using namespace tolvex::history;

TEST(JsonString, EscapesAndRepairs) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", R"("")"},
        {"2024001", R"("2024001")"},
        {"a\"b\\c", R"("a\"b\\c")"},
        {"a\tb\x01\x7f", R"("a\tb\u0001\u007f")"},
        {"\xE4\xB8\xAD", "\"\xE4\xB8\xAD\""},                   // valid UTF-8 stays
        {"\xF0\x9F\x8E\xB2", "\"\xF0\x9F\x8E\xB2\""},           // four bytes
        {"\xD6\xD0", R"("\ufffd\ufffd")"},                      // a GBK character is not UTF-8
        {"\xE4\xB8", R"("\ufffd\ufffd")"},                      // cut short
        {"\xC0\xAF", R"("\ufffd\ufffd")"},                      // overlong
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")"},            // surrogate
        {"\xF4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},  // above U+10FFFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonString(c.in), c.out) << testing::PrintToString(c.in);
    }
}

// A field is quoted only when it must be; a label that a spreadsheet would take for a formula
// is defused with a leading apostrophe.
TEST(CsvField, QuotesOnlyWhenNeededAndDefusesFormulas) {
    const struct {
        std::string (*write)(std::string_view);
        std::string in, out;
    } cases[] = {
        {CsvField, "2024001", "2024001"},
        {CsvField, "", ""},
        {CsvField, "Fri, Jan 9", "\"Fri, Jan 9\""},
        {CsvField, "a\tb", "\"a\tb\""},
        {CsvField, "say \"hi\"", "\"say \"\"hi\"\"\""},
        {CsvLabel, "=1+2", "'=1+2"},
        {CsvLabel, "+1", "'+1"},
        {CsvLabel, "-2,3", "\"'-2,3\""},
        {CsvLabel, "@A1", "'@A1"},
        {CsvLabel, "2024-01-09", "2024-01-09"},
        {CsvLabel, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.write(c.in), c.out) << c.in;
    }
}

TEST(Fixed, RoundsAndNeverShowsMinusZero) {
    EXPECT_EQ(Fixed(0.7215556, 6), "0.721556");
    EXPECT_EQ(Fixed(72.15556, 2), "72.16");
    EXPECT_EQ(Fixed(-1.1109, 2), "-1.11");
    EXPECT_EQ(Fixed(-0.001, 2), "0.00");
    EXPECT_EQ(Fixed(1.0, 0), "1");
}

TEST(ParseFormat, KnowsThreeNames) {
    EXPECT_EQ(ParseFormat("text"), Format::Text);
    EXPECT_EQ(ParseFormat("csv"), Format::Csv);
    EXPECT_EQ(ParseFormat("json"), Format::Json);
    EXPECT_FALSE(ParseFormat("JSON").has_value());
    EXPECT_FALSE(ParseFormat("").has_value());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Display column of the first byte of `needle`, a CJK character taking two.
std::size_t Column(const std::string& line, const std::string& needle) {
    return DisplayWidth(line.substr(0, line.find(needle)));
}

TEST(ReportWriter, TextColumnsLineUpWhateverTheLabel) {
    std::string long_label;
    for (int i = 0; i < 30; ++i) {
        long_label += "\xE7\xA6\x8F";  // 福: 60 columns in all
    }
    const std::string labels[] = {"2024001", "",         "\xE7\xA6\x8F\xE5\xBD\xA9 3D",
                                  "a\tb",    long_label, std::string(45, 'x'),
                                  "\xD6\xD0"};
    std::size_t width = 0;
    for (const auto& l : labels) {
        width = std::max(width, LabelWidth(l));
    }
    std::string out;
    ReportWriter w(Format::Text, true, width, out);
    w.Begin();
    int draw = 100;
    for (const auto& l : labels) {
        w.Add(Row{7, l, {123, 456, draw++, 721, draw % 2 == 0}});
    }
    Summary s;
    w.End(s);
    const auto lines = Lines(out);
    ASSERT_GE(lines.size(), 8u);
    const std::size_t column = Column(lines[0], "prev");
    // "   line  " and two blanks around the label column, which takes at most 40
    EXPECT_EQ(column, 9u + kLabelColumns + 2);
    for (std::size_t i = 1; i <= 7; ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(Column(lines[i], "123   456   " + std::to_string(99 + i)), column);
        EXPECT_EQ(lines[i].find('\t'), std::string::npos);
    }
    EXPECT_NE(lines[5].find("\xE7\xA6\x8F\xE2\x80\xA6"), std::string::npos);  // cut: 福…
    EXPECT_NE(lines[6].find(std::string(39, 'x') + "\xE2\x80\xA6"), std::string::npos);
    EXPECT_NE(lines[7].find("\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos);  // not UTF-8
}

TEST(ReportWriter, SummaryOfNothingTestedSaysSo) {
    Summary s;
    s.draws = 2;
    for (const Format f : {Format::Text, Format::Json, Format::Csv}) {
        std::string out;
        ReportWriter w(f, false, 0, out);
        w.Begin();
        w.End(s);
        if (f == Format::Json) {
            EXPECT_NE(out.find("\"hit_rate\":null"), std::string::npos) << out;
            EXPECT_NE(out.find("\"tested\":0"), std::string::npos) << out;
        } else if (f == Format::Text) {
            EXPECT_NE(out.find("at least three draws"), std::string::npos) << out;
            EXPECT_NE(out.find("n/a"), std::string::npos) << out;
        } else {
            EXPECT_EQ(Lines(out).back(), "2,0,0,,0.000,,0.000,,0,0") << out;
        }
    }
}

TEST(SummaryText, CountsAgreeWithTheirNouns) {
    const struct {
        std::uint64_t hits, hit_run, miss_run;
        std::vector<std::string> parts;
    } cases[] = {
        {1, 1, 1, {"(1 hit)", "longest runs   1 hit, 1 miss\n"}},
        {2, 2, 0, {"(2 hits)", "longest runs   2 hits, 0 misses\n"}},
        {0, 0, 2, {"(0 hits)", "longest runs   0 hits, 2 misses\n"}},
    };
    for (const auto& c : cases) {
        Summary s;
        s.draws = 4;
        s.tested = 2;
        s.hits = c.hits;
        s.kept_sum = 1440;
        s.variance_e6 = 2 * 720 * 280;
        s.longest_hit_run = c.hit_run;
        s.longest_miss_run = c.miss_run;
        const std::string text = SummaryText(s);
        for (const auto& part : c.parts) {
            EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
        }
    }
}

}  // namespace
