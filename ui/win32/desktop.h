// desktop.h - the desktop services of the window logic on Win32: boxes, Save dialog, files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform.h"
#include "tolvex/ui/u_main.h"

namespace tolvex::win32 {

/// The application title, for the window and every box.
const wchar_t* AppTitle();

class Win32Desktop : public ui::Desktop {
  public:
    /// Ties the services to the main window: it owns the boxes and dialogs, and the message
    /// box uses its font and layout scale.
    void Attach(HWND mainWindow, HFONT font, double scale);

    /// Whether the wait cursor is on.
    bool WaitCursorOn() const { return waitCursor_; }

    /// Lets a test stand in for the call that writes a saved file's bytes, as for a full disk.
    void SetWriteBlock(WriteBlockFn writeBlock) { writeBlock_ = writeBlock; }

    std::string FromUtf8(std::string_view utf8) const override;
    void ShowMessage(std::string_view text) override;
    void ShowError(std::string_view text) override;
    std::optional<ui::SaveTarget> AskSaveFile(const ui::SaveDialogSettings& settings) override;
    ui::WriteStatus WriteWholeFile(const ui::SaveTarget& target, std::string_view bytes) override;
    ui::ShellFolderRead ReadShellFolder(std::string_view name) override;
    void SetWaitCursor(bool on) override;
    void CloseMainWindow() override;

  private:
    // Runs `show` (a modal box or dialog) and gives the focus back to the control of the main
    // window that had it.
    template <class Show>
    void KeepingFocus(Show show);

    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    double scale_ = 1.0;
    bool waitCursor_ = false;
    WriteBlockFn writeBlock_ = &WriteFile;
};

}  // namespace tolvex::win32
