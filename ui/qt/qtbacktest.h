// qtbacktest.h - the backtest from the desktop in Qt: the command line, the dialogs, the browser.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

#include "tolvex/ui/backtest_flow.h"

namespace tolvex::qt {

/// What the command line asks for (ui::ParseLaunch), with the file's name.
struct CommandLine {
    using Mode = ui::Launch::Mode;
    Mode mode = Mode::Window;
    std::optional<QString> file;
};

/// The arguments after the program's name, Qt's own options already taken out.
CommandLine ParseCommandLine(const QStringList& arguments);

/// "Usage: tolvex [--backtest] [FILE]" and what it does.
QString UsageText();

/// The platform's path of a file name Qt gives.
std::filesystem::path ToPath(const QString& name);

/// The backtest's desktop services with Qt's Open dialog, the choice dialog, the boxes and
/// QDesktopServices.
class QtBacktestDesktop : public ui::BacktestDesktop {
  public:
    std::optional<std::filesystem::path> ChooseHistoryFile() override;
    std::optional<std::size_t> ChooseColumn(const std::vector<ui::ColumnChoice>& columns) override;
    std::optional<history::Order> ChooseOrder() override;
    void ShowError(std::string_view text) override;
    void ShowInfo(std::string_view text) override;
    bool OpenPage(const std::filesystem::path& page) override;
    std::filesystem::path TemporaryFolder() override;
};

/// Runs the backtest of `file` (the Open dialog when none); the program's exit status.
int RunBacktest(const std::optional<QString>& file);

}  // namespace tolvex::qt
