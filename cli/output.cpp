// output.cpp - replacing the --output file once the report is complete; the page's time.
#include "output.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "command_line.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvex::cli {

bool OutputFile::Commit() {
    file_.close();
    if (!file_) {
        reason_ = "the report could not be written in full";
        return false;
    }
#ifdef _WIN32
    if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        reason_ = "cannot replace it (Windows error " + std::to_string(GetLastError()) + ")";
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
