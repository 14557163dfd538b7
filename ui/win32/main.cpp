// main.cpp - entry point of the Win32 program tolvex.exe.
#include <windows.h>

#include "main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    return tolvex::win32::RunProgram(showCommand);
}
