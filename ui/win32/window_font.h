// window_font.h - the program's font at the screen's dpi, and the layout scale it gives.
#pragma once

#include <windows.h>

namespace tolvex::win32 {

/// The window's font, 8 points at the screen's pixels per inch, and the scale of the layout
/// table for it (1 at 96 dpi). The caller deletes the font.
struct ScreenFont {
    HFONT font;
    double scale;
};
ScreenFont CreateScreenFont();

}  // namespace tolvex::win32
