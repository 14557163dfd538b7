// platform.h - the registry read and the file write behind the Win32 desktop services.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "tolvex/ui/u_main.h"

namespace tolvex::win32 {

/// The key under HKEY_CURRENT_USER that records the current user's shell folders.
inline constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

/// The registry calls the read makes; a test can stand in for them.
struct RegistryCalls {
    decltype(&RegOpenKeyExW) open = &RegOpenKeyExW;
    decltype(&RegQueryValueExW) query = &RegQueryValueExW;
    decltype(&RegCloseKey) close = &RegCloseKey;
};

/// Reads the value `name` of the key `subKey` under `root`, opened for reading only.
/// A key that does not open or a missing value give Ok with an empty path; a string or
/// expandable string is taken as stored, unexpanded, up to its first NUL; another type is
/// InvalidType; a data read that fails once the size is known is ReadFailed. The path is in
/// the ANSI code page. The key is closed on every path.
ui::ShellFolderRead ReadRegistryFolder(HKEY root, const wchar_t* subKey, std::wstring_view name,
                                       const RegistryCalls& calls = {});

/// Signature of the call that writes one block of bytes (WriteFile's own).
using WriteBlockFn = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

/// Writes `bytes` as the whole content of the file `path`. The bytes go to a temporary file in
/// the same folder, held without sharing, which takes the name only once every byte is written;
/// on any failure the temporary file is removed and an earlier file of that name is left
/// untouched. A file replaced keeps its hidden, system and not-indexed attributes. An existing
/// read-only file or one that does not open for writing (no write permission, or held open
/// without sharing the writing), a folder that cannot be written and an invalid name give
/// CannotCreate; a write that falls short gives WriteFailed. A folder path longer than MAX_PATH
/// is written to as well. `writeBlock` lets a test stand in for a full disk.
ui::WriteStatus WriteFileReplacing(const std::wstring& path, std::string_view bytes,
                                   WriteBlockFn writeBlock = &WriteFile);

}  // namespace tolvex::win32
