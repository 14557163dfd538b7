// backtest_desktop.h - the backtest on Win32: Open dialog, choice dialog, boxes, browser.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tolvex/ui/backtest_flow.h"
#include "window_font.h"

namespace tolvex::win32 {

class Win32BacktestDesktop : public ui::BacktestDesktop {
  public:
    Win32BacktestDesktop();
    ~Win32BacktestDesktop() override;
    Win32BacktestDesktop(const Win32BacktestDesktop&) = delete;
    Win32BacktestDesktop& operator=(const Win32BacktestDesktop&) = delete;

    std::optional<std::filesystem::path> ChooseHistoryFile() override;
    std::optional<std::size_t> ChooseColumn(const std::vector<ui::ColumnChoice>& columns) override;
    std::optional<history::Order> ChooseOrder() override;
    void ShowError(std::string_view text) override;
    void ShowInfo(std::string_view text) override;
    bool OpenPage(const std::filesystem::path& page) override;
    std::filesystem::path TemporaryFolder() override;

  private:
    ScreenFont font_;
    bool waitCursor_ = false;
};

/// Runs the program for its arguments (after its name) when they ask for the backtest, and
/// gives its exit status; no value when they ask for the window.
std::optional<int> RunBacktestFor(const std::vector<std::wstring>& arguments);

}  // namespace tolvex::win32
