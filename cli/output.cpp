// output.cpp - replacing the --output file once the report is complete; the page's time.
#include "output.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string_view>

#include "command_line.h"
#include "system.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvex::cli {
namespace {

#ifdef _WIN32
constexpr const char* kFolderSeparators = "/\\:";

// Puts `from` in the place of `to`. Another program may hold `to` for a moment: a second run
// replacing the same report (between its own replace and closing the file), or a scanner or
// indexer reading it. Such a replace is tried again for a few seconds before it is a failure.
DWORD ReplaceWithin(const std::filesystem::path& from, const std::filesystem::path& to) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    DWORD pause_ms = 1;
    while (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            std::chrono::steady_clock::now() >= deadline) {
            return error;
        }
        Sleep(pause_ms);
        pause_ms = std::min<DWORD>(pause_ms * 2, 50);
    }
    return ERROR_SUCCESS;
}
#else
constexpr const char* kFolderSeparators = "/";
#endif

}  // namespace

// The temporary file's name is short whatever the target's, so that a target with a name near
// the file system's limit can still be written.
bool OutputFile::Open(std::string target) {
    target_ = std::move(target);
    const std::size_t slash = target_.find_last_of(kFolderSeparators);
    const std::string folder =
        slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    const std::uint32_t start = std::random_device{}();
    int error = EEXIST;
    for (std::uint32_t attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "~tolvex-%08lx.tmp",
                      static_cast<unsigned long>(start + attempt));
        temporary_ = FilePath(folder + name);
        error = CreateNew(temporary_);
    }
    if (error == 0) {
        file_.open(temporary_, std::ios::binary | std::ios::trunc);
        if (file_.is_open()) {
            return true;
        }
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
    reason_ = error != 0 ? std::strerror(error) : "cannot be created";
    temporary_.clear();
    return false;
}

OutputFile::~OutputFile() {
    if (file_.is_open()) {
        file_.close();
    }
    if (!temporary_.empty() && !committed_) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

bool OutputFile::Commit() {
    file_.close();
    if (!file_) {
        reason_ = "the report could not be written in full";
        return false;
    }
#ifdef _WIN32
    if (const DWORD error = ReplaceWithin(temporary_, FilePath(target_)); error != ERROR_SUCCESS) {
        reason_ = "cannot replace it (Windows error " + std::to_string(error) + ")";
        return false;
    }
#else
    errno = 0;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        reason_ = std::strerror(errno);
        return false;
    }
#endif
    committed_ = true;
    return true;
}

// When the page was made: SOURCE_DATE_EPOCH when set (reproducible builds), else now.
std::optional<std::int64_t> ReportTime(std::ostream& err) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch == nullptr || *epoch == '\0') {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    std::int64_t seconds = 0;
    const std::string_view text(epoch);
    const auto r = std::from_chars(text.data(), text.data() + text.size(), seconds);
    // up to the last second of the year 9999
    if (r.ec != std::errc{} || r.ptr != text.data() + text.size() || seconds < 0 ||
        seconds > 253402300799) {
        Fail(err, "SOURCE_DATE_EPOCH " + Quoted(text) + " is not a number of seconds since 1970");
        return std::nullopt;
    }
    return seconds;
}

}  // namespace tolvex::cli
