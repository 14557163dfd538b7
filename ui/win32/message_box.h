// message_box.h - the program's own modal message box: title, text, one button "确定".
#pragma once

#include <windows.h>

#include <string>

#include "base_window.h"

namespace tolvex::win32 {

class MessageBoxWindow : public BaseWindow<MessageBoxWindow> {
  public:
    static constexpr wchar_t kClassName[] = L"TolvexMessageBox";

    /// Shows `text` modally over `owner` (disabled meanwhile), centred on the screen, in
    /// `font`, laid out at `scale` (text height / 13); returns once the button is pressed or
    /// the box is closed. `waitCursor` tells whether the wait cursor is on. Should the box not
    /// be made, the platform's message box shows the text instead.
    static void Show(HWND owner, const std::wstring& title, const std::wstring& text, HFONT font,
                     double scale, const bool& waitCursor);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    MessageBoxWindow(HFONT font, const bool& waitCursor) : font_(font), waitCursor_(waitCursor) {}

    HFONT font_;
    const bool& waitCursor_;
    bool done_ = false;
};

}  // namespace tolvex::win32
