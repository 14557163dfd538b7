// window_font.cpp - the program's font and layout scale for the screen's dpi.
#include "window_font.h"

namespace tolvex::win32 {

namespace {

// The window's font, 8 points at `dpi` pixels per inch.
HFONT CreateWindowFont(int dpi) {
    return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
}

// The text height of `font` as measured on `dc`.
int TextHeight(HDC dc, HFONT font) {
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return metrics.tmHeight;
}

}  // namespace

ScreenFont CreateScreenFont() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ScreenFont result{CreateWindowFont(dpi), 1.0};
    // At 96 pixels per inch the layout table holds as it is. At another setting it is scaled
    // by the font's text height there against its height at 96 (13 for the real face, so the
    // new height over 13); a face the system substitutes keeps the table exact at 96.
    if (dpi != 96) {
        HFONT at96 = CreateWindowFont(96);
        const int height = TextHeight(screen, result.font);
        const int height96 = TextHeight(screen, at96);
        DeleteObject(at96);
        result.scale =
            height > 0 && height96 > 0 ? static_cast<double>(height) / height96 : dpi / 96.0;
    }
    ReleaseDC(nullptr, screen);
    return result;
}

}  // namespace tolvex::win32
