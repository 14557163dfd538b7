// message_box.cpp - the modal message box with its own message loop.
#include "message_box.h"

#include <algorithm>

#include "modal.h"
#include "resource.h"
#include "text.h"
#include "tolvex/ui/layout.h"
#include "tolvex/ui/texts.h"

namespace tolvex::win32 {

using ui::Scaled;

void MessageBoxWindow::Show(HWND owner, const std::wstring& title, const std::wstring& text,
                            HFONT font, double scale, const bool& waitCursor) {
    MessageBoxWindow box(font, waitCursor);

    // The box is sized around its text.
    const SIZE textSize = MeasureText(text, font, DT_NOPREFIX);
    const int margin = Scaled(16, scale);
    const int buttonWidth = Scaled(75, scale);
    const int buttonHeight = Scaled(25, scale);
    const int clientWidth = std::max<int>(textSize.cx + 2 * margin,
                                          std::max(buttonWidth + 2 * margin, Scaled(180, scale)));
    const int clientHeight = margin + textSize.cy + margin + buttonHeight + Scaled(12, scale);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME;
    const Placement frame = CentredFrame(clientWidth, clientHeight, style, exStyle);
    HWND window = RegisterModalClass(kClassName, WindowProc)
                      ? CreateWindowExW(exStyle, kClassName, title.c_str(), style, frame.x, frame.y,
                                        frame.width, frame.height, owner, nullptr,
                                        GetModuleHandleW(nullptr), &box)
                      : nullptr;
    if (window == nullptr) {
        // The message is never lost: the platform's own box shows it instead.
        MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
        return;
    }
    HWND label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                                 margin, margin, textSize.cx, textSize.cy, window,
                                 reinterpret_cast<HMENU>(IDC_MSGTEXT), nullptr, nullptr);
    static const std::wstring ok = ToWide(ui::texts::kOkButton, CP_UTF8);
    HWND button = CreateWindowExW(
        0, L"BUTTON", ok.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
        (clientWidth - buttonWidth) / 2, margin + textSize.cy + margin, buttonWidth, buttonHeight,
        window, reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    ShowWindow(window, SW_SHOW);
    SetFocus(button);

    const std::optional<int> quit = RunModalLoop(window, box.done_);
    // Enable the owner before the box goes, so that the owner is activated again.
    if (ownerWasEnabled) {
        EnableWindow(owner, TRUE);
    }
    if (box.hwnd_ != nullptr) {
        DestroyWindow(box.hwnd_);
    }
    if (quit) {
        PostQuitMessage(*quit);
    }
}

LRESULT MessageBoxWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const std::optional<LRESULT> answer = HandleModalMessage(message, done_)) {
        return *answer;
    }
    switch (message) {
        case WM_COMMAND:
            // The button, Enter (the default button) and Esc (IDCANCEL) all close the box.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                done_ = true;
            }
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
