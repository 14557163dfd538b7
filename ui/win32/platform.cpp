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

// The extended-length form (\\?\) of a full path, which the file functions take beyond
// MAX_PATH characters also where the program is not declared long-path aware.
std::wstring ExtendedPath(const std::wstring& full) {
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) {
        return full;
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

// What a replaced file passes on to the file that replaces it: whether it shows (hidden,
// system) and whether it is indexed. The archive mark is set anew, as the content changed; a
// read-only file is never replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Creates a new temporary file with `attributes` in the folder of `target`, held without
// sharing; the handle, or INVALID_HANDLE_VALUE. Its name is short whatever the target's, so
// that a target with a name near the file system's limit of 255 characters (or of 255 bytes,
// where names are UTF-8) can still be written. GetTempFileName would limit the folder to
// MAX_PATH - 14.
HANDLE CreateTemporaryBeside(const std::wstring& target, DWORD attributes, std::wstring& temp) {
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    const DWORD start = GetTickCount() ^ GetCurrentProcessId();
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        wchar_t name[32] = {};
        wsprintfW(name, L"~tolvex-%08lx.tmp", static_cast<unsigned long>(start + attempt));
        temp = folder + name;
        const HANDLE file =
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
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
    full = ExtendedPath(full);

    // A read-only file or a folder of that name is never replaced.
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return WriteStatus::CannotCreate;
    }

    // Nor is a file that this user may not write or that another program holds open without
    // sharing the writing: it is opened for writing as a probe and closed at once.
    const HANDLE probe = CreateFileW(full.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return WriteStatus::CannotCreate;
    }

    // The new file is made with what it takes over from the one it replaces, so that a hidden
    // or system file stays so, as when the platform replaces a file.
    const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & kKeptAttributes;
    std::wstring temp;
    const HANDLE file = CreateTemporaryBeside(
        full, kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept | FILE_ATTRIBUTE_ARCHIVE, temp);
    if (file == INVALID_HANDLE_VALUE) {
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
        DeleteFileW(temp.c_str());
        return WriteStatus::WriteFailed;
    }
    if (!MoveFileExW(temp.c_str(), full.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return WriteStatus::CannotCreate;
    }
    return WriteStatus::Ok;
}

}  // namespace tolvex::win32
