// commands.cpp - the usage text and the choice of command.
#include "commands.h"

#include <string>

#include "command_line.h"
#include "tolvex/version.h"

namespace tolvex::cli {
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
        out << "tolvex-cli " TOLVEX_VERSION_STRING "\n";
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
