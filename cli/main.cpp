// main.cpp - tolvex-cli: the reduction core for scripts, and backtests over draw histories.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "system.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
#ifdef _WIN32
    // Byte for byte on Windows too: no CR LF translation of the input or the reports. A file or
    // pipe gets UTF-8, a console the same text through its wide API.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    const tolvex::cli::ConsoleStream console_out(std::cout, GetStdHandle(STD_OUTPUT_HANDLE));
    const tolvex::cli::ConsoleStream console_err(std::cerr, GetStdHandle(STD_ERROR_HANDLE));
    const std::vector<std::string> words = tolvex::cli::Utf8Arguments();
    (void)argc;
    (void)argv;
#else
    const std::vector<std::string> words(argv + 1, argv + argc);
#endif
    const std::vector<std::string_view> args(words.begin(), words.end());
    try {
        return tolvex::cli::RunCli(args, std::cin, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "tolvex-cli: " << e.what() << '\n';
        return tolvex::cli::kError;
    }
}
