// html_report.cpp - the HTML backtest page: inline CSS and SVG, no script, thinned charts.
#include "tolvex/backtest/html_report.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "tolvex/history/decode.h"

namespace tolvex::backtest {

using namespace tolvex::history;
namespace {

// A chart's frame in pixels: fixed sizes, which old browsers draw alike, and which fit A4
// portrait with ordinary margins.
constexpr double kWidth = 680, kHeight = 250;
constexpr double kLeft = 62, kRight = 18, kTop = 14, kBottom = 40;
constexpr double kPlotWidth = kWidth - kLeft - kRight, kPlotHeight = kHeight - kTop - kBottom;
constexpr std::size_t kTicks = 6;
constexpr std::uint64_t kBlocks = 20;     // periods of consecutive draws, when labels give no years
constexpr std::size_t kRunLengths = 20;   // run lengths charted; the last takes the longer ones
constexpr std::size_t kTickColumns = 18;  // display columns of a label on the x axis

constexpr std::string_view kStyle = R"(<style>
body{font-family:"Microsoft YaHei","PingFang SC","Noto Sans CJK SC","WenQuanYi Micro Hei",SimSun,Arial,sans-serif;font-size:14px;line-height:1.45;color:#222;background:#fff;max-width:700px;margin:0 auto;padding:10px 14px;-webkit-print-color-adjust:exact;print-color-adjust:exact}
h1{font-size:22px;margin:6px 0 10px}
h2{font-size:17px;margin:24px 0 8px;padding-bottom:2px;border-bottom:1px solid #ccc}
.en{color:#555}
table{border-collapse:collapse}
th,td{padding:2px 8px;border-bottom:1px solid #e6e6e6;text-align:right;white-space:nowrap}
th{background:#f0f0f0;font-weight:bold;vertical-align:bottom}
td.t,th.t{text-align:left;white-space:normal}
.about th{text-align:left;width:9em}
.about td{text-align:left;white-space:normal}
.num td{font-family:Consolas,"DejaVu Sans Mono","Courier New",monospace}
.num td.t{font-family:inherit}
tbody tr:nth-child(even){background:#f8f8f8}
tr.y td{font-weight:bold;border-top:1px solid #bbb}
tr.m td.t{padding-left:22px}
.verdict{margin:14px 0;padding:8px 12px;background:#f5f5f5;border-left:6px solid #888}
.verdict p{margin:4px 0}
.verdict.above{border-left-color:#2a7d2a}
.verdict.below{border-left-color:#b03030}
figure{margin:8px 0 4px;page-break-inside:avoid}
figcaption{font-size:13px;color:#444;margin-top:2px}
.key{display:inline-block;width:18px;height:0;vertical-align:middle;border-top:3px solid #1f5fa8}
.key.band{height:6px;border:3px solid #dfe6ee;background:#dfe6ee}
.key.r30{border-top-color:#9cc3e6}
.key.chance{border-top:2px dashed #c0392b}
.key.bh{height:8px;border:0;background:#6a9fd4}
.key.bm{height:8px;border:0;background:#e0a060}
.key.mark{border-top:2px solid #222}
.chart{display:block;margin:0 auto}
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

std::string Coord(double v) {
    return Fixed(v, 1);
}

std::string ZText(const Summary& s) {
    const auto z = s.ZScore();
    return z ? Fixed(*z, 2) : "n/a";
}

// A step of 1, 2 or 5 times a power of ten that cuts `range` into about `pieces` equal steps.
double NiceStep(double range, double pieces) {
    if (!(range > 0)) {
        return 1;
    }
    const double raw = range / pieces;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * power;
}

int StepDigits(double step) {
    return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

// A value axis from `lo` to `hi`, widened to whole steps, mapped onto [top, top + height].
struct Axis {
    double lo, hi, step, top, height;

    Axis(double low, double high, double top_px, double height_px, double pieces = 5)
        : top(top_px), height(height_px) {
        step = NiceStep(high - low, pieces);
        lo = std::floor(low / step) * step;
        hi = std::ceil(high / step) * step;
        if (hi <= lo) {
            hi = lo + step;
        }
    }
    double Y(double v) const { return top + (hi - v) / (hi - lo) * height; }
};

// Horizontal grid lines with their values at the left, `scale` times the value and `suffix`.
void AppendGrid(std::string& out, const Axis& axis, double left, double width, double scale = 1,
                std::string_view suffix = "") {
    const int digits = StepDigits(axis.step * scale);
    for (double v = axis.lo; v <= axis.hi + axis.step / 2; v += axis.step) {
        const std::string y = Coord(axis.Y(v));
        out += "<line class=\"" + std::string(std::abs(v) < axis.step / 2 ? "axis" : "grid") +
               "\" x1=\"" + Coord(left) + "\" x2=\"" + Coord(left + width) + "\" y1=\"" + y +
               "\" y2=\"" + y + "\"/><text x=\"" + Coord(left - 5) + "\" y=\"" +
               Coord(axis.Y(v) + 4) + "\" text-anchor=\"end\">" + Fixed(v * scale, digits) +
               std::string(suffix) + "</text>\n";
    }
}

void AppendSvgOpen(std::string& out, std::string_view id, std::string_view title) {
    out += "<svg id=\"" + std::string(id) +
           "\" class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"680\" height=\"250\" "
           "viewBox=\"0 0 680 250\" role=\"img\"><title>" +
           HtmlEscape(title) + "</title>\n";
}

std::string Times(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " time" : " times");
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            out += "�";
            ++i;
            continue;
        }
        const char c = text[i];
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    out += ' ';
                } else {
                    out.append(text.substr(i, n));
                }
        }
        i += n;
    }
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

ThinnedSeries::ThinnedSeries(std::uint64_t count, std::size_t buckets)
    : count_(count), buckets_(std::max<std::size_t>(buckets, 1)) {}

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
      rate30_(tested, kBuckets),
      rate100_(tested, kBuckets) {
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
    const std::uint64_t ticks = std::min<std::uint64_t>(tested, kTicks);
    for (std::uint64_t k = 0; k < ticks; ++k) {
        const std::uint64_t i = ticks == 1 ? 0 : (k * (tested - 1) + (ticks - 1) / 2) / (ticks - 1);
        if (tick_index_.empty() || tick_index_.back() != i) {
            tick_index_.push_back(i);
        }
    }
}

std::string HtmlReport::DrawName(const Row& row, std::uint64_t key) const {
    if (info_.layout.key == KeyKind::Date && key > 0) {
        char date[16];
        std::snprintf(date, sizeof date, "%04u-%02u-%02u", static_cast<unsigned>(key / 10000),
                      static_cast<unsigned>(key / 100 % 100), static_cast<unsigned>(key % 100));
        return date;
    }
    if (!row.label.empty()) {
        return TextLabel(row.label, kTickColumns);
    }
    return "line " + std::to_string(row.line);
}

void HtmlReport::Add(const Row& row, std::uint64_t key) {
    const TestedDraw& t = row.test;
    const std::uint64_t i = index_++;
    const auto kept = static_cast<std::uint64_t>(t.kept);

    excess_e3_ += (t.hit ? 1000 : 0) - static_cast<std::int64_t>(kept);
    variance_e6_ += kept * (1000 - kept);
    excess_.Add(static_cast<double>(excess_e3_) / 1000.0);
    const std::uint64_t step = (tested_ + kBuckets - 1) / kBuckets;
    if (i == 0 || (i + 1) % step == 0 || i + 1 == tested_) {
        band_.push_back({i, 2 * std::sqrt(static_cast<double>(variance_e6_)) / 1000.0});
    }

    // Rates over the last 30 and 100 verdicts (over all of them before there are so many).
    bool& slot = window_[i % 100];
    if (i >= 100 && slot) {
        --in100_;
    }
    if (i >= 30 && window_[(i - 30) % 100]) {
        --in30_;
    }
    slot = t.hit;
    in30_ += t.hit;
    in100_ += t.hit;
    rate30_.Add(static_cast<double>(in30_) /
                static_cast<double>(std::min<std::uint64_t>(i + 1, 30)));
    rate100_.Add(static_cast<double>(in100_) /
                 static_cast<double>(std::min<std::uint64_t>(i + 1, 100)));

    if (run_ > 0 && t.hit != run_hit_) {
        auto& runs = run_hit_ ? hit_runs_ : miss_runs_;
        runs.resize(std::max<std::size_t>(runs.size(), run_ + 1));
        ++runs[run_];
        run_ = 0;
    }
    run_hit_ = t.hit;
    ++run_;

    const std::uint32_t period = PeriodOfKey(info_.layout.key, key);
    if (period != last_period_ || period_ == nullptr) {
        period_ = &periods_[period];
        last_period_ = period;
    }
    const std::size_t b = static_cast<std::size_t>(i / block_size_);
    if (blocks_.size() <= b) {
        blocks_.resize(b + 1);
        blocks_[b].first = DrawName(row, key);
    }
    if (i + 1 == tested_ || (i + 1) % block_size_ == 0) {
        blocks_[b].last = DrawName(row, key);
    }
    for (Summary* tally : {period_, &blocks_[b].tally}) {
        ++tally->tested;
        tally->hits += t.hit;
        tally->kept_sum += kept;
        tally->variance_e6 += kept * (1000 - kept);
    }

    if (tick_name_.size() < tick_index_.size() && tick_index_[tick_name_.size()] == i) {
        tick_name_.push_back(DrawName(row, key));
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

    std::string encoding(EncodingName(info_.encoding));
    if (info_.encoding_given) {
        encoding += " (--encoding)";
    } else if (info_.byte_order_mark) {
        encoding += " (byte-order mark)";
    } else if (info_.encoding == Encoding::Gb18030) {
        encoding += " (the text is not UTF-8)";
    }
    row("编码", "Encoding", HtmlEscape(encoding));

    const Layout& layout = info_.layout;
    std::string column;
    for (std::size_t i = 0; i < layout.draws.size(); ++i) {
        column += (i == 0                         ? ""
                   : i + 1 == layout.draws.size() ? " and "
                                                  : ", ") +
                  DescribeColumn(layout.draws[i]);
    }
    if (layout.draws.empty()) {
        column = "none";
    } else {
        column += ", " + std::string(DelimiterName(layout.delimiter)) + " between fields (" +
                  layout.chosen_by + ")";
    }
    row("号码列", "Draw column", HtmlEscape(column));

    const bool newest = info_.order == Order::NewestFirst;
    std::string order = newest ? "从新到旧 newest first" : "从旧到新 oldest first";
    switch (info_.order_source) {
        case HistoryInfo::OrderSource::Option:
            order += newest ? " (--newest-first)" : " (--oldest-first)";
            break;
        case HistoryInfo::OrderSource::Labels:
            order += std::string(" (the ") +
                     (layout.key == KeyKind::Issue ? "issue numbers" : "dates") + " run " +
                     (newest ? "down" : "up") + ")";
            break;
        case HistoryInfo::OrderSource::Default:
            order += " (as written: the labels do not tell)";
            break;
    }
    row("顺序", "Order", HtmlEscape(order));

    std::string draws = std::to_string(info_.draws) + (info_.draws == 1 ? " draw" : " draws") +
                        " from " + std::to_string(info_.data_lines) +
                        (info_.data_lines == 1 ? " line, " : " lines, ") + std::to_string(tested_) +
                        " tested (each from the third on)";
    if (info_.skipped_invalid > 0) {
        draws += "; " + std::to_string(info_.skipped_invalid) +
                 " lines that did not fit skipped (--skip-invalid)";
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
        HtmlEscape(FormatUtc(options_.made_at) + " by tolvex-cli " + options_.version));
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
    const char* kind = z >= 2 ? "above" : z <= -2 ? "below" : "within";

    std::string zh = "回测 " + std::to_string(s.tested) + " 期，下一期开奖号被保留 " +
                     std::to_string(s.hits) + " 次（命中率 " + hit_rate + "），随机命中率为 " +
                     chance_rate + "（期望 " + expected + " 次），";
    if (excess == 0) {
        zh += "与随机相同";
    } else {
        zh += (excess > 0 ? "比随机多 " : "比随机少 ") + amount + " 次";
    }
    zh += "，z = " + Fixed(z, 2) + "，";
    if (z >= 2) {
        zh += "超出正常的随机波动（z ≥ 2）：命中多于随机通常能给出的次数。";
    } else if (z <= -2) {
        zh += "低于正常的随机波动（z ≤ -2）：命中少于随机通常能给出的次数。";
    } else {
        zh += "在正常的随机波动之内（|z| < 2）：这段历史看不出此方法好于或差于随机。";
    }

    std::string en = "Over " + std::to_string(s.tested) + " tested draws the next draw was kept " +
                     Times(s.hits) + " (" + hit_rate + ") where chance keeps it " + chance_rate +
                     " of the time (" + expected + " hits expected): ";
    if (excess == 0) {
        en += "exactly as many hits as chance gives";
    } else {
        en += amount + (excess > 0 ? " hits more" : " hits fewer") + " than chance";
    }
    en += ", z = " + Fixed(z, 2) + ", ";
    if (z >= 2) {
        en += "more than ordinary chance variation gives (z ≥ 2).";
    } else if (z <= -2) {
        en += "fewer than ordinary chance variation gives (z ≤ -2).";
    } else {
        en +=
            "within ordinary chance variation (|z| < 2): this history does not show the "
            "method doing better or worse than chance.";
    }
    out += "<div class=\"verdict " + std::string(kind) + "\" id=\"verdict\"><p lang=\"zh-CN\">" +
           HtmlEscape(zh) + "</p><p lang=\"en\">" + HtmlEscape(en) + "</p></div>\n";
}

void HtmlReport::WriteXAxis(std::string& out) const {
    const double bottom = kTop + kPlotHeight;
    out += "<line class=\"axis\" x1=\"" + Coord(kLeft) + "\" x2=\"" + Coord(kLeft + kPlotWidth) +
           "\" y1=\"" + Coord(bottom) + "\" y2=\"" + Coord(bottom) + "\"/>\n";
    for (std::size_t k = 0; k < tick_name_.size(); ++k) {
        const double x = kLeft + (tested_ <= 1 ? kPlotWidth / 2
                                               : static_cast<double>(tick_index_[k]) * kPlotWidth /
                                                     static_cast<double>(tested_ - 1));
        const char* anchor = tick_name_.size() == 1       ? "middle"
                             : k == 0                     ? "start"
                             : k + 1 == tick_name_.size() ? "end"
                                                          : "middle";
        out += "<line class=\"axis\" x1=\"" + Coord(x) + "\" x2=\"" + Coord(x) + "\" y1=\"" +
               Coord(bottom) + "\" y2=\"" + Coord(bottom + 5) + "\"/><text x=\"" + Coord(x) +
               "\" y=\"" + Coord(bottom + 18) + "\" text-anchor=\"" + anchor + "\">" +
               HtmlEscape(tick_name_[k]) + "</text>\n";
    }
}

namespace {

double X(std::uint64_t index, std::uint64_t count) {
    return kLeft + (count <= 1
                        ? kPlotWidth / 2
                        : static_cast<double>(index) * kPlotWidth / static_cast<double>(count - 1));
}

void AppendPolyline(std::string& out, std::string_view cls,
                    const std::vector<ThinnedSeries::Point>& points, std::uint64_t count,
                    const Axis& axis, double scale = 1) {
    out += "<polyline class=\"" + std::string(cls) + "\" points=\"";
    for (std::size_t k = 0; k < points.size(); ++k) {
        out += (k == 0 ? "" : " ") + Coord(X(points[k].index, count)) + "," +
               Coord(axis.Y(points[k].value * scale));
    }
    // One point alone draws nothing: a short level stroke shows it.
    if (points.size() == 1) {
        out += " " + Coord(X(points[0].index, count) + 3) + "," +
               Coord(axis.Y(points[0].value * scale));
    }
    out += "\"/>\n";
}

std::string ThinNote(std::uint64_t tested) {
    const std::uint64_t step = (tested + HtmlReport::kBuckets - 1) / HtmlReport::kBuckets;
    if (step <= 4) {
        return "";  // four points a stretch: every value is there
    }
    return " <span class=\"note\">(" + std::to_string(tested) +
           " draws: the line keeps the first, lowest, highest and last value of each stretch of " +
           std::to_string(step) + " draws.)</span>";
}

}  // namespace

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
    out += "<polygon class=\"band\" points=\"";
    for (std::size_t k = 0; k < band_.size(); ++k) {
        out += (k == 0 ? "" : " ") + Coord(X(band_[k].index, tested_)) + "," +
               Coord(axis.Y(band_[k].value));
    }
    for (std::size_t k = band_.size(); k-- > 0;) {
        out += " " + Coord(X(band_[k].index, tested_)) + "," + Coord(axis.Y(-band_[k].value));
    }
    out += "\"/>\n";
    const std::string zero = Coord(axis.Y(0));
    out += "<line class=\"axis\" x1=\"" + Coord(kLeft) + "\" x2=\"" + Coord(kLeft + kPlotWidth) +
           "\" y1=\"" + zero + "\" y2=\"" + zero + "\"/>\n";
    AppendPolyline(out, "excess", points, tested_, axis);
    WriteXAxis(out);
    out +=
        "</svg>\n<figcaption><span class=\"key\"></span> "
        "累计命中减去随机期望 <span class=\"en\">hits minus the hits chance gives (kept/1000 "
        "per tested draw), added up</span> &nbsp; <span class=\"key band\"></span> 随机的 ±2 "
        "个标准差 <span class=\"en\">±2 standard deviations of chance</span>. A method that beats "
        "chance climbs out of the "
        "band; one that does not stays in it. After the last draw: <b id=\"excess-end\">" +
        Thousandths(excess_e3_) + "</b> hits, the band ±<b id=\"band-end\">" + Fixed(band_end, 3) +
        "</b>." + ThinNote(tested_) + "</figcaption>\n</figure>\n";
}

void HtmlReport::WriteRollingChart(const Summary& s, std::string& out) {
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
    AppendPolyline(out, "r100", rate100_.points(), tested_, axis, 100);
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
        "</b>. Before the 30th and the 100th tested draw, the rates are over all draws "
        "tested so far." +
        ThinNote(tested_) + "</figcaption>\n</figure>\n";
}

void HtmlReport::WriteRunsChart(const Summary& s, std::string& out) const {
    const double p = s.ChanceRate().value_or(0);
    out += "<figure id=\"fig-runs\">\n";
    AppendSvgOpen(out, "chart-runs", "Run lengths of hits and misses");
    struct Panel {
        const std::vector<std::uint64_t>* runs;
        double p;
        const char *cls, *zh, *en, *plural;
        double left;
    };
    const Panel panels[] = {
        {&hit_runs_, p, "bh", "连中", "hit", "hits", kLeft},
        {&miss_runs_, 1 - p, "bm", "连错", "miss", "misses", kLeft + kPlotWidth / 2 + 20},
    };
    const double width = kPlotWidth / 2 - 20;
    for (const Panel& panel : panels) {
        std::vector<std::uint64_t> runs = *panel.runs;
        // the run still open at the end counts too
        if (run_ > 0 && run_hit_ == (panel.runs == &hit_runs_)) {
            runs.resize(std::max<std::size_t>(runs.size(), run_ + 1));
            ++runs[run_];
        }
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
                   Coord(axis.Y(0) - y) + "\"><title>" + length + " " + panel.plural +
                   " in a row: " + Fixed(seen[k], 0) + " (chance " + Fixed(chance[k], 2) +
                   ")</title></rect>";
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

void HtmlReport::WritePeriods(std::string& out) const {
    const auto append = [&out](const char* cls, const std::string& name, const Summary& t) {
        out += std::string("<tr") + cls + "><td class=\"t\">" + name + "<td>" +
               std::to_string(t.tested) + "<td>" + std::to_string(t.hits) + "<td>" +
               Percent(t.HitRate()) + "<td>" + Percent(t.ChanceRate()) + "<td>" +
               Thousandths(t.ExcessThousandths()) + "<td>" + ZText(t) + "\n";
    };
    out +=
        "<table class=\"num\" id=\"periods\"><thead><tr><th class=\"t\">期间 <span "
        "class=\"en\">Period</span><th>测试 <span class=\"en\">Tested</span><th>命中 <span "
        "class=\"en\">Hits</span><th>命中率 <span class=\"en\">Hit rate</span><th>随机 <span "
        "class=\"en\">Chance rate</span><th>多于随机 "
        "<span class=\"en\">Excess hits</span><th>z</thead><tbody>\n";
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
            append(" class=\"y\"", std::to_string(year), total);
            for (; it != end; ++it) {
                if (it->first % 100 != 0) {
                    char name[16];
                    std::snprintf(name, sizeof name, "%04u-%02u", year, it->first % 100);
                    append(" class=\"m\"", name, it->second);
                }
            }
        }
    } else {
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const std::uint64_t first = b * block_size_ + 1;
            const std::uint64_t last = first - 1 + blocks_[b].tally.tested;
            append("",
                   "#" + std::to_string(first) + "&ndash;" + std::to_string(last) +
                       " <span class=\"note\">" + HtmlEscape(blocks_[b].first) + " &ndash; " +
                       HtmlEscape(blocks_[b].last) + "</span>",
                   blocks_[b].tally);
        }
    }
    out += "</tbody></table>\n";
    out += by_year
               ? "<p class=\"note\">Each draw counts in the period of its own label.</p>\n"
               : "<p class=\"note\">The labels give no years, so the periods are stretches of " +
                     std::to_string(block_size_) + " tested draws (#1 is the third draw).</p>\n";
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
                                     " most recent are listed here (--struck-rows);";
        out += " <code>tolvex-cli backtest --format csv</code> lists every tested draw.";
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
    for (const Struck& r : struck_) {
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

void HtmlReport::Write(const Summary& s, std::string& out) {
    out +=
        "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "style-src 'unsafe-inline'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<meta name=\"generator\" content=\"tolvex-cli " +
        HtmlEscape(options_.version) +
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
    out += "<footer>tolvex-cli " + HtmlEscape(options_.version) +
           " &middot; a draw is a hit when the reduction of the two draws before it kept it; "
           "chance keeps it with probability kept/1000.</footer>\n</body>\n</html>\n";
}

}  // namespace tolvex::backtest
