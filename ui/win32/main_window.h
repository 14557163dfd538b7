// main_window.h - the Win32 main window: native controls behind Tfrmmain's interfaces.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "base_window.h"
#include "desktop.h"
#include "tolvex/ui/u_main.h"

namespace tolvex::win32 {

class MainWindow : public BaseWindow<MainWindow>, private ui::Controls {
  public:
    static constexpr wchar_t kClassName[] = L"TolvexMainWindow";

    MainWindow();
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    /// Creates the window centred on the screen, shows it and puts the focus in edtcode2;
    /// false when the window could not be created, or exists already.
    bool Create(int showCommand);

    /// Handles the keyboard messages that move the focus or press buttons; true when `msg`
    /// was dealt with and must not be dispatched. The message loop calls it for every message.
    bool PreTranslateMessage(MSG& msg);

    /// The handle of a control, by its ID.
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    /// The ID (resource.h) of the control called `name` in the layout table.
    static int ControlId(std::string_view name);

    /// Layout scale: 1 at 96 pixels per inch, otherwise the font's text height at the screen's
    /// setting against its text height at 96.
    double Scale() const { return scale_; }

    /// The controls and desktop services as the window logic uses them (tests drive them).
    ui::Controls& Controls() { return *this; }
    Win32Desktop& Desktop() { return desktop_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    // ui::Controls
    std::string Text(ui::Control control) const override;
    void SetText(ui::Control control, std::string_view text) override;
    void SetFocus(ui::Control control) override;
    void SelectBytes(ui::Control control, std::size_t start, std::size_t length) override;
    void CopyAll(ui::Control control) override;

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
    void ShowDefaultButton();
    void FocusControl(HWND control);
    HWND ControlWindow(ui::Control control) const;
    bool IsSingleLineEdit(HWND window) const;
    void AnnounceHitMarker();

    Win32Desktop desktop_;
    ui::Tfrmmain form_;
    HFONT font_ = nullptr;
    double scale_ = 1.0;
    HWND savedFocus_ = nullptr;
    HWND mousePressedIn_ = nullptr;
    HWND describedBox_ = nullptr;  // the box whose description tells the hit marker
    std::wstring lastCode1_;
};

/// Registers the window classes, creates the main window and runs the message loop until it
/// closes; the exit code of WM_QUIT.
int RunProgram(int showCommand);

}  // namespace tolvex::win32
