// modal.h - what the program's own modal windows share: their class, text sizes, a frame
// centred on the screen and the message loop that runs until they are done.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tolvex::win32 {

/// Registers a dialog-like window class (button-face background, arrow cursor) unless it is
/// registered already; false when it cannot be.
bool RegisterModalClass(const wchar_t* className, WNDPROC procedure);

/// The size `text` takes in `font`, measured with DrawTextW and `format` (DT_CALCRECT added).
SIZE MeasureText(const std::wstring& text, HFONT font, UINT format);

/// Where a window goes and how large it is, frame included.
struct Placement {
    int x, y, width, height;
};

/// The placement of a window of `style` and `exStyle` whose client area is `width` by `height`,
/// centred on the screen.
Placement CentredFrame(int width, int height, DWORD style, DWORD exStyle);

/// Whether the program runs under Wine (its ntdll names its version) rather than on Windows.
bool RunsUnderWine();

/// While it lives, and only under Wine, the thread's message loop wakes twice a second. Wine
/// now and then leaves the window manager's first events for a new window unread until the
/// next input comes (the window then shows inactive and takes no keys until the mouse moves);
/// each wake reads them. On Windows it does nothing.
class LoopWake {
  public:
    LoopWake();
    ~LoopWake();
    LoopWake(const LoopWake&) = delete;
    LoopWake& operator=(const LoopWake&) = delete;

  private:
    UINT_PTR timer_ = 0;
};

/// Runs messages, the dialog keys (Tab, Enter, Esc) handled for `window`, until `done` is set.
/// The exit code when a WM_QUIT came meanwhile: the caller posts it again once its window is
/// gone, so that the program still ends.
std::optional<int> RunModalLoop(HWND window, const bool& done);

/// The answer to the messages every such window takes alike: Enter means IDOK, and closing
/// the window sets `done`. Empty for any other message.
std::optional<LRESULT> HandleModalMessage(UINT message, bool& done);

}  // namespace tolvex::win32
