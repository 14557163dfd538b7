// platform.cpp - registry read of a shell folder and the all-or-nothing file write.
#include "platform.h"

#include <algorithm>
#include <vector>

#include "text.h"

namespace tolvex::win32 {
namespace {

using ui::ShellFolderRead;
using ui::WriteStatus;

// Closes a registry key when the scope ends.
class KeyCloser {
  public:
    KeyCloser(HKEY key, decltype(&RegCloseKey) close) : key_(key), close_(close) {}
    ~KeyCloser() { close_(key_); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    HKEY key_;
    decltype(&RegCloseKey) close_;
};

// Closes a file handle when the scope ends, unless it was closed already.
class HandleCloser {
  public:
    explicit HandleCloser(HANDLE handle) : handle_(handle) {}
    ~HandleCloser() { Close(); }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;
    bool Close() {
        const bool ok = handle_ == INVALID_HANDLE_VALUE || CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE handle_;
};

// The folder part of a full path, with its trailing separator.
std::wstring FolderOf(const std::wstring& fullPath) {
    const auto slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".\\") : fullPath.substr(0, slash + 1);
}

}  // namespace

ShellFolderRead ReadRegistryFolder(HKEY root, const wchar_t* subKey, std::wstring_view name,
                                   const RegistryCalls& calls) {
    HKEY key = nullptr;
    // Read access only: the program never writes here, and asking for write access fails for
    // users who may not write to the key.
    if (calls.open(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return {ShellFolderRead::Status::Ok, {}};
    }
    KeyCloser closer(key, calls.close);

    const std::wstring valueName(name);
    DWORD type = 0;
    DWORD size = 0;
    if (calls.query(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return {ShellFolderRead::Status::Ok, {}};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return {ShellFolderRead::Status::InvalidType, {}};
    }
    if (size == 0) {
        return {ShellFolderRead::Status::Ok, {}};
    }
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD readSize = size;
    if (calls.query(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                    &readSize) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return {ShellFolderRead::Status::ReadFailed, {}};
    }
    std::wstring_view stored(data.data(), readSize / sizeof(wchar_t));
    stored = stored.substr(0, stored.find(L'\0'));
    return {ShellFolderRead::Status::Ok, FromWide(stored)};
}

WriteStatus WriteFileReplacing(const std::wstring& path, std::string_view bytes,
                               WriteBlockFn writeBlock) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (path.empty() || needed == 0) {
        return WriteStatus::CannotCreate;
    }
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));

    // A read-only file or a folder of that name is never replaced.
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return WriteStatus::CannotCreate;
    }

    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempFileNameW(FolderOf(full).c_str(), L"tvx", 0, temp) == 0) {
        return WriteStatus::CannotCreate;
    }
    const HANDLE file =
        CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileW(temp);
        return WriteStatus::CannotCreate;
    }
    HandleCloser closer(file);

    bool complete = true;
    std::size_t done = 0;
    while (complete && done < bytes.size()) {
        const DWORD block = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        complete = writeBlock(file, bytes.data() + done, block, &written, nullptr) && written > 0;
        done += written;
    }
    complete = complete && FlushFileBuffers(file);
    complete = closer.Close() && complete;
    if (!complete) {
        DeleteFileW(temp);
        return WriteStatus::WriteFailed;
    }
    if (!MoveFileExW(temp, full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp);
        return WriteStatus::CannotCreate;
    }
    return WriteStatus::Ok;
}

}  // namespace tolvex::win32
