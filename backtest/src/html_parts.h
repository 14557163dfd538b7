// html_parts.h - what the page's files share: the chart frame, axes, coordinates, the z text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/report.h"

namespace tolvex::backtest::detail {

// A chart's frame in pixels: fixed sizes, which old browsers draw alike, and which fit A4
// portrait with ordinary margins.
inline constexpr double kWidth = 680, kHeight = 250;
inline constexpr double kLeft = 62, kRight = 18, kTop = 14, kBottom = 40;
inline constexpr double kPlotWidth = kWidth - kLeft - kRight,
                        kPlotHeight = kHeight - kTop - kBottom;
inline constexpr std::size_t kTicks = 6;
inline constexpr std::uint64_t kBlocks =
    20;  // periods of consecutive draws, when labels give no years
inline constexpr std::size_t kRunLengths =
    20;  // run lengths charted; the last takes the longer ones
inline constexpr std::size_t kTickColumns = 18;  // display columns of a label on the x axis

inline std::string Coord(double v) {
    return Fixed(v, 1);
}

inline std::string ZText(const Summary& s) {
    const auto z = s.ZScore();
    return z ? Fixed(*z, 2) : "n/a";
}

// A step of 1, 2 or 5 times a power of ten that cuts `range` into about `pieces` equal steps.
inline double NiceStep(double range, double pieces) {
    if (!(range > 0)) {
        return 1;
    }
    const double raw = range / pieces;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * power;
}

inline int StepDigits(double step) {
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
inline void AppendGrid(std::string& out, const Axis& axis, double left, double width,
                       double scale = 1, std::string_view suffix = "") {
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

inline void AppendSvgOpen(std::string& out, std::string_view id, std::string_view title) {
    out += "<svg id=\"" + std::string(id) +
           "\" class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"680\" height=\"250\" "
           "viewBox=\"0 0 680 250\" role=\"img\"><title>" +
           HtmlEscape(title) + "</title>\n";
}

inline double X(std::uint64_t index, std::uint64_t count) {
    return kLeft + (count <= 1
                        ? kPlotWidth / 2
                        : static_cast<double>(index) * kPlotWidth / static_cast<double>(count - 1));
}

inline void AppendPolyline(std::string& out, std::string_view cls,
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

inline std::string ThinNote(std::uint64_t tested) {
    const std::uint64_t step = (tested + HtmlReport::kBuckets - 1) / HtmlReport::kBuckets;
    if (step <= 4) {
        return "";  // four points a stretch: every value is there
    }
    return " <span class=\"note\">(" + std::to_string(tested) +
           " draws: the line keeps the first, lowest, highest and last value of each stretch of " +
           std::to_string(step) + " draws.)</span>";
}

}  // namespace tolvex::backtest::detail
