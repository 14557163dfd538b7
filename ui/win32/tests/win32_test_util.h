// win32_test_util.h - what the Win32 tests share: the wait limit, temporary folders, file bytes.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace tolvex::win32::testing {

/// How long any wait of the window tests may take, in milliseconds: enough for a two-core
/// machine whose cores are all busy with other work. A wait whose condition holds returns at once.
constexpr DWORD kWaitLimitMs = 60000;

/// A fresh empty folder under the temporary folder, removed with its files on destruction.
class TempFolder {
  public:
    /// Throws std::runtime_error when no folder can be made (the test then fails).
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        if (GetTempPathW(MAX_PATH, base) == 0) {
            throw std::runtime_error("no temporary folder");
        }
        const unsigned start = GetTickCount() % 100000;
        for (unsigned n = start; n < start + 100; ++n) {
            path_ = std::wstring(base) + L"tolvex-test-" + std::to_wstring(n);
            if (CreateDirectoryW(path_.c_str(), nullptr)) {
                return;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS) {
                break;
            }
        }
        throw std::runtime_error("cannot create a temporary folder");
    }
    ~TempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring file = path_ + L"\\" + found.cFileName;
                SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(file.c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

    /// How many entries the folder holds.
    int Count() const {
        int count = 0;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                count += name != L"." && name != L"..";
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        return count;
    }

  private:
    std::wstring path_;
};

/// The whole content of a file, or "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace tolvex::win32::testing
