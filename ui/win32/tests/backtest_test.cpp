// backtest_test.cpp - the Win32 backtest: the choice dialog from the keyboard, a file as argument.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "backtest_desktop.h"
#include "choice_dialog.h"
#include "message_box.h"
#include "modal.h"
#include "resource.h"
#include "text.h"
#include "win32_test_util.h"
#include "window_font.h"

namespace {

using tolvex::win32::ChoiceDialog;

// What the test saw of the dialog before it answered.
struct Seen {
    std::wstring question;
    std::vector<std::wstring> answers;
    bool listFocused = false;
    std::wstring ok, cancel;
};

using tolvex::win32::testing::kWaitLimitMs;

// Waits (up to the tests' limit) for a shown window of class `cls` in this process.
HWND WaitForWindow(const wchar_t* cls) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < kWaitLimitMs;) {
        HWND window = FindWindowW(cls, nullptr);
        if (window != nullptr && IsWindowVisible(window)) {
            return window;
        }
        Sleep(10);
    }
    return nullptr;
}

// Answers the choice dialog from another thread: records it, then posts `keys` to the control
// with the focus, as typed keys reach it.
std::thread Answer(std::vector<WORD> keys, Seen& seen) {
    return std::thread([keys, &seen] {
        HWND dialog = WaitForWindow(ChoiceDialog::kClassName);
        if (dialog == nullptr) {
            return;
        }
        seen.question = tolvex::win32::WindowText(GetDlgItem(dialog, IDC_CHOICETEXT));
        HWND list = GetDlgItem(dialog, IDC_CHOICELIST);
        const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)),
                              L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            seen.answers.push_back(item);
        }
        seen.ok = tolvex::win32::WindowText(GetDlgItem(dialog, IDOK));
        seen.cancel = tolvex::win32::WindowText(GetDlgItem(dialog, IDCANCEL));
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        seen.listFocused = info.hwndFocus == list;
        for (WORD key : keys) {
            PostMessageW(info.hwndFocus != nullptr ? info.hwndFocus : list, WM_KEYDOWN, key, 1);
            PostMessageW(info.hwndFocus != nullptr ? info.hwndFocus : list, WM_KEYUP, key,
                         0xC0000001);
        }
    });
}

struct KeyCase {
    const char* name;
    std::vector<WORD> keys;
    int chosen;  // -1: cancelled
};

class ChoiceKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ChoiceKeys, ChooseFromTheKeyboard) {
    const KeyCase& c = GetParam();
    const auto font = tolvex::win32::CreateScreenFont();
    Seen seen;
    std::thread answer = Answer(c.keys, seen);
    const auto chosen =
        ChoiceDialog::Ask(L"哪一列？", {L"第2列 A，如 123", L"第3列 B，如 456", L"第4列 C，如 789"},
                          font.font, font.scale);
    answer.join();
    DeleteObject(font.font);
    EXPECT_EQ(chosen.value_or(-1), c.chosen);
    EXPECT_EQ(seen.question, L"哪一列？");
    EXPECT_EQ(seen.answers, (std::vector<std::wstring>{L"第2列 A，如 123", L"第3列 B，如 456",
                                                       L"第4列 C，如 789"}));
    EXPECT_TRUE(seen.listFocused);
    EXPECT_EQ(seen.ok, L"确定");
    EXPECT_EQ(seen.cancel, L"取消");
    EXPECT_EQ(FindWindowW(ChoiceDialog::kClassName, nullptr), nullptr) << "dialog left open";
}

INSTANTIATE_TEST_SUITE_P(Keys, ChoiceKeys,
                         ::testing::Values(KeyCase{"EnterTakesTheFirst", {VK_RETURN}, 0},
                                           KeyCase{"DownEnter", {VK_DOWN, VK_RETURN}, 1},
                                           KeyCase{"EndEnter", {VK_END, VK_RETURN}, 2},
                                           KeyCase{"DownUpEnter", {VK_DOWN, VK_UP, VK_RETURN}, 0},
                                           KeyCase{"EscapeCancels", {VK_DOWN, VK_ESCAPE}, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Under Wine the loops of the program's windows wake by themselves, so that events Wine left
// unread are read without new input; the wake ends with its owner.
TEST(LoopWake, WakesTheThreadWhileItLives) {
    const bool wine = tolvex::win32::RunsUnderWine();
    MSG msg;
    const auto wokeWithin = [&msg](DWORD limitMs) {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < limitMs;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_TIMER);
            while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
                if (msg.hwnd == nullptr) {
                    return true;
                }
            }
        }
        return false;
    };
    {
        const tolvex::win32::LoopWake wake;
        EXPECT_EQ(wokeWithin(wine ? kWaitLimitMs : 1500), wine);
    }
    // One that came as the wake ended may still wait; after it, none for twice the period.
    while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    EXPECT_FALSE(wokeWithin(1000));
}

// A history file as the argument: the page beside it, under a new name each time; the box
// that says where (no browser in the test's Wine prefix) is answered. No argument: the window.
TEST(BacktestArguments, FileWritesThePageBesideIt) {
    tolvex::win32::testing::TempFolder folder;
    const std::wstring history = folder.Path() + L"\\开奖.txt";
    {
        std::ofstream out(std::filesystem::path(history), std::ios::binary);
        out << "2024001 456\n2024002 123\n2024003 000\n2024004 111\n2024005 555\n";
    }
    EXPECT_FALSE(tolvex::win32::RunBacktestFor({}).has_value());
    for (const wchar_t* page : {L"\\开奖-回测.html", L"\\开奖-回测-2.html"}) {
        std::atomic<bool> boxSeen = false;
        std::atomic<bool> finished = false;
        std::thread closer([&boxSeen, &finished] {
            // A browser may open the page instead; then there is no box to close.
            for (const DWORD start = GetTickCount();
                 !boxSeen && !finished && GetTickCount() - start < kWaitLimitMs;) {
                if (HWND box = FindWindowW(tolvex::win32::MessageBoxWindow::kClassName, nullptr);
                    box != nullptr && IsWindowVisible(box)) {
                    boxSeen = true;
                    PostMessageW(box, WM_COMMAND, IDOK, 0);
                }
                Sleep(10);
            }
        });
        EXPECT_EQ(tolvex::win32::RunBacktestFor({history}), 0);
        finished = true;
        closer.join();
        std::ifstream written(std::filesystem::path(folder.Path() + page), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(written)), {});
        EXPECT_NE(content.find("回测 3 期，下一期开奖号被保留 1 次"), std::string::npos) << page;
    }
}

}  // namespace
