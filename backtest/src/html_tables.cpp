// html_tables.cpp - the page's tables: the periods and the draws struck out.
#include "tolvex/backtest/html_report.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "html_parts.h"
#include "tolvex/backtest/band.h"
#include "tolvex/history/decode.h"

namespace tolvex::backtest {

using namespace tolvex::history;
using namespace detail;

void HtmlReport::WritePeriods(std::string& out) const {
    struct PeriodRow {
        const char* cls;
        bool month;
        std::string name;  // HTML
        Summary tally;
    };
    std::vector<PeriodRow> rows;
    const bool by_year = !periods_.empty() && !periods_.contains(0);
    if (by_year) {
        for (auto it = periods_.begin(); it != periods_.end();) {
            const std::uint32_t year = it->first / 100;
            Summary total;
            auto end = it;
            for (; end != periods_.end() && end->first / 100 == year; ++end) {
                total.tested += end->second.tested;
                total.hits += end->second.hits;
                total.kept_sum += end->second.kept_sum;
                total.variance_e6 += end->second.variance_e6;
            }
            rows.push_back({" class=\"y\"", false, std::to_string(year), total});
            for (; it != end; ++it) {
                if (it->first % 100 != 0) {
                    char name[16];
                    std::snprintf(name, sizeof name, "%04u-%02u", year, it->first % 100);
                    rows.push_back({" class=\"m\"", true, name, it->second});
                }
            }
        }
    } else {
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const std::uint64_t first = b * block_size_ + 1;
            const std::uint64_t last = first - 1 + blocks_[b].tally.tested;
            rows.push_back({"", false,
                            "#" + std::to_string(first) + "&ndash;" + std::to_string(last) +
                                " <span class=\"note\">" + HtmlEscape(blocks_[b].first) +
                                " &ndash; " + HtmlEscape(blocks_[b].last) + "</span>",
                            blocks_[b].tally});
        }
    }

    // Every row with a z is one more period compared: a period stands out only past the
    // threshold that allows for all of them.
    const std::size_t compared = static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [](const PeriodRow& r) { return r.tally.ZScore().has_value(); }));
    const double threshold = BonferroniZ(compared);
    std::size_t outside = 0, marked = 0;
    out +=
        "<div class=\"wide\"><table class=\"num\" id=\"periods\"><thead><tr><th class=\"t\">期间 "
        "<span "
        "class=\"en\">Period</span><th>测试 <span class=\"en\">Tested</span><th>命中 <span "
        "class=\"en\">Hits</span><th>命中率 <span class=\"en\">Hit rate</span><th>随机 <span "
        "class=\"en\">Chance rate</span><th>多于随机 "
        "<span class=\"en\">Excess hits</span><th>z</thead><tbody>\n";
    for (const PeriodRow& r : rows) {
        const Summary& t = r.tally;
        const auto z = t.ZScore();
        outside += z && std::abs(*z) > 2 ? 1 : 0;
        const bool stands_out = z && std::abs(*z) > threshold;
        marked += stands_out ? 1 : 0;
        out += std::string("<tr") + r.cls + "><td class=\"t\">" + r.name + "<td>" +
               std::to_string(t.tested) + "<td>" + std::to_string(t.hits) + "<td>" +
               Percent(t.HitRate()) + "<td>" + Percent(t.ChanceRate()) + "<td>" +
               Thousandths(t.ExcessThousandths()) +
               (stands_out ? std::string("<td class=\"out\">") + (*z > 0 ? "▲ " : "▼ ")
                           : std::string("<td>")) +
               ZText(t) + "\n";
    }
    out += "</tbody></table></div>\n";
    out += by_year
               ? "<p class=\"note\">Each draw counts in the period of its own label.</p>\n"
               : "<p class=\"note\">The labels give no years, so the periods are stretches of " +
                     std::to_string(block_size_) + " tested draws (#1 is the third draw).</p>\n";
    if (compared == 0) {
        return;
    }
    const std::string m = std::to_string(compared);
    const bool months =
        std::any_of(rows.begin(), rows.end(), [](const PeriodRow& r) { return r.month; });
    out += "<p class=\"note\" id=\"periods-chance\">比较了 " + m + " 个期间" +
           (months ? "（年与月各算一个）" : "") + "：单凭随机，约 " +
           Fixed(compared * OutsideTwoSigma(), 1) +
           " 个会落在 <span class=\"nw\">±2 个标准差</span>之外，这里有 " +
           std::to_string(outside) + " 个。只有 |z| &gt; " + Fixed(threshold, 2) +
           " 的期间才标出 ▲▼。<br>" + m +
           (compared == 1 ? " period compared" : " periods compared") +
           (months ? " (years and months each count)" : "") + ": chance alone puts about " +
           Fixed(compared * OutsideTwoSigma(), 1) + " of them outside ±2 standard deviations (" +
           Fixed(OutsideTwoSigma() * 100, 2) + "% each); here " + std::to_string(outside) +
           (outside == 1 ? " is" : " are") + ". A period is marked ▲ or ▼ only when |z| &gt; " +
           Fixed(threshold, 2) + ", the threshold that allows for the " + m +
           " periods compared (Bonferroni: 5% for the table as a whole); " +
           (marked == 0 ? std::string("none is.")
                        : std::to_string(marked) + (marked == 1 ? " is." : " are.")) +
           "</p>\n";
}

void HtmlReport::WriteStruck(const Summary& s, std::string& out) const {
    const std::uint64_t misses = s.misses();
    out += "<p id=\"struck-count\"><b>" + std::to_string(misses) + "</b> of " +
           std::to_string(s.tested) + " tested draws were struck out (" +
           Percent(s.tested ? std::optional<double>(static_cast<double>(misses) /
                                                    static_cast<double>(s.tested))
                            : std::nullopt) +
           "); chance strikes out " +
           Percent(s.ChanceRate() ? std::optional<double>(1 - *s.ChanceRate()) : std::nullopt) +
           ".";
    if (struck_.size() < misses) {
        out += struck_.empty() ? " They are not listed here (--summary, or --struck-rows 0);"
                               : " The " + std::to_string(struck_.size()) +
                                     " most recent are listed here, newest first (--struck-rows);";
        out += " <code>tolvex-cli backtest --format csv</code> lists every tested draw.";
    } else if (!struck_.empty()) {
        out += " They are listed here, newest first.";
    }
    out += "</p>\n";
    if (struck_.empty()) {
        return;
    }
    out +=
        "<div class=\"scroll\"><table class=\"num\" id=\"struck\"><thead><tr><th>行 <span "
        "class=\"en\">Line</span><th class=\"t\">标签 <span class=\"en\">Label</span><th>前两期 "
        "<span class=\"en\">Previous</span><th>上一期 <span class=\"en\">Last</span><th>开奖号 "
        "<span class=\"en\">Draw</span></thead><tbody>\n";
    for (auto it = struck_.rbegin(); it != struck_.rend(); ++it) {  // the newest first
        const Struck& r = *it;
        out += "<tr><td>";
        AppendUint(out, r.line);
        out += "<td class=\"t\">";
        out += HtmlEscape(r.label);
        out += "<td>";
        AppendThree(out, r.previous);
        out += "<td>";
        AppendThree(out, r.last);
        out += "<td>";
        AppendThree(out, r.draw);
        out += '\n';
    }
    out += "</tbody></table></div>\n";
}

}  // namespace tolvex::backtest
