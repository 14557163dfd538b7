// html_report_test.cpp - the page: escaping, periods, chance's runs, thinning, its content.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/band.h"
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
        {"a\tb\x01\x7f", "a b\xEF\xBF\xBD\xEF\xBF\xBD"},
        {std::string("a\0b\xC2\x80", 5),
         "a\xEF\xBF\xBD"
         "b\xEF\xBF\xBD"},  // NUL, C1
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

std::string Page(const std::vector<Drawn>& draws, KeyKind kind, std::uint64_t struck_rows = 100,
                 Delimiter delimiter = Delimiter::Blanks) {
    HistoryInfo info;
    info.name = "h<1>.txt";
    info.layout.key = kind;
    info.layout.delimiter = delimiter;
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
             "id=\"chart-runs\"",
             "h&lt;1&gt;.txt",
             "2026-01-01 00:00 UTC by tolvex-cli 9.9",
             "kept 5 times (55.56%) where chance keeps it 72.16% of the time (6.494 hits "
             "expected): 1.494 hits fewer than chance, z = -1.11. Fewer than 30 tested draws: "
             "the history is too short for the chance band",
             "<tr class=\"y\"><td "
             "class=\"t\">2026<td>9<td>5<td>55.56%<td>72.16%<td>-1.494<td>-1.11",
             "<tr class=\"m\"><td class=\"t\">2026-01<td>9<td>5<td>55.56%<td>72.16%<td>-1.494",
             "<tr><td>3<td class=\"t\">d3<td>000<td>000<td>111\n",
             "<tr><td>8<td class=\"t\">d8<td>999<td>135<td>000\n",
             "<b id=\"excess-end\">-1.494</b>",
             "the history is too short for the chance band.</span>",
             "id=\"no-rolling\"",
             "1 hit in a row: 2 (chance",
             "3 hits in a row: 1 (chance",
             "2 misses in a row: 1 (chance",
             ">2026-01-03</text>",
             ">2026-01-11</text>",
         }) {
        EXPECT_NE(page.find(expected), std::string::npos) << expected;
    }
    EXPECT_EQ(Count(page, "<polyline"), 1u);  // no band, no rolling rates under 30 draws
    EXPECT_EQ(Count(page, "class=\"band\""), 0u);
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
    // the struck draws of lines 7 and 8, the newest first
    EXPECT_LT(page.find("<tr><td>8<td"), page.find("<tr><td>7<td"));
    EXPECT_NE(page.find("<tr><td>7<td"), std::string::npos);
    EXPECT_NE(page.find("The 2 most recent are listed"), std::string::npos);
    EXPECT_EQ(Count(Page(HandWorked("d"), KeyKind::Date, 0), "<tr><td>"), 0u);
    const std::string all = Page(HandWorked("d"), KeyKind::Date);
    EXPECT_LT(all.find("<tr><td>8<td"), all.find("<tr><td>7<td"));
    EXPECT_LT(all.find("<tr><td>7<td"), all.find("<tr><td>3<td"));
    EXPECT_NE(all.find("listed here, newest first"), std::string::npos);
}

// `count` draws after the given ones, each kept (Hit), struck (Miss), or kept while the hits
// are fewer than chance expects (Even), labelled by `label(i)`.
enum class Steer { Hit, Miss, Even };
template <class Label>
void Append(std::vector<Drawn>& draws, std::size_t count, Steer steer, Label label) {
    if (draws.empty()) {
        draws = {{456, "", 0}, {123, "", 0}};
    }
    double excess = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const tolvex::KeptNumbers kept(draws[draws.size() - 2].number, draws.back().number);
        const bool hit = steer == Steer::Hit || (steer == Steer::Even && excess < 0);
        int n = 0;
        while (kept.Keeps(n) != hit) {
            ++n;
        }
        excess += (hit ? 1 : 0) - kept.count() / 1000.0;
        const auto [text, key] = label(draws.size());
        draws.push_back({n, text, key});
    }
}

std::pair<std::string, std::uint64_t> NoLabel(std::size_t) {
    return {"", 0};
}

TEST(HtmlReport, VerdictFollowsTheBand) {
    const auto steered = [](std::vector<std::pair<std::size_t, Steer>> parts) {
        std::vector<Drawn> draws;
        for (const auto& [count, steer] : parts) {
            Append(draws, count, steer, NoLabel);
        }
        return draws;
    };
    const struct {
        std::vector<Drawn> draws;
        const char *kind, *words;
    } cases[] = {
        {steered({{40, Steer::Hit}}), "verdict above",
         "hits more than chance, z = 3.93. The running excess left the 95% chance band above: at "
         "some point more hits than 95% of chance histories would give."},
        {steered({{40, Steer::Miss}}), "verdict below",
         "hits fewer than chance, z = -10.15. The running excess left the 95% chance band below"},
        {steered({{300, Steer::Hit}, {700, Steer::Miss}}), "verdict mixed",
         "left the 95% chance band above and below"},
        {steered({{1000, Steer::Even}}), "verdict within",
         "The running excess stayed inside the 95% chance band over the whole history: no sign "
         "that the rules do better or worse than chance."},
        {steered({{29, Steer::Hit}}), "verdict within",
         "Fewer than 30 tested draws: the history is too short for the chance band"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.draws.size());
        const std::string page = Page(c.draws, KeyKind::None);
        EXPECT_NE(page.find(c.kind), std::string::npos) << c.kind;
        EXPECT_NE(page.find(c.words), std::string::npos) << c.words;
        EXPECT_EQ(page.find("within ordinary chance variation"), std::string::npos);
        // The band is drawn from the 30th tested draw on, when there is one.
        EXPECT_EQ(Count(page, "<polygon class=\"band\""), c.draws.size() >= 32 ? 1u : 0u);
    }
    EXPECT_NE(Page({{1, "", 0}, {2, "", 0}}, KeyKind::None).find("nothing was tested"),
              std::string::npos);
}

// 标准差 (standard deviation) is one word: the page keeps it on one line wherever it stands.
TEST(HtmlReport, StandardDeviationStaysOnOneLine) {
    std::vector<Drawn> draws;
    Append(draws, 400, Steer::Even, [](std::size_t i) {
        return std::pair<std::string, std::uint64_t>{"", 20240101 + i / 28 * 100 + i % 28};
    });
    const std::string page = Page(draws, KeyKind::Date);
    std::size_t seen = 0;
    for (std::size_t at = page.find("标准差"); at != std::string::npos;
         at = page.find("标准差", at + 1), ++seen) {
        const std::size_t span = page.rfind("<span", at);
        ASSERT_NE(span, std::string::npos);
        const std::string nowrap = "<span class=\"nw\">";
        EXPECT_EQ(page.compare(span, nowrap.size(), nowrap), 0) << page.substr(span, 60);
        EXPECT_LT(at, page.find("</span>", span));
    }
    EXPECT_EQ(seen, 2u);  // the band's legend and the periods' note
}

TEST(BonferroniZ, AllowsForThePeriodsCompared) {
    const struct {
        std::size_t periods;
        double z;
    } cases[] = {{1, 1.960}, {2, 2.241}, {20, 3.023}, {260, 3.729}, {100000, 5.026}};
    for (const auto& c : cases) {
        EXPECT_NEAR(BonferroniZ(c.periods), c.z, 0.001) << c.periods;
    }
    EXPECT_NEAR(OutsideTwoSigma(), 0.0455, 0.0001);
}

TEST(HtmlReport, OnlyAPeriodPastTheThresholdStandsOut) {
    // 20 years of 100 draws, kept as often as chance keeps them, but for one year all kept
    // (z about 6) and one 40 times in a row (z about 2.4, which 20 years give by chance).
    std::vector<Drawn> draws;
    for (std::uint64_t year = 2001; year <= 2020; ++year) {
        const auto issue = [year](std::size_t i) {
            return std::pair<std::string, std::uint64_t>{"", year * 1000 + i % 1000};
        };
        if (year == 2007) {
            Append(draws, 100, Steer::Hit, issue);
        } else {
            Append(draws, year == 2013 ? 60 : 100, Steer::Even, issue);
        }
        if (year == 2013) {
            Append(draws, 40, Steer::Hit, issue);
        }
    }
    const std::string page = Page(draws, KeyKind::Issue);
    EXPECT_EQ(Count(page, "<tr class=\"y\">"), 20u);
    EXPECT_EQ(Count(page, "<td class=\"out\">"), 1u);
    EXPECT_NE(
        page.find("2007<td>100<td>100<td>100.00%<td>72.10%<td>27.900<td class=\"out\">▲ 6.22"),
        std::string::npos);
    EXPECT_NE(page.find("2013<td>100<td>83<td>83.00%<td>72.09%<td>10.907<td>2.43"),
              std::string::npos);
    EXPECT_NE(page.find("20 periods compared: chance alone puts about 0.9 of them outside ±2 "
                        "standard deviations (4.55% each)"),
              std::string::npos);
    EXPECT_NE(page.find("here 2 are. A period is marked ▲ or ▼ only when |z| &gt; 3.02"),
              std::string::npos);
}

TEST(HtmlReport, DatesInLabelsGiveMonthsAndAxisNames) {
    // The usual export: 期号,开奖日期,... with the issue number as the key and the date beside it.
    std::vector<Drawn> draws;
    const auto label = [](std::size_t i) {
        char text[64];
        std::snprintf(text, sizeof text, "2005%03u,2005-%02u-%02u",
                      static_cast<unsigned>(i + 1) % 1000, static_cast<unsigned>(i / 28 + 1) % 100,
                      static_cast<unsigned>(i % 28 + 1));
        return std::pair<std::string, std::uint64_t>{text, 2005001 + i};
    };
    Append(draws, 110, Steer::Even, label);  // the first two draws have no label
    const std::string page = Page(draws, KeyKind::Issue, 100, Delimiter::Comma);
    EXPECT_EQ(Count(page, "<tr class=\"y\">"), 1u);
    EXPECT_EQ(Count(page, "<tr class=\"m\">"), 4u);  // 28 days a month here
    EXPECT_NE(page.find(">2005-04<td>28<td>"), std::string::npos);
    EXPECT_NE(page.find(">2005-01-03</text>"), std::string::npos);
    EXPECT_NE(page.find(">2005-04-28</text>"), std::string::npos);
    // The axes never show a raw label.
    std::size_t ticks = 0;
    for (std::size_t at = page.find("class=\"tick\""); at != std::string::npos;
         at = page.find("class=\"tick\"", at + 1), ++ticks) {
        const std::string tick = page.substr(at, page.find("</text>", at) - at);
        EXPECT_EQ(tick.find(','), std::string::npos) << tick;
    }
    EXPECT_EQ(ticks, 12u);  // six on each time axis

    // Without the date, the issue numbers name the draws.
    std::vector<Drawn> issues;
    Append(issues, 112, Steer::Even, [](std::size_t i) {
        return std::pair<std::string, std::uint64_t>{std::to_string(2005001 + i) + ",x",
                                                     2005001 + i};
    });
    const std::string by_issue = Page(issues, KeyKind::Issue, 100, Delimiter::Comma);
    EXPECT_NE(
        by_issue.find("class=\"tick\" x=\"62.0\" y=\"228.0\" text-anchor=\"start\">2005003</text>"),
        std::string::npos);
    EXPECT_EQ(Count(by_issue, "<tr class=\"m\">"), 0u);
}

TEST(HtmlReport, RollingRatesStartWithTheirWindow) {
    std::vector<Drawn> draws;
    Append(draws, 150, Steer::Even, NoLabel);
    const std::string page = Page(draws, KeyKind::None);
    // x of tested draw i of 150: 62 + i * 600 / 149
    EXPECT_NE(page.find("<polyline class=\"r30\" points=\"178.8,"), std::string::npos);
    EXPECT_NE(page.find("<polyline class=\"r100\" points=\"460.7,"), std::string::npos);
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
