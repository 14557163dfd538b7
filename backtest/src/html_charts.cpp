// html_charts.cpp - the page's charts as inline SVG: excess over chance, rolling rates, runs.
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

std::vector<std::size_t> HtmlReport::ChooseTicks() const {
    const std::size_t candidates = tick_name_.size();
    if (candidates <= 1) {
        return std::vector<std::size_t>(candidates, 0);
    }
    // The most ticks, evenly spread over the candidates, whose names (the first set from its
    // tick on, the last ending at it, the others centred) keep kTickGap apart.
    for (std::size_t n = std::min(kTicks, candidates); n >= 2; --n) {
        std::vector<std::size_t> chosen;
        for (std::size_t k = 0; k < n; ++k) {
            chosen.push_back((k * (candidates - 1) + (n - 1) / 2) / (n - 1));
        }
        double right = -1e9;
        bool fits = true;
        for (std::size_t k = 0; k < n && fits; ++k) {
            const double x = X(tick_index_[chosen[k]], tested_);
            const double w = TickWidth(tick_name_[chosen[k]]);
            const double left = k == 0 ? x : k + 1 == n ? x - w : x - w / 2;
            fits = left >= right + kTickGap || k == 0;
            right = left + w;
        }
        if (fits && right <= kLeft + kPlotWidth + 0.01) {
            return chosen;
        }
    }
    return {0};
}

void HtmlReport::WriteXAxis(std::string& out) const {
    const double bottom = kTop + kPlotHeight;
    out += "<line class=\"axis\" x1=\"" + Coord(kLeft) + "\" x2=\"" + Coord(kLeft + kPlotWidth) +
           "\" y1=\"" + Coord(bottom) + "\" y2=\"" + Coord(bottom) + "\"/>\n";
    const std::vector<std::size_t> ticks = ChooseTicks();
    for (std::size_t k = 0; k < ticks.size(); ++k) {
        const double x = X(tick_index_[ticks[k]], tested_);
        const char* anchor = ticks.size() == 1 && tested_ <= 1 ? "middle"
                             : k == 0                          ? "start"
                             : k + 1 == ticks.size()           ? "end"
                                                               : "middle";
        out += "<line class=\"axis\" x1=\"" + Coord(x) + "\" x2=\"" + Coord(x) + "\" y1=\"" +
               Coord(bottom) + "\" y2=\"" + Coord(bottom + 5) + "\"/><text class=\"tick\" x=\"" +
               Coord(x) + "\" y=\"" + Coord(bottom + 18) + "\" text-anchor=\"" + anchor + "\">" +
               HtmlEscape(tick_name_[ticks[k]]) + "</text>\n";
    }
}

void HtmlReport::WriteExcessChart(std::string& out) {
    const auto& points = excess_.points();
    double lo = 0, hi = 0;
    for (const auto& p : points) {
        lo = std::min(lo, p.value);
        hi = std::max(hi, p.value);
    }
    const double band_end = band_.empty() ? 0 : band_.back().value;
    lo = std::min(lo, -band_end);
    hi = std::max(hi, band_end);
    const double pad = (hi - lo) * 0.05;
    const Axis axis(lo - pad, hi + pad, kTop, kPlotHeight);

    out += "<figure id=\"fig-excess\">\n";
    AppendSvgOpen(out, "chart-excess", "Hits above chance, over time");
    AppendGrid(out, axis, kLeft, kPlotWidth);
    if (!band_.empty()) {
        out += "<polygon class=\"band\" points=\"";
        for (std::size_t k = 0; k < band_.size(); ++k) {
            out += (k == 0 ? "" : " ") + Coord(X(band_[k].index, tested_)) + "," +
                   Coord(axis.Y(band_[k].value));
        }
        for (std::size_t k = band_.size(); k-- > 0;) {
            out += " " + Coord(X(band_[k].index, tested_)) + "," + Coord(axis.Y(-band_[k].value));
        }
        out += "\"/>\n";
    }
    const std::string zero = Coord(axis.Y(0));
    out += "<line class=\"axis\" x1=\"" + Coord(kLeft) + "\" x2=\"" + Coord(kLeft + kPlotWidth) +
           "\" y1=\"" + zero + "\" y2=\"" + zero + "\"/>\n";
    AppendPolyline(out, "excess", points, tested_, axis);
    WriteXAxis(out);
    out +=
        "</svg>\n<figcaption><span class=\"key\"></span> "
        "累计命中减去随机期望 <span class=\"en\">hits minus the hits chance gives (kept/1000 "
        "per tested draw), added up</span>";
    const std::string start = std::to_string(kBandStart);
    if (band_c_) {
        const std::string c = Fixed(*band_c_, 2);
        out += " &nbsp; <span class=\"key band\"></span> 95% 随机带 <span class=\"nw\">±" + c +
               " 个标准差</span> <span class=\"en\">95% chance band, ±" + c +
               " standard deviations from tested draw " + start +
               " on</span>. A history of chance draws stays inside this band over its whole "
               "length 95 times in 100. Staying inside: no sign that the rules do better or "
               "worse than chance. Leaving it above (below): at some point more (fewer) hits "
               "than 95% of chance histories would give. After the last draw: <b "
               "id=\"excess-end\">" +
               Thousandths(excess_e3_) + "</b> hits, the band ±<b id=\"band-end\">" +
               Fixed(band_end, 3) + "</b>.";
    } else {
        out += ". After the last draw: <b id=\"excess-end\">" + Thousandths(excess_e3_) +
               "</b> hits. 不足 " + start +
               " 期，历史太短，没有随机带 <span class=\"en\">Fewer "
               "than " +
               start + " tested draws: the history is too short for the chance band.</span>";
    }
    out += ThinNote(tested_) + "</figcaption>\n</figure>\n";
}

void HtmlReport::WriteRollingChart(const Summary& s, std::string& out) {
    if (tested_ < kShortWindow) {
        out +=
            "<p class=\"note\" id=\"no-rolling\">不足 30 期，没有滚动命中率 Fewer than 30 "
            "tested draws: no rolling hit rate.</p>\n";
        return;
    }
    const double chance = s.ChanceRate().value_or(0) * 100;
    // from the lowest rate, in whole tens, to 100 %
    double low = chance;
    for (auto* series : {&rate30_, &rate100_}) {
        for (const auto& p : series->points()) {
            low = std::min(low, p.value * 100);
        }
    }
    const Axis axis(std::max(0.0, std::floor(low / 10 - 0.5) * 10), 100, kTop, kPlotHeight, 5);
    out += "<figure id=\"fig-rolling\">\n";
    AppendSvgOpen(out, "chart-rolling", "Rolling hit rate");
    AppendGrid(out, axis, kLeft, kPlotWidth, 1, "%");
    AppendPolyline(out, "r30", rate30_.points(), tested_, axis, 100);
    if (tested_ >= kLongWindow) {
        AppendPolyline(out, "r100", rate100_.points(), tested_, axis, 100);
    }
    const std::string y = Coord(axis.Y(chance));
    out += "<line class=\"chance\" x1=\"" + Coord(kLeft) + "\" x2=\"" + Coord(kLeft + kPlotWidth) +
           "\" y1=\"" + y + "\" y2=\"" + y + "\"/>\n";
    WriteXAxis(out);
    out +=
        "</svg>\n<figcaption><span class=\"key r30\"></span> 近 30 期命中率 <span class=\"en\">hit "
        "rate over the last 30 tested draws</span> &nbsp; <span class=\"key\"></span> 近 100 期 "
        "<span class=\"en\">the last 100</span> &nbsp; <span class=\"key chance\"></span> "
        "随机命中率 <span class=\"en\">chance rate</span> <b id=\"chance-rate\">" +
        Percent(s.ChanceRate()) +
        "</b>. Each line starts at the tested draw that has its 30 or 100 draws." +
        ThinNote(tested_) + "</figcaption>\n</figure>\n";
}

void HtmlReport::WriteRunsChart(const Summary& s, std::string& out) const {
    const double p = s.ChanceRate().value_or(0);
    out += "<figure id=\"fig-runs\">\n";
    AppendSvgOpen(out, "chart-runs", "Run lengths of hits and misses");
    struct Panel {
        bool hits;
        double p;
        const char *cls, *zh, *en, *plural;
        double left;
    };
    const Panel panels[] = {
        {true, p, "bh", "连中", "hit", "hits", kLeft},
        {false, 1 - p, "bm", "连错", "miss", "misses", kLeft + kPlotWidth / 2 + 20},
    };
    const double width = kPlotWidth / 2 - 20;
    for (const Panel& panel : panels) {
        const std::vector<std::uint64_t> runs = runs_.Lengths(panel.hits);
        std::size_t longest = runs.empty() ? 0 : runs.size() - 1;
        std::size_t lengths = std::max<std::size_t>(longest, 1);
        while (lengths < kRunLengths && ExpectedRuns(panel.p, tested_, lengths + 1) >= 0.5) {
            ++lengths;
        }
        lengths = std::min(lengths, kRunLengths);
        std::vector<double> seen(lengths, 0), chance(lengths, 0);
        for (std::size_t k = 1; k < runs.size(); ++k) {
            seen[std::min(k, lengths) - 1] += static_cast<double>(runs[k]);
        }
        for (std::uint64_t k = 1; k <= tested_; ++k) {
            const double e = ExpectedRuns(panel.p, tested_, k);
            chance[std::min<std::size_t>(k, lengths) - 1] += e;
            if (k >= lengths && e < 1e-9) {
                break;
            }
        }
        double top = 1;
        for (std::size_t k = 0; k < lengths; ++k) {
            top = std::max({top, seen[k], chance[k]});
        }
        const Axis axis(0, top * 1.05, kTop + 16, kPlotHeight - 16);
        AppendGrid(out, axis, panel.left, width);
        out += "<text x=\"" + Coord(panel.left + width / 2) + "\" y=\"" + Coord(kTop + 4) +
               "\" text-anchor=\"middle\">" + panel.zh + " " + panel.en + " runs</text>\n";
        const double slot = width / static_cast<double>(lengths);
        const std::size_t label_every = lengths <= 12 ? 1 : 2;
        for (std::size_t k = 0; k < lengths; ++k) {
            const double x = panel.left + slot * static_cast<double>(k);
            const bool tail = k + 1 == lengths && lengths == kRunLengths;
            const std::string length = std::to_string(k + 1) + (tail ? "+" : "");
            const double y = axis.Y(seen[k]);
            out += "<rect class=\"" + std::string(panel.cls) + "\" x=\"" + Coord(x + slot * 0.15) +
                   "\" y=\"" + Coord(y) + "\" width=\"" + Coord(slot * 0.7) + "\" height=\"" +
                   Coord(axis.Y(0) - y) + "\"><title>" + length + " " +
                   (k == 0 ? panel.en : panel.plural) + " in a row: " + Fixed(seen[k], 0) +
                   " (chance " + Fixed(chance[k], 2) + ")</title></rect>";
            const std::string yc = Coord(axis.Y(chance[k]));
            out += "<line class=\"mark\" x1=\"" + Coord(x + slot * 0.1) + "\" x2=\"" +
                   Coord(x + slot * 0.9) + "\" y1=\"" + yc + "\" y2=\"" + yc + "\"/>";
            // every length, or every other one and the last, which must not crowd its neighbour
            if (tail || (k % label_every == 0 && (label_every == 1 || k + 2 < lengths))) {
                out += "<text x=\"" + Coord(x + slot / 2) + "\" y=\"" +
                       Coord(kTop + kPlotHeight + 14) + "\" text-anchor=\"middle\">" + length +
                       "</text>";
            }
            out += "\n";
        }
        const std::string base = Coord(axis.Y(0));
        out += "<line class=\"axis\" x1=\"" + Coord(panel.left) + "\" x2=\"" +
               Coord(panel.left + width) + "\" y1=\"" + base + "\" y2=\"" + base + "\"/>\n";
    }
    out += "<text x=\"" + Coord(kLeft + kPlotWidth / 2) + "\" y=\"" + Coord(kHeight - 6) +
           "\" text-anchor=\"middle\">连续期数 run length (draws in a row)</text>\n";
    out +=
        "</svg>\n<figcaption><span class=\"key bh\"></span> 连中 <span class=\"en\">runs of "
        "hits</span> &nbsp; <span class=\"key bm\"></span> 连错 <span class=\"en\">runs of "
        "misses</span> &nbsp; <span class=\"key mark\"></span> 随机给出的次数 <span "
        "class=\"en\">the count chance gives at the chance rate</span>. Longest: <b "
        "id=\"longest-hits\">" +
        std::to_string(s.longest_hit_run) + "</b> hits, <b id=\"longest-misses\">" +
        std::to_string(s.longest_miss_run) + "</b> misses in a row.</figcaption>\n</figure>\n";
}

}  // namespace tolvex::backtest
