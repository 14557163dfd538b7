// message_box.cpp - the modal message box with its own message loop.
#include "message_box.h"

#include <algorithm>

#include "resource.h"
#include "text.h"
#include "tolvex/ui/layout.h"
#include "tolvex/ui/texts.h"

namespace tolvex::win32 {

using ui::Scaled;

bool MessageBoxWindow::RegisterClassOnce() {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &wc)) {
        return true;
    }
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

void MessageBoxWindow::Show(HWND owner, const std::wstring& title, const std::wstring& text,
                            HFONT font, double scale, const bool& waitCursor) {
    MessageBoxWindow box(font, waitCursor);

    // Measure the text to size the box around it.
    RECT textRect{0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);

    const int margin = Scaled(16, scale);
    const int buttonWidth = Scaled(75, scale);
    const int buttonHeight = Scaled(25, scale);
    const int clientWidth = std::max<int>(textRect.right + 2 * margin,
                                          std::max(buttonWidth + 2 * margin, Scaled(180, scale)));
    const int clientHeight = margin + textRect.bottom + margin + buttonHeight + Scaled(12, scale);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    HWND window = RegisterClassOnce()
                      ? CreateWindowExW(exStyle, kClassName, title.c_str(), style, x, y, width,
                                        height, owner, nullptr, GetModuleHandleW(nullptr), &box)
                      : nullptr;
    if (window == nullptr) {
        // The message is never lost: the platform's own box shows it instead.
        MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
        return;
    }
    HWND label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                 margin, margin, textRect.right, textRect.bottom, window,
                                 reinterpret_cast<HMENU>(IDC_MSGTEXT), nullptr, nullptr);
    static const std::wstring ok = ToWide(ui::texts::kOkButton, CP_UTF8);
    HWND button = CreateWindowExW(
        0, L"BUTTON", ok.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
        (clientWidth - buttonWidth) / 2, margin + textRect.bottom + margin, buttonWidth,
        buttonHeight, window, reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(window, SW_SHOW);
    SetFocus(button);

    MSG msg;
    bool quit = false;
    while (!box.done_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Enable the owner before the box goes, so that the owner is activated again.
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    if (box.hwnd_ != nullptr) {
        DestroyWindow(box.hwnd_);
    }
    if (quit) {
        PostQuitMessage(static_cast<int>(msg.wParam));
    }
}

LRESULT MessageBoxWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // The button, Enter (the default button) and Esc (IDCANCEL) all close the box.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                done_ = true;
            }
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CLOSE:
            done_ = true;
            return 0;
        case WM_SETCURSOR:
            if (waitCursor_ && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tolvex::win32
