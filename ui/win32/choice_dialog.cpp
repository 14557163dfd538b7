// choice_dialog.cpp - the choice dialog: label, list box, 确定 and 取消, with its own message loop.
#include "choice_dialog.h"

#include <algorithm>

#include "modal.h"
#include "resource.h"
#include "text.h"
#include "tolvex/ui/backtest_flow.h"
#include "tolvex/ui/layout.h"
#include "tolvex/ui/texts.h"

namespace tolvex::win32 {

using ui::Scaled;

namespace {

// Sizes and places of the dialog's parts, in client coordinates.
struct ChoiceLayout {
    int margin, gap, buttonWidth, buttonHeight, lineHeight;
    int innerWidth, clientWidth, clientHeight, listTop, listHeight, buttonTop;
};

// The widest of the question and the answers sets the width; the list shows up to 12 answers.
ChoiceLayout LayOut(const std::wstring& question, const std::vector<std::wstring>& answers,
                    HFONT font, double scale) {
    ChoiceLayout l{};
    const SIZE questionSize = MeasureText(question, font, DT_NOPREFIX | DT_SINGLELINE);
    l.lineHeight = questionSize.cy;
    int widest = questionSize.cx;
    for (const std::wstring& answer : answers) {
        widest = std::max<int>(
            widest, MeasureText(answer, font, DT_NOPREFIX | DT_SINGLELINE).cx + Scaled(24, scale));
    }
    l.margin = Scaled(12, scale);
    l.gap = Scaled(6, scale);
    l.buttonWidth = Scaled(75, scale);
    l.buttonHeight = Scaled(25, scale);
    const int itemHeight = l.lineHeight + Scaled(4, scale);
    const int rows =
        static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(answers.size(), 2), 12));
    l.listHeight = itemHeight * rows + Scaled(4, scale);
    l.innerWidth = std::max(widest, 2 * l.buttonWidth + l.gap + Scaled(120, scale));
    l.clientWidth = l.innerWidth + 2 * l.margin;
    l.listTop = l.margin + l.lineHeight + l.gap;
    l.buttonTop = l.listTop + l.listHeight + l.margin;
    l.clientHeight = l.buttonTop + l.buttonHeight + l.margin;
    return l;
}

}  // namespace

HWND ChoiceDialog::Create(const std::wstring& question, const std::vector<std::wstring>& answers,
                          HFONT font, double scale) {
    const ChoiceLayout l = LayOut(question, answers, font, scale);
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const Placement frame = CentredFrame(l.clientWidth, l.clientHeight, style, exStyle);
    static const std::wstring title = ToWide(ui::texts::kAppTitle, CP_UTF8);
    HWND window = RegisterModalClass(kClassName, WindowProc)
                      ? CreateWindowExW(exStyle, kClassName, title.c_str(), style, frame.x, frame.y,
                                        frame.width, frame.height, nullptr, nullptr,
                                        GetModuleHandleW(nullptr), this)
                      : nullptr;
    if (window == nullptr) {
        return nullptr;
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
    child(L"STATIC", question, SS_NOPREFIX, l.margin, l.margin, l.innerWidth, l.lineHeight,
          IDC_CHOICETEXT);
    HWND list = child(L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                      l.margin, l.listTop, l.innerWidth, l.listHeight, IDC_CHOICELIST);
    static const std::wstring ok = ToWide(ui::texts::kOkButton, CP_UTF8);
    static const std::wstring cancel = ToWide(ui::backtest_texts::kCancelButton, CP_UTF8);
    child(L"BUTTON", ok, WS_TABSTOP | BS_DEFPUSHBUTTON,
          l.clientWidth - l.margin - 2 * l.buttonWidth - l.gap, l.buttonTop, l.buttonWidth,
          l.buttonHeight, IDOK);
    child(L"BUTTON", cancel, WS_TABSTOP | BS_PUSHBUTTON, l.clientWidth - l.margin - l.buttonWidth,
          l.buttonTop, l.buttonWidth, l.buttonHeight, IDCANCEL);
    for (const std::wstring& answer : answers) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(answer.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    return window;
}

std::optional<int> ChoiceDialog::Ask(const std::wstring& question,
                                     const std::vector<std::wstring>& answers, HFONT font,
                                     double scale) {
    ChoiceDialog dialog;
    HWND window = dialog.Create(question, answers, font, scale);
    if (window == nullptr) {
        return std::nullopt;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(GetDlgItem(window, IDC_CHOICELIST));

    const std::optional<int> quit = RunModalLoop(window, dialog.done_);
    if (dialog.hwnd_ != nullptr) {
        DestroyWindow(dialog.hwnd_);
    }
    if (quit) {
        PostQuitMessage(*quit);
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
    if (const std::optional<LRESULT> answer = HandleModalMessage(message, done_)) {
        return *answer;
    }
    if (message == WM_COMMAND) {
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tolvex::win32
