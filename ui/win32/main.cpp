// main.cpp - entry point of tolvex.exe: the window, or with a history file the backtest.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backtest_desktop.h"
#include "main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    std::vector<std::wstring> arguments;
    int count = 0;
    if (LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        arguments.assign(words + std::min(count, 1), words + count);
        LocalFree(words);
    }
    if (const auto status = tolvex::win32::RunBacktestFor(arguments)) {
        return *status;
    }
    return tolvex::win32::RunProgram(showCommand);
}
