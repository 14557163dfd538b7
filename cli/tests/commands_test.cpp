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
        {{"check", "000"}, kResult456123, 0, hit + " 0\n", {}},
        {{"check", "002", "-"}, kResult456123 + "\r\n", 0, hit + " 4\n", {}},
        {{"check", "999"}, kResult456123, 0, hit + " " + std::to_string(722 * 4 - 4) + "\n", {}},
        {{"check", "001"}, kResult456123, 1, "X\n", {}},
        {{"check", "123"}, kResult456123, 1, "X\n", {}},
        // only the first occurrence counts in an edited result
        {{"check", "555"}, "111 555\r\n555 ", 0, hit + " 4\n", {}},
        // a blank result leaves nothing to check (the window's Clear)
        {{"check", "123"}, "", 2, "", {"empty or blank"}},
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
        {{"backtest", "/nonexistent/history.txt"}, "", 2, "", {"cannot open"}},
        {{"backtest", "--summary", {"--format=csv"}},
         "000\n000\n111\n",
         0,
         "draws,tested,hits,hit_rate,expected_hits,chance_rate,excess_hits,z_score,"
         "longest_hit_run,longest_miss_run\n3,1,0,0.000000,0.720,0.720000,-0.720,-1.604,0,1\n",
         {}},
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
