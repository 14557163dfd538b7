// text.cpp - UTF-16 and code-page byte conversions for the Win32 front end.
#include "text.h"

#include "tolvex/ui/texts.h"

namespace tolvex::win32 {

UINT LogicCodePageFor(UINT ansi) {
    // A text the code page lacks comes back changed: as its default character, or as the
    // nearest character it has.
    for (const std::string_view own : ui::texts::OwnTexts()) {
        const std::wstring wide = ToWide(own, CP_UTF8);
        if (ToWide(FromWide(wide, ansi), ansi) != wide) {
            return CP_UTF8;
        }
    }
    return ansi;
}

UINT LogicCodePage() {
    static const UINT codePage = LogicCodePageFor(GetACP());
    return codePage;
}

std::wstring ToWide(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string FromWide(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::size_t WideOffsetOfByte(std::wstring_view text, std::size_t byteOffset, UINT codePage) {
    std::size_t bytes = 0;
    std::size_t i = 0;
    while (i < text.size() && bytes < byteOffset) {
        // A surrogate pair is one character and converts as one.
        const bool pair =
            IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]);
        const int units = pair ? 2 : 1;
        bytes += static_cast<std::size_t>(
            WideCharToMultiByte(codePage, 0, text.data() + i, units, nullptr, 0, nullptr, nullptr));
        i += static_cast<std::size_t>(units);
    }
    return i;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace tolvex::win32
