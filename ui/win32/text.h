// text.h - conversions between the window's UTF-16 texts and the logic's code-page bytes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tolvex::win32 {

/// Bytes of `codePage` (the ANSI code page by default) to UTF-16.
std::wstring ToWide(std::string_view bytes, UINT codePage = CP_ACP);

/// UTF-16 to bytes of `codePage`; characters the code page lacks become its default char.
std::string FromWide(std::wstring_view text, UINT codePage = CP_ACP);

/// The UTF-16 offset in `text` of the character that starts at byte `byteOffset` of the text
/// converted to `codePage`. An offset inside a character's bytes counts that character as
/// reached once its last byte is passed; offsets past the end give text.size().
std::size_t WideOffsetOfByte(std::wstring_view text, std::size_t byteOffset,
                             UINT codePage = CP_ACP);

/// The whole text of a window in UTF-16.
std::wstring WindowText(HWND window);

}  // namespace tolvex::win32
