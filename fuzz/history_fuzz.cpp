// history_fuzz.cpp - fuzzes the history reader, the backtest in every format and inspect.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "tolvex/backtest/report.h"
#include "tolvex/history/decode.h"
#include "tolvex/history/description.h"
#include "tolvex/history/reader.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The first byte picks the reading options, so that each path is reached from any input.
tolvex::history::ReadOptions Options(std::uint8_t pick) {
    using tolvex::history::Encoding;
    tolvex::history::ReadOptions o;
    static const Encoding kEncodings[] = {Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be,
                                          Encoding::Gb18030};
    if (pick & 0x04) {
        o.encoding = kEncodings[pick & 0x03];
    }
    if (pick & 0x08) {
        o.skip_invalid = true;
    }
    if (pick & 0x10) {
        o.order = (pick & 0x20) ? tolvex::history::Order::NewestFirst
                                : tolvex::history::Order::OldestFirst;
    }
    if (pick & 0x40) {
        o.columns = {"2"};
    }
    o.max_line = 64 + pick;
    return o;
}

void CheckReader(std::string_view input, std::uint8_t pick) {
    std::istringstream in{std::string(input)};
    const auto options = Options(pick);
    tolvex::history::HistoryReader reader(in, "f", options);
    if (!reader.Open()) {
        Require(!reader.error().empty());
        return;
    }
    std::uint64_t last_line = 0, draws = 0;
    tolvex::history::HistoryDraw d{};
    while (reader.Next(d)) {
        ++draws;
        Require(d.number < 1000);
        Require(d.line >= last_line);
        last_line = d.line;
        // labels reach every output as UTF-8
        Require(tolvex::history::IsUtf8(d.label));
        Require(tolvex::backtest::LabelWidth(d.label) <= tolvex::backtest::kLabelColumns);
    }
    const auto& info = reader.info();
    if (!reader.error().empty()) {
        Require(tolvex::history::IsUtf8(reader.error()));
        return;
    }
    Require(info.draws == draws);
    Require(info.oldest.size() == std::min<std::uint64_t>(draws, 3));
    Require(info.newest.size() == info.oldest.size());
    Require(options.skip_invalid || info.skipped_invalid == 0);
    Require(!options.order || info.order == *options.order);
    Require(info.draws == info.data_lines * std::max<std::size_t>(info.layout.draws.size(), 1) ||
            info.draws == 0);
    // what was skipped or padded is counted once, from lines that were read
    std::uint64_t skipped = 0;
    for (std::size_t k = 0; k < tolvex::history::kSkipKinds; ++k) {
        skipped += info.skipped[k];
        Require(info.skipped[k] == 0 || info.skipped_first[k] > 0);
    }
    Require(skipped + info.data_lines <= info.lines);
    Require(info.padded <= info.draws);
    Require(tolvex::history::IsUtf8(tolvex::history::SkippedLines(info)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckReader(input, data[0]);

    // The whole command: it either reports or fails with nothing on standard output.
    const std::string_view formats[] = {"text", "csv", "json", "html"};
    const std::string_view format = formats[data[0] % 4];
    std::vector<std::string_view> args = {"backtest", "--format", format};
    if (data[0] & 0x80) {
        args.push_back("--skip-invalid");
    }
    for (const bool inspect : {false, true}) {
        if (inspect) {
            args = {"inspect"};
        }
        std::istringstream history{std::string(input)};
        std::ostringstream out, err;
        const int status = tolvex::cli::RunCli(args, history, out, err);
        Require(status == tolvex::cli::kOk || status == tolvex::cli::kError);
        Require(status == tolvex::cli::kOk || out.str().empty());
        Require(tolvex::history::IsUtf8(err.str()));
        // labels reach the page as text, never as markup
        if (!inspect && format == "html" && status == tolvex::cli::kOk) {
            Require(tolvex::history::IsUtf8(out.str()));
            Require(out.str().find("<script") == std::string::npos);
            Require(out.str().find("<img") == std::string::npos);
        }
    }
    return 0;
}
