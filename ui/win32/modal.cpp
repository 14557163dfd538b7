// modal.cpp - the class, text sizes, centred frame and message loop of the modal windows.
#include "modal.h"

namespace tolvex::win32 {

bool RegisterModalClass(const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) {
        return true;
    }
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

SIZE MeasureText(const std::wstring& text, HFONT font, UINT format) {
    RECT r{0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | format);
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right, r.bottom};
}

Placement CentredFrame(int width, int height, DWORD style, DWORD exStyle) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    return Placement{(GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight};
}

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A thread timer: its WM_TIMER has no window and no procedure, so dispatching it does nothing.
LoopWake::LoopWake() : timer_(RunsUnderWine() ? SetTimer(nullptr, 0, 500, nullptr) : 0) {}

LoopWake::~LoopWake() {
    if (timer_ != 0) {
        KillTimer(nullptr, timer_);
    }
}

std::optional<int> RunModalLoop(HWND window, const bool& done) {
    const LoopWake wake;
    MSG msg;
    while (!done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(msg.wParam);
        }
        if (got < 0) {
            break;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return std::nullopt;
}

std::optional<LRESULT> HandleModalMessage(UINT message, bool& done) {
    switch (message) {
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CLOSE:
            done = true;
            return 0;
        default:
            return std::nullopt;
    }
}

}  // namespace tolvex::win32
