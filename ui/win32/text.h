// text.h - conversions between the window's UTF-16 texts and the logic's code-page bytes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvex::win32 {

/// The code page that the window logic's bytes are in, for an ANSI code page `ansi`: `ansi`
/// itself when it holds every one of the program's own texts, UTF-8 otherwise, so that no
/// message, mark or caption turns into question marks on a system that is not Chinese.
UINT LogicCodePageFor(UINT ansi);

/// LogicCodePageFor() of this system's ANSI code page, decided once.
UINT LogicCodePage();

/// Bytes of `codePage` (the logic's code page by default) to UTF-16.
std::wstring ToWide(std::string_view bytes, UINT codePage = LogicCodePage());

/// UTF-16 to bytes of `codePage`; characters the code page lacks become its default char.
std::string FromWide(std::wstring_view text, UINT codePage = LogicCodePage());

/// The UTF-16 offset in `text` of the character that starts at byte `byteOffset` of the text
/// converted to `codePage`. An offset inside a character's bytes counts that character as
/// reached once its last byte is passed; offsets past the end give text.size().
std::size_t WideOffsetOfByte(std::wstring_view text, std::size_t byteOffset,
                             UINT codePage = LogicCodePage());

/// The whole text of a window in UTF-16.
std::wstring WindowText(HWND window);

}  // namespace tolvex::win32
