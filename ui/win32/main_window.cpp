// main_window.cpp - the main window's controls, layout, keyboard rules and handler wiring.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "accessibility.h"
#include "modal.h"
#include "resource.h"
#include "text.h"
#include "tolvex/ui/layout.h"
#include "window_font.h"

namespace tolvex::win32 {
namespace {

using ui::Control;
using ui::ControlKind;
using ui::ControlPlace;
using ui::Tfrmmain;

// The ID of each control of the layout table.
struct ControlId {
    std::string_view name;
    int id;
};
constexpr std::array<ControlId, 13> kControlIds{{
    {"lbljushu", IDC_LBLJUSHU},
    {"memcode", IDC_MEMCODE},
    {"Label1", IDC_LABEL1},
    {"edtcode2", IDC_EDTCODE2},
    {"Label5", IDC_LABEL5},
    {"edtcode1", IDC_EDTCODE1},
    {"Label2", IDC_LABEL2},
    {"edtdj", IDC_EDTDJ},
    {"btnfilt", IDC_BTNFILT},
    {"btnsave", IDC_BTNSAVE},
    {"btncopy", IDC_BTNCOPY},
    {"btnclose", IDC_BTNCLOSE},
    {"edtcopy", IDC_EDTCOPY},
}};

constexpr int IdOf(std::string_view name) {
    for (const ControlId& control : kControlIds) {
        if (control.name == name) {
            return control.id;
        }
    }
    throw std::out_of_range("no such control");
}

constexpr int kDefaultButtonId = IdOf(ui::kDefaultButton);

// How a control of each kind is made.
struct ControlStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlStyle StyleOf(const ControlPlace& place) {
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
    switch (place.kind) {
        case ControlKind::Label:
            return {L"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::ResultBox:
            return {
                L"EDIT",
                kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                WS_EX_CLIENTEDGE};
        case ControlKind::EntryBox:
            return {L"EDIT", kChild | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::Button:
            return {L"BUTTON",
                    kChild | WS_TABSTOP | BS_NOTIFY |
                        (place.name == ui::kDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                    0};
        case ControlKind::HiddenBox:
            // Never visible and no tab stop: it only carries text to the clipboard.
            return {L"EDIT", WS_CHILD | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    }
    return {};
}

// The order the controls are created in: the focus order (which the order of creation gives
// to the controls with tab stops), each box just after the label that names it, as assistive
// technology takes an edit's name from the label before it; then the hidden box.
std::array<const ControlPlace*, 13> CreationOrder() {
    std::array<const ControlPlace*, 13> order{};
    std::size_t n = 0;
    for (std::string_view name : ui::kFocusOrder) {
        if (const std::string_view label = ui::LabelOf(name); !label.empty()) {
            order[n++] = &ui::PlaceOf(label);
        }
        order[n++] = &ui::PlaceOf(name);
    }
    for (const ControlPlace& place : ui::kControlPlaces) {
        const bool placed =
            std::find(order.begin(), order.begin() + n, &place) != order.begin() + n;
        if (!placed) {
            order[n++] = &place;  // a label of no box, and the hidden box
        }
    }
    return order;
}

bool ModifierHeld() {
    return GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

bool IsButton(int id) {
    for (const ControlPlace& place : ui::kControlPlaces) {
        if (place.kind == ControlKind::Button && IdOf(place.name) == id) {
            return true;
        }
    }
    return false;
}

}  // namespace

int MainWindow::ControlId(std::string_view name) {
    return IdOf(name);
}

MainWindow::MainWindow() : form_(*this, desktop_) {}

MainWindow::~MainWindow() {
    if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

bool MainWindow::Create(int showCommand) {
    if (hwnd_ != nullptr) {
        return false;
    }
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
    const int width = ui::Scaled(ui::kOuterWidth, scale_);
    const int height = ui::Scaled(ui::kOuterHeight, scale_);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (CreateWindowExW(0, kClassName, AppTitle(), WS_OVERLAPPEDWINDOW, x, y, width, height,
                        nullptr, nullptr, instance, this) == nullptr) {
        return false;
    }
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(Control::edtcode2);
    return true;
}

void MainWindow::CreateFontForDpi() {
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
    const ScreenFont screen = CreateScreenFont();
    font_ = screen.font;
    scale_ = screen.scale;
}

void MainWindow::Layout() {
    for (const ControlPlace& place : ui::kControlPlaces) {
        MoveWindow(Item(IdOf(place.name)), ui::Scaled(place.left, scale_),
                   ui::Scaled(place.top, scale_), ui::Scaled(place.width, scale_),
                   ui::Scaled(place.height, scale_), TRUE);
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
    desktop_.Attach(hwnd_, font_, scale_);
    for (const ControlPlace* place : CreationOrder()) {
        const ControlStyle style = StyleOf(*place);
        // The fixed captions are shown as written, whatever the system's code page.
        const std::wstring caption = ToWide(place->caption, CP_UTF8);
        HWND control =
            CreateWindowExW(style.exStyle, style.className, caption.c_str(), style.style, 0, 0, 0,
                            0, hwnd_, reinterpret_cast<HMENU>(INT_PTR{IdOf(place->name)}),
                            GetModuleHandleW(nullptr), nullptr);
        if (control == nullptr) {
            return -1;
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        if (style.className == std::wstring_view(L"EDIT")) {
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
            } else if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
                ShowDefaultButton();
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
    const int focused = GetDlgCtrlID(GetFocus());
    return MAKELRESULT(
        IsButton(focused) && GetParent(GetFocus()) == hwnd_ ? focused : kDefaultButtonId,
        DC_HASDEFID);
}

bool MainWindow::OnSetCursor(HWND, int hitTest) {
    if (desktop_.WaitCursorOn() && hitTest == HTCLIENT) {
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
    if (IsDialogMessageW(hwnd_, &msg) == FALSE) {
        return false;
    }
    // The dialog keys move the focus with Tab themselves and take the default style from every
    // button on the way; give it back.
    ShowDefaultButton();
    return true;
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

// The focused push button shows the default-button frame; while the focus is anywhere else,
// the filter button, which Enter then presses.
void MainWindow::ShowDefaultButton() {
    const HWND focus = GetFocus();
    const int focused = focus != nullptr && GetParent(focus) == hwnd_ ? GetDlgCtrlID(focus) : 0;
    const int shown = IsButton(focused) ? focused : kDefaultButtonId;
    for (const ControlPlace& place : ui::kControlPlaces) {
        if (place.kind != ControlKind::Button) {
            continue;
        }
        const int id = IdOf(place.name);
        const LONG_PTR wanted = id == shown ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((GetWindowLongPtrW(Item(id), GWL_STYLE) & BS_TYPEMASK) != wanted) {
            SendMessageW(Item(id), BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
        }
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
    if (control == Control::edtdj) {
        AnnounceHitMarker();
    }
    // The edit's EN_CHANGE has run the change handler; should a platform not send it for a
    // text set by the program, run it here, still exactly once.
    if (control == Control::edtcode1 && lastCode1_ != wide) {
        lastCode1_ = wide;
        form_.Run(&Tfrmmain::edtcode1Change);
    }
}

// Tells assistive technology where the hit marker now stands, on the box that has the focus
// (where the player types the draw): its description becomes the marker's label and verdict,
// "对奖 中". A marker that goes blank takes the description away.
void MainWindow::AnnounceHitMarker() {
    HWND focus = GetFocus();
    if (focus == nullptr || GetParent(focus) != hwnd_) {
        focus = Item(IDC_EDTCODE1);
    }
    if (describedBox_ != nullptr && describedBox_ != focus && IsWindow(describedBox_)) {
        DescribeControl(describedBox_, L"");
    }
    describedBox_ = focus;
    const std::wstring marker = WindowText(Item(IDC_EDTDJ));
    const HWND label = Item(IdOf(ui::LabelOf("edtdj")));
    DescribeControl(focus, marker.empty() ? std::wstring() : WindowText(label) + L" " + marker);
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

int RunProgram(int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    MainWindow window;
    if (!window.Create(showCommand)) {
        return 1;
    }
    const LoopWake wake;
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
