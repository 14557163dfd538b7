// backtest_flow.cpp - the desktop backtest: choose, read, ask, write, open.
#include "tolvex/ui/backtest_flow.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <utility>

#include "tolvex/backtest/backtest.h"
#include "tolvex/backtest/html_report.h"
#include "tolvex/backtest/report.h"
#include "tolvex/history/reader.h"

namespace tolvex::ui {

namespace fs = std::filesystem;
using history::ReadErrorKind;

namespace {

// Names past this many tries in one folder are not tried; the temporary folder is.
constexpr unsigned kMaxTries = 999;

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// What the player reads for each way a history cannot be read: "{line}" stands for the line's
// number; `whole` is said when the error concerns no one line.
struct ErrorText {
    ReadErrorKind kind;
    std::string_view line;
    std::string_view whole;
};
constexpr std::array kErrorTexts{
    ErrorText{ReadErrorKind::None, "第{line}行读不出来。", "文件读不出来。"},
    ErrorText{ReadErrorKind::Unreadable, "第{line}行读不出来。", "文件读不出来。"},
    ErrorText{ReadErrorKind::LineTooLong, "第{line}行太长，这不像开奖历史。",
              "有一行太长，这不像开奖历史。"},
    ErrorText{ReadErrorKind::NotInEncoding, "第{line}行不是能识别的文字（UTF-8、UTF-16 或 GBK）。",
              "文件不是能识别的文字（UTF-8、UTF-16 或 GBK）。"},
    ErrorText{ReadErrorKind::NoConverter, "第{line}行是 GBK 编码，本机无法转换。",
              "文件是 GBK 编码，本机无法转换。"},
    ErrorText{ReadErrorKind::NoDrawColumn,
              "第{line}行没有三位数的开奖号码，找不到每行都有开奖号码的一列。",
              "找不到每行都有三位数开奖号码的一列。"},
    ErrorText{ReadErrorKind::AmbiguousColumn, "第{line}行起有几列都可能是开奖号码。",
              "有几列都可能是开奖号码。"},
    ErrorText{ReadErrorKind::NotThreeDigits,
              "第{line}行的开奖号码不是三位数，这不是三位数游戏的开奖历史。",
              "开奖号码不是三位数，这不是三位数游戏的开奖历史。"},
    ErrorText{ReadErrorKind::BadColumnOption, "第{line}行在所选的列中没有开奖号码。",
              "所选的列中没有开奖号码。"},
    ErrorText{ReadErrorKind::OrderContradicted, "第{line}行的期号或日期与所选的顺序相反。",
              "期号或日期的先后与所选的顺序相反。"},
    ErrorText{ReadErrorKind::LineDoesNotFit, "第{line}行与前面各行的格式不同。",
              "有一行与前面各行的格式不同。"},
    ErrorText{ReadErrorKind::DuplicateIssue, "第{line}行的期号前面已有，开奖号码却不同。",
              "同一期号出现两次，开奖号码却不同。"},
};

// The column's number as the player counts them: "3", or "3-5" for three single digits.
std::string ColumnOption(const history::DrawColumn& column) {
    std::string option = std::to_string(column.column + 1);
    if (column.width > 1) {
        option += '-';
        option += std::to_string(column.column + column.width);
    }
    return option;
}

// "第3列 开奖号码，如 357" (the name and the example when known).
std::string ColumnText(const history::DrawColumn& column,
                       const std::optional<std::string>& example) {
    std::string text = "第";
    text += ColumnOption(column);
    text += "列";
    if (!column.name.empty()) {
        text += ' ';
        text += column.name;
    }
    if (example) {
        text += "，如 ";
        text += *example;
    }
    return text;
}

std::string Three(int number) {
    std::string text;
    backtest::AppendThree(text, number);
    return text;
}

}  // namespace

Launch ParseLaunch(std::span<const std::u16string> arguments) {
    Launch launch;
    std::size_t next = 0;
    if (!arguments.empty() && arguments[0] == u"--backtest") {
        launch.mode = Launch::Mode::Backtest;
        next = 1;
    }
    const std::size_t rest = arguments.size() - next;
    if (rest > 1 || (rest == 1 && arguments[next].starts_with(u'-'))) {
        return {Launch::Mode::Usage, std::nullopt};
    }
    if (rest == 1) {
        launch = {Launch::Mode::Backtest, next};
    }
    return launch;
}

fs::path PageName(const fs::path& history, unsigned n) {
    std::u8string name = history.stem().u8string();
    name += u8"-回测";
    if (n > 1) {
        const std::string number = std::to_string(n);
        name += u8'-';
        name.append(number.begin(), number.end());
    }
    name += u8".html";
    return history.parent_path() / fs::path(name);
}

std::string ReadErrorText(const history::ReadError& error) {
    const auto* entry = std::find_if(kErrorTexts.begin(), kErrorTexts.end(),
                                     [&](const ErrorText& e) { return e.kind == error.kind; });
    if (entry == kErrorTexts.end()) {
        entry = kErrorTexts.begin();
    }
    if (error.line == 0) {
        return std::string(entry->whole);
    }
    std::string text(entry->line);
    const std::string_view marker = "{line}";
    text.replace(text.find(marker), marker.size(), std::to_string(error.line));
    return text;
}

// One reading of the history, with the options it was read with.
struct BacktestFlow::Read {
    history::ReadOptions options;
    std::unique_ptr<std::istream> stream;
    std::unique_ptr<history::HistoryReader> reader;
    backtest::History draws;
    std::vector<std::uint64_t> keys;
};

BacktestFlow::BacktestFlow(BacktestDesktop& desktop, BacktestFiles& files, Options options)
    : desktop_(desktop), files_(files), options_(std::move(options)) {}

FlowResult BacktestFlow::Run(std::optional<fs::path> history) {
    if (!history) {
        history = desktop_.ChooseHistoryFile();
        if (!history) {
            return FlowResult::Cancelled;
        }
    }
    std::error_code ec;
    if (fs::path absolute = fs::absolute(*history, ec); !ec) {
        history = std::move(absolute);
    }
    Read read;
    if (const FlowResult result = ReadHistory(*history, read); result != FlowResult::Done) {
        return result;
    }

    // The page, as tolvex-cli backtest --format html makes it.
    const history::HistoryInfo& info = read.reader->info();
    if (info.order == history::Order::NewestFirst) {
        read.draws.Reverse();
        std::reverse(read.keys.begin(), read.keys.end());
    }
    backtest::HtmlOptions page_options;
    page_options.made_at = options_.made_at;
    page_options.program = "tolvex";
    page_options.version = options_.version;
    const std::size_t size = read.draws.size();
    backtest::HtmlReport report(info, size > 2 ? size - 2 : 0, std::move(page_options));
    backtest::Backtest test;
    for (std::size_t i = 0; i < size; ++i) {
        if (const auto t = test.Add(read.draws.number(i))) {
            report.Add(backtest::Row{read.draws.line(i), read.draws.label(i), *t}, read.keys[i]);
        }
    }
    std::string page;
    report.Write(test.summary(), page);

    const auto saved = Save(*history, page);
    if (!saved) {
        desktop_.ShowError("回测报告无法保存：文件夹 " + Utf8(history->parent_path()) +
                           " 和临时文件夹 " + Utf8(desktop_.TemporaryFolder()) + " 都不能写入。");
        return FlowResult::Failed;
    }
    if (!desktop_.OpenPage(*saved)) {
        desktop_.ShowInfo("回测报告已保存在：\n" + Utf8(*saved));
    }
    return FlowResult::Done;
}

FlowResult BacktestFlow::ReadHistory(const fs::path& history, Read& read) {
    const std::string name = Utf8(history.filename());
    for (;;) {
        read.stream = files_.OpenHistory(history);
        if (!read.stream) {
            desktop_.ShowError("无法打开 " + Utf8(history) + "。");
            return FlowResult::Failed;
        }
        read.reader = std::make_unique<history::HistoryReader>(*read.stream, name, read.options);
        read.draws = backtest::History();
        read.keys.clear();
        if (!read.reader->Open()) {
            const history::ReadError& failure = read.reader->failure();
            if (failure.kind == ReadErrorKind::AmbiguousColumn && read.options.columns.empty() &&
                !failure.candidates.empty()) {
                std::vector<ColumnChoice> choices;
                for (const auto& column : failure.candidates) {
                    const std::string option = ColumnOption(column);
                    choices.push_back({ColumnText(column, Example(history, option)), option});
                }
                const auto chosen = desktop_.ChooseColumn(choices);
                if (!chosen || *chosen >= choices.size()) {
                    return FlowResult::Cancelled;
                }
                read.options.columns = {choices[*chosen].option};
                continue;
            }
            desktop_.ShowError(name + " 读不出来：" + ReadErrorText(failure));
            return FlowResult::Failed;
        }
        history::HistoryDraw draw{};
        while (read.reader->Next(draw)) {
            if (!read.draws.Add(draw.number, draw.line, draw.label)) {
                desktop_.ShowError(name + " 读不出来：第" + std::to_string(draw.line) +
                                   "行，文件太长。");
                return FlowResult::Failed;
            }
            read.keys.push_back(draw.key);
        }
        if (read.reader->failure().kind != ReadErrorKind::None) {
            desktop_.ShowError(name + " 读不出来：" + ReadErrorText(read.reader->failure()));
            return FlowResult::Failed;
        }
        if (read.draws.size() < 3) {
            desktop_.ShowError(name + " 中只有 " + std::to_string(read.draws.size()) +
                               " 期开奖号码，回测至少要三期。");
            return FlowResult::Failed;
        }
        // Neither issue numbers nor dates tell the order: the player does, as --oldest-first
        // or --newest-first would.
        if (read.reader->info().order_source == history::HistoryInfo::OrderSource::Default &&
            !read.options.order) {
            const auto order = desktop_.ChooseOrder();
            if (!order) {
                return FlowResult::Cancelled;
            }
            read.options.order = *order;
            continue;
        }
        return FlowResult::Done;
    }
}

// The first draw the column gives, as the player is shown it.
std::optional<std::string> BacktestFlow::Example(const fs::path& history,
                                                 const std::string& option) {
    const auto stream = files_.OpenHistory(history);
    if (!stream) {
        return std::nullopt;
    }
    history::ReadOptions options;
    options.columns = {option};
    history::HistoryReader reader(*stream, Utf8(history.filename()), options);
    history::HistoryDraw draw{};
    if (!reader.Open() || !reader.Next(draw)) {
        return std::nullopt;
    }
    return Three(draw.number);
}

// Beside the history under the first free name, else in the temporary folder; the page's path,
// or no value when neither folder can be written.
std::optional<fs::path> BacktestFlow::Save(const fs::path& history, std::string_view page) {
    for (const fs::path& folder : {history.parent_path(), desktop_.TemporaryFolder()}) {
        const fs::path in_folder = folder / history.filename();
        for (unsigned n = 1; n <= kMaxTries; ++n) {
            const fs::path path = PageName(in_folder, n);
            const NewFileStatus status = files_.WriteNewFile(path, page);
            if (status == NewFileStatus::Written) {
                return path;
            }
            if (status == NewFileStatus::CannotWrite) {
                break;
            }
        }
    }
    return std::nullopt;
}

}  // namespace tolvex::ui
