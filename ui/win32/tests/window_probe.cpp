// window_probe.cpp - reads a control's text from the running Tolvex window, for test scripts
// that drive the installed program from outside: window_probe <control ID> prints it as UTF-8;
// exit 1 when no Tolvex window or no such control is open.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        return 2;
    }
    const HWND window = FindWindowW(L"TolvexMainWindow", nullptr);
    const HWND control = window != nullptr ? GetDlgItem(window, _wtoi(argv[1])) : nullptr;
    if (control == nullptr) {
        return 1;
    }
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        &copied);
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(copied), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(copied), utf8.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
    return 0;
}
