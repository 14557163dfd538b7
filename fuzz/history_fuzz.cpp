// history_fuzz.cpp - fuzzes the line splitter, the history line reader and the backtest command.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "history.h"
#include "report.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void CheckLine(std::string_view line) {
    const auto h = tolvex::cli::ReadHistoryLine(line);
    if (h.kind != tolvex::cli::LineKind::Draw) {
        Require(h.label.empty());
        return;
    }
    Require(h.number < 1000);
    // The label lies inside the line, before the draw's digits, and is trimmed.
    Require(h.label.empty() || (h.label.data() >= line.data() &&
                                h.label.data() + h.label.size() <= line.data() + line.size()));
    if (!h.label.empty()) {
        Require(h.label.front() != ' ' && h.label.back() != ' ' && h.label.back() != ',');
    }
    // The draw's three digits stand in the line in order after the label.
    const std::size_t from =
        h.label.empty() ? 0
                        : static_cast<std::size_t>(h.label.data() + h.label.size() - line.data());
    const char want[3] = {static_cast<char>('0' + h.number / 100),
                          static_cast<char>('0' + h.number / 10 % 10),
                          static_cast<char>('0' + h.number % 10)};
    std::size_t k = 0;
    for (std::size_t i = from; i < line.size() && k < 3; ++i) {
        if (IsDigit(line[i])) {
            k = line[i] == want[k] ? k + 1 : k;
        }
    }
    Require(k == 3);
    for (const char c : tolvex::cli::ShowLine(line)) {
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
    for (const char c : tolvex::cli::JsonString(h.label)) {
        Require(static_cast<unsigned char>(c) >= 0x20);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (size == 0) {
        return 0;
    }
    // The first byte picks the read size and the line limit, so that buffer refills and the
    // overlong-line path fall everywhere.
    const std::size_t chunk = 1 + data[0] % 17;
    const std::size_t max_line = 4 + data[0] / 17;
    std::istringstream in(input.substr(1));
    tolvex::cli::LineSplitter splitter(in, max_line, chunk);
    std::string_view line;
    std::uint64_t number = 0, expected = 1;
    for (;;) {
        const auto status = splitter.Next(line, number);
        if (status == tolvex::cli::LineSplitter::Status::End) {
            break;
        }
        Require(status != tolvex::cli::LineSplitter::Status::ReadError);
        Require(number == expected++);
        Require(line.size() <= max_line);
        Require(line.find('\n') == std::string_view::npos);
        CheckLine(line);
    }

    // The whole command: it either reports or fails with nothing on standard output.
    const std::string_view formats[] = {"text", "csv", "json"};
    std::vector<std::string_view> args = {"backtest", "--format", formats[data[0] % 3]};
    if (data[0] & 0x80) {
        args.push_back("--newest-first");
    }
    std::istringstream history(input.substr(1));
    std::ostringstream out, err;
    const int status = tolvex::cli::RunCli(args, history, out, err);
    Require(status == tolvex::cli::kOk || status == tolvex::cli::kError);
    Require(status == tolvex::cli::kOk || out.str().empty());
    return 0;
}
