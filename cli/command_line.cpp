// command_line.cpp - messages, option parsing and the reading options the commands share.
#include "command_line.h"

#include "commands.h"

namespace tolvex::cli {

using namespace tolvex::history;

namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

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

Parsed ParseArgs(std::span<const std::string_view> args, std::span<const OptionInfo> options) {
    Parsed p;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (options_done || a.size() < 2 || a[0] != '-' || IsDigit(a[1])) {
            p.positional.push_back(a);
            continue;
        }
        // "-c" and the like: there are no short options (--help alone has its -h)
        if (a[1] != '-') {
            p.error = "unknown option " + Quoted(a);
            return p;
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

std::optional<Parsed> ParseFileCommand(std::span<const std::string_view> args,
                                       std::span<const OptionInfo> options, std::string_view usage,
                                       std::ostream& err) {
    Parsed p = ParseArgs(args, options);
    if (!p.error.empty()) {
        UsageError(err, p.error);
        return std::nullopt;
    }
    if (p.positional.size() > 1) {
        UsageError(err, std::string(usage));
        return std::nullopt;
    }
    return p;
}

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

}  // namespace tolvex::cli
