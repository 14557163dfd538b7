// inspect_command.cpp - tolvex-cli inspect: how a history is read.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "tolvex/backtest/report.h"
#include "tolvex/history/decode.h"
#include "tolvex/history/description.h"
#include "tolvex/history/words.h"

namespace tolvex::cli {

using namespace tolvex::backtest;
using namespace tolvex::history;

namespace {

void AppendShown(std::string& out, std::string_view title, const std::vector<ShownDraw>& draws,
                 std::size_t label_width) {
    for (std::size_t i = 0; i < draws.size(); ++i) {
        std::string line = "line " + std::to_string(draws[i].line);
        line.resize(std::max<std::size_t>(line.size(), 12), ' ');
        const std::string label = TextLabel(draws[i].label);
        out += std::string(i == 0 ? title : "");
        out.append(13 - (i == 0 ? title.size() : 0), ' ');
        out += line + label;
        out.append(label_width - std::min(label_width, DisplayWidth(label)) + 2, ' ');
        out += static_cast<char>('0' + draws[i].number / 100);
        out += static_cast<char>('0' + draws[i].number / 10 % 10);
        out += static_cast<char>('0' + draws[i].number % 10);
        out += '\n';
    }
}

// How a history was read, for people: the lines `inspect` prints.
std::string DescribeReading(const HistoryInfo& info) {
    const Layout& layout = info.layout;
    std::string out = "file         " + info.name + "\n";
    out += "encoding     " + EncodingText(info);
    out += "\nline ends    " + LineEndNames(info.line_ends) + "\n";
    out += "delimiter    " + std::string(DelimiterName(layout.delimiter));
    if (layout.delimiter == Delimiter::Blanks &&
        (layout.no_break_spaces || layout.ideographic_spaces)) {
        out += layout.ideographic_spaces ? " (ideographic spaces" : " (no-break spaces";
        out += layout.ideographic_spaces && layout.no_break_spaces ? ", no-break spaces)" : ")";
    }
    if (layout.extra_at_end) {
        out += " (the last column takes any further fields: unquoted thousands separators)";
    } else if (!layout.exact) {
        out += " (the first column takes any further fields)";
    }
    if (info.record_lines > 1) {
        out +=
            "\nrecords      " + std::to_string(info.record_lines) + " lines each, read as one line";
    }
    out += "\nheader       ";
    if (layout.header_line == 0) {
        out += "none";
    } else {
        out += "line " + std::to_string(layout.header_line) + ":";
        for (std::size_t i = 0; i < layout.header.size(); ++i) {
            out += (i == 0 ? " " : " | ") + layout.header[i];
        }
        out += " (skipped)";
    }
    out += "\ndraw         ";
    if (layout.draws.empty()) {
        out += "none";
    } else {
        out += ColumnList(layout.draws);
        if (layout.draws.size() > 1) {
            out += ", in that order on each line";
        }
        out += " (" + layout.chosen_by + ")";
    }
    out += "\nlabel        ";
    if (layout.label_columns == 0) {
        out += "none";
    } else {
        out += layout.label_columns == 1 ? "column 1"
                                         : "columns 1-" + std::to_string(layout.label_columns);
        if (layout.key != KeyKind::None) {
            out += layout.key == KeyKind::Issue ? ", issue numbers" : ", dates";
            if (layout.label_columns > 1) {
                out += " in column " + std::to_string(layout.key_column + 1);
            }
        }
    }
    out += "\norder        " + OrderText(info);
    out += "\ndraws        " + std::to_string(info.draws) + " from " +
           Plural(info.data_lines, "line", "lines") + "\n";
    std::size_t width = 0;
    for (const auto* list : {&info.oldest, &info.newest}) {
        for (const auto& d : *list) {
            width = std::max(width, LabelWidth(d.label));
        }
    }
    AppendShown(out, "oldest", info.oldest, width);
    AppendShown(out, "newest", info.newest, width);
    out += "skipped      " +
           Plural(info.skipped_blank, "blank, comment or header line",
                  "blank, comment or header lines") +
           ", " + Plural(info.skipped_invalid, "line", "lines") + " that did not fit";
    if (!info.invalid_lines.empty()) {
        out += " (line";
        out += info.invalid_lines.size() == 1 ? " " : "s ";
        for (std::size_t i = 0; i < info.invalid_lines.size(); ++i) {
            out += (i > 0 ? ", " : "") + std::to_string(info.invalid_lines[i]);
        }
        out += info.skipped_invalid > info.invalid_lines.size() ? ", ...)" : ")";
    }
    out += "\n";
    if (const std::string skipped = SkippedLines(info); !skipped.empty()) {
        out += "             " + skipped + "\n";
    }
    if (info.padded > 0) {
        out += "padded       " + Plural(info.padded, "draw", "draws") +
               " written without leading zeros (first on line " +
               std::to_string(info.padded_first) + "), read as three digits\n";
    }
    return out;
}

}  // namespace

int Inspect(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err) {
    const auto p = ParseFileCommand(args, kReadingOptions, "inspect takes at most one file", err);
    auto reading = p ? ParseReading(*p, err) : std::nullopt;
    if (!reading) {
        return kError;
    }
    Input input(in, p->positional.empty() ? std::string_view{} : p->positional[0]);
    if (!input.ok()) {
        return Fail(err, input.OpenError());
    }
    HistoryReader reader(input.stream(), input.name(), std::move(*reading));
    if (!reader.Open()) {
        return Fail(err, reader.error());
    }
    HistoryDraw draw{};
    while (reader.Next(draw)) {
    }
    if (!reader.error().empty()) {
        return Fail(err, reader.error());
    }
    out << DescribeReading(reader.info());
    out.flush();
    return out ? kOk : Fail(err, "cannot write standard output");
}

}  // namespace tolvex::cli
