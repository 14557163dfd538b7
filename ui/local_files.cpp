// local_files.cpp - the backtest's files on disk: the history read, the page written new.
#include <algorithm>
#include <fstream>
#include <random>
#include <system_error>

#include "tolvex/ui/backtest_flow.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#endif

namespace tolvex::ui {

namespace fs = std::filesystem;

namespace {

enum class Create { Created, Exists, Failed };

#ifdef _WIN32
using Handle = HANDLE;

Create CreateNew(const fs::path& path, Handle& handle) {
    handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        return Create::Created;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Create::Exists
                                                                       : Create::Failed;
}

bool WriteAll(Handle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool Close(Handle handle) {
    return ::CloseHandle(handle) != 0;
}

bool Replace(const fs::path& from, const fs::path& to) {
    return ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
#else
using Handle = int;

Create CreateNew(const fs::path& path, Handle& handle) {
    handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle >= 0) {
        return Create::Created;
    }
    return errno == EEXIST ? Create::Exists : Create::Failed;
}

bool WriteAll(Handle handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(handle, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return ::fsync(handle) == 0;
}

bool Close(Handle handle) {
    return ::close(handle) == 0;
}

bool Replace(const fs::path& from, const fs::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
#endif

void Remove(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

}  // namespace

std::unique_ptr<std::istream> LocalFiles::OpenHistory(const fs::path& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        return nullptr;
    }
    auto stream = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!stream->is_open()) {
        return nullptr;
    }
    return stream;
}

// The name is taken first with an exclusive create, so that no other file of that name is
// ever replaced; the page is written beside it under a temporary name and then takes the
// place of the empty file, so that the name never shows a part of the page.
NewFileStatus LocalFiles::WriteNewFile(const fs::path& path, std::string_view bytes) {
    Handle claim{};
    switch (CreateNew(path, claim)) {
        case Create::Exists:
            return NewFileStatus::Exists;
        case Create::Failed:
            return NewFileStatus::CannotWrite;
        case Create::Created:
            break;
    }
    Close(claim);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A short name of its own, so that a page name up to the file system's limit works.
        const fs::path temporary =
            path.parent_path() / ("~tolvex-" + std::to_string(random() % 1000000) + ".tmp");
        Handle file{};
        const Create created = CreateNew(temporary, file);
        if (created == Create::Exists) {
            continue;
        }
        if (created == Create::Created) {
            const bool written = WriteAll(file, bytes);
            if (Close(file) && written && Replace(temporary, path)) {
                return NewFileStatus::Written;
            }
            Remove(temporary);
        }
        break;
    }
    Remove(path);
    return NewFileStatus::CannotWrite;
}

}  // namespace tolvex::ui
