// html_report.cpp - the HTML backtest page (inline CSS and SVG, no script): its header, verdict and
// order, and the thinned series behind the charts.
#include "tolvex/backtest/html_report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "html_parts.h"
#include "tolvex/backtest/band.h"
#include "tolvex/history/decode.h"
#include "tolvex/history/description.h"
#include "tolvex/history/words.h"

namespace tolvex::backtest {

using namespace tolvex::history;
using namespace detail;

namespace {

constexpr std::string_view kStyle = R"(<style>
body{font-family:"Microsoft YaHei","PingFang SC","Noto Sans CJK SC","WenQuanYi Micro Hei",SimSun,Arial,sans-serif;font-size:14px;line-height:1.45;color:#222;background:#fff;max-width:700px;margin:0 auto;padding:10px 14px;-webkit-print-color-adjust:exact;print-color-adjust:exact}
h1{font-size:22px;margin:6px 0 10px}
h2{font-size:17px;margin:24px 0 8px;padding-bottom:2px;border-bottom:1px solid #ccc}
.en{color:#555}
table{border-collapse:collapse}
th,td{padding:2px 8px;border-bottom:1px solid #e6e6e6;text-align:right;white-space:nowrap}
th{background:#f0f0f0;font-weight:bold;vertical-align:bottom}
td.t,th.t{text-align:left;white-space:normal}
.about th{text-align:left;width:10em}
.about{table-layout:fixed;width:100%}
.about td{text-align:left;white-space:normal;word-wrap:break-word;overflow-wrap:anywhere}
.num td{font-family:Consolas,"DejaVu Sans Mono","Courier New",monospace}
.num td.t{font-family:inherit}
tbody tr:nth-child(even){background:#f8f8f8}
tr.y td{font-weight:bold;border-top:1px solid #bbb}
tr.m td.t{padding-left:22px}
tr.y td.t,tr.m td.t{white-space:nowrap}
.verdict{margin:14px 0;padding:8px 12px;background:#f5f5f5;border-left:6px solid #888}
.verdict p{margin:4px 0}
.verdict.above{border-left-color:#2a7d2a}
.verdict.below{border-left-color:#b03030}
.verdict.mixed{border-left-color:#c08020}
figure{margin:8px 0 4px;page-break-inside:avoid}
figcaption{font-size:13px;color:#444;margin-top:2px}
.key{display:inline-block;width:18px;height:0;vertical-align:middle;border-top:3px solid #1f5fa8}
.key.band{height:6px;border:3px solid #dfe6ee;background:#dfe6ee}
.key.r30{border-top-color:#9cc3e6}
.key.chance{border-top:2px dashed #c0392b}
.key.bh{height:8px;border:0;background:#6a9fd4}
.key.bm{height:8px;border:0;background:#e0a060}
.key.mark{border-top:2px solid #222}
.chart{display:block;margin:0 auto;max-width:100%;height:auto}
.nw{white-space:nowrap}
.wide{overflow-x:auto}
.scroll table{width:100%}
td.out{font-weight:bold;color:#8a1c1c}
.chart text{font-size:11px;fill:#444}
.chart .grid{stroke:#e4e4e4;stroke-width:1}
.chart .axis{stroke:#777;stroke-width:1}
.chart .band{fill:#dfe6ee;stroke:none}
.chart .excess{fill:none;stroke:#1f5fa8;stroke-width:1.6}
.chart .r30{fill:none;stroke:#9cc3e6;stroke-width:1}
.chart .r100{fill:none;stroke:#1f5fa8;stroke-width:1.6}
.chart .chance{fill:none;stroke:#c0392b;stroke-width:1.4;stroke-dasharray:5,3}
.chart .bh{fill:#6a9fd4}
.chart .bm{fill:#e0a060}
.chart .mark{stroke:#222;stroke-width:2}
.scroll{max-height:520px;overflow:auto;border:1px solid #ddd}
.scroll th{position:-webkit-sticky;position:sticky;top:0}
.note{font-size:13px;color:#555}
footer{margin-top:28px;font-size:12px;color:#777}
@page{size:A4;margin:12mm}
@media print{body{max-width:none;padding:0}.scroll{max-height:none;overflow:visible;border:0}thead{display:table-header-group}tr{page-break-inside:avoid}h2{page-break-after:avoid}}
</style>
)";

std::string Times(std::uint64_t n) {
    return history::Plural(n, "time", "times");
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    history::ForEachCharacter(text, [&out](std::string_view c) {
        if (c == "&") {
            out += "&amp;";
        } else if (c == "<") {
            out += "&lt;";
        } else if (c == ">") {
            out += "&gt;";
        } else if (c == "\"") {
            out += "&quot;";
        } else if (c == "'") {
            out += "&#39;";
        } else if (c == "\t") {
            out += ' ';
        } else if (const auto control = ControlReplacement(c)) {
            out += *control;
        } else {
            out += c;
        }
    });
    return out;
}

std::uint32_t PeriodOfKey(KeyKind kind, std::uint64_t key) {
    if (kind == KeyKind::Date) {
        const auto year = static_cast<std::uint32_t>(key / 10000);
        const auto month = static_cast<std::uint32_t>(key / 100 % 100);
        return year > 0 && year <= 9999 && month >= 1 && month <= 12 ? year * 100 + month : 0;
    }
    if (kind != KeyKind::Issue) {
        return 0;
    }
    int digits = 0;
    for (std::uint64_t k = key; k > 0; k /= 10) {
        ++digits;
    }
    if (digits < 7 || digits > 12) {
        return 0;
    }
    std::uint64_t year = key;
    for (int i = 4; i < digits; ++i) {
        year /= 10;
    }
    return year >= 1990 && year <= 2099 ? static_cast<std::uint32_t>(year) * 100 : 0;
}

std::string FormatUtc(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds t{std::chrono::seconds{seconds}};
    const auto day = floor<days>(t);
    const year_month_day date{day};
    const hh_mm_ss<std::chrono::seconds> time{t - day};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d UTC", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
    return text;
}

double ExpectedRuns(double p, std::uint64_t n, std::uint64_t length) {
    if (length == 0 || length > n) {
        return 0;
    }
    const double run = std::pow(p, static_cast<double>(length));
    if (length == n) {
        return run;
    }
    // A run at either end has one neighbour that must differ, one inside has two.
    const double q = 1 - p;
    return run * (2 * q + static_cast<double>(n - length - 1) * q * q);
}

ThinnedSeries::ThinnedSeries(std::uint64_t count, std::size_t buckets, std::uint64_t first)
    : count_(count), buckets_(std::max<std::size_t>(buckets, 1)), next_(first) {}

void ThinnedSeries::Add(double value) {
    const std::uint64_t i = next_++;
    const auto bucket =
        count_ == 0 ? 0 : static_cast<std::size_t>(i / ((count_ + buckets_ - 1) / buckets_));
    if (open_ && bucket != bucket_) {
        Close();
    }
    const Point p{i, value};
    if (!open_) {
        open_ = true;
        bucket_ = bucket;
        first_ = low_ = high_ = p;
    }
    if (value < low_.value) {
        low_ = p;
    }
    if (value > high_.value) {
        high_ = p;
    }
    last_ = p;
}

void ThinnedSeries::Close() {
    if (!open_) {
        return;
    }
    // The bucket's first and last value join it to its neighbours; its lowest and highest keep
    // the swings that a pixel column would show.
    Point kept[4] = {first_, low_, high_, last_};
    std::sort(kept, kept + 4, [](const Point& a, const Point& b) { return a.index < b.index; });
    for (std::size_t k = 0; k < 4; ++k) {
        if (k == 0 || kept[k].index != kept[k - 1].index) {
            points_.push_back(kept[k]);
        }
    }
    open_ = false;
}

const std::vector<ThinnedSeries::Point>& ThinnedSeries::points() {
    Close();
    return points_;
}

HtmlReport::HtmlReport(const HistoryInfo& info, std::uint64_t tested, HtmlOptions options)
    : info_(info),
      options_(std::move(options)),
      tested_(tested),
      excess_(tested, kBuckets),
      band_c_(BandConstant(tested)),
      rate30_(tested, kBuckets, kShortWindow - 1),
      rate100_(tested, kBuckets, kLongWindow - 1) {
    // the smallest of 10, 20, 50, 100, 200, 500, ... that gives at most kBlocks blocks
    for (std::uint64_t scale = 1;; scale *= 10) {
        const std::uint64_t sizes[] = {10 * scale, 20 * scale, 50 * scale};
        const auto fits = std::find_if(std::begin(sizes), std::end(sizes), [&](std::uint64_t s) {
            return (tested + s - 1) / s <= kBlocks;
        });
        if (fits != std::end(sizes)) {
            block_size_ = *fits;
            break;
        }
    }
    const std::uint64_t ticks = std::min<std::uint64_t>(tested, kTickCandidates);
    for (std::uint64_t k = 0; k < ticks; ++k) {
        const std::uint64_t i = ticks == 1 ? 0 : (k * (tested - 1) + (ticks - 1) / 2) / (ticks - 1);
        if (tick_index_.empty() || tick_index_.back() != i) {
            tick_index_.push_back(i);
        }
    }
}

std::uint64_t HtmlReport::LabelDate(const Row& row, std::uint64_t key) {
    if (info_.layout.key == KeyKind::Date) {
        return key;
    }
    if (date_field_ == kNoDate || row.label.empty()) {
        return 0;
    }
    // The first label tells which of its fields holds a date, if any (as 期号, 开奖日期 do).
    SplitFields(row.label, info_.layout.delimiter, fields_);
    if (date_field_ == kDateUnknown) {
        date_field_ = kNoDate;
        for (std::size_t f = 0; f < fields_.size(); ++f) {
            if (DateKey(FieldValue(row.label, fields_[f]))) {
                date_field_ = static_cast<int>(f);
                break;
            }
        }
        if (date_field_ == kNoDate) {
            return 0;
        }
    }
    const auto f = static_cast<std::size_t>(date_field_);
    return f < fields_.size() ? DateKey(FieldValue(row.label, fields_[f])).value_or(0) : 0;
}

std::string HtmlReport::DrawName(const Row& row, std::uint64_t key, std::uint64_t date) const {
    if (date > 0) {
        char text[16];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(date / 10000),
                      static_cast<unsigned>(date / 100 % 100), static_cast<unsigned>(date % 100));
        return text;
    }
    if (info_.layout.key == KeyKind::Issue && key > 0) {
        return std::to_string(key);
    }
    return "line " + std::to_string(row.line);
}

void HtmlReport::Add(const Row& row, std::uint64_t key) {
    const TestedDraw& t = row.test;
    const std::uint64_t i = index_++;
    const auto kept = static_cast<std::uint64_t>(t.kept);

    excess_e3_ += (t.hit ? 1000 : 0) - static_cast<std::int64_t>(kept);
    variance_e6_ += VarianceE6(t.kept);
    excess_.Add(static_cast<double>(excess_e3_) / 1000.0);
    const std::uint64_t step = (tested_ + kBuckets - 1) / kBuckets;
    if (band_c_ && i + 1 >= kBandStart &&
        (i + 1 == kBandStart || (i + 1) % step == 0 || i + 1 == tested_)) {
        band_.push_back({i, *band_c_ * std::sqrt(static_cast<double>(variance_e6_)) / 1000.0});
    }

    // Rates over the last 30 and 100 verdicts, from the first draw that has so many before it.
    bool& slot = window_[i % kLongWindow];
    if (i >= kLongWindow && slot) {
        --in100_;
    }
    if (i >= kShortWindow && window_[(i - kShortWindow) % kLongWindow]) {
        --in30_;
    }
    slot = t.hit;
    in30_ += t.hit;
    in100_ += t.hit;
    if (i + 1 >= kShortWindow) {
        rate30_.Add(static_cast<double>(in30_) / kShortWindow);
    }
    if (i + 1 >= kLongWindow) {
        rate100_.Add(static_cast<double>(in100_) / kLongWindow);
    }

    runs_.Add(t.hit);

    const std::uint64_t date = LabelDate(row, key);
    const std::uint32_t period =
        date > 0 ? PeriodOfKey(KeyKind::Date, date) : PeriodOfKey(info_.layout.key, key);
    if (period != last_period_ || period_ == nullptr) {
        period_ = &periods_[period];
        last_period_ = period;
    }
    const std::size_t b = static_cast<std::size_t>(i / block_size_);
    if (blocks_.size() <= b) {
        blocks_.resize(b + 1);
        blocks_[b].first = DrawName(row, key, date);
    }
    if (i + 1 == tested_ || (i + 1) % block_size_ == 0) {
        blocks_[b].last = DrawName(row, key, date);
    }
    for (Summary* tally : {period_, &blocks_[b].tally}) {
        tally->Count(t.kept, t.hit);
    }

    if (tick_name_.size() < tick_index_.size() && tick_index_[tick_name_.size()] == i) {
        tick_name_.push_back(DrawName(row, key, date));
    }

    if (!t.hit && options_.struck_rows > 0) {
        if (struck_.size() == options_.struck_rows) {
            struck_.pop_front();
        }
        struck_.push_back({row.line, TextLabel(row.label), t.previous, t.last, t.draw});
    }
}

void HtmlReport::WriteHeader(std::string& out) const {
    const auto row = [&out](std::string_view zh, std::string_view en, const std::string& value) {
        out += "<tr><th>" + std::string(zh) + " <span class=\"en\">" + std::string(en) +
               "</span><td>" + value + "\n";
    };
    out += "<table class=\"about\" id=\"reading\"><tbody>\n";
    row("文件", "File", HtmlEscape(info_.name));

    row("编码", "Encoding", HtmlEscape(EncodingText(info_)));

    const Layout& layout = info_.layout;
    std::string column = ColumnList(layout.draws);
    if (layout.draws.empty()) {
        column = "none";
    } else {
        column += ", " + std::string(DelimiterName(layout.delimiter)) + " between fields (" +
                  layout.chosen_by + ")";
    }
    row("号码列", "Draw column", HtmlEscape(column));

    const bool newest = info_.order == Order::NewestFirst;
    row("顺序", "Order", HtmlEscape((newest ? "从新到旧 " : "从旧到新 ") + OrderText(info_)));

    std::string draws = Plural(info_.draws, "draw", "draws") + " from " +
                        Plural(info_.data_lines, "line", "lines") + ", " + std::to_string(tested_) +
                        " tested (each from the third on)";
    if (info_.skipped_invalid > 0) {
        draws += "; " + Plural(info_.skipped_invalid, "line", "lines") +
                 " that did not fit skipped (--skip-invalid)";
    }
    if (const std::string skipped = SkippedLines(info_); !skipped.empty()) {
        draws += "; " + skipped;
    }
    if (info_.padded > 0) {
        draws += "; " + std::to_string(info_.padded) + (info_.padded == 1 ? " draw" : " draws") +
                 " without leading zeros read as three digits (42: 042)";
    }
    row("期数", "Draws", HtmlEscape(draws));

    const auto shown = [](const ShownDraw& d) {
        std::string s = "line " + std::to_string(d.line) + ": <b>";
        AppendThree(s, d.number);
        s += "</b>";
        if (!d.label.empty()) {
            s += " &nbsp;" + HtmlEscape(TextLabel(d.label));
        }
        return s;
    };
    if (!info_.oldest.empty()) {
        row("最早一期", "First draw", shown(info_.oldest.front()));
        row("最新一期", "Last draw", shown(info_.newest.back()));
    }
    row("生成", "Made",
        HtmlEscape(FormatUtc(options_.made_at) + " by " + options_.program + " " +
                   options_.version));
    out += "</tbody></table>\n";
}

void HtmlReport::WriteVerdict(const Summary& s, std::string& out) const {
    if (s.tested == 0) {
        out +=
            "<div class=\"verdict\" id=\"verdict\"><p "
            "lang=\"zh-CN\">不足三期开奖，没有可回测的期。</p>"
            "<p lang=\"en\">Fewer than three draws: nothing was tested.</p></div>\n";
        return;
    }
    const double z = *s.ZScore();
    const std::int64_t excess = s.ExcessThousandths();
    const std::string amount = Thousandths(excess < 0 ? -excess : excess);
    const std::string hit_rate = Percent(s.HitRate()), chance_rate = Percent(s.ChanceRate());
    const std::string expected = Thousandths(static_cast<std::int64_t>(s.kept_sum));
    const BandResult band = CheckBand(s);
    const char* kind = band == BandResult::Above           ? "above"
                       : band == BandResult::Below         ? "below"
                       : band == BandResult::AboveAndBelow ? "mixed"
                                                           : "within";

    std::string zh = "回测 " + std::to_string(s.tested) + " 期，下一期开奖号被保留 " +
                     std::to_string(s.hits) + " 次（命中率 " + hit_rate + "），随机命中率为 " +
                     chance_rate + "（期望 " + expected + " 次），";
    if (excess == 0) {
        zh += "与随机相同";
    } else {
        zh += (excess > 0 ? "比随机多 " : "比随机少 ") + amount + " 次";
    }
    zh += "，z = " + Fixed(z, 2) + "。";
    switch (band) {
        case BandResult::TooShort:
            zh += "回测不足 " + std::to_string(kBandStart) +
                  " 期：历史太短，没有整段历史的随机带，看不出此方法好于或差于随机。";
            break;
        case BandResult::Inside:
            zh += "累计命中始终在 95% 随机带之内：看不出此方法好于或差于随机。";
            break;
        case BandResult::Above:
            zh += "累计命中曾高出 95% 随机带：某一时刻的命中多于 95% 的随机历史所能给出的。";
            break;
        case BandResult::Below:
            zh += "累计命中曾低于 95% 随机带：某一时刻的命中少于 95% 的随机历史所能给出的。";
            break;
        case BandResult::AboveAndBelow:
            zh +=
                "累计命中曾高出、也曾低于 95% 随机带：某一时刻多于、另一时刻少于 95% "
                "的随机历史所能给出的。";
            break;
    }

    std::string en = "Over " + std::to_string(s.tested) + " tested draws the next draw was kept " +
                     Times(s.hits) + " (" + hit_rate + ") where chance keeps it " + chance_rate +
                     " of the time (" + expected + " hits expected): ";
    if (excess == 0) {
        en += "exactly as many hits as chance gives";
    } else {
        en += amount + (excess > 0 ? " hits more" : " hits fewer") + " than chance";
    }
    en += ", z = " + Fixed(z, 2) + ". ";
    switch (band) {
        case BandResult::TooShort:
            en += "Fewer than " + std::to_string(kBandStart) +
                  " tested draws: the history is too short for the chance band over the whole "
                  "history, and shows nothing either way.";
            break;
        case BandResult::Inside:
            en +=
                "The running excess stayed inside the 95% chance band over the whole history: "
                "no sign that the rules do better or worse than chance.";
            break;
        case BandResult::Above:
            en +=
                "The running excess left the 95% chance band above: at some point more hits "
                "than 95% of chance histories would give.";
            break;
        case BandResult::Below:
            en +=
                "The running excess left the 95% chance band below: at some point fewer hits "
                "than 95% of chance histories would give.";
            break;
        case BandResult::AboveAndBelow:
            en +=
                "The running excess left the 95% chance band above and below: at one point "
                "more hits, at another fewer, than 95% of chance histories would give.";
            break;
    }
    out += "<div class=\"verdict " + std::string(kind) + "\" id=\"verdict\"><p lang=\"zh-CN\">" +
           HtmlEscape(zh) + "</p><p lang=\"en\">" + HtmlEscape(en) + "</p></div>\n";
}

void HtmlReport::Write(const Summary& s, std::string& out) {
    out +=
        "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<meta name=\"generator\" content=\"" +
        HtmlEscape(options_.program) + " " + HtmlEscape(options_.version) +
        "\">\n<title>回测报告 Backtest report: " + HtmlEscape(info_.name) + "</title>\n";
    out += kStyle;
    out += "</head>\n<body>\n<h1>回测报告 <span class=\"en\">Backtest report</span></h1>\n";
    WriteHeader(out);
    WriteVerdict(s, out);
    if (s.tested > 0) {
        out +=
            "<h2>1 命中比随机多多少 <span class=\"en\">Hits above chance, over time</span></h2>\n";
        WriteExcessChart(out);
        out += "<h2>2 滚动命中率 <span class=\"en\">Rolling hit rate</span></h2>\n";
        WriteRollingChart(s, out);
        out += "<h2>3 连中与连错 <span class=\"en\">Run lengths</span></h2>\n";
        WriteRunsChart(s, out);
        out += "<h2>分期统计 <span class=\"en\">By period</span></h2>\n";
        WritePeriods(out);
        out += "<h2>被排除的开奖号 <span class=\"en\">Draws the reduction struck out</span></h2>\n";
        WriteStruck(s, out);
    }
    out += "<footer>" + HtmlEscape(options_.program) + " " + HtmlEscape(options_.version) +
           " &middot; a draw is a hit when the reduction of the two draws before it kept it; "
           "chance keeps it with probability kept/1000.</footer>\n</body>\n</html>\n";
}

}  // namespace tolvex::backtest
