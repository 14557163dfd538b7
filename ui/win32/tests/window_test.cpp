// window_test.cpp - drives the real main window under Wine with messages and synthesized input.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "main_window.h"
#include "resource.h"
#include "text.h"
#include "tolvex/ui/layout.h"
#include "win32_test_util.h"

namespace {

using namespace tolvex::win32;
using namespace tolvex::win32::testing;
using tolvex::ui::ControlKind;
using tolvex::ui::ControlPlace;

constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// What a modal window showed while it was open.
struct ModalSeen {
    HWND window = nullptr;
    std::wstring className, title;
    std::vector<std::wstring> texts;    // static texts, in creation order
    std::vector<std::wstring> buttons;  // visible push buttons' captions
    bool hasIcon = false;
    HICON icon = nullptr;  // the icon a visible icon control shows
    RECT rect{};
};

// A key no control acts on, pressed after a test's own input: once the message loop has taken
// it, every earlier input has been taken too. A hook counts it and keeps it from any window.
constexpr WORD kSentinelKey = VK_F24;
std::atomic<int> sentinelsSeen{0};

LRESULT CALLBACK SwallowSentinel(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == kSentinelKey) {
        if (msg->message == WM_KEYUP) {
            ++sentinelsSeen;
        }
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Presses keys through the system's input queue, as a user would.
void Press(WORD key, const std::vector<WORD>& modifiers = {}) {
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD m : modifiers) {
        add(m, false);
    }
    add(key, false);
    add(key, true);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) {
        add(*m, true);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PointAt(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void ClickAt(HWND window) {
    PointAt(window);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

ModalSeen Describe(HWND window) {
    ModalSeen seen;
    seen.window = window;
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    seen.className = name;
    seen.title = WindowText(window);
    GetWindowRect(window, &seen.rect);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<ModalSeen*>(param);
            wchar_t cls[64] = {};
            GetClassNameW(child, cls, 64);
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if (lstrcmpiW(cls, L"STATIC") == 0) {
                if ((style & SS_TYPEMASK) == SS_ICON) {
                    if ((style & WS_VISIBLE) != 0) {
                        s->hasIcon = true;
                        s->icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
                    }
                } else if (!WindowText(child).empty()) {
                    s->texts.push_back(WindowText(child));
                }
            } else if (lstrcmpiW(cls, L"BUTTON") == 0 && (style & WS_VISIBLE) != 0) {
                s->buttons.push_back(WindowText(child));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    return seen;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "run the tests with LC_ALL=zh_CN.UTF-8";
        hook_ = SetWindowsHookExW(WH_GETMESSAGE, SwallowSentinel, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook_, nullptr);
        window_ = std::make_unique<MainWindow>();
        ASSERT_TRUE(window_->Create(SW_SHOWNORMAL));
        SetForegroundWindow(window_->Window());
        ASSERT_TRUE(PumpUntil([&] {
            return GetForegroundWindow() == window_->Window() && GetFocus() == Item(IDC_EDTCODE2);
        })) << "the window did not become active";
    }
    void TearDown() override {
        window_.reset();
        Drain();
        UnhookWindowsHookEx(hook_);
        if (!savedDesktop_.empty()) {
            RestoreDesktopValue();
        }
    }

    // Runs one message through the program's message loop; false when there was none.
    bool PumpOne() {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            return false;
        }
        if (msg.message != WM_QUIT && (window_ == nullptr || window_->Window() == nullptr ||
                                       !window_->PreTranslateMessage(msg))) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return true;
    }

    // Runs the program's message loop until `done` holds; false when it does not within
    // `limitMs` milliseconds.
    bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = kWaitLimitMs) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > limitMs) {
                return false;
            }
            if (!PumpOne()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            }
        }
        return true;
    }

    // Runs the program's message loop until its queue is empty.
    void Drain() {
        while (PumpOne()) {
        }
    }

    // Presses the sentinel key and runs the message loop until it has come through, so that
    // all input before it has been handled, boxes it opened included; then empties the queue.
    void Settle() {
        const int before = sentinelsSeen;
        Press(kSentinelKey);
        EXPECT_TRUE(PumpUntil([&] { return sentinelsSeen > before; }))
            << "the input did not come through";
        Drain();
    }

    HWND Item(int id) const { return window_->Item(id); }
    std::wstring TextOf(int id) const { return WindowText(Item(id)); }
    void Put(int id, const std::wstring& text) {
        SetWindowTextW(Item(id), text.c_str());
        Drain();
    }
    std::pair<DWORD, DWORD> Selection(int id) const {
        DWORD from = 0, to = 0;
        SendMessageW(Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        return {from, to};
    }
    void Focus(int id) {
        SetFocus(Item(id));
        Drain();
    }
    void Key(WORD key, std::initializer_list<WORD> modifiers = {}) {
        Press(key, modifiers);
        Settle();
    }
    void Type(const std::string& digits) {
        for (char c : digits) {
            Key(static_cast<WORD>(c));
        }
    }
    // A mouse press and release posted to a control at (x, y) of its client area.
    void PostClick(int id, int x, int y, int upX, int upY) {
        PostMessageW(Item(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(Item(id), WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
        Drain();
    }

    // Runs `trigger`, and for each modal window that then opens in turn (a box or a dialog
    // of this thread owned by the main window) records what it shows and runs the next of
    // `actions` on it from another thread; actions left over once `trigger` is done are not
    // run. Returns what was seen; fails the test on a box that does not close.
    std::vector<ModalSeen> WithModals(const std::function<void()>& trigger,
                                      std::vector<std::function<void(HWND)>> actions) {
        std::vector<ModalSeen> seen;
        const DWORD ui = GetCurrentThreadId();
        const HWND main = window_->Window();
        std::atomic<bool> stuck{false};
        std::atomic<bool> unfocused{false};
        std::atomic<bool> done{false};
        std::thread watcher([&] {
            for (auto& action : actions) {
                HWND modal = nullptr;
                for (const DWORD start = GetTickCount();
                     modal == nullptr && !done && GetTickCount() - start < kWaitLimitMs;) {
                    Sleep(20);
                    struct Find {
                        HWND main, found;
                    } find{main, nullptr};
                    EnumThreadWindows(
                        ui,
                        [](HWND w, LPARAM p) -> BOOL {
                            auto* f = reinterpret_cast<Find*>(p);
                            if (w != f->main && IsWindowVisible(w) && IsWindowEnabled(w) &&
                                GetWindow(w, GW_OWNER) == f->main) {
                                f->found = w;
                                return FALSE;
                            }
                            return TRUE;
                        },
                        reinterpret_cast<LPARAM>(&find));
                    modal = find.found;
                }
                if (modal == nullptr) {
                    return;
                }
                // Once the focus is inside it, the box is ready for keys and clicks.
                auto focusInside = [&] {
                    GUITHREADINFO info{};
                    info.cbSize = sizeof(info);
                    return GetGUIThreadInfo(ui, &info) &&
                           (info.hwndFocus == modal || IsChild(modal, info.hwndFocus));
                };
                for (const DWORD start = GetTickCount();
                     !focusInside() && GetTickCount() - start < kWaitLimitMs;) {
                    Sleep(10);
                }
                if (!focusInside()) {
                    unfocused = true;
                }
                seen.push_back(Describe(modal));
                action(modal);
                for (const DWORD start = GetTickCount(); IsWindow(modal) &&
                                                         IsWindowVisible(modal) &&
                                                         GetTickCount() - start < kWaitLimitMs;) {
                    Sleep(20);
                }
                if (IsWindow(modal) && IsWindowVisible(modal)) {
                    stuck = true;
                    PostMessageW(modal, WM_CLOSE, 0, 0);
                    return;
                }
            }
        });
        trigger();
        Settle();  // returns only once every window that `trigger` opened is closed
        done = true;
        watcher.join();
        EXPECT_FALSE(stuck) << "a modal window did not close";
        EXPECT_FALSE(unfocused) << "a modal window did not take the focus";
        return seen;
    }

    // Points the registry's desktop folder at `data` of `type` until the test ends.
    void SetDesktopValue(DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (savedDesktop_.empty()) {
            DWORD savedSize = 0;
            savedType_ = REG_NONE;
            if (RegQueryValueExW(key, L"Desktop", nullptr, &savedType_, nullptr, &savedSize) ==
                ERROR_SUCCESS) {
                savedDesktop_.resize(savedSize);
                RegQueryValueExW(key, L"Desktop", nullptr, &savedType_, savedDesktop_.data(),
                                 &savedSize);
            }
            savedDesktop_.push_back(0);  // marks "saved", also when there was no value
        }
        RegSetValueExW(key, L"Desktop", 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    void RestoreDesktopValue() {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key) !=
            ERROR_SUCCESS) {
            return;
        }
        savedDesktop_.pop_back();
        if (savedType_ == REG_NONE) {
            RegDeleteValueW(key, L"Desktop");
        } else {
            RegSetValueExW(key, L"Desktop", 0, savedType_, savedDesktop_.data(),
                           static_cast<DWORD>(savedDesktop_.size()));
        }
        RegCloseKey(key);
        savedDesktop_.clear();
    }

    // Filters previous 456 and last 123 from the keyboard.
    void FilterExample() {
        Focus(IDC_EDTCODE2);
        Type("456");
        Key(VK_TAB);
        Type("123");
        Key(VK_RETURN);
    }

    std::unique_ptr<MainWindow> window_;
    HHOOK hook_ = nullptr;
    std::vector<BYTE> savedDesktop_;
    DWORD savedType_ = REG_NONE;
};

std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

void SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) {
        return;
    }
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

const std::wstring kFirstNumbers = L"000 002 003 004 ";

// The text height of the face of `font` at 8 points and `dpi` pixels per inch, measured here.
int TextHeightAt(LOGFONTW font, int dpi) {
    font.lfHeight = -MulDiv(8, dpi, 72);
    HFONT made = CreateFontIndirectW(&font);
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(screen, made);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(made);
    return metrics.tmHeight;
}

TEST_F(WindowTest, OpensWithEveryControlWhereTheLayoutPutsIt) {
    // At 96 pixels per inch the table holds exactly; at another setting it is scaled by the
    // window font's text height there against the same face's height at 96.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTW face{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(IDC_BTNFILT), WM_GETFONT, 0, 0)),
                         sizeof(face), &face),
              0);
    EXPECT_EQ(face.lfHeight, -MulDiv(8, dpi, 72)) << "8 points";
    const double scale =
        dpi == 96 ? 1.0 : static_cast<double>(TextHeightAt(face, dpi)) / TextHeightAt(face, 96);
    EXPECT_EQ(window_->Scale(), scale);
    // Run by LayoutFollowsTheScreenDpiAndTheFont at another setting or with another face.
    wchar_t wanted[16] = {};
    if (GetEnvironmentVariableW(L"TOLVEX_TEST_DPI", wanted, 16) > 0) {
        EXPECT_EQ(dpi, _wtoi(wanted));
    } else {
        EXPECT_EQ(dpi, 96);
    }
    if (dpi != 96) {
        EXPECT_NEAR(scale, dpi / 96.0, 0.15);
    }
    if (GetEnvironmentVariableW(L"TOLVEX_TEST_FACE", nullptr, 0) > 0) {
        EXPECT_NE(TextHeightAt(face, 96), 13) << "the substitute face measures otherwise than 13";
    }
    auto scaled = [&](int pixels) { return static_cast<int>(pixels * scale + 0.5); };

    const HWND main = window_->Window();
    auto expectControlsInPlace = [&](const char* when) {
        for (const ControlPlace& c : tolvex::ui::kControlPlaces) {
            RECT rect;
            GetWindowRect(Item(MainWindow::ControlId(c.name)), &rect);
            MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
            const int left = scaled(c.left), top = scaled(c.top);
            EXPECT_EQ(rect.left, left) << c.name << " " << when;
            EXPECT_EQ(rect.top, top) << c.name << " " << when;
            EXPECT_EQ(rect.right, left + scaled(c.width)) << c.name << " " << when;
            EXPECT_EQ(rect.bottom, top + scaled(c.height)) << c.name << " " << when;
        }
    };
    for (const ControlPlace& c : tolvex::ui::kControlPlaces) {
        const int id = MainWindow::ControlId(c.name);
        EXPECT_EQ(TextOf(id), ToWide(c.caption, CP_UTF8)) << c.name;
        EXPECT_EQ(IsWindowVisible(Item(id)) != FALSE, c.kind != ControlKind::HiddenBox) << c.name;
    }
    expectControlsInPlace("as opened");

    // The outer size from the table, centred on the screen, in a frame that can be sized.
    RECT outer;
    GetWindowRect(main, &outer);
    EXPECT_EQ(outer.right - outer.left, scaled(tolvex::ui::kOuterWidth));
    EXPECT_EQ(outer.bottom - outer.top, scaled(tolvex::ui::kOuterHeight));
    EXPECT_NEAR((outer.left + outer.right) / 2.0, GetSystemMetrics(SM_CXSCREEN) / 2.0, 2);
    EXPECT_NEAR((outer.top + outer.bottom) / 2.0, GetSystemMetrics(SM_CYSCREEN) / 2.0, 2);
    const LONG_PTR frame =
        WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(GetWindowLongPtrW(main, GWL_STYLE) & frame, frame);

    // Sizing the window moves and sizes no control.
    struct Size {
        int dx, dy;
        const char* when;
    };
    for (const Size& size :
         {Size{200, 150, "after growing"}, Size{-150, -120, "after shrinking"}}) {
        const int width = outer.right - outer.left + size.dx;
        SetWindowPos(main, nullptr, 0, 0, width, outer.bottom - outer.top + size.dy,
                     SWP_NOMOVE | SWP_NOZORDER);
        RECT now;
        EXPECT_TRUE(PumpUntil([&] {
            GetWindowRect(main, &now);
            return now.right - now.left == width;
        })) << size.when;
        expectControlsInPlace(size.when);
    }

    EXPECT_EQ(WindowText(main), L"Tolvex");
    EXPECT_FALSE(window_->Create(SW_SHOWNORMAL)) << "a window is created once";
    EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE2));
    EXPECT_EQ(GetWindowLongPtrW(Item(IDC_BTNFILT), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

// An installed TrueType face whose text height at 8 points and 96 pixels per inch is not 13;
// empty when there is none.
std::wstring FaceNotThirteenHigh() {
    struct Search {
        std::wstring found;
    } search;
    HDC screen = GetDC(nullptr);
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(
        screen, &all,
        [](const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM param) -> int {
            auto* s = reinterpret_cast<Search*>(param);
            if ((type & TRUETYPE_FONTTYPE) == 0 || font->lfFaceName[0] == L'@' ||
                TextHeightAt(*font, 96) == 13) {
                return 1;
            }
            s->found = font->lfFaceName;
            return 0;
        },
        reinterpret_cast<LPARAM>(&search), 0);
    ReleaseDC(nullptr, screen);
    return search.found;
}

// Sets a registry value of the test's Wine prefix, or deletes it for an empty text, and gives
// back what was there when it goes.
class RegistryValue {
  public:
    RegistryValue(HKEY root, const wchar_t* key, const wchar_t* name) : name_(name) {
        RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = 0;
        if (RegQueryValueExW(key_, name_, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            RegQueryValueExW(key_, name_, nullptr, &type_, saved_.data(), &size);
            had_ = true;
        }
    }
    ~RegistryValue() {
        if (had_) {
            RegSetValueExW(key_, name_, 0, type_, saved_.data(), static_cast<DWORD>(saved_.size()));
        } else {
            RegDeleteValueW(key_, name_);
        }
        RegCloseKey(key_);
    }
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;
    void Set(DWORD number) {
        RegSetValueExW(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                       sizeof(number));
    }
    void Set(const std::wstring& text) {
        if (text.empty()) {
            RegDeleteValueW(key_, name_);
            return;
        }
        RegSetValueExW(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

  private:
    HKEY key_ = nullptr;
    const wchar_t* name_;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> saved_;
    bool had_ = false;
};

// Run by CTest under a locale whose code page lacks the program's texts (see CMakeLists.txt):
// the window logic then speaks UTF-8, and the count and the marker read as written.
TEST(WindowOtherCodePage, TheProgramsTextsReadAsWritten) {
    if (GetACP() == 936) {
        GTEST_SKIP() << "for a code page other than 936";
    }
    MainWindow window;
    ASSERT_TRUE(window.Create(SW_SHOWNORMAL));
    window.Controls().SetText(tolvex::ui::Control::edtcode2, "456");
    window.Controls().SetText(tolvex::ui::Control::edtcode1, "123");
    SendMessageW(window.Item(IDC_BTNFILT), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowText(window.Item(IDC_LBLJUSHU)), L"缩水结果：722注");
    window.Controls().SetText(tolvex::ui::Control::edtcode1, "000");
    EXPECT_EQ(WindowText(window.Item(IDC_EDTDJ)), L"中");
}

TEST(WindowDpi, LayoutFollowsTheScreenDpiAndTheFont) {
    // The screen's pixels per inch and the fonts are read once per process: the layout test
    // runs again in a child process for each setting of the test's Wine prefix, which is put
    // back afterwards. A face that measures otherwise than 13 stands in for the window's.
    const std::wstring other = FaceNotThirteenHigh();
    struct Case {
        DWORD dpi;
        std::wstring face;  // replaces the window's face; empty: the system's choice
    };
    std::vector<Case> cases = {{144, L""}};
    if (other.empty()) {
        std::printf("note: no installed face measures otherwise than 13; not tried\n");
    } else {
        cases.push_back({96, other});
        cases.push_back({144, other});
    }
    RegistryValue logPixels(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    RegistryValue replacement(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements",
                              L"MS Sans Serif");
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) +
        L"\" --gtest_filter=WindowTest.OpensWithEveryControlWhereTheLayoutPutsIt";
    for (const Case& c : cases) {
        logPixels.Set(c.dpi);
        replacement.Set(c.face);
        SetEnvironmentVariableW(L"TOLVEX_TEST_DPI", std::to_wstring(c.dpi).c_str());
        SetEnvironmentVariableW(L"TOLVEX_TEST_FACE", c.face.empty() ? nullptr : c.face.c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &process) != FALSE;
        DWORD exitCode = 1;
        bool finished = false;
        if (started) {
            // One that overruns is ended, and fails: its exit code would read STILL_ACTIVE.
            finished = WaitForSingleObject(process.hProcess, 3 * kWaitLimitMs) == WAIT_OBJECT_0;
            if (!finished) {
                TerminateProcess(process.hProcess, 1);
                WaitForSingleObject(process.hProcess, kWaitLimitMs);
            }
            GetExitCodeProcess(process.hProcess, &exitCode);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        EXPECT_TRUE(started);
        EXPECT_TRUE(finished) << "the layout test at " << c.dpi << " pixels per inch overran";
        EXPECT_EQ(exitCode, 0u) << "the layout test failed at " << c.dpi
                                << " pixels per inch, face " << FromWide(c.face, CP_UTF8);
    }
    SetEnvironmentVariableW(L"TOLVEX_TEST_DPI", nullptr);
    SetEnvironmentVariableW(L"TOLVEX_TEST_FACE", nullptr);
}

// The controls' IDs in the focus order.
std::vector<int> FocusOrder() {
    std::vector<int> order;
    for (std::string_view name : tolvex::ui::kFocusOrder) {
        order.push_back(MainWindow::ControlId(name));
    }
    return order;
}

TEST_F(WindowTest, TabAndShiftTabFollowTheFocusOrderAndWrap) {
    const std::vector<int> order = FocusOrder();
    Focus(IDC_EDTCODE2);
    for (std::size_t i = 1; i <= order.size(); ++i) {
        Key(VK_TAB);
        EXPECT_EQ(GetFocus(), Item(order[i % order.size()])) << "Tab step " << i;
    }
    for (std::size_t i = order.size(); i-- > 0;) {
        Key(VK_TAB, {VK_SHIFT});
        EXPECT_EQ(GetFocus(), Item(order[i])) << "Shift+Tab to position " << i;
    }
    EXPECT_EQ(TextOf(IDC_MEMCODE), L"") << "Tab is not typed into the result box";

    // The same order when a control asks the window for the next one, as a multi-line edit
    // does in a dialog; a single-line box entered this way selects all.
    Put(IDC_EDTCODE1, L"123");
    Focus(IDC_EDTCODE2);
    for (std::size_t i = 1; i <= order.size(); ++i) {
        SendMessageW(window_->Window(), WM_NEXTDLGCTL, 0, 0);
        EXPECT_EQ(GetFocus(), Item(order[i % order.size()])) << "next " << i;
    }
    SendMessageW(window_->Window(), WM_NEXTDLGCTL, 1, 0);
    EXPECT_EQ(GetFocus(), Item(IDC_BTNSAVE));
    SendMessageW(window_->Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_EDTCODE1)),
                 TRUE);
    EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE1));
    EXPECT_EQ(Selection(IDC_EDTCODE1), std::make_pair(DWORD{0}, DWORD{3}));
}

TEST_F(WindowTest, TheFocusedButtonShowsAsTheDefaultOtherwiseTheFilterButton) {
    const std::vector<int> buttons = {IDC_BTNFILT, IDC_BTNSAVE, IDC_BTNCOPY, IDC_BTNCLOSE};
    // The one button with the default frame: the focused one, or the filter button.
    auto expectDefaultFrame = [&](const std::string& when) {
        const int focused = GetDlgCtrlID(GetFocus());
        const int expected =
            std::count(buttons.begin(), buttons.end(), focused) ? focused : IDC_BTNFILT;
        for (int id : buttons) {
            const bool isDefault =
                (GetWindowLongPtrW(Item(id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
            EXPECT_EQ(isDefault, id == expected) << when << ", button " << id;
        }
    };
    for (int focused : {IDC_BTNCOPY, IDC_BTNSAVE, IDC_EDTDJ, IDC_BTNCLOSE, IDC_MEMCODE}) {
        Focus(focused);
        expectDefaultFrame("focus set on " + std::to_string(focused));
    }
    // Through real Tab and Shift+Tab presses, which the dialog keys handle themselves.
    Focus(IDC_EDTCODE2);
    const std::size_t steps = FocusOrder().size();
    for (std::size_t i = 0; i < steps; ++i) {
        Key(VK_TAB);
        expectDefaultFrame("Tab " + std::to_string(i + 1));
    }
    for (std::size_t i = 0; i < steps; ++i) {
        Key(VK_TAB, {VK_SHIFT});
        expectDefaultFrame("Shift+Tab " + std::to_string(i + 1));
    }
    // After a filtering from the keyboard, and after one from the filter button.
    FilterExample();
    expectDefaultFrame("after filtering with Enter");
    Put(IDC_EDTCODE1, L"456");
    Focus(IDC_BTNFILT);
    Key(VK_SPACE);
    EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE1));
    expectDefaultFrame("after filtering with the button");
}

TEST_F(WindowTest, KeyboardEntrySelectsAllButNeverInTheResultBox) {
    Put(IDC_EDTCODE1, L"789");
    Put(IDC_EDTDJ, L"中");
    Put(IDC_MEMCODE, L"000 002 003 ");
    SendMessageW(Item(IDC_MEMCODE), EM_SETSEL, 4, 7);
    SendMessageW(Item(IDC_EDTCODE1), EM_SETSEL, 1, 1);
    Focus(IDC_EDTCODE2);

    Key(VK_TAB);
    EXPECT_EQ(Selection(IDC_EDTCODE1), std::make_pair(DWORD{0}, DWORD{3}));
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IDC_MEMCODE));
    EXPECT_EQ(Selection(IDC_MEMCODE), std::make_pair(DWORD{4}, DWORD{7}))
        << "the selection made earlier shows";
    Key(VK_TAB, {VK_SHIFT});
    EXPECT_EQ(Selection(IDC_EDTCODE1), std::make_pair(DWORD{0}, DWORD{3}));

    // From the program: selects all. By the mouse: the caret goes where the click was.
    window_->Controls().SetFocus(tolvex::ui::Control::edtdj);
    EXPECT_EQ(Selection(IDC_EDTDJ), std::make_pair(DWORD{0}, DWORD{1}));
    Focus(IDC_EDTCODE1);
    RECT client;
    GetClientRect(Item(IDC_EDTDJ), &client);
    PostClick(IDC_EDTDJ, client.right - 2, client.bottom / 2, client.right - 2, client.bottom / 2);
    EXPECT_EQ(GetFocus(), Item(IDC_EDTDJ));
    EXPECT_EQ(Selection(IDC_EDTDJ), std::make_pair(DWORD{1}, DWORD{1}));
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"中") << "the marker has no click handler";
}

TEST_F(WindowTest, EnterPressesTheRightButtonOrNone) {
    struct Case {
        const char* name;
        int focus;
        std::vector<WORD> modifiers;
        bool filters;
    };
    const std::vector<Case> cases = {
        {"previous-draw box", IDC_EDTCODE2, {}, true},
        {"last-draw box", IDC_EDTCODE1, {}, true},
        {"hit marker", IDC_EDTDJ, {}, true},
        {"filter button", IDC_BTNFILT, {}, true},
        {"Shift held", IDC_EDTCODE1, {VK_SHIFT}, false},
        {"Ctrl held", IDC_EDTCODE1, {VK_CONTROL}, false},
        {"Ctrl on a button", IDC_BTNFILT, {VK_CONTROL}, false},
        {"Alt held", IDC_EDTCODE1, {VK_MENU}, false},
        {"copy button", IDC_BTNCOPY, {}, false},
        {"result box", IDC_MEMCODE, {}, false},
    };
    for (const Case& c : cases) {
        Put(IDC_MEMCODE, L"");
        Put(IDC_EDTCODE2, L"456");
        Put(IDC_EDTCODE1, L"123");
        Focus(c.focus);
        Press(VK_RETURN, c.modifiers);
        Settle();
        EXPECT_EQ(TextOf(IDC_MEMCODE).rfind(kFirstNumbers, 0) == 0, c.filters) << c.name;
        EXPECT_EQ(TextOf(IDC_EDTCODE1), c.filters ? L"" : L"123") << c.name;
    }
    // The result box took Enter as a line break; the copy button copied it.
    EXPECT_EQ(TextOf(IDC_MEMCODE), L"\r\n");

    SetClipboardText(L"before");
    Put(IDC_MEMCODE, L"typed by hand");
    Focus(IDC_BTNCOPY);
    Key(VK_RETURN);
    EXPECT_EQ(ClipboardText(), L"typed by hand");

    Focus(IDC_BTNCLOSE);
    Press(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return window_->Window() == nullptr; }))
        << "Enter on the exit button closes the window";
}

TEST_F(WindowTest, EscapeInTheResultBoxDoesNotCloseTheWindow) {
    Focus(IDC_MEMCODE);
    Key(VK_ESCAPE);
    Focus(IDC_EDTCODE2);
    Key(VK_ESCAPE);
    ASSERT_NE(window_->Window(), nullptr);
    EXPECT_TRUE(IsWindowVisible(window_->Window()));
}

TEST_F(WindowTest, FilteringShowsCopiesAndHandsOver) {
    SetClipboardText(L"before");
    Focus(IDC_EDTCODE2);
    Type("456");
    Key(VK_TAB);
    Type("123");
    Put(IDC_EDTDJ, L"Q");
    Key(VK_RETURN);

    const std::wstring result = TextOf(IDC_MEMCODE);
    EXPECT_EQ(result.size(), 722u * 4);
    EXPECT_EQ(result.rfind(kFirstNumbers, 0), 0u);
    EXPECT_EQ(TextOf(IDC_LBLJUSHU), L"缩水结果：722注");
    EXPECT_EQ(ClipboardText(), result);
    EXPECT_EQ(TextOf(IDC_EDTCODE2), L"123");
    EXPECT_EQ(TextOf(IDC_EDTCODE1), L"");
    EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE1));
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"Q") << "emptying edtcode1 keeps the marker";
}

TEST_F(WindowTest, TypingTheNextDrawMarksHitOrMiss) {
    FilterExample();
    struct Case {
        std::string typed;
        std::wstring marker;
    };
    // Each row types into the emptied box; the marker answers only at three characters.
    const std::vector<Case> cases = {{"0", L""}, {"00", L""}, {"000", L"中"}, {"001", L"X"}};
    for (const Case& c : cases) {
        Put(IDC_EDTCODE1, L"");
        Put(IDC_EDTDJ, L"");
        Focus(IDC_EDTCODE1);
        Type(c.typed);
        EXPECT_EQ(TextOf(IDC_EDTDJ), c.marker) << c.typed;
    }
    // The last hit ("000") selected the number in the result box without taking the focus.
    Put(IDC_EDTCODE1, L"");
    Type("000");
    EXPECT_EQ(Selection(IDC_MEMCODE), std::make_pair(DWORD{0}, DWORD{3}));
    EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE1));

    // A hit near the end scrolls the result box to it.
    Put(IDC_EDTCODE1, L"");
    Type("999");
    const std::wstring result = TextOf(IDC_MEMCODE);
    const DWORD at = static_cast<DWORD>(result.find(L"999"));
    EXPECT_EQ(Selection(IDC_MEMCODE), std::make_pair(at, at + 3));
    EXPECT_GT(SendMessageW(Item(IDC_MEMCODE), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(WindowTest, HitOffsetsCountCodePageBytes) {
    // "中文" is four bytes in code page 936 but two characters in the box.
    Put(IDC_MEMCODE, L"中文 123 456 ");
    Focus(IDC_EDTCODE1);
    Type("456");
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"中");
    EXPECT_EQ(Selection(IDC_MEMCODE), std::make_pair(DWORD{7}, DWORD{10}));
}

TEST_F(WindowTest, ChangeHandlerRunsOnRealChangesOnly) {
    Put(IDC_MEMCODE, L"000 002 003 ");
    Put(IDC_EDTCODE1, L"002");
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"中");

    // The same text again, set by the program or by the platform: no handler runs, so the
    // marker that was changed by hand stays.
    Put(IDC_EDTDJ, L"hand");
    window_->Controls().SetText(tolvex::ui::Control::edtcode1, "002");
    Put(IDC_EDTCODE1, L"002");
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"hand");

    // A real change set by the program runs it, before SetText returns.
    window_->Controls().SetText(tolvex::ui::Control::edtcode1, "001");
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"X");
    window_->Controls().SetText(tolvex::ui::Control::edtcode1, "");
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"X") << "an entry too short gives no verdict";
    Put(IDC_MEMCODE, L"  ");
    window_->Controls().SetText(tolvex::ui::Control::edtcode1, "0");
    EXPECT_EQ(TextOf(IDC_EDTDJ), L"") << "a blank result box empties the marker";
}

TEST_F(WindowTest, AMouseClickEmptiesAnEntryBoxButTabDoesNot) {
    struct Case {
        int id;
        bool releaseInside;
        bool empties;
    };
    const std::vector<Case> cases = {
        {IDC_EDTCODE2, true, true},
        {IDC_EDTCODE1, true, true},
        {IDC_EDTCODE2, false, false},  // released outside the box: no click
        {IDC_EDTCODE1, false, false},
    };
    for (const Case& c : cases) {
        Put(c.id, L"456");
        RECT client;
        GetClientRect(Item(c.id), &client);
        const int upX = c.releaseInside ? 5 : client.right + 40;
        PostClick(c.id, 5, client.bottom / 2, upX, client.bottom / 2);
        EXPECT_EQ(TextOf(c.id), c.empties ? L"" : L"456") << c.id << " " << c.releaseInside;
    }
    Put(IDC_EDTCODE1, L"456");
    Focus(IDC_EDTCODE2);
    Key(VK_TAB);
    EXPECT_EQ(TextOf(IDC_EDTCODE1), L"456");

    // A real click through the system's mouse input.
    ClickAt(Item(IDC_EDTCODE1));
    EXPECT_TRUE(PumpUntil([&] { return TextOf(IDC_EDTCODE1).empty(); }));
}

// A box's frame centred on the screen, to a pixel or two.
void ExpectCentred(const ModalSeen& box, const char* what) {
    EXPECT_NEAR((box.rect.left + box.rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2) << what;
    EXPECT_NEAR((box.rect.top + box.rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2) << what;
}

TEST_F(WindowTest, TheMessageBoxClosesByClickEnterOrEsc) {
    struct Case {
        const char* how;
        std::function<void(HWND)> close;
    };
    const std::vector<Case> cases = {
        {"Enter", [](HWND) { Press(VK_RETURN); }},
        {"Esc", [](HWND) { Press(VK_ESCAPE); }},
        {"click", [](HWND box) { ClickAt(GetDlgItem(box, IDOK)); }},
    };
    for (const Case& c : cases) {
        Put(IDC_EDTCODE2, L"456");
        Put(IDC_EDTCODE1, L"12");
        Focus(IDC_EDTCODE1);
        const auto seen = WithModals([&] { Press(VK_RETURN); }, {c.close});
        ASSERT_EQ(seen.size(), 1u) << c.how;
        EXPECT_EQ(seen[0].title, L"Tolvex") << c.how;
        EXPECT_EQ(seen[0].texts, std::vector<std::wstring>{L"请输入3位数上期开奖号码"});
        EXPECT_EQ(seen[0].buttons, std::vector<std::wstring>{L"确定"});
        EXPECT_FALSE(seen[0].hasIcon);
        ExpectCentred(seen[0], c.how);
        EXPECT_EQ(TextOf(IDC_EDTCODE1), L"") << c.how;
        EXPECT_EQ(TextOf(IDC_EDTCODE2), L"456") << c.how;
        EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE1)) << c.how;
        EXPECT_TRUE(IsWindowEnabled(window_->Window()));
    }
    // Then the previous draw: the other message, the other box emptied.
    Put(IDC_EDTCODE1, L"123");
    Put(IDC_EDTCODE2, L"4x6");
    Focus(IDC_EDTCODE1);
    const auto seen = WithModals([] { Press(VK_RETURN); }, {[](HWND) { Press(VK_RETURN); }});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].texts, std::vector<std::wstring>{L"请输入3位数前期开奖号码"});
    EXPECT_EQ(TextOf(IDC_EDTCODE2), L"");
    EXPECT_EQ(GetFocus(), Item(IDC_EDTCODE2));
}

TEST_F(WindowTest, TheWaitCursorShowsOverTheWindowWhileOn) {
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    const HWND box = Item(IDC_MEMCODE);
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    window_->Desktop().SetWaitCursor(true);
    SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), overClient);
    EXPECT_EQ(GetCursor(), wait);
    window_->Desktop().SetWaitCursor(false);
    SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), overClient);
    EXPECT_NE(GetCursor(), wait);
}

// The cursor of this thread when the clipboard's owner below was told that it loses it.
HCURSOR cursorAtCopy = nullptr;

LRESULT CALLBACK RecordCursorOnCopy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROYCLIPBOARD) {
        cursorAtCopy = GetCursor();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(WindowTest, FilteringShowsTheWaitCursorUntilItEnds) {
    // A window of this thread owns the clipboard, so the filtering tells it, in the middle,
    // when it copies the result; the pointer rests on the result box meanwhile.
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecordCursorOnCopy;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TolvexTestClipboardOwner";
    RegisterClassW(&wc);
    const HWND owner = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    CloseClipboard();
    cursorAtCopy = nullptr;
    PointAt(Item(IDC_MEMCODE));
    const auto ownCursor =
        reinterpret_cast<HCURSOR>(GetClassLongPtrW(Item(IDC_MEMCODE), GCLP_HCURSOR));
    ASSERT_TRUE(PumpUntil([&] { return GetCursor() == ownCursor; }))
        << "the pointer rests on the result box";

    FilterExample();
    DestroyWindow(owner);
    EXPECT_EQ(TextOf(IDC_MEMCODE).rfind(kFirstNumbers, 0), 0u);
    EXPECT_EQ(cursorAtCopy, LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(GetCursor(),
              reinterpret_cast<HCURSOR>(GetClassLongPtrW(Item(IDC_MEMCODE), GCLP_HCURSOR)))
        << "the result box's own cursor is back at once";
}

// Fills the Save dialog's file name and confirms it, from the watcher thread.
std::function<void(HWND)> SaveAs(const std::wstring& name, std::wstring* folderShown = nullptr) {
    return [name, folderShown](HWND dialog) {
        if (folderShown != nullptr) {
            wchar_t folder[MAX_PATH + 1] = {};
            SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
            *folderShown = folder;
        }
        for (int id : {edt1, cmb13}) {
            SetDlgItemTextW(dialog, id, name.c_str());
        }
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    };
}

void PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::wstring FolderKey(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    CharLowerW(path.data());
    return path;
}

TEST_F(WindowTest, SaveWritesTheResultBoxBytesAndOverwritesWithoutAsking) {
    TempFolder desktop;
    // The shell writes its own folders back to the key once the dialog has run, so the
    // test's desktop folder is set again before each save.
    auto pointDesktop = [&] {
        SetDesktopValue(REG_SZ, desktop.Path().c_str(),
                        static_cast<DWORD>((desktop.Path().size() + 1) * sizeof(wchar_t)));
    };
    pointDesktop();
    FilterExample();
    const std::string filtered = FromWide(TextOf(IDC_MEMCODE));

    Focus(IDC_BTNSAVE);
    std::wstring folderShown;
    auto seen = WithModals([] { Press(VK_RETURN); },
                           {SaveAs(L"result", &folderShown), [](HWND) { Press(VK_RETURN); }});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].className, L"#32770") << "the platform's Save dialog";
    EXPECT_EQ(FolderKey(folderShown), FolderKey(desktop.Path())) << "starts on the desktop";
    EXPECT_EQ(seen[1].title, L"Tolvex");
    EXPECT_EQ(seen[1].texts, std::vector<std::wstring>{L"成功保存！"});
    ExpectCentred(seen[1], "the success box after the Save dialog");
    const std::wstring file = desktop.File(L"result.txt");  // the extension was added
    EXPECT_EQ(ReadBytes(file), filtered);
    EXPECT_EQ(filtered.size(), 2888u);
    EXPECT_EQ(GetFocus(), Item(IDC_BTNSAVE)) << "the focus comes back after the boxes";

    // Edited text with a typed line break, saved again under the same name: no question.
    Put(IDC_MEMCODE, L"中 001\r\n002 ");
    pointDesktop();
    seen = WithModals([&] { SendMessageW(Item(IDC_BTNSAVE), BM_CLICK, 0, 0); },
                      {SaveAs(file), PressOk});
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].texts, std::vector<std::wstring>{L"成功保存！"});
    EXPECT_EQ(ReadBytes(file), "\xD6\xD0 001\r\n002 ");

    // An empty result box gives an empty file.
    Put(IDC_MEMCODE, L"");
    pointDesktop();
    seen = WithModals([&] { SendMessageW(Item(IDC_BTNSAVE), BM_CLICK, 0, 0); },
                      {SaveAs(L"empty.txt", &folderShown), PressOk});
    EXPECT_EQ(FolderKey(folderShown), FolderKey(desktop.Path())) << "every time";
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].texts, std::vector<std::wstring>{L"成功保存！"});
    EXPECT_EQ(ReadBytes(desktop.File(L"empty.txt")), "");
    EXPECT_EQ(desktop.Count(), 2);
}

TEST_F(WindowTest, SavingWritesUnderTheNameChosenAlsoBeyondTheCodePage) {
    // Code page 936 holds neither name: the file is written under the dialog's own name.
    TempFolder desktop;
    Put(IDC_MEMCODE, L"000 002 ");
    for (const std::wstring& name :
         {std::wstring(L"결과.txt"), std::wstring(L"x\U0001F600y.txt")}) {
        const std::wstring file = desktop.File(name);
        const auto seen = WithModals([&] { SendMessageW(Item(IDC_BTNSAVE), BM_CLICK, 0, 0); },
                                     {SaveAs(file), PressOk});
        ASSERT_EQ(seen.size(), 2u) << FromWide(name, CP_UTF8);
        EXPECT_EQ(seen[1].texts, std::vector<std::wstring>{L"成功保存！"});
        EXPECT_EQ(ReadBytes(file), "000 002 ") << FromWide(name, CP_UTF8);
    }
    EXPECT_EQ(desktop.Count(), 2) << "no file under a name with question marks";
}

TEST_F(WindowTest, CancellingTheSaveDialogDoesNothing) {
    TempFolder desktop;
    SetDesktopValue(REG_SZ, desktop.Path().c_str(),
                    static_cast<DWORD>((desktop.Path().size() + 1) * sizeof(wchar_t)));
    Put(IDC_MEMCODE, L"000 ");
    const auto seen = WithModals([&] { SendMessageW(Item(IDC_BTNSAVE), BM_CLICK, 0, 0); },
                                 {[](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }});
    ASSERT_EQ(seen.size(), 1u);
    Drain();
    EXPECT_EQ(desktop.Count(), 0);
}

TEST_F(WindowTest, SaveErrorsShowInTheErrorBox) {
    TempFolder desktop;
    const std::wstring readOnly = desktop.File(L"locked.txt");
    WriteBytes(readOnly, "earlier");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    SetDesktopValue(REG_SZ, desktop.Path().c_str(),
                    static_cast<DWORD>((desktop.Path().size() + 1) * sizeof(wchar_t)));
    Put(IDC_MEMCODE, L"000 ");
    Focus(IDC_BTNSAVE);

    // A read-only file, and one another program holds open without sharing the writing:
    // "不能创建文件" with the name and the full stop the rule appends; the file stays.
    const std::wstring held = desktop.File(L"held.txt");
    WriteBytes(held, "earlier");
    const HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const HICON errorIcon = LoadIconW(nullptr, IDI_ERROR);
    std::vector<ModalSeen> seen;
    for (const std::wstring& file : {readOnly, held}) {
        seen = WithModals([] { Press(VK_RETURN); }, {SaveAs(file), PressOk});
        ASSERT_EQ(seen.size(), 2u) << FromWide(file);
        EXPECT_EQ(seen[1].title, L"Tolvex");
        EXPECT_EQ(seen[1].icon, errorIcon) << "the error box has the error icon";
        EXPECT_EQ(seen[1].texts, std::vector<std::wstring>{L"不能创建文件 " + file + L"."});
        EXPECT_EQ(ReadBytes(file), "earlier") << FromWide(file);
        EXPECT_EQ(desktop.Count(), 2) << "no temporary file is left";
        EXPECT_EQ(GetFocus(), Item(IDC_BTNSAVE));
    }
    CloseHandle(holder);

    // The desktop value of the wrong type: the error box, and no dialog at all.
    const DWORD number = 1;
    SetDesktopValue(REG_DWORD, &number, sizeof(number));
    seen = WithModals([] { Press(VK_RETURN); }, {PressOk});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].icon, errorIcon);
    EXPECT_EQ(seen[0].texts, std::vector<std::wstring>{L"'Desktop' 的数据类型是无效的."});
    EXPECT_EQ(GetFocus(), Item(IDC_BTNSAVE));
}

// The mouse capture this thread held each time a window of the platform's dialog class,
// which the error box is, was created; noted by a hook.
std::vector<HWND> capturesAtBoxCreation;

LRESULT CALLBACK NoteCaptureAtBoxCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        wchar_t name[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16);
        if (lstrcmpW(name, L"#32770") == 0) {
            capturesAtBoxCreation.push_back(GetCapture());
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, TheErrorBoxOpensWithNoMouseCapture) {
    // An entry box holds the mouse capture when the save button, pressed by the keyboard,
    // fails on the desktop value of the wrong type. Wine's box cancels a capture itself once
    // its window exists, so the capture is looked at as that window is created.
    const DWORD number = 1;
    SetDesktopValue(REG_DWORD, &number, sizeof(number));
    Focus(IDC_BTNSAVE);
    SetCapture(Item(IDC_EDTCODE1));
    ASSERT_EQ(GetCapture(), Item(IDC_EDTCODE1));
    capturesAtBoxCreation.clear();
    const HHOOK hook =
        SetWindowsHookExW(WH_CBT, NoteCaptureAtBoxCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    const auto seen = WithModals([] { Press(VK_RETURN); }, {PressOk});
    UnhookWindowsHookEx(hook);
    ReleaseCapture();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].texts, std::vector<std::wstring>{L"'Desktop' 的数据类型是无效的."});
    EXPECT_EQ(capturesAtBoxCreation, std::vector<HWND>{nullptr})
        << "the capture is released before the error box opens";
}

// Stands in for a disk with room for `diskRoom` more bytes: a write beyond it falls short,
// and once the disk is full nothing more is written.
DWORD diskRoom = 0;

BOOL WINAPI WriteToSmallDisk(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    const DWORD fits = std::min(size, diskRoom);
    diskRoom -= fits;
    if (fits == 0) {
        *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, data, fits, written, nullptr);
}

TEST_F(WindowTest, AShortWriteShowsTheWriteErrorAndKeepsTheEarlierFile) {
    TempFolder folder;
    const std::wstring file = folder.File(L"result.txt");
    WriteBytes(file, "earlier");
    diskRoom = 4;
    window_->Desktop().SetWriteBlock(&WriteToSmallDisk);
    Put(IDC_MEMCODE, L"000 002 003 ");
    // The third action would close a success box, should one open.
    const auto seen = WithModals([&] { SendMessageW(Item(IDC_BTNSAVE), BM_CLICK, 0, 0); },
                                 {SaveAs(file), PressOk, PressOk});
    ASSERT_EQ(seen.size(), 2u) << "the error box and no success box";
    EXPECT_EQ(seen[1].icon, LoadIconW(nullptr, IDI_ERROR));
    EXPECT_EQ(seen[1].texts, std::vector<std::wstring>{L"写流出错."});
    EXPECT_EQ(diskRoom, 0u) << "the first bytes were written";
    EXPECT_EQ(ReadBytes(file), "earlier");
    EXPECT_EQ(folder.Count(), 1) << "no temporary file is left";
}

// What assistive technology reads of a control through oleacc, as a screen reader does: its
// name or description, or "<...>" when there is none to read.
std::wstring Accessible(HWND window,
                        HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*)) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
        return L"<no accessible object>";
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    const HRESULT answer = (object->*read)(self, &text);
    std::wstring result =
        answer == S_OK && text != nullptr ? std::wstring(text, SysStringLen(text)) : L"<none>";
    SysFreeString(text);
    object->Release();
    return result;
}

// COM for the test's thread, as a screen reader's client has it.
class WithCom {
  public:
    WithCom() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~WithCom() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    WithCom(const WithCom&) = delete;
    WithCom& operator=(const WithCom&) = delete;

  private:
    HRESULT result_;
};

TEST_F(WindowTest, EachBoxIsNamedByItsLabelForAssistiveTechnology) {
    WithCom com;
    for (const tolvex::ui::LabelFor& pair : tolvex::ui::kLabels) {
        const HWND box = Item(MainWindow::ControlId(pair.box));
        const HWND label = Item(MainWindow::ControlId(pair.label));
        // An edit takes its name from the label just before it in the order of creation.
        EXPECT_EQ(GetWindow(box, GW_HWNDPREV), label) << pair.box;
        EXPECT_EQ(Accessible(box, &IAccessible::get_accName), WindowText(label)) << pair.box;
    }
    // The result box is named by the count as it now reads.
    FilterExample();
    EXPECT_EQ(Accessible(Item(IDC_MEMCODE), &IAccessible::get_accName), L"缩水结果：722注");
}

// The windows whose description changed, as assistive technology is told.
std::vector<HWND> describedWindows;
void CALLBACK RecordDescriptionChange(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                      LONG child, DWORD, DWORD) {
    if (event == EVENT_OBJECT_DESCRIPTIONCHANGE && object == OBJID_CLIENT &&
        child == CHILDID_SELF) {
        describedWindows.push_back(window);
    }
}

// Whether the system keeps descriptions set through its annotation service (Wine does not).
bool AnnotationsKept(HWND window) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return false;
    }
    const bool kept = SUCCEEDED(services->SetHwndPropStr(window, OBJID_CLIENT, CHILDID_SELF,
                                                         PROPID_ACC_DESCRIPTION, L"probe"));
    MSAAPROPID property = PROPID_ACC_DESCRIPTION;
    services->ClearHwndProps(window, OBJID_CLIENT, CHILDID_SELF, &property, 1);
    services->Release();
    return kept;
}

TEST_F(WindowTest, TheHitMarkerIsToldOnTheFocusedBox) {
    WithCom com;
    FilterExample();
    const HWND last = Item(IDC_EDTCODE1);
    ASSERT_EQ(GetFocus(), last);
    const bool kept = AnnotationsKept(Item(IDC_EDTCOPY));
    if (!kept) {
        std::printf("note: no annotation service here; only the change event is checked\n");
    }
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_DESCRIPTIONCHANGE, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr,
                        &RecordDescriptionChange, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    struct Step {
        std::string typed;
        bool emptied;        // the box emptied first
        bool told;           // whether a change is told on the focused box
        std::wstring heard;  // its description then
    };
    const std::vector<Step> steps = {
        {"00", false, false, L"<none>"},  // no verdict yet
        {"0", false, true, L"对奖 中"},   // 000 is kept
        {"", true, false, L"对奖 中"},    // emptied: the marker stays
        {"001", false, true, L"对奖 X"},  // struck
        {"999", true, true, L"对奖 中"},
    };
    for (const Step& step : steps) {
        if (step.emptied) {
            Put(IDC_EDTCODE1, L"");
        }
        describedWindows.clear();
        Type(step.typed);
        Drain();
        EXPECT_EQ(std::count(describedWindows.begin(), describedWindows.end(), last),
                  step.told ? 1 : 0)
            << step.typed;
        EXPECT_EQ(describedWindows.size(), step.told ? 1u : 0u) << "told on another window";
        if (kept) {
            EXPECT_EQ(Accessible(last, &IAccessible::get_accDescription), step.heard);
        }
    }
    UnhookWinEvent(hook);
}

}  // namespace
