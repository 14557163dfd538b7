// commands.h - the tolvex-cli commands over plain streams, so tests can drive them in process.
#pragma once

#include <istream>
#include <ostream>
#include <span>
#include <string_view>

namespace tolvex::cli {

/// Exit statuses of tolvex-cli.
enum Exit : int {
    kOk = 0,     ///< done; for check: the draw was kept
    kMiss = 1,   ///< check only: the draw was not kept
    kError = 2,  ///< bad arguments or input; a message is on `err`, nothing on `out`
};

/// Runs one command line (`args` without the program name). `in` is standard input, read
/// when a command's FILE is absent or "-". Files are opened in binary mode.
int RunCli(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
           std::ostream& err);

}  // namespace tolvex::cli
