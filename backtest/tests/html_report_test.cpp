// html_report_test.cpp - the page: escaping, periods, chance's runs, thinning, its content.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/html_report.h"
#include "tolvex/tolvex.h"

namespace {

using namespace tolvex::backtest;
using namespace tolvex::history;

std::size_t Count(const std::string& text, const std::string& needle) {
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + 1)) {
        ++n;
    }
    return n;
}

TEST(HtmlEscape, MarkupQuotesAndBadBytesBecomeText) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"<script>alert('x')</script>", "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
        {"A&B \"q\"", "A&amp;B &quot;q&quot;"},
        {"&amp;", "&amp;amp;"},
        {"a\tb\x01\x7f", "a b  "},
        {"\xE7\xA6\x8F\xE5\xBD\xA9", "\xE7\xA6\x8F\xE5\xBD\xA9"},
        {"\xD6\xD0", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // GBK bytes are not UTF-8
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HtmlEscape(c.in), c.out) << c.in;
    }
}

TEST(PeriodOfKey, DatesGiveMonthsIssueNumbersTheirYear) {
    const struct {
        KeyKind kind;
        std::uint64_t key;
        std::uint32_t period;
    } cases[] = {
        {KeyKind::Date, 20260109, 202601},
        {KeyKind::Date, 19991231, 199912},
        {KeyKind::Issue, 2024001, 202400},
        {KeyKind::Issue, 2024000001, 202400},
        {KeyKind::Issue, 202412345678, 202400},
        {KeyKind::Issue, 24001, 0},          // no four-digit year in it
        {KeyKind::Issue, 1000001, 0},        // 1000 is no year of these draws
        {KeyKind::Issue, 2024000000001, 0},  // 13 digits: a counter
        {KeyKind::None, 20260109, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PeriodOfKey(c.kind, c.key), c.period) << c.key;
    }
}

TEST(FormatUtc, CalendarDates) {
    EXPECT_EQ(FormatUtc(0), "1970-01-01 00:00 UTC");
    EXPECT_EQ(FormatUtc(951782400 + 86399), "2000-02-29 23:59 UTC");
    EXPECT_EQ(FormatUtc(1767225600 + 3661), "2026-01-01 01:01 UTC");
}

// Every sequence of n verdicts, weighted by its probability, against the formula.
TEST(ExpectedRuns, AgreesWithEveryShortSequence) {
    for (const double p : {0.28, 0.72}) {
        for (std::uint64_t n = 1; n <= 9; ++n) {
            std::vector<double> runs(n + 2, 0);
            for (std::uint64_t bits = 0; bits < (1u << n); ++bits) {
                double weight = 1;
                for (std::uint64_t i = 0; i < n; ++i) {
                    weight *= (bits >> i & 1) ? p : 1 - p;
                }
                std::uint64_t run = 0;
                for (std::uint64_t i = 0; i <= n; ++i) {
                    if (i < n && (bits >> i & 1)) {
                        ++run;
                    } else if (run > 0) {
                        runs[run] += weight;
                        run = 0;
                    }
                }
            }
            for (std::uint64_t k = 1; k <= n + 1; ++k) {
                EXPECT_NEAR(ExpectedRuns(p, n, k), runs[k], 1e-12) << p << " " << n << " " << k;
            }
        }
    }
}

TEST(ThinnedSeries, KeepsEndsAndExtremesWithinTheBudget) {
    for (const std::uint64_t n : {1u, 7u, 600u, 601u, 250000u}) {
        SCOPED_TRACE(n);
        ThinnedSeries series(n, 600);
        std::uint64_t state = 12345;
        double value = 0, low = 1e300, high = -1e300, first = 0;
        for (std::uint64_t i = 0; i < n; ++i) {
            state = state * 6364136223846793005u + 1442695040888963407u;
            value += (state >> 63) ? 0.28 : -0.72;
            first = i == 0 ? value : first;
            low = std::min(low, value);
            high = std::max(high, value);
            series.Add(value);
        }
        const auto& points = series.points();
        ASSERT_FALSE(points.empty());
        EXPECT_LE(points.size(), std::min<std::uint64_t>(n, 4 * 600));
        EXPECT_EQ(points.front().index, 0u);
        EXPECT_EQ(points.front().value, first);
        EXPECT_EQ(points.back().index, n - 1);
        EXPECT_EQ(points.back().value, value);
        double seen_low = 1e300, seen_high = -1e300;
        for (std::size_t k = 0; k < points.size(); ++k) {
            EXPECT_TRUE(k == 0 || points[k].index > points[k - 1].index);
            seen_low = std::min(seen_low, points[k].value);
            seen_high = std::max(seen_high, points[k].value);
        }
        EXPECT_EQ(seen_low, low);
        EXPECT_EQ(seen_high, high);
        if (n <= 600) {
            EXPECT_EQ(points.size(), n);
        }
    }
}

struct Drawn {
    int number;
    std::string label;
    std::uint64_t key;
};

std::string Page(const std::vector<Drawn>& draws, KeyKind kind, std::uint64_t struck_rows = 100) {
    HistoryInfo info;
    info.name = "h<1>.txt";
    info.layout.key = kind;
    info.draws = draws.size();
    Backtest backtest;
    HtmlReport report(info, draws.size() > 2 ? draws.size() - 2 : 0,
                      {1767225600, "9.9", struck_rows});
    for (std::size_t i = 0; i < draws.size(); ++i) {
        if (const auto t = backtest.Add(draws[i].number)) {
            report.Add(Row{i + 1, draws[i].label, *t}, draws[i].key);
        }
    }
    std::string page;
    report.Write(backtest.summary(), page);
    return page;
}

// The hand-worked history of backtest_test.cpp, dated in January 2026.
std::vector<Drawn> HandWorked(const std::string& label) {
    const int numbers[] = {0, 0, 111, 123, 456, 999, 135, 0, 246, 111, 468};
    std::vector<Drawn> draws;
    for (int i = 0; i < 11; ++i) {
        draws.push_back({numbers[i], label + std::to_string(i + 1), 20260101u + i});
    }
    return draws;
}

TEST(HtmlReport, HandWorkedHistory) {
    const std::string page = Page(HandWorked("d"), KeyKind::Date);
    for (const char* expected : {
             "id=\"chart-excess\"",
             "id=\"chart-rolling\"",
             "id=\"chart-runs\"",
             "h&lt;1&gt;.txt",
             "2026-01-01 00:00 UTC by tolvex-cli 9.9",
             "kept 5 times (55.56%) where chance keeps it 72.16% of the time (6.494 hits "
             "expected): 1.494 hits fewer than chance, z = -1.11, within ordinary chance",
             "<tr class=\"y\"><td "
             "class=\"t\">2026<td>9<td>5<td>55.56%<td>72.16%<td>-1.494<td>-1.11",
             "<tr class=\"m\"><td class=\"t\">2026-01<td>9<td>5<td>55.56%<td>72.16%<td>-1.494",
             "<tr><td>3<td class=\"t\">d3<td>000<td>000<td>111\n",
             "<tr><td>8<td class=\"t\">d8<td>999<td>135<td>000\n",
             "<b id=\"excess-end\">-1.494</b>",
             "<b id=\"band-end\">2.689</b>",
             "1 hit in a row: 2 (chance",
             "3 hits in a row: 1 (chance",
             "2 misses in a row: 1 (chance",
             ">2026-01-03</text>",
             ">2026-01-11</text>",
         }) {
        EXPECT_NE(page.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(Count(page, "<polyline"), 3u);
    EXPECT_EQ(Count(page, "<rect class=\"bh\""), 3u);  // runs of 1 to 3 hits
    EXPECT_EQ(Count(page, "<rect class=\"bm\""), 2u);
    EXPECT_EQ(Count(page, "<tr><td>"), 4u);  // the struck draws
}

TEST(HtmlReport, LabelsStayText) {
    const std::string page = Page(HandWorked("<script>alert(\"&'\")</script>"), KeyKind::None);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_NE(page.find("&lt;script&gt;alert(&quot;&amp;&#39;&quot;)&lt;/script&gt;3"),
              std::string::npos);
}

TEST(HtmlReport, StruckListKeepsTheMostRecent) {
    const std::string page = Page(HandWorked("d"), KeyKind::Date, 2);
    EXPECT_EQ(Count(page, "<tr><td>"), 2u);
    EXPECT_NE(page.find("<tr><td>7<td"), std::string::npos);
    EXPECT_NE(page.find("<tr><td>8<td"), std::string::npos);
    EXPECT_NE(page.find("The 2 most recent are listed"), std::string::npos);
    EXPECT_EQ(Count(Page(HandWorked("d"), KeyKind::Date, 0), "<tr><td>"), 0u);
}

TEST(HtmlReport, VerdictFollowsZ) {
    // Every draw the one the reduction keeps first, or 000, which a pair of 000 never keeps.
    // 40 hits: about 11.1 above the 28.9 chance gives, with a standard deviation of 2.8.
    std::vector<Drawn> hits = {{0, "", 0}, {0, "", 0}}, misses = hits;
    for (int i = 0; i < 40; ++i) {
        const tolvex::KeptNumbers kept(hits[hits.size() - 2].number, hits.back().number);
        int n = 0;
        while (!kept.Keeps(n)) {
            ++n;
        }
        hits.push_back({n, "", 0});
        misses.push_back({0, "", 0});
    }
    const struct {
        const std::vector<Drawn>* draws;
        const char *kind, *words;
    } cases[] = {
        {&hits, "verdict above", "hits more than chance, z = 3."},
        {&misses, "verdict below", "hits fewer than chance, z = -10."},
    };
    for (const auto& c : cases) {
        const std::string page = Page(*c.draws, KeyKind::None);
        EXPECT_NE(page.find(c.kind), std::string::npos) << c.kind;
        EXPECT_NE(page.find(c.words), std::string::npos) << c.words;
    }
    EXPECT_NE(Page({{1, "", 0}, {2, "", 0}}, KeyKind::None).find("nothing was tested"),
              std::string::npos);
}

TEST(HtmlReport, WithoutYearsPeriodsAreStretchesOfDraws) {
    std::vector<Drawn> draws;
    for (int i = 0; i < 47; ++i) {
        draws.push_back({i * 37 % 1000, "", 0});
    }
    const std::string page = Page(draws, KeyKind::Issue);  // issue numbers without a year
    EXPECT_NE(page.find("stretches of 10 tested draws"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"t\">#41&ndash;45 "), std::string::npos);
    EXPECT_EQ(Count(page, "<td class=\"t\">#"), 5u);
}

}  // namespace
