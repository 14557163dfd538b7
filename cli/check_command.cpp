// check_command.cpp - tolvex-cli check: whether a draw is in a saved result.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "tolvex/history/decode.h"
#include "tolvex/marks.h"
#include "tolvex/tolvex.h"

namespace tolvex::cli {

using namespace tolvex::history;

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
        return Fail(err,
                    "no result to check against: " + Quoted(input.name()) + " is empty or blank");
    }
    out << marks::kMiss << '\n';
    out.flush();
    return out ? kMiss : Fail(err, "cannot write standard output");
}

}  // namespace tolvex::cli
