// commands.cpp - argument handling and the reduce, check, backtest and inspect commands.
#include "commands.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tolvex/backtest/backtest.h"
#include "tolvex/history/decode.h"
#include "tolvex/history/reader.h"
#include "tolvex/backtest/html_report.h"
#include "tolvex/backtest/report.h"
#include "tolvex/tolvex.h"
#include "tolvex/marks.h"

#ifdef _WIN32
#include <windows.h>
#endif

#ifndef TOLVEX_VERSION
#define TOLVEX_VERSION "dev"
#endif

namespace tolvex::cli {

using namespace tolvex::backtest;
using namespace tolvex::history;
namespace {

constexpr std::string_view kUsage =
    "usage: tolvex-cli reduce PREVIOUS LAST [--count]\n"
    "       tolvex-cli check DRAW [FILE]\n"
    "       tolvex-cli backtest [FILE] [--format text|csv|json|html] [--summary]\n"
    "                           [--output FILE] [--struck-rows N|all] [READING...]\n"
    "       tolvex-cli inspect [FILE] [READING...]\n"
    "       tolvex-cli --help | --version\n"
    "\n"
    "reduce    prints the numbers kept for the next draw as one line, or with --count only\n"
    "          how many. PREVIOUS and LAST are draws of exactly three digits.\n"
    "check     tells whether DRAW is in a saved result (FILE, or standard input; UTF-8 or\n"
    "          UTF-16 with a byte-order mark): prints \xE4\xB8\xAD and its byte offset and\n"
    "          exits 0, or prints X and exits 1.\n"
    "backtest  checks each draw of a history (FILE, or standard input when FILE is absent\n"
    "          or -), from the third on, against the reduction of the two draws before it,\n"
    "          and sets the hit rate beside the rate chance gives. --summary leaves out the\n"
    "          rows; with --format csv the summary goes to standard error unless --summary.\n"
    "          --format html writes one self-contained page: the verdict, charts of the\n"
    "          hits against chance, a table by year and month, and the draws struck out\n"
    "          (the most recent 10000, or --struck-rows N|all). --output FILE writes the\n"
    "          report to FILE, which it replaces only once the report is complete.\n"
    "inspect   prints how a history is read: encoding, delimiter, header, the draw's\n"
    "          column, order, the first and last draws. Run it before trusting a backtest.\n"
    "\n"
    "A history's layout is decided once from its first lines, and every line is held to\n"
    "it. The draw is the column a header names (\xE5\xBC\x80\xE5\xA5\x96\xE5\x8F\xB7\xE7\xA0"
    "\x81, Winning Numbers, ...), else the one column,\n"
    "or the three adjacent single-digit columns, that holds a draw on every line. Blank\n"
    "lines and lines starting with # are skipped. READING options:\n"
    "  --column N|N-M|NAME[,...]  the draw's column: 1-based, N-M for three single-digit\n"
    "                        columns, or a header name; several are read in that order\n"
    "                        on each line (--column 2,3: midday, then evening)\n"
    "  --newest-first, --oldest-first\n"
    "                        the order of the lines; by default issue numbers or dates in\n"
    "                        the labels decide, else oldest first\n"
    "  --encoding utf-8|utf-16|gbk\n"
    "                        by default a byte-order mark decides, else UTF-8, else GB18030\n"
    "  --skip-invalid        skip lines that do not fit the layout, and count them on\n"
    "                        standard error, instead of stopping\n"
    "The layouts read are listed in the manual page, man tolvex-cli.\n"
    "\n"
    "Exit status: 0 done (check: a hit), 1 check: a miss, 2 bad arguments or input.\n";

int Fail(std::ostream& err, const std::string& message) {
    err << "tolvex-cli: " << message << '\n';
    return kError;
}

int UsageError(std::ostream& err, const std::string& message) {
    err << "tolvex-cli: " << message << "\n(tolvex-cli --help shows the usage)\n";
    return kError;
}

std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    quoted.append(ShowLine(text)).push_back('\'');
    return quoted;
}

struct OptionInfo {
    std::string_view name;
    bool takes_value;
};

struct Parsed {
    std::vector<std::string_view> positional;
    std::vector<std::pair<std::string_view, std::string_view>> options;
    std::string error;

    bool Has(std::string_view name) const {
        for (const auto& o : options) {
            if (o.first == name) {
                return true;
            }
        }
        return false;
    }
    std::string_view Value(std::string_view name, std::string_view fallback) const {
        for (auto it = options.rbegin(); it != options.rend(); ++it) {
            if (it->first == name) {
                return it->second;
            }
        }
        return fallback;
    }
};

// Options start with "--" and may stand anywhere; "--" alone ends them. Everything else,
// "-" and "-12" included, is positional.
Parsed ParseArgs(std::span<const std::string_view> args, std::span<const OptionInfo> options) {
    Parsed p;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (options_done || a.size() < 2 || a.substr(0, 2) != "--") {
            p.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options_done = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string_view name = a.substr(0, eq);
        const OptionInfo* option = nullptr;
        for (const auto& s : options) {
            if (s.name == name) {
                option = &s;
            }
        }
        if (option == nullptr) {
            p.error = "unknown option " + Quoted(name);
            return p;
        }
        if (!option->takes_value) {
            if (eq != std::string_view::npos) {
                p.error = "option " + std::string(name) + " takes no value";
                return p;
            }
            p.options.emplace_back(name, std::string_view{});
        } else if (eq != std::string_view::npos) {
            p.options.emplace_back(name, a.substr(eq + 1));
        } else if (i + 1 < args.size()) {
            p.options.emplace_back(name, args[++i]);
        } else {
            p.error = "option " + std::string(name) + " needs a value";
            return p;
        }
    }
    return p;
}

// An input named on the command line, or standard input for none or "-".
class Input {
  public:
    Input(std::istream& standard_input, std::string_view path) {
        if (path.empty() || path == "-") {
            stream_ = &standard_input;
            name_ = "standard input";
        } else {
            errno = 0;
            file_.open(std::string(path), std::ios::binary);
            const int e = errno;
            if (!file_.is_open()) {
                reason_ = e != 0 ? std::strerror(e) : "cannot be opened";
            }
            stream_ = &file_;
            name_ = std::string(path);
        }
    }
    bool ok() const { return stream_ == &file_ ? file_.is_open() : true; }
    std::istream& stream() { return *stream_; }
    const std::string& name() const { return name_; }
    /// "cannot open 'x.txt': No such file or directory"
    std::string OpenError() const { return "cannot open " + Quoted(name_) + ": " + reason_; }

  private:
    std::ifstream file_;
    std::istream* stream_;
    std::string name_;
    std::string reason_;
};

int Reduce(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    static constexpr OptionInfo kOptions[] = {{"--count", false}};
    const Parsed p = ParseArgs(args, kOptions);
    if (!p.error.empty()) {
        return UsageError(err, p.error);
    }
    if (p.positional.size() != 2) {
        return UsageError(err, "reduce takes two draws: PREVIOUS LAST");
    }
    const auto previous = ParseDraw(p.positional[0]);
    const auto last = ParseDraw(p.positional[1]);
    if (!previous) {
        Fail(err, "PREVIOUS " + Quoted(p.positional[0]) +
                      " is not a draw: a draw is exactly three digits 0-9");
    }
    if (!last) {
        Fail(err, "LAST " + Quoted(p.positional[1]) +
                      " is not a draw: a draw is exactly three digits 0-9");
    }
    if (!previous || !last) {
        return kError;
    }
    const ReductionResult result = ReduceNumbers(*previous, *last);
    if (p.Has("--count")) {
        out << result.count << '\n';
    } else {
        out << result.text << '\n';
    }
    out.flush();
    return out ? kOk : Fail(err, "cannot write standard output");
}

int Check(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
          std::ostream& err) {
    const Parsed p = ParseArgs(args, {});
    if (!p.error.empty()) {
        return UsageError(err, p.error);
    }
    if (p.positional.empty() || p.positional.size() > 2) {
        return UsageError(err, "check takes a draw and at most one file: DRAW [FILE]");
    }
    const std::string_view draw = p.positional[0];
    // The window's marker also answers for any three typed bytes ("3 4" can match across two
    // kept numbers); a script asks about a draw, so anything else is refused.
    if (!ParseDraw(draw)) {
        return Fail(err,
                    "DRAW " + Quoted(draw) + " is not a draw: a draw is exactly three digits 0-9");
    }
    Input input(in, p.positional.size() == 2 ? p.positional[1] : std::string_view{});
    if (!input.ok()) {
        return Fail(err, input.OpenError());
    }

    // A result saved as UTF-16 (with its byte-order mark) is searched as the text it holds;
    // offsets then count from the start of that text.
    StreamSource raw(input.stream());
    ByteSource* source = &raw;
    std::unique_ptr<Utf16Source> utf16;
    if (const auto mark = FindByteOrderMark(raw.Peek(2));
        mark && mark->encoding != Encoding::Utf8) {
        raw.Skip(mark->size);
        utf16 = std::make_unique<Utf16Source>(raw, mark->encoding == Encoding::Utf16Be);
        source = utf16.get();
    }

    // The result is searched in chunks, each with the last two bytes of the one before, so
    // that a match across a chunk boundary is found and only the first match counts. The
    // result is blank (the window's Clear) when no chunk held anything but blanks.
    std::string window(2 + 64 * 1024, '\0');
    std::size_t carried = 0;
    std::uint64_t base = 0;  // offset in the result of window[0]
    bool blank = true;
    for (;;) {
        std::size_t got = 0;
        bool ended = false;
        while (carried + got < window.size()) {
            const std::size_t n =
                source->Read(window.data() + carried + got, window.size() - carried - got);
            if (n == 0) {
                ended = true;
                break;
            }
            got += n;
        }
        if (!raw.error().empty()) {
            return Fail(err, "cannot read " + Quoted(input.name()) + ": " + raw.error());
        }
        const std::string_view text(window.data(), carried + got);
        const HitResult r = CheckHit(text, draw);
        if (r.kind == HitKind::Hit) {
            out << marks::kHit << ' ' << base + r.start << '\n';
            out.flush();
            return out ? kOk : Fail(err, "cannot write standard output");
        }
        blank = blank && r.kind == HitKind::Clear;
        if (ended) {
            break;
        }
        const std::size_t keep = text.size() < 2 ? text.size() : 2;
        base += text.size() - keep;
        std::copy(text.end() - static_cast<std::ptrdiff_t>(keep), text.end(), window.begin());
        carried = keep;
    }
    if (blank) {
        return Fail(err, "no result to check against: " + input.name() + " is empty or blank");
    }
    out << marks::kMiss << '\n';
    out.flush();
    return out ? kMiss : Fail(err, "cannot write standard output");
}

class OutputBuffer {
  public:
    explicit OutputBuffer(std::ostream& out) : out_(out) {}
    std::string& text() { return text_; }
    void FlushIfFull() {
        if (text_.size() >= 1 << 20) {
            Flush();
        }
    }
    void Flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }

  private:
    std::ostream& out_;
    std::string text_;
};

// The options that say how a history is read, shared by backtest and inspect.
constexpr OptionInfo kReadingOptions[] = {{"--column", true},
                                          {"--encoding", true},
                                          {"--newest-first", false},
                                          {"--oldest-first", false},
                                          {"--skip-invalid", false}};

std::optional<ReadOptions> ParseReading(const Parsed& p, std::ostream& err) {
    ReadOptions r;
    if (p.Has("--encoding")) {
        const std::string_view name = p.Value("--encoding", "");
        r.encoding = ParseEncoding(name);
        if (!r.encoding) {
            UsageError(err, "unknown encoding " + Quoted(name) + ": use utf-8, utf-16 or gbk");
            return std::nullopt;
        }
    }
    for (const auto& [name, value] : p.options) {
        if (name != "--column") {
            continue;
        }
        std::size_t begin = 0;
        for (;;) {
            const std::size_t comma = value.find(',', begin);
            const std::string_view item = value.substr(begin, comma - begin);
            if (item.empty()) {
                UsageError(err, "--column " + Quoted(value) + ": an empty column");
                return std::nullopt;
            }
            r.columns.emplace_back(item);
            if (comma == std::string_view::npos) {
                break;
            }
            begin = comma + 1;
        }
    }
    if (p.Has("--newest-first") && p.Has("--oldest-first")) {
        UsageError(err, "--newest-first and --oldest-first contradict each other");
        return std::nullopt;
    }
    if (p.Has("--newest-first")) {
        r.order = Order::NewestFirst;
    } else if (p.Has("--oldest-first")) {
        r.order = Order::OldestFirst;
    }
    r.skip_invalid = p.Has("--skip-invalid");
    return r;
}

void WriteNotes(const HistoryReader& reader, std::ostream& err) {
    for (const std::string& note : reader.Notes()) {
        err << "tolvex-cli: " << note << '\n';
    }
}

// --output: the report is written beside its target and takes its place once complete, so
// that a failed run leaves an earlier report as it was.
class OutputFile {
  public:
    ~OutputFile() {
        if (file_.is_open()) {
            file_.close();
        }
        if (!temporary_.empty() && !committed_) {
            std::remove(temporary_.c_str());
        }
    }
    bool Open(std::string target) {
        target_ = std::move(target);
        temporary_ = target_ + ".tmp";
        errno = 0;
        file_.open(temporary_, std::ios::binary | std::ios::trunc);
        if (!file_.is_open()) {
            reason_ = errno != 0 ? std::strerror(errno) : "cannot be created";
            temporary_.clear();
            return false;
        }
        return true;
    }
    std::ostream& stream() { return file_; }
    bool Commit() {
        file_.close();
        if (!file_) {
            reason_ = "the report could not be written in full";
            return false;
        }
#ifdef _WIN32
        if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            reason_ = "cannot replace it (Windows error " + std::to_string(GetLastError()) + ")";
            return false;
        }
#else
        errno = 0;
        if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
            reason_ = std::strerror(errno);
            return false;
        }
#endif
        committed_ = true;
        return true;
    }
    /// "cannot write 'report.html': No such file or directory"
    std::string Error() const {
        return "cannot write " + Quoted(target_) + ": " + reason_;
    }

  private:
    std::ofstream file_;
    std::string target_, temporary_, reason_;
    bool committed_ = false;
};

// When the page was made: SOURCE_DATE_EPOCH when set (reproducible builds), else now.
std::optional<std::int64_t> ReportTime(std::ostream& err) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    std::int64_t seconds = 0;
    const std::string_view text(epoch);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), seconds);
    // up to the last second of the year 9999
    if (r.ec != std::errc{} || r.ptr != text.data() + text.size() || seconds < 0 ||
        seconds > 253402300799) {
        Fail(err, "SOURCE_DATE_EPOCH " + Quoted(text) + " is not a number of seconds since 1970");
        return std::nullopt;
    }
    return seconds;
}

int RunBacktest(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    std::vector<OptionInfo> options(std::begin(kReadingOptions), std::end(kReadingOptions));
    options.push_back({"--format", true});
    options.push_back({"--summary", false});
    options.push_back({"--output", true});
    options.push_back({"--struck-rows", true});
    const Parsed p = ParseArgs(args, options);
    if (!p.error.empty()) {
        return UsageError(err, p.error);
    }
    if (p.positional.size() > 1) {
        return UsageError(err, "backtest takes at most one file");
    }
    const auto format = ParseFormat(p.Value("--format", "text"));
    if (!format) {
        return UsageError(err, "unknown format " + Quoted(p.Value("--format", "")) +
                                   ": use text, csv, json or html");
    }
    const bool html = *format == Format::Html;
    const bool rows = !p.Has("--summary");
    HtmlOptions page;
    page.version = TOLVEX_VERSION;
    if (p.Has("--struck-rows")) {
        const std::string_view value = p.Value("--struck-rows", "");
        std::uint64_t n = 0;
        const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
        if (value == "all") {
            n = std::numeric_limits<std::uint64_t>::max();
        } else if (value.empty() || r.ec != std::errc{} || r.ptr != value.data() + value.size()) {
            return UsageError(err, "--struck-rows " + Quoted(value) + ": a count, or all");
        }
        if (!html) {
            return UsageError(err, "--struck-rows is for --format html");
        }
        page.struck_rows = n;
    }
    if (!rows) {
        page.struck_rows = 0;
    }
    auto reading = ParseReading(p, err);
    if (!reading) {
        return kError;
    }
    if (html) {
        const auto made = ReportTime(err);
        if (!made) {
            return kError;
        }
        page.made_at = *made;
    }
    Input input(in, p.positional.empty() ? std::string_view{} : p.positional[0]);
    if (!input.ok()) {
        return Fail(err, input.OpenError());
    }
    const std::string_view target = p.Value("--output", "-");
    if (target.empty()) {
        return UsageError(err, "--output needs a file name, or - for standard output");
    }
    OutputFile file;
    if (target != "-" && !file.Open(std::string(target))) {
        return Fail(err, file.Error());
    }
    std::ostream& sink = target != "-" ? file.stream() : out;
    HistoryReader reader(input.stream(), input.name(), std::move(*reading));
    if (!reader.Open()) {
        return Fail(err, reader.error());
    }
    const bool newest_first = reader.info().order == Order::NewestFirst;

    // Nothing is reported before the whole input has been read and found valid, so the draws
    // are kept (compactly) when rows are wanted or the order must be turned round; a summary
    // keeps no labels, and of an oldest-first history only the running tally. The page keeps
    // every draw's labels, and its key for the periods.
    const bool keep = rows || html;
    History history;
    std::vector<std::uint64_t> keys;
    std::vector<std::uint16_t> draws;
    Backtest backtest;
    HistoryDraw draw{};
    while (reader.Next(draw)) {
        if (keep) {
            if (!history.Add(draw.number, draw.line, draw.label)) {
                return Fail(
                    err, input.name() + ", line " + std::to_string(draw.line) + ": too many lines");
            }
            if (html) {
                keys.push_back(draw.key);
            }
        } else if (newest_first) {
            draws.push_back(draw.number);
        } else {
            backtest.Add(draw.number);
        }
    }
    if (!reader.error().empty()) {
        return Fail(err, reader.error());
    }

    std::size_t label_width = 0;
    if (newest_first) {
        history.Reverse();
        // the draws of one line share their key
        std::reverse(keys.begin(), keys.end());
        // a line's draws keep their order: as many on every line
        const std::size_t per_line = std::max<std::size_t>(reader.info().layout.draws.size(), 1);
        std::reverse(draws.begin(), draws.end());
        for (std::size_t i = 0; i + per_line <= draws.size(); i += per_line) {
            std::reverse(draws.begin() + static_cast<std::ptrdiff_t>(i),
                         draws.begin() + static_cast<std::ptrdiff_t>(i + per_line));
        }
        for (const auto d : draws) {
            backtest.Add(d);
        }
    }
    if (rows && *format == Format::Text) {
        for (std::size_t i = 0; i < history.size(); ++i) {
            label_width = std::max(label_width, LabelWidth(history.label(i)));
        }
    }
    WriteNotes(reader, err);
    OutputBuffer buffer(sink);
    if (html) {
        HtmlReport report(reader.info(), history.size() > 2 ? history.size() - 2 : 0,
                          std::move(page));
        for (std::size_t i = 0; i < history.size(); ++i) {
            if (const auto t = backtest.Add(history.number(i))) {
                report.Add(Row{history.line(i), history.label(i), *t}, keys[i]);
            }
        }
        report.Write(backtest.summary(), buffer.text());
    } else {
        ReportWriter writer(*format, rows, label_width, buffer.text());
        writer.Begin();
        for (std::size_t i = 0; i < history.size(); ++i) {
            if (const auto t = backtest.Add(history.number(i))) {
                writer.Add(Row{history.line(i), history.label(i), *t});
                buffer.FlushIfFull();
            }
        }
        writer.End(backtest.summary());
    }
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
    if (rows && *format == Format::Csv) {
        err << SummaryText(backtest.summary());
    }
    return kOk;
}

std::string Plural(std::uint64_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string ColumnList(const std::vector<DrawColumn>& columns) {
    std::string s;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        s += i == 0 ? "" : i + 1 == columns.size() ? " and " : ", ";
        s += DescribeColumn(columns[i]);
    }
    return s;
}

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
    out += "encoding     " + std::string(EncodingName(info.encoding));
    if (info.encoding_given) {
        out += " (--encoding)";
    } else if (info.byte_order_mark) {
        out += " (byte-order mark)";
    } else if (info.encoding == Encoding::Gb18030) {
        out += " (the text is not UTF-8)";
    }
    out += "\nline ends    " + LineEndNames(info.line_ends) + "\n";
    out += "delimiter    " + std::string(DelimiterName(layout.delimiter));
    if (layout.delimiter == Delimiter::Blanks &&
        (layout.no_break_spaces || layout.ideographic_spaces)) {
        out += layout.ideographic_spaces ? " (ideographic spaces" : " (no-break spaces";
        out += layout.ideographic_spaces && layout.no_break_spaces ? ", no-break spaces)" : ")";
    }
    if (!layout.exact) {
        out += " (the first column takes any further fields)";
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
    out += "\norder        ";
    out += info.order == Order::NewestFirst ? "newest first" : "oldest first";
    switch (info.order_source) {
        case HistoryInfo::OrderSource::Option:
            out += info.order == Order::NewestFirst ? " (--newest-first)" : " (--oldest-first)";
            break;
        case HistoryInfo::OrderSource::Labels:
            out += std::string(" (the ") +
                   (layout.key == KeyKind::Issue ? "issue numbers" : "dates") + " run " +
                   (info.order == Order::NewestFirst ? "down" : "up") + ")";
            break;
        case HistoryInfo::OrderSource::Default:
            out += " (as written: the labels do not tell)";
            break;
    }
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
    return out;
}

int Inspect(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err) {
    const Parsed p = ParseArgs(args, kReadingOptions);
    if (!p.error.empty()) {
        return UsageError(err, p.error);
    }
    if (p.positional.size() > 1) {
        return UsageError(err, "inspect takes at most one file");
    }
    auto reading = ParseReading(p, err);
    if (!reading) {
        return kError;
    }
    Input input(in, p.positional.empty() ? std::string_view{} : p.positional[0]);
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

}  // namespace

int RunCli(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
           std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return kError;
    }
    const std::string_view command = args[0];
    const auto rest = args.subspan(1);
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return kOk;
    }
    if (command == "--version") {
        out << "tolvex-cli " TOLVEX_VERSION "\n";
        return kOk;
    }
    if (command == "reduce") {
        return Reduce(rest, out, err);
    }
    if (command == "check") {
        return Check(rest, in, out, err);
    }
    if (command == "backtest") {
        return RunBacktest(rest, in, out, err);
    }
    if (command == "inspect") {
        return Inspect(rest, in, out, err);
    }
    return UsageError(err, "unknown command " + Quoted(command));
}

}  // namespace tolvex::cli
