// main.cpp - tolvex-cli: the reduction core for scripts, and backtests over draw histories.
#include <exception>
#include <iostream>
#include <string_view>
#include <vector>

#include "commands.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Byte for byte on Windows too: no CR LF translation of the input or the reports.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    std::vector<std::string_view> args(argv + 1, argv + argc);
    try {
        return tolvex::cli::RunCli(args, std::cin, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "tolvex-cli: " << e.what() << '\n';
        return tolvex::cli::kError;
    }
}
