// window_probe.cpp - reads a control's text from a running window, for test scripts that drive
// the installed program from outside: window_probe <control ID> [<window title>] prints it as
// UTF-8. The window is the Tolvex window, or a shown one whose title begins with that title
// (such as the setup program's, whose title changes from page to page); the control is its
// child with that ID, or else the first descendant with it. Exit 1 when there is no such window
// or control.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

struct Search {
    int id;
    HWND found;
};

struct TitleSearch {
    std::wstring title;
    HWND found;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (!IsWindowVisible(window) || std::wstring(title).rfind(search->title, 0) != 0) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

BOOL CALLBACK FindDescendant(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (GetDlgCtrlID(child) != search->id) {
        return TRUE;
    }
    search->found = child;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        return 2;
    }
    TitleSearch titled{argc == 3 ? argv[2] : L"", nullptr};
    if (argc == 3) {
        EnumWindows(&FindTitled, reinterpret_cast<LPARAM>(&titled));
    }
    const HWND window = argc == 3 ? titled.found : FindWindowW(L"TolvexMainWindow", nullptr);
    if (window == nullptr) {
        return 1;
    }
    Search search{_wtoi(argv[1]), GetDlgItem(window, _wtoi(argv[1]))};
    if (search.found == nullptr) {
        EnumChildWindows(window, &FindDescendant, reinterpret_cast<LPARAM>(&search));
    }
    if (search.found == nullptr) {
        return 1;
    }
    wchar_t text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(search.found, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK,
                        5000, &copied);
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
