// reduce_command.cpp - tolvex-cli reduce: the numbers kept for the next draw.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "tolvex/tolvex.h"

namespace tolvex::cli {

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

}  // namespace tolvex::cli
