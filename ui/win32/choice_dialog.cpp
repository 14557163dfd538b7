// choice_dialog.cpp - the choice dialog: label, list box, 确定 and 取消, with its own message loop.
#include "choice_dialog.h"

#include <algorithm>

#include "resource.h"
#include "text.h"
#include "tolvex/ui/backtest_flow.h"
#include "tolvex/ui/layout.h"
#include "tolvex/ui/texts.h"

namespace tolvex::win32 {

using ui::Scaled;

bool ChoiceDialog::RegisterClassOnce() {
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

std::optional<int> ChoiceDialog::Ask(const std::wstring& question,
                                     const std::vector<std::wstring>& answers, HFONT font,
                                     double scale) {
    ChoiceDialog dialog;
    // The widest of the question and the answers sets the width.
    HDC dc = GetDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    int widest = 0;
    int lineHeight = 0;
    for (const std::wstring* text : {&question}) {
        RECT r{0, 0, 0, 0};
        lineHeight = DrawTextW(dc, text->c_str(), static_cast<int>(text->size()), &r,
                               DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
        widest = std::max<int>(widest, r.right);
    }
    for (const std::wstring& answer : answers) {
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, answer.c_str(), static_cast<int>(answer.size()), &r,
                  DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
        widest = std::max<int>(widest, r.right + Scaled(24, scale));
    }
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);

    const int margin = Scaled(12, scale);
    const int gap = Scaled(6, scale);
    const int buttonWidth = Scaled(75, scale);
    const int buttonHeight = Scaled(25, scale);
    const int itemHeight = lineHeight + Scaled(4, scale);
    const int rows =
        static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(answers.size(), 2), 12));
    const int listHeight = itemHeight * rows + Scaled(4, scale);
    const int innerWidth = std::max(widest, 2 * buttonWidth + gap + Scaled(120, scale));
    const int clientWidth = innerWidth + 2 * margin;
    const int listTop = margin + lineHeight + gap;
    const int buttonTop = listTop + listHeight + margin;
    const int clientHeight = buttonTop + buttonHeight + margin;

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    static const std::wstring title = ToWide(ui::texts::kAppTitle, CP_UTF8);
    HWND window = RegisterClassOnce() ? CreateWindowExW(exStyle, kClassName, title.c_str(), style,
                                                        x, y, width, height, nullptr, nullptr,
                                                        GetModuleHandleW(nullptr), &dialog)
                                      : nullptr;
    if (window == nullptr) {
        return std::nullopt;
    }
    auto child = [&](const wchar_t* cls, const std::wstring& text, DWORD childStyle, int cx, int cy,
                     int cw, int ch, int id) {
        HWND control = CreateWindowExW(
            cls == std::wstring(L"LISTBOX") ? WS_EX_CLIENTEDGE : 0, cls, text.c_str(),
            WS_CHILD | WS_VISIBLE | childStyle, cx, cy, cw, ch, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    // The label just before the list, so that the list is named by it.
    child(L"STATIC", question, SS_NOPREFIX, margin, margin, innerWidth, lineHeight, IDC_CHOICETEXT);
    HWND list = child(L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                      margin, listTop, innerWidth, listHeight, IDC_CHOICELIST);
    static const std::wstring ok = ToWide(ui::texts::kOkButton, CP_UTF8);
    static const std::wstring cancel = ToWide(ui::backtest_texts::kCancelButton, CP_UTF8);
    child(L"BUTTON", ok, WS_TABSTOP | BS_DEFPUSHBUTTON,
          clientWidth - margin - 2 * buttonWidth - gap, buttonTop, buttonWidth, buttonHeight, IDOK);
    child(L"BUTTON", cancel, WS_TABSTOP | BS_PUSHBUTTON, clientWidth - margin - buttonWidth,
          buttonTop, buttonWidth, buttonHeight, IDCANCEL);
    for (const std::wstring& answer : answers) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(answer.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, 0, 0);

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(list);

    MSG msg;
    bool quit = false;
    while (!dialog.done_) {
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
    if (dialog.hwnd_ != nullptr) {
        DestroyWindow(dialog.hwnd_);
    }
    if (quit) {
        PostQuitMessage(static_cast<int>(msg.wParam));
    }
    return dialog.chosen_;
}

void ChoiceDialog::OnOk() {
    const LRESULT row = SendDlgItemMessageW(hwnd_, IDC_CHOICELIST, LB_GETCURSEL, 0, 0);
    if (row == LB_ERR) {
        return;
    }
    chosen_ = static_cast<int>(row);
    done_ = true;
}

void ChoiceDialog::OnCommand(int id, int code) {
    if (id == IDOK || (id == IDC_CHOICELIST && code == LBN_DBLCLK)) {
        OnOk();
    } else if (id == IDCANCEL) {
        done_ = true;
    }
}

LRESULT ChoiceDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_CLOSE:
            done_ = true;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tolvex::win32
