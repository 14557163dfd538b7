// tolvex/ui/backtest_flow.h - the backtest from the desktop: a history in, the page in the browser.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/history/layout.h"

namespace tolvex::ui {

// Texts that cross these interfaces are UTF-8; paths are the platform's own.

/// What writing a new file came to.
enum class NewFileStatus {
    Written,      ///< the file holds every byte
    Exists,       ///< a file of that name is there already; it was left alone
    CannotWrite,  ///< the folder cannot be written (or the write fell short); nothing was left
};

/// The files the backtest reads and writes.
class BacktestFiles {
  public:
    virtual ~BacktestFiles() = default;

    /// The history opened for reading; null when it cannot be opened.
    virtual std::unique_ptr<std::istream> OpenHistory(const std::filesystem::path& path) = 0;

    /// Writes `bytes` to a temporary file in `path`'s folder, then puts it in `path`'s place
    /// only if no file of that name exists: a file of that name is never replaced.
    virtual NewFileStatus WriteNewFile(const std::filesystem::path& path,
                                       std::string_view bytes) = 0;
};

/// BacktestFiles over the local file system.
class LocalFiles : public BacktestFiles {
  public:
    std::unique_ptr<std::istream> OpenHistory(const std::filesystem::path& path) override;
    NewFileStatus WriteNewFile(const std::filesystem::path& path, std::string_view bytes) override;
};

/// A column that could hold the draw, as the player is asked about it.
struct ColumnChoice {
    std::string text;    ///< "第3列 开奖号码，如 357"
    std::string option;  ///< the same column as --column takes it: "3", "3-5"
};

/// The desktop services the backtest needs, as a front end provides them.
class BacktestDesktop {
  public:
    virtual ~BacktestDesktop() = default;

    /// The Open dialog for a history (text files, CSV files, all files); no value on cancel.
    virtual std::optional<std::filesystem::path> ChooseHistoryFile() = 0;

    /// Asks which of the columns holds the draw; its index, or no value on cancel.
    virtual std::optional<std::size_t> ChooseColumn(const std::vector<ColumnChoice>& columns) = 0;

    /// Asks how the lines run: OldestFirst (从旧到新) or NewestFirst (从新到旧); no value on
    /// cancel.
    virtual std::optional<history::Order> ChooseOrder() = 0;

    /// The modal error box with `text`.
    virtual void ShowError(std::string_view text) = 0;

    /// The modal message box with `text`.
    virtual void ShowInfo(std::string_view text) = 0;

    /// Opens the page in the default browser; false when no browser could be asked to.
    virtual bool OpenPage(const std::filesystem::path& page) = 0;

    /// The user's folder for temporary files.
    virtual std::filesystem::path TemporaryFolder() = 0;
};

/// What the program's arguments (after its name) ask for: none the window; FILE, or --backtest
/// with or without FILE, the backtest; anything else is a usage error.
struct Launch {
    enum class Mode { Window, Backtest, Usage };
    Mode mode = Mode::Window;
    std::optional<std::size_t> file;  ///< the index of FILE among the arguments
};
Launch ParseLaunch(std::span<const std::u16string> arguments);

/// How a run of the backtest ended.
enum class FlowResult {
    Done,       ///< the page was written (and opened, or its place shown)
    Cancelled,  ///< the player cancelled a dialog; nothing was written
    Failed,     ///< an error box said why nothing was written
};

/// The page's name for the history `history`, `n`-th try from 1: "<name>-回测.html", then
/// "<name>-回测-2.html", ...
std::filesystem::path PageName(const std::filesystem::path& history, unsigned n);

/// The error box's text for a history that cannot be read.
std::string ReadErrorText(const history::ReadError& error);

/// The backtest of one history: chooses the file when none is given, reads it as tolvex-cli
/// does (asking the player where the reader cannot decide), writes the page beside the history
/// (else in the temporary folder) and opens it.
class BacktestFlow {
  public:
    struct Options {
        std::int64_t made_at = 0;  ///< the page's time, seconds since 1970 UTC
        std::string version;       ///< the program's version, on the page
    };

    BacktestFlow(BacktestDesktop& desktop, BacktestFiles& files, Options options);

    FlowResult Run(std::optional<std::filesystem::path> history);

  private:
    struct Read;

    // Reads the history with `read`'s options into `read`; asks about columns and order and
    // reads again as needed.
    FlowResult ReadHistory(const std::filesystem::path& history, Read& read);
    std::optional<std::string> Example(const std::filesystem::path& history,
                                       const std::string& option);
    std::optional<std::filesystem::path> Save(const std::filesystem::path& history,
                                              std::string_view page);

    BacktestDesktop& desktop_;
    BacktestFiles& files_;
    Options options_;
};

}  // namespace tolvex::ui
