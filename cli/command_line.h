// command_line.h - what the commands share: messages, options, inputs, the reading options.
#pragma once

#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "system.h"
#include "tolvex/history/reader.h"

namespace tolvex::cli {

/// Writes "tolvex-cli: <message>" to `err` and returns kError.
int Fail(std::ostream& err, const std::string& message);
/// Fail, followed by the hint to the usage.
int UsageError(std::ostream& err, const std::string& message);
/// A file name or value as messages show it: in single quotes, cut and made printable.
std::string Quoted(std::string_view text);

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

// Options start with "--" and may stand anywhere; "--" alone ends them. Any other word
// starting with "-" is an unknown option, except "-" itself and "-12" (a wrong draw, said as
// such); everything else is positional.
Parsed ParseArgs(std::span<const std::string_view> args, std::span<const OptionInfo> options);

/// The arguments of a command that reads at most one file (`usage` says so otherwise), or no
/// value after a usage error on `err`.
std::optional<Parsed> ParseFileCommand(std::span<const std::string_view> args,
                                       std::span<const OptionInfo> options, std::string_view usage,
                                       std::ostream& err);

// An input named on the command line, or standard input for none or "-".
class Input {
  public:
    Input(std::istream& standard_input, std::string_view path) {
        if (path.empty() || path == "-") {
            stream_ = &standard_input;
            name_ = "standard input";
        } else {
            errno = 0;
            file_.open(FilePath(path), std::ios::binary);
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

// The options that say how a history is read, shared by backtest and inspect.
inline constexpr OptionInfo kReadingOptions[] = {{"--column", true},
                                                 {"--encoding", true},
                                                 {"--newest-first", false},
                                                 {"--oldest-first", false},
                                                 {"--skip-invalid", false}};

/// The reading options of `p`, or no value after a usage error on `err`.
std::optional<history::ReadOptions> ParseReading(const Parsed& p, std::ostream& err);
/// The reader's notes (lines skipped and the like), one message each.
void WriteNotes(const history::HistoryReader& reader, std::ostream& err);

// The commands; `args` follow the command's name.
int Reduce(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int Check(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
          std::ostream& err);
int RunBacktest(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                std::ostream& err);
int Inspect(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
            std::ostream& err);

}  // namespace tolvex::cli
