// commands_test.cpp - the commands in process: outputs, exit statuses and messages.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "tolvex/tolvex.h"

namespace {

using tolvex::cli::RunCli;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunCommand(std::vector<std::string_view> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunCli(args, in, out, err);
    return {status, out.str(), err.str()};
}

std::string Utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

const std::string kResult456123 =
    tolvex::ReduceNumbers(*tolvex::ParseDraw("456"), *tolvex::ParseDraw("123")).text;

struct Case {
    std::vector<std::string_view> args;
    std::string input;
    int status;
    std::string out;               // exact standard output
    std::vector<std::string> err;  // texts standard error holds in this order; none: empty
};

TEST(RunCli, CommandsAndErrors) {
    const std::string hit = "\xE4\xB8\xAD";
    const Case cases[] = {
        {{"reduce", "456", "123"}, "", 0, kResult456123 + "\n", {}},
        {{"reduce", "--count", "000", "000"}, "", 0, "720\n", {}},
        {{"reduce", "001", "000", "--count"}, "", 0, "721\n", {}},
        {{"reduce", "12", "123"}, "", 2, "", {"PREVIOUS '12' is not a draw"}},
        {{"reduce", "123", "-12"}, "", 2, "", {"LAST '-12' is not a draw"}},
        {{"reduce", "1 2", "12a"}, "", 2, "", {"PREVIOUS '1 2'", "LAST '12a'"}},
        {{"reduce", "123"}, "", 2, "", {"two draws"}},
        {{"reduce", "123", "456", "789"}, "", 2, "", {"two draws"}},
        {{"reduce", "123", "456", "--counts"}, "", 2, "", {"unknown option '--counts'"}},
        {{"reduce", "123", "456", "--count=1"}, "", 2, "", {"takes no value"}},
        // every command names an option it does not know, short ones too
        {{"reduce", "456", "123", "-c"}, "", 2, "", {"unknown option '-c'"}},
        {{"check", "123", "-x"}, "", 2, "", {"unknown option '-x'"}},
        {{"inspect", "-v"}, "", 2, "", {"unknown option '-v'"}},
        {{"backtest", "--summary", "-s"}, "", 2, "", {"unknown option '-s'"}},
        {{"backtest", "--format", "text", "--", "-s"}, "", 2, "", {"cannot open '-s'"}},
        {{"check", "000"}, kResult456123, 0, hit + " 0\n", {}},
        {{"check", "002", "-"}, kResult456123 + "\r\n", 0, hit + " 4\n", {}},
        {{"check", "999"}, kResult456123, 0, hit + " " + std::to_string(722 * 4 - 4) + "\n", {}},
        {{"check", "001"}, kResult456123, 1, "X\n", {}},
        {{"check", "123"}, kResult456123, 1, "X\n", {}},
        // only the first occurrence counts in an edited result
        {{"check", "555"}, "111 555\r\n555 ", 0, hit + " 4\n", {}},
        // a blank result leaves nothing to check (the window's Clear)
        {{"check", "123"},
         "",
         2,
         "",
         {"no result to check against: 'standard input' is empty or blank"}},
        {{"check", "123"}, " \r\n\t", 2, "", {"empty or blank"}},
        // a draw that is not three digits (the window's None, and bytes the window would
        // search although no draw looks like them)
        {{"check", "12"}, kResult456123, 2, "", {"DRAW '12' is not a draw"}},
        {{"check", "3 4"}, kResult456123, 2, "", {"DRAW '3 4' is not a draw"}},
        {{"check"}, "", 2, "", {"DRAW [FILE]"}},
        {{"check", "123", "/nonexistent/result.txt"}, "", 2, "", {"cannot open"}},
        {{"backtest", "--format", "xml"}, "", 2, "", {"unknown format 'xml'"}},
        {{"backtest", "--format"}, "", 2, "", {"needs a value"}},
        {{"backtest", "a", "b"}, "", 2, "", {"at most one file"}},
        {{"backtest", "/nonexistent/history.txt"},
         "",
         2,
         "",
         {"cannot open '/nonexistent/history.txt': No such file or directory"}},
        {{"backtest", "--encoding", "latin1"}, "", 2, "", {"unknown encoding 'latin1'"}},
        {{"backtest", "--newest-first", "--oldest-first"}, "", 2, "", {"contradict"}},
        {{"backtest", "--column", "2,,3"}, "", 2, "", {"an empty column"}},
        {{"backtest", "--column", "9"}, "2024001 357\n", 2, "", {"--column 9: the lines have 2"}},
        {{"backtest", "--column", "1"}, "2024001 357\n", 2, "", {"column 1 holds no draw"}},
        {{"backtest", "--column", "试机号"},
         "期号 开奖号码\n1 357\n",
         2,
         "",
         {"no column has that name"}},
        {{"inspect", "a", "b"}, "", 2, "", {"at most one file"}},
        // a result saved as UTF-16 is searched as its text
        {{"check", "002"}, Utf16(kResult456123), 0, hit + " 4\n", {}},
        {{"check", "001"}, Utf16(kResult456123), 1, "X\n", {}},
        // labels a spreadsheet would run as formulas
        {{"backtest", "--format=csv"},
         "=HYPERLINK(\"x\")\t000\n+1\t000\n-2\t111\n@A1\t123\nplain\t456\n",
         0,
         "line,label,previous,last,draw,kept,hit\n3,'-2,000,000,111,720,X\n"
         "4,'@A1,000,111,123,720,\xE4\xB8\xAD\n5,plain,111,123,456,722,X\n",
         {"draws read     5"}},
        {{"backtest", "--summary", {"--format=csv"}},
         "000\n000\n111\n",
         0,
         "draws,tested,hits,hit_rate,expected_hits,chance_rate,excess_hits,z_score,"
         "longest_hit_run,longest_miss_run,band_level,left_band\n"
         "3,1,0,0.000000,0.720,0.720000,-0.720,-1.604,0,1,0.95,\n",
         {"nothing in the file tells the order: read as written, oldest first"}},
        {{"frobnicate"}, "", 2, "", {"unknown command 'frobnicate'"}},
        {{}, "", 2, "", {"usage:"}},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto a : c.args) {
            shown += std::string(a) + " ";
        }
        SCOPED_TRACE(shown);
        const Outcome o = RunCommand(c.args, c.input);
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.out, c.out);
        if (c.err.empty()) {
            EXPECT_EQ(o.err, "");
        }
        std::size_t at = 0;
        for (const auto& part : c.err) {
            at = o.err.find(part, at);
            ASSERT_NE(at, std::string::npos) << "no '" << part << "' in " << o.err;
        }
    }
}

// The saved result is searched in pieces; a draw across a piece boundary, and an earlier
// occurrence before a later one, must come out as the whole text would give them.
TEST(RunCli, CheckFindsDrawsAcrossReadBoundaries) {
    const std::size_t piece = 64 * 1024;
    for (std::size_t at = piece - 4; at <= piece + 4; ++at) {
        std::string result(at, ' ');
        result += "123 ";
        result += std::string(piece, ' ') + "123";
        const Outcome o = RunCommand({"check", "123"}, result);
        EXPECT_EQ(o.status, 0) << at;
        EXPECT_EQ(o.out, "\xE4\xB8\xAD " + std::to_string(at) + "\n");
    }
    // blank for more than one piece, then a number: a miss, not a blank result
    const Outcome late = RunCommand({"check", "123"}, std::string(3 * piece, ' ') + "456");
    EXPECT_EQ(late.status, 1);
    const Outcome blank = RunCommand({"check", "123"}, std::string(3 * piece, '\n'));
    EXPECT_EQ(blank.status, 2);
}

TEST(RunCli, BacktestInvalidLineStopsBeforeAnyOutput) {
    for (const char* format : {"text", "csv", "json"}) {
        const Outcome o = RunCommand({"backtest", "--format", format},
                                     "2024001 456\n2024002 123\n2024003 000\n"
                                     "2024004 12\n2024005 999\n");
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("standard input, line 4"), std::string::npos) << o.err;
        EXPECT_NE(o.err.find("2024004 12"), std::string::npos) << o.err;
    }
}

// A newest-first list read by its labels and by the flag, with rows and as a summary (which
// keeps only the draws), must give one backtest: the one of the same draws oldest first.
TEST(RunCli, NewestFirstByLabelsOrFlagGivesTheOldestFirstVerdicts) {
    std::string oldest, newest;
    const int draws[] = {0, 0, 111, 123, 456, 999, 135, 0, 246, 111, 468};
    for (int i = 0; i < 11; ++i) {
        const std::string line =
            std::to_string(2024001 + i) + " " + std::to_string(1000 + draws[i]).substr(1) + "\n";
        oldest += line;
        newest = line + newest;
    }
    const Outcome want = RunCommand({"backtest", "--format", "csv", "--summary"}, oldest);
    ASSERT_EQ(want.status, 0);
    EXPECT_NE(want.out.find("\n11,9,5,"), std::string::npos) << want.out;
    const Outcome want_rows = RunCommand({"backtest", "--format", "csv"}, oldest);
    for (const bool flag : {false, true}) {
        SCOPED_TRACE(flag);
        std::vector<std::string_view> args = {"backtest", "--format", "csv"};
        if (flag) {
            args.push_back("--newest-first");
        }
        const Outcome rows = RunCommand(args, newest);
        EXPECT_EQ(rows.status, 0);
        // the summary text on standard error, after the note on the order
        EXPECT_TRUE(rows.err.ends_with(want_rows.err)) << rows.err;
        args.push_back("--summary");
        const Outcome summary = RunCommand(args, newest);
        EXPECT_EQ(summary.out, want.out);
        EXPECT_EQ(summary.err.find("read newest first") != std::string::npos, !flag);
    }
    // Draws of one line keep their order when the lines are turned round.
    const Outcome two = RunCommand({"backtest", "--format", "csv", "--column", "2,3"},
                                   "2026-01-11 111 222\n2026-01-10 000 000\n");
    EXPECT_EQ(two.out,
              "line,label,previous,last,draw,kept,hit\n"
              "1,2026-01-11 column 2,000,000,111,720,X\n"
              "1,2026-01-11 column 3,000,111,222,720,X\n");
}

TEST(RunCli, NewestFirstTestsInTimeOrder) {
    // Written newest first: 111 was drawn after 000, 000; it is a parallel shift of 000.
    const Outcome newest =
        RunCommand({"backtest", "--newest-first", "--format", "csv"}, "3 111\n2 000\n1 000\n");
    EXPECT_EQ(newest.status, 0);
    EXPECT_EQ(newest.out, "line,label,previous,last,draw,kept,hit\n1,3,000,000,111,720,X\n");
    const Outcome oldest = RunCommand({"backtest", "--format", "csv"}, "1 000\n2 000\n3 111\n");
    EXPECT_EQ(oldest.out, "line,label,previous,last,draw,kept,hit\n3,3,000,000,111,720,X\n");
}

}  // namespace
