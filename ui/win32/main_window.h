// main_window.h - the Win32 main window: native controls behind Tfrmmain's interfaces.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "base_window.h"
#include "platform.h"
#include "u_main.h"

namespace tolvex::win32 {

class MainWindow : public BaseWindow<MainWindow>, public ui::Controls, public ui::Desktop {
  public:
    static constexpr wchar_t kClassName[] = L"TolvexMainWindow";
    static constexpr wchar_t kTitle[] = L"Tolvex";

    MainWindow();
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    /// Creates the window centred on the screen, shows it and puts the focus in edtcode2.
    bool Create(int showCommand);

    /// Handles the keyboard messages that move the focus or press buttons; true when `msg`
    /// was dealt with and must not be dispatched. The message loop calls it for every message.
    bool PreTranslateMessage(MSG& msg);

    /// The handle of a control, by its ID.
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    /// Layout scale: 1 at 96 pixels per inch, otherwise the font's text height at the screen's
    /// setting against its text height at 96.
    double Scale() const { return scale_; }

    /// Lets a test stand in for the call that writes a saved file's bytes, as for a full disk.
    void SetWriteBlock(WriteBlockFn writeBlock) { writeBlock_ = writeBlock; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // ui::Controls
    std::string Text(ui::Control control) const override;
    void SetText(ui::Control control, std::string_view text) override;
    void SetFocus(ui::Control control) override;
    void SelectBytes(ui::Control control, std::size_t start, std::size_t length) override;
    void CopyAll(ui::Control control) override;

    // ui::Desktop
    std::string FromUtf8(std::string_view utf8) const override;
    void ShowMessage(std::string_view text) override;
    void ShowError(std::string_view text) override;
    std::optional<std::string> AskSaveFileName(const ui::SaveDialogSettings& settings) override;
    ui::WriteStatus WriteWholeFile(std::string_view path, std::string_view bytes) override;
    ui::ShellFolderRead ReadShellFolder(std::string_view name) override;
    void SetWaitCursor(bool on) override;
    void CloseMainWindow() override;

  private:
    static LRESULT CALLBACK EditSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR self);
    LRESULT HandleEditMessage(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnCreate();
    void OnCommand(int id, int code);
    void OnActivate(bool active);
    void OnNextDialogControl(WPARAM wParam, LPARAM lParam);
    LRESULT OnDefaultId();
    bool OnSetCursor(HWND window, int hitTest);
    void OnDestroy();

    void CreateFontForDpi();
    void Layout();
    void SetDefaultButton(int id);
    void FocusControl(HWND control);
    HWND ControlWindow(ui::Control control) const;
    bool IsSingleLineEdit(HWND window) const;
    // Runs `show` with the focus remembered before and given back after (modal boxes).
    template <class Show>
    void KeepingFocus(Show show);

    ui::Tfrmmain form_;
    HFONT font_ = nullptr;
    double scale_ = 1.0;
    bool waitCursor_ = false;
    WriteBlockFn writeBlock_ = &WriteFile;
    HWND savedFocus_ = nullptr;
    HWND mousePressedIn_ = nullptr;
    std::wstring lastCode1_;
    // The last name the Save dialog returned, in UTF-16 and as handed to the logic, so that a
    // name with characters outside the ANSI code page is written under its real name.
    std::wstring savedNameWide_;
    std::string savedNameBytes_;
};

/// Registers the window classes, creates the main window and runs the message loop until it
/// closes; the exit code of WM_QUIT.
int RunProgram(int showCommand);

}  // namespace tolvex::win32
