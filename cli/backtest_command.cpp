// backtest_command.cpp - tolvex-cli backtest: options, reading the whole history, the report.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "output.h"
#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/html_report.h"
#include "tolvex/backtest/report.h"
#include "tolvex/history/description.h"
#include "tolvex/history/time_order.h"
#include "tolvex/version.h"

namespace tolvex::cli {

using namespace tolvex::backtest;
using namespace tolvex::history;

namespace {

// What the backtest's own options ask for.
struct BacktestRequest {
    Format format = Format::Text;
    bool rows = true;
    HtmlOptions page;
    std::string_view target;  // "-" for standard output
};

// --format, --summary, --struck-rows and --output; a usage error gives no value.
std::optional<BacktestRequest> ParseBacktest(const Parsed& p, std::ostream& err) {
    BacktestRequest r;
    const auto format = ParseFormat(p.Value("--format", "text"));
    if (!format) {
        UsageError(err, "unknown format " + Quoted(p.Value("--format", "")) +
                            ": use text, csv, json or html");
        return std::nullopt;
    }
    r.format = *format;
    const bool html = r.format == Format::Html;
    r.rows = !p.Has("--summary");
    r.page.version = TOLVEX_VERSION_STRING;
    if (p.Has("--struck-rows")) {
        const std::string_view value = p.Value("--struck-rows", "");
        std::uint64_t n = 0;
        const auto parsed = std::from_chars(value.data(), value.data() + value.size(), n);
        if (value == "all") {
            n = std::numeric_limits<std::uint64_t>::max();
        } else if (value.empty() || parsed.ec != std::errc{} ||
                   parsed.ptr != value.data() + value.size()) {
            UsageError(err, "--struck-rows " + Quoted(value) + ": a count, or all");
            return std::nullopt;
        }
        if (!html) {
            UsageError(err, "--struck-rows is for --format html");
            return std::nullopt;
        }
        r.page.struck_rows = n;
    }
    if (!r.rows) {
        r.page.struck_rows = 0;
    }
    r.target = p.Value("--output", "-");
    return r;
}

// The draws as read. Nothing is reported before the whole input has been read and found
// valid, so the draws are kept (compactly) when rows are wanted or the order must be turned
// round; a summary keeps no labels, and of an oldest-first history only the running tally.
// The page keeps every draw's labels, and its key for the periods.
struct ReadDraws {
    History history;
    std::vector<std::uint64_t> keys;
    std::vector<std::uint16_t> draws;  // newest-first summary: the numbers alone
    Backtest backtest;
};

bool ReadAll(HistoryReader& reader, const BacktestRequest& request, const std::string& name,
             ReadDraws& read, std::ostream& err) {
    const bool html = request.format == Format::Html;
    const bool keep = request.rows || html;
    const bool newest_first = reader.info().order == Order::NewestFirst;
    HistoryDraw draw{};
    while (reader.Next(draw)) {
        if (keep) {
            if (!read.history.Add(draw.number, draw.line, draw.label)) {
                Fail(err, name + ", line " + std::to_string(draw.line) + ": too many lines");
                return false;
            }
            if (html) {
                read.keys.push_back(draw.key);
            }
        } else if (newest_first) {
            read.draws.push_back(draw.number);
        } else {
            read.backtest.Add(draw.number);
        }
    }
    if (!reader.error().empty()) {
        Fail(err, reader.error());
        return false;
    }
    return true;
}

// A newest-first history into time order; a summary's bare numbers are tallied on the way.
void PutInTimeOrder(const HistoryInfo& info, ReadDraws& read) {
    read.history.Reverse();
    // the draws of one line share their key
    std::reverse(read.keys.begin(), read.keys.end());
    // a line's draws keep their order: as many on every line
    const std::size_t per_line = std::max<std::size_t>(info.layout.draws.size(), 1);
    auto& draws = read.draws;
    IntoTimeOrder(
        draws.size(), [&](std::size_t i, std::size_t j) { std::swap(draws[i], draws[j]); },
        [per_line](std::size_t i, std::size_t j) { return i / per_line == j / per_line; });
    for (const auto d : read.draws) {
        read.backtest.Add(d);
    }
}

// Tests the kept draws in order and writes the report into `buffer`.
void WriteReport(const HistoryInfo& info, BacktestRequest& request, ReadDraws& read,
                 OutputBuffer& buffer) {
    History& history = read.history;
    Backtest& backtest = read.backtest;
    if (request.format == Format::Html) {
        HtmlReport report(info, history.size() > 2 ? history.size() - 2 : 0,
                          std::move(request.page));
        for (std::size_t i = 0; i < history.size(); ++i) {
            if (const auto t = backtest.Add(history.number(i))) {
                report.Add(Row{history.line(i), history.label(i), *t}, read.keys[i]);
            }
        }
        report.Write(backtest.summary(), buffer.text());
        return;
    }
    std::size_t label_width = 0;
    if (request.rows && request.format == Format::Text) {
        for (std::size_t i = 0; i < history.size(); ++i) {
            label_width = std::max(label_width, LabelWidth(history.label(i)));
        }
    }
    ReportWriter writer(request.format, request.rows, label_width, buffer.text());
    writer.Begin();
    for (std::size_t i = 0; i < history.size(); ++i) {
        if (const auto t = backtest.Add(history.number(i))) {
            writer.Add(Row{history.line(i), history.label(i), *t});
            buffer.FlushIfFull();
        }
    }
    writer.End(backtest.summary());
    if (request.format == Format::Text && info.order_source == HistoryInfo::OrderSource::Default &&
        info.draws > 1) {
        // nothing in the file told the order: the summary says how it was taken
        buffer.text() += "order          " + OrderText(info) + "\n";
    }
}

}  // namespace

int RunBacktest(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    std::vector<OptionInfo> options(std::begin(kReadingOptions), std::end(kReadingOptions));
    options.push_back({"--format", true});
    options.push_back({"--summary", false});
    options.push_back({"--output", true});
    options.push_back({"--struck-rows", true});
    const auto p = ParseFileCommand(args, options, "backtest takes at most one file", err);
    auto request = p ? ParseBacktest(*p, err) : std::nullopt;
    auto reading = request ? ParseReading(*p, err) : std::nullopt;
    if (!reading) {
        return kError;
    }
    if (request->format == Format::Html) {
        const auto made = ReportTime(err);
        if (!made) {
            return kError;
        }
        request->page.made_at = *made;
    }
    Input input(in, p->positional.empty() ? std::string_view{} : p->positional[0]);
    if (!input.ok()) {
        return Fail(err, input.OpenError());
    }
    const std::string_view target = request->target;
    if (target.empty()) {
        return UsageError(err, "--output needs a file name, or - for standard output");
    }
    OutputFile file;
    if (target != "-" && !file.Open(std::string(target))) {
        return Fail(err, file.Error());
    }
    HistoryReader reader(input.stream(), input.name(), std::move(*reading));
    if (!reader.Open()) {
        return Fail(err, reader.error());
    }
    ReadDraws read;
    if (!ReadAll(reader, *request, input.name(), read, err)) {
        return kError;
    }
    if (reader.info().order == Order::NewestFirst) {
        PutInTimeOrder(reader.info(), read);
    }
    WriteNotes(reader, err);
    OutputBuffer buffer(target != "-" ? file.stream() : out);
    WriteReport(reader.info(), *request, read, buffer);
    buffer.Flush();
    if (target != "-") {
        if (!file.Commit()) {
            return Fail(err, file.Error());
        }
    } else {
        out.flush();
        if (!out) {
            return Fail(err, "cannot write standard output");
        }
    }
    if (request->rows && request->format == Format::Csv) {
        err << SummaryText(read.backtest.summary());
    }
    return kOk;
}

}  // namespace tolvex::cli
