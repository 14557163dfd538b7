// main_window.cpp - the main window's controls, layout, keyboard rules and desktop services.
#include "main_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <vector>

#include "message_box.h"
#include "platform.h"
#include "resource.h"
#include "text.h"

namespace tolvex::win32 {
namespace {

using ui::Control;
using ui::Tfrmmain;

// One child control: where it sits at a text height of 13 pixels, and how it is made. The
// order is the creation order, which gives the focus order of the controls with tab stops.
struct ControlDef {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;
};

constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kEntry = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_NOTIFY;
constexpr DWORD kResultBox =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

constexpr std::array<ControlDef, 13> kControls{{
    {IDC_LBLJUSHU, L"STATIC", L"缩水结果：", kLabel, 0, 16, 8, 137, 13},
    {IDC_LABEL1, L"STATIC", L"前期开奖：", kLabel, 0, 296, 168, 73, 13},
    {IDC_LABEL5, L"STATIC", L"上期开奖：", kLabel, 0, 384, 168, 73, 13},
    {IDC_LABEL2, L"STATIC", L"对奖", kLabel, 0, 336, 228, 33, 13},
    {IDC_EDTCODE2, L"EDIT", L"", kEntry, WS_EX_CLIENTEDGE, 288, 184, 73, 21},
    {IDC_EDTCODE1, L"EDIT", L"", kEntry, WS_EX_CLIENTEDGE, 384, 184, 73, 21},
    {IDC_MEMCODE, L"EDIT", L"", kResultBox, WS_EX_CLIENTEDGE, 16, 24, 249, 321},
    {IDC_BTNFILT, L"BUTTON", L"过滤", kButton | BS_DEFPUSHBUTTON, 0, 296, 264, 75, 25},
    {IDC_BTNCOPY, L"BUTTON", L"复制", kButton, 0, 296, 304, 75, 25},
    {IDC_BTNCLOSE, L"BUTTON", L"退出", kButton, 0, 392, 304, 75, 25},
    {IDC_EDTDJ, L"EDIT", L"", kEntry, WS_EX_CLIENTEDGE, 384, 224, 41, 21},
    {IDC_BTNSAVE, L"BUTTON", L"保存", kButton, 0, 392, 264, 75, 25},
    // Never visible and no tab stop: it only carries text to the clipboard.
    {IDC_EDTCOPY, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 388, 16, 73, 21},
}};

constexpr std::array<int, 4> kButtons{IDC_BTNFILT, IDC_BTNSAVE, IDC_BTNCOPY, IDC_BTNCLOSE};

// Outer size of the window at a text height of 13 pixels.
constexpr int kWindowWidth = 507;
constexpr int kWindowHeight = 386;

int Scaled(int pixels, double scale) {
    return static_cast<int>(pixels * scale + 0.5);
}

// The window's font, 8 points at `dpi` pixels per inch.
HFONT CreateWindowFont(int dpi) {
    return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

// The text height of `font` as measured on `dc`.
int TextHeight(HDC dc, HFONT font) {
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return metrics.tmHeight;
}

bool ModifierHeld() {
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

}  // namespace

MainWindow::MainWindow() : form_(*this, *this) {}

MainWindow::~MainWindow() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

bool MainWindow::Create(int showCommand) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TOLVEX));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        if (RegisterClassExW(&wc) == 0) {
            return false;
        }
    }

    CreateFontForDpi();
    const int width = Scaled(kWindowWidth, scale_);
    const int height = Scaled(kWindowHeight, scale_);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr,
                        nullptr, instance, this) == nullptr) {
        return false;
    }
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(Control::edtcode2);
    return true;
}

void MainWindow::CreateFontForDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    font_ = CreateWindowFont(dpi);
    // At 96 pixels per inch the layout table holds as it is. At another setting it is scaled
    // by the font's text height there against its height at 96 (13 for the real face, so the
    // new height over 13); a face the system substitutes keeps the table exact at 96.
    scale_ = 1.0;
    if (dpi != 96) {
        HFONT at96 = CreateWindowFont(96);
        const int height = TextHeight(screen, font_);
        const int height96 = TextHeight(screen, at96);
        DeleteObject(at96);
        scale_ = height > 0 && height96 > 0 ? static_cast<double>(height) / height96 : dpi / 96.0;
    }
    ReleaseDC(nullptr, screen);
}

void MainWindow::Layout() {
    for (const ControlDef& def : kControls) {
        MoveWindow(Item(def.id), Scaled(def.left, scale_), Scaled(def.top, scale_),
                   Scaled(def.width, scale_), Scaled(def.height, scale_), TRUE);
    }
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_NEXTDLGCTL:
            OnNextDialogControl(wParam, lParam);
            return 0;
        case DM_GETDEFID:
            return OnDefaultId();
        case WM_SETCURSOR:
            if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) {
                return TRUE;
            }
            break;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT MainWindow::OnCreate() {
    for (const ControlDef& def : kControls) {
        HWND control = CreateWindowExW(def.exStyle, def.className, def.text, def.style, 0, 0, 0, 0,
                                       hwnd_, reinterpret_cast<HMENU>(INT_PTR{def.id}),
                                       GetModuleHandleW(nullptr), nullptr);
        if (control == nullptr) {
            return -1;
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (def.className == std::wstring_view(L"EDIT")) {
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no limit on what can be typed
        }
    }
    for (int id : {IDC_EDTCODE1, IDC_EDTCODE2, IDC_MEMCODE}) {
        SetWindowSubclass(Item(id), EditSubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    Layout();
    form_.Run(&Tfrmmain::FormCreate);
    return 0;
}

void MainWindow::OnCommand(int id, int code) {
    switch (id) {
        case IDC_BTNFILT:
        case IDC_BTNSAVE:
        case IDC_BTNCOPY:
        case IDC_BTNCLOSE:
            if (code == BN_CLICKED) {
                switch (id) {
                    case IDC_BTNFILT:
                        form_.Run(&Tfrmmain::btnfiltClick);
                        break;
                    case IDC_BTNSAVE:
                        form_.Run(&Tfrmmain::btnsaveClick);
                        break;
                    case IDC_BTNCOPY:
                        form_.Run(&Tfrmmain::btncopyClick);
                        break;
                    default:
                        form_.Run(&Tfrmmain::btncloseClick);
                        break;
                }
            } else if (code == BN_SETFOCUS) {
                SetDefaultButton(id);
            } else if (code == BN_KILLFOCUS) {
                SetDefaultButton(IDC_BTNFILT);
            }
            break;
        case IDC_EDTCODE1:
            if (code == EN_CHANGE) {
                // The edit reports a change even when the new text equals the old one.
                std::wstring text = WindowText(Item(IDC_EDTCODE1));
                if (text != lastCode1_) {
                    lastCode1_ = std::move(text);
                    form_.Run(&Tfrmmain::edtcode1Change);
                }
            }
            break;
        default:
            // IDOK and IDCANCEL from the dialog keys (Enter without a default, Esc) do nothing.
            break;
    }
}

void MainWindow::OnActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) {
            savedFocus_ = focus;
        }
        return;
    }
    if (IsIconic(hwnd_)) {
        return;
    }
    HWND target =
        savedFocus_ != nullptr && IsWindow(savedFocus_) ? savedFocus_ : Item(IDC_EDTCODE2);
    ::SetFocus(target);
}

void MainWindow::OnNextDialogControl(WPARAM wParam, LPARAM lParam) {
    HWND target = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                      : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
    if (target != nullptr) {
        FocusControl(target);
    }
}

LRESULT MainWindow::OnDefaultId() {
    // Enter presses the focused push button, otherwise the filter button.
    HWND focus = GetFocus();
    for (int id : kButtons) {
        if (focus == Item(id)) {
            return MAKELRESULT(id, DC_HASDEFID);
        }
    }
    return MAKELRESULT(IDC_BTNFILT, DC_HASDEFID);
}

bool MainWindow::OnSetCursor(HWND, int hitTest) {
    if (waitCursor_ && hitTest == HTCLIENT) {
        ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return true;
    }
    return false;
}

void MainWindow::OnDestroy() {
    PostQuitMessage(0);
}

bool MainWindow::PreTranslateMessage(MSG& msg) {
    if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) {
        return false;
    }
    // Enter with Shift or Ctrl presses no button (a single-line edit would press the default
    // button itself with Shift); in the result box it is the box's own. With Alt it comes as
    // WM_SYSKEYDOWN, which the dialog keys ignore.
    const bool enter =
        (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) && msg.wParam == VK_RETURN;
    if (enter && msg.hwnd != Item(IDC_MEMCODE) && ModifierHeld()) {
        return true;
    }
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

LRESULT CALLBACK MainWindow::EditSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<MainWindow*>(self)->HandleEditMessage(edit, message, wParam, lParam);
}

LRESULT MainWindow::HandleEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            if (edit == Item(IDC_MEMCODE)) {
                LRESULT code = DefSubclassProc(edit, message, wParam, lParam);
                // Never select all when the result box is entered, so that a selection the
                // hit check made shows. Tab and Esc go to the dialog keys, not into the box.
                code &= ~DLGC_HASSETSEL;
                const auto* key = reinterpret_cast<const MSG*>(lParam);
                if (key != nullptr && (key->message == WM_KEYDOWN || key->message == WM_CHAR) &&
                    (key->wParam == VK_TAB || key->wParam == VK_ESCAPE)) {
                    code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
                }
                return code;
            }
            break;
        case WM_LBUTTONDOWN: {
            const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
            mousePressedIn_ = edit;
            return result;
        }
        case WM_LBUTTONUP: {
            // Read before the edit releases the capture, which clears it.
            const bool pressedHere = mousePressedIn_ == edit;
            const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
            mousePressedIn_ = nullptr;
            RECT client;
            GetClientRect(edit, &client);
            const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (pressedHere && PtInRect(&client, at)) {
                if (edit == Item(IDC_EDTCODE1)) {
                    form_.Run(&Tfrmmain::edtcode1Click);
                } else if (edit == Item(IDC_EDTCODE2)) {
                    form_.Run(&Tfrmmain::edtcode2Click);
                }
            }
            return result;
        }
        case WM_CAPTURECHANGED:
            mousePressedIn_ = nullptr;
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, EditSubclassProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void MainWindow::SetDefaultButton(int id) {
    for (int button : kButtons) {
        SendMessageW(Item(button), BM_SETSTYLE, button == id ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                     TRUE);
    }
}

bool MainWindow::IsSingleLineEdit(HWND window) const {
    wchar_t className[8] = {};
    GetClassNameW(window, className, 8);
    return lstrcmpiW(className, L"EDIT") == 0 &&
           (GetWindowLongPtrW(window, GWL_STYLE) & ES_MULTILINE) == 0;
}

void MainWindow::FocusControl(HWND control) {
    ::SetFocus(control);
    if (IsSingleLineEdit(control)) {
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

HWND MainWindow::ControlWindow(Control control) const {
    switch (control) {
        case Control::lbljushu:
            return Item(IDC_LBLJUSHU);
        case Control::memcode:
            return Item(IDC_MEMCODE);
        case Control::edtcode2:
            return Item(IDC_EDTCODE2);
        case Control::edtcode1:
            return Item(IDC_EDTCODE1);
        case Control::edtdj:
            return Item(IDC_EDTDJ);
        case Control::edtcopy:
            return Item(IDC_EDTCOPY);
    }
    return nullptr;
}

std::string MainWindow::Text(Control control) const {
    return FromWide(WindowText(ControlWindow(control)));
}

void MainWindow::SetText(Control control, std::string_view text) {
    HWND window = ControlWindow(control);
    const std::wstring wide = ToWide(text);
    if (wide == WindowText(window)) {
        return;
    }
    SetWindowTextW(window, wide.c_str());
    // The edit's EN_CHANGE has run the change handler; should a platform not send it for a
    // text set by the program, run it here, still exactly once.
    if (control == Control::edtcode1 && lastCode1_ != wide) {
        lastCode1_ = wide;
        form_.Run(&Tfrmmain::edtcode1Change);
    }
}

void MainWindow::SetFocus(Control control) {
    FocusControl(ControlWindow(control));
}

void MainWindow::SelectBytes(Control control, std::size_t start, std::size_t length) {
    HWND window = ControlWindow(control);
    const std::wstring text = WindowText(window);
    const std::size_t from = WideOffsetOfByte(text, start);
    const std::size_t to = WideOffsetOfByte(text, start + length);
    SendMessageW(window, EM_SETSEL, from, to);
    SendMessageW(window, EM_SCROLLCARET, 0, 0);
}

void MainWindow::CopyAll(Control control) {
    HWND window = ControlWindow(control);
    SendMessageW(window, EM_SETSEL, 0, -1);
    SendMessageW(window, WM_COPY, 0, 0);
}

std::string MainWindow::FromUtf8(std::string_view utf8) const {
    return FromWide(ToWide(utf8, CP_UTF8));
}

template <class Show>
void MainWindow::KeepingFocus(Show show) {
    HWND focus = GetFocus();
    if (focus == nullptr || !IsChild(hwnd_, focus)) {
        focus = savedFocus_;
    }
    show();
    if (focus != nullptr && IsWindow(focus) && IsWindowEnabled(hwnd_)) {
        ::SetFocus(focus);
    }
}

void MainWindow::ShowMessage(std::string_view text) {
    KeepingFocus(
        [&] { MessageBoxWindow::Show(hwnd_, kTitle, ToWide(text), font_, scale_, waitCursor_); });
}

void MainWindow::ShowError(std::string_view text) {
    ReleaseCapture();
    mousePressedIn_ = nullptr;
    KeepingFocus([&] { MessageBoxW(hwnd_, ToWide(text).c_str(), kTitle, MB_OK | MB_ICONERROR); });
}

std::optional<std::string> MainWindow::AskSaveFileName(const ui::SaveDialogSettings& settings) {
    // "description|pattern" becomes the dialog's "description\0pattern\0\0".
    std::wstring filter = ToWide(settings.filter);
    for (wchar_t& c : filter) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    filter.push_back(L'\0');
    // The dialog takes the default extension without its full stop.
    std::wstring extension = ToWide(settings.defaultExtension);
    if (!extension.empty() && extension.front() == L'.') {
        extension.erase(0, 1);
    }
    const std::wstring folder = ToWide(settings.initialFolder);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring offered = ToWide(settings.fileName);
    offered.copy(name.data(), std::min(offered.size(), name.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = hwnd_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

    bool chosen = false;
    KeepingFocus([&] { chosen = GetSaveFileNameW(&dialog) != FALSE; });
    if (!chosen) {
        return std::nullopt;
    }
    savedNameWide_ = name.data();
    savedNameBytes_ = FromWide(savedNameWide_);
    return savedNameBytes_;
}

ui::WriteStatus MainWindow::WriteWholeFile(std::string_view path, std::string_view bytes) {
    const std::wstring wide =
        !savedNameWide_.empty() && path == savedNameBytes_ ? savedNameWide_ : ToWide(path);
    return WriteFileReplacing(wide, bytes, writeBlock_);
}

ui::ShellFolderRead MainWindow::ReadShellFolder(std::string_view name) {
    return ReadRegistryFolder(HKEY_CURRENT_USER, kShellFoldersKey, ToWide(name));
}

void MainWindow::SetWaitCursor(bool on) {
    waitCursor_ = on;
    // Show the new cursor at once over whichever of the program's windows is under it.
    POINT at;
    if (!GetCursorPos(&at)) {
        return;
    }
    HWND under = WindowFromPoint(at);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        return;
    }
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(hit, WM_MOUSEMOVE));
}

void MainWindow::CloseMainWindow() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

int RunProgram(int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    MainWindow window;
    if (!window.Create(showCommand)) {
        return 1;
    }
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        if (!window.PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace tolvex::win32
