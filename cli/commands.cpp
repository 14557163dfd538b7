// commands.cpp - argument handling and the reduce, check and backtest commands.
#include "commands.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "backtest.h"
#include "history.h"
#include "report.h"
#include "tolvex/tolvex.h"

#ifndef TOLVEX_VERSION
#define TOLVEX_VERSION "dev"
#endif

namespace tolvex::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: tolvex-cli reduce PREVIOUS LAST [--count]\n"
    "       tolvex-cli check DRAW [FILE]\n"
    "       tolvex-cli backtest [FILE] [--format text|csv|json] [--newest-first] [--summary]\n"
    "       tolvex-cli --help | --version\n"
    "\n"
    "reduce    prints the numbers kept for the next draw as one line, or with --count only\n"
    "          how many. PREVIOUS and LAST are draws of exactly three digits.\n"
    "check     tells whether DRAW is in a saved result (FILE, or standard input): prints\n"
    "          \xE4\xB8\xAD and its byte offset and exits 0, or prints X and exits 1.\n"
    "backtest  checks each draw of a history (FILE, or standard input when FILE is absent\n"
    "          or -), from the third on, against the reduction of the two draws before it,\n"
    "          and sets the hit rate beside the rate chance gives. Oldest draw first unless\n"
    "          --newest-first. One draw per line: the line's last run of three digits, or\n"
    "          its last three single digits (\"2024001 456\", \"4,5,6\", \"0-0-2\"); blank\n"
    "          lines and lines starting with # are skipped. --summary leaves out the rows;\n"
    "          with --format csv the summary goes to standard error unless --summary.\n"
    "\n"
    "Exit status: 0 done (check: a hit), 1 check: a miss, 2 bad arguments or input.\n";

constexpr std::string_view kHitMark = "\xE4\xB8\xAD";

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
            file_.open(std::string(path), std::ios::binary);
            stream_ = &file_;
            name_ = std::string(path);
        }
    }
    bool ok() const { return stream_ == &file_ ? file_.is_open() : true; }
    std::istream& stream() { return *stream_; }
    const std::string& name() const { return name_; }

  private:
    std::ifstream file_;
    std::istream* stream_;
    std::string name_;
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
        return Fail(err, "cannot open " + Quoted(input.name()));
    }

    // The result is searched in chunks, each with the last two bytes of the one before, so
    // that a match across a chunk boundary is found and only the first match counts. The
    // result is blank (the window's Clear) when no chunk held anything but blanks.
    std::string window(2 + 64 * 1024, '\0');
    std::size_t carried = 0;
    std::uint64_t base = 0;  // offset in the result of window[0]
    bool blank = true;
    std::istream& s = input.stream();
    for (;;) {
        s.read(window.data() + carried, static_cast<std::streamsize>(window.size() - carried));
        const auto got = static_cast<std::size_t>(s.gcount());
        if (s.bad()) {
            return Fail(err, "cannot read " + Quoted(input.name()));
        }
        const std::string_view text(window.data(), carried + got);
        const HitResult r = CheckHit(text, draw);
        if (r.kind == HitKind::Hit) {
            out << kHitMark << ' ' << base + r.start << '\n';
            out.flush();
            return out ? kOk : Fail(err, "cannot write standard output");
        }
        blank = blank && r.kind == HitKind::Clear;
        if (got == 0 || s.eof()) {
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
    out << "X\n";
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

int RunBacktest(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    static constexpr OptionInfo kOptions[] = {
        {"--format", true}, {"--newest-first", false}, {"--summary", false}};
    const Parsed p = ParseArgs(args, kOptions);
    if (!p.error.empty()) {
        return UsageError(err, p.error);
    }
    if (p.positional.size() > 1) {
        return UsageError(err, "backtest takes at most one file");
    }
    const auto format = ParseFormat(p.Value("--format", "text"));
    if (!format) {
        return UsageError(
            err, "unknown format " + Quoted(p.Value("--format", "")) + ": use text, csv or json");
    }
    const bool rows = !p.Has("--summary");
    const bool newest_first = p.Has("--newest-first");
    Input input(in, p.positional.empty() ? std::string_view{} : p.positional[0]);
    if (!input.ok()) {
        return Fail(err, "cannot open " + Quoted(input.name()));
    }

    // Nothing is reported before the whole input has been read and found valid, so the draws
    // are kept (compactly) when rows are wanted or the order must be turned round; a summary
    // of an oldest-first history needs only the running tally.
    const bool keep = rows || newest_first;
    History history;
    Backtest backtest;
    LineSplitter lines(input.stream());
    std::string_view line;
    std::uint64_t number = 0;
    for (;;) {
        const auto status = lines.Next(line, number);
        if (status == LineSplitter::Status::End) {
            break;
        }
        const std::string where = input.name() + ", line " + std::to_string(number);
        if (status == LineSplitter::Status::ReadError) {
            return Fail(err, "cannot read " + Quoted(input.name()));
        }
        if (status == LineSplitter::Status::TooLong) {
            return Fail(err, where + ": line longer than " +
                                 std::to_string(LineSplitter::kDefaultMaxLine) +
                                 " bytes: " + ShowLine(line));
        }
        const HistoryLine h = ReadHistoryLine(line);
        if (h.kind == LineKind::Skip) {
            continue;
        }
        if (h.kind == LineKind::Invalid) {
            return Fail(err, where + ": no draw found in: " + ShowLine(line) +
                                 "\n(a draw is the line's last run of three digits, or its "
                                 "last three single digits; comment the line out with #)");
        }
        if (!keep) {
            backtest.Add(h.number);
        } else if (!history.Add(h.number, number, h.label)) {
            return Fail(err, where + ": too many lines");
        }
    }

    std::size_t label_width = 0;
    if (newest_first) {
        history.Reverse();
    }
    if (rows && *format == Format::Text) {
        for (std::size_t i = 0; i < history.size(); ++i) {
            label_width = std::max(label_width, LabelWidth(history.label(i)));
        }
    }
    OutputBuffer buffer(out);
    ReportWriter writer(*format, rows, label_width, buffer.text());
    writer.Begin();
    for (std::size_t i = 0; i < history.size(); ++i) {
        if (const auto t = backtest.Add(history.number(i))) {
            writer.Add(Row{history.line(i), history.label(i), *t});
            buffer.FlushIfFull();
        }
    }
    writer.End(backtest.summary());
    buffer.Flush();
    out.flush();
    if (!out) {
        return Fail(err, "cannot write standard output");
    }
    if (rows && *format == Format::Csv) {
        err << SummaryText(backtest.summary());
    }
    return kOk;
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
    return UsageError(err, "unknown command " + Quoted(command));
}

}  // namespace tolvex::cli
