// layout_detection.cpp - a history's layout from its opening lines: each delimiter in turn.
#include "tolvex/history/layout.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "detector.h"
#include "text_scan.h"

namespace tolvex::history {

using namespace detail;

Detection DetectLayout(std::span<const SampleLine> data, const SampleLine* comment_above,
                       const DetectOptions& options) {
    static constexpr Delimiter kOrder[] = {
        Delimiter::Tab,  Delimiter::FullwidthComma, Delimiter::Comma, Delimiter::Semicolon,
        Delimiter::Pipe, Delimiter::Blanks,         Delimiter::None};
    Detection result;
    if (data.empty()) {
        result.layout = Layout{};
        return result;
    }
    std::optional<ReadError> first_error;
    for (const Delimiter d : kOrder) {
        if (!Detector::Occurs(data, d, options.lenient)) {
            continue;
        }
        Detector detector(data, comment_above, options, d);
        Layout layout;
        ReadError message;
        switch (detector.Choose(layout, message)) {
            case Detector::Outcome::Chosen:
                result.layout = std::move(layout);
                return result;
            case Detector::Outcome::Ambiguous:
                result.error = message;
                return result;
            case Detector::Outcome::Failed:
                if (options.columns.empty()) {
                    result.error = message;
                    return result;
                }
                if (!first_error) {
                    first_error = std::move(message);
                }
                break;
            case Detector::Outcome::None:
                if (detector.HeaderNamesDraw() && d != Delimiter::Blanks) {
                    // A column the header names stays the draw's: never split the lines
                    // another way and count columns anew.
                    result.error = detector.Trouble();
                    return result;
                }
                if (!first_error) {
                    first_error = detector.Trouble();
                }
                break;
        }
    }
    result.error = first_error ? std::move(*first_error) : ReadError{};
    return result;
}

std::string_view ColumnText(std::string_view line, std::span<const Field> fields,
                            const Layout& layout, std::size_t column) {
    if (layout.extra_at_end) {
        if (column + 1 < layout.columns) {
            return FieldValue(line, fields[column]);
        }
        return line.substr(fields[column].begin, fields.back().end - fields[column].begin);
    }
    const std::size_t extra = fields.size() - layout.columns;
    if (layout.exact || column > 0) {
        return FieldValue(line, fields[column + extra]);
    }
    return line.substr(fields[0].begin, fields[extra].end - fields[0].begin);
}

std::string DescribeColumn(const DrawColumn& column) {
    std::string s = column.width > 1 ? "columns " : "column ";
    s += Range(column.column, column.width);
    if (!column.name.empty()) {
        s += " " + Quote(column.name);
    }
    return s;
}

}  // namespace tolvex::history
