// history_test.cpp - history lines in the forms players copy them, and the line splitter.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "history.h"

namespace {

using tolvex::cli::HistoryLine;
using tolvex::cli::LineKind;
using tolvex::cli::LineSplitter;
using tolvex::cli::ReadHistoryLine;

struct LineCase {
    const char* line;
    LineKind kind;
    int number;
    const char* label;
};

TEST(ReadHistoryLine, LineForms) {
    const LineCase cases[] = {
        {"2024001 456", LineKind::Draw, 456, "2024001"},
        {"2024001,4,5,6", LineKind::Draw, 456, "2024001"},
        {"456", LineKind::Draw, 456, ""},
        {"4 5 6", LineKind::Draw, 456, ""},
        {"0-0-2", LineKind::Draw, 2, ""},
        {"Fri, Jan 9, 2026\tRegion 9\tEvening draw\t0-0-2", LineKind::Draw, 2,
         "Fri, Jan 9, 2026\tRegion 9\tEvening draw"},
        {"007", LineKind::Draw, 7, ""},
        {"  2024001 : 999  ", LineKind::Draw, 999, "2024001"},
        {"2024001|000|", LineKind::Draw, 0, "2024001"},
        {"2024-01-09 4 5 6", LineKind::Draw, 456, "2024-01-09"},
        // the last three-digit run wins, also over single digits before it
        {"1 2 345", LineKind::Draw, 345, "1 2"},
        {"2024001 456 789", LineKind::Draw, 789, "2024001 456"},
        // text after the draw is ignored
        {"2024001 456 (evening)", LineKind::Draw, 456, "2024001"},
        {"12 3 4 5", LineKind::Draw, 345, "12"},
        // skipped
        {"", LineKind::Skip, 0, ""},
        {" \t ", LineKind::Skip, 0, ""},
        {"# issue draw", LineKind::Skip, 0, ""},
        {"  #2024001 456", LineKind::Skip, 0, ""},
        // anything else stops the run
        {"issue draw", LineKind::Invalid, 0, ""},
        {"12", LineKind::Invalid, 0, ""},
        {"1234", LineKind::Invalid, 0, ""},
        {"2024001 4567", LineKind::Invalid, 0, ""},
        {"4 5", LineKind::Invalid, 0, ""},
        {"4 56", LineKind::Invalid, 0, ""},
        {"45 6 7", LineKind::Invalid, 0, ""},
        {"2024-1-9", LineKind::Invalid, 0, ""},
        {"Fri, Jan 9, 2026", LineKind::Invalid, 0, ""},
        {"\xEF\xBC\x94\xEF\xBC\x95\xEF\xBC\x96", LineKind::Invalid, 0, ""},  // full-width 456
        // single digits join only across one repeated separator, never across words
        {"4, 5, 6", LineKind::Draw, 456, ""},
        {"2024001\t4\t5\t6", LineKind::Draw, 456, "2024001"},
        {"Fri, Jan 9, 2026\tRegion 9\tEvening draw\t0-0", LineKind::Invalid, 0, ""},
        {"Draw 3: 1 2", LineKind::Invalid, 0, ""},
        {"4 5-6", LineKind::Invalid, 0, ""},
        {"4x5x6", LineKind::Invalid, 0, ""},
        // a carriage return inside a line: CR-only line ends would merge draws
        {"456\r123\r789", LineKind::Invalid, 0, ""},
        {"4\r5\r6", LineKind::Invalid, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const HistoryLine h = ReadHistoryLine(c.line);
        EXPECT_EQ(h.kind, c.kind);
        if (c.kind == LineKind::Draw) {
            EXPECT_EQ(h.number, c.number);
            EXPECT_EQ(h.label, c.label);
        }
    }
}

struct Split {
    std::vector<std::string> lines;
    std::vector<std::uint64_t> numbers;
    std::vector<LineSplitter::Status> statuses;
};

Split SplitAll(const std::string& input, std::size_t max_line, std::size_t chunk) {
    std::istringstream in(input);
    LineSplitter splitter(in, max_line, chunk);
    Split s;
    std::string_view line;
    std::uint64_t number = 0;
    for (;;) {
        const auto status = splitter.Next(line, number);
        if (status == LineSplitter::Status::End) {
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
        // a CR on its own is not a line end
        {"1\r2\n", {"1\r2"}},
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
}

TEST(LineSplitter, OverlongLineIsReportedCutAndTheNextLineFollows) {
    for (std::size_t chunk : {1u, 3u, 10u, 64u}) {
        SCOPED_TRACE(chunk);
        const Split s = SplitAll("123\n" + std::string(50, '7') + "\r\n456\n12345678\n", 8, chunk);
        ASSERT_EQ(s.lines.size(), 4u);
        EXPECT_EQ(s.lines[0], "123");
        EXPECT_EQ(s.statuses[1], LineSplitter::Status::TooLong);
        EXPECT_EQ(s.lines[1], std::string(8, '7'));
        EXPECT_EQ(s.numbers[1], 2u);
        EXPECT_EQ(s.lines[2], "456");
        EXPECT_EQ(s.numbers[2], 3u);
        // exactly the limit is still a line
        EXPECT_EQ(s.statuses[3], LineSplitter::Status::Line);
        EXPECT_EQ(s.lines[3], "12345678");
    }
    const Split last = SplitAll(std::string(20, 'x'), 8, 4);
    ASSERT_EQ(last.statuses.size(), 1u);
    EXPECT_EQ(last.statuses[0], LineSplitter::Status::TooLong);
}

TEST(ShowLine, ControlBytesAreVisibleAndLongLinesCut) {
    EXPECT_EQ(tolvex::cli::ShowLine("a\tb\rc\x01"), "a\\tb\\rc\\x01");
    EXPECT_EQ(tolvex::cli::ShowLine("\xE4\xB8\xAD"
                                    "1"),
              "\xE4\xB8\xAD"
              "1");
    EXPECT_EQ(tolvex::cli::ShowLine("abcdef", 4), "abcd...");
    // never cut inside a UTF-8 character
    EXPECT_EQ(tolvex::cli::ShowLine("a\xE4\xB8\xAD", 2), "a...");
}

}  // namespace
