// output.h - where reports go: a buffer in front of a stream, the --output file, the page's time.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

#include "command_line.h"

namespace tolvex::cli {

class OutputBuffer {
  public:
    explicit OutputBuffer(std::ostream& out) : out_(out) {}
    std::string& text() { return text_; }
    void FlushIfFull() {
        if (text_.size() >= 1 << 20) {
            Flush();
        }
    }
    void Flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }

  private:
    std::ostream& out_;
    std::string text_;
};

// --output: the report is written beside its target and takes its place once complete, so
// that a failed run leaves an earlier report as it was.
class OutputFile {
  public:
    ~OutputFile() {
        if (file_.is_open()) {
            file_.close();
        }
        if (!temporary_.empty() && !committed_) {
            std::remove(temporary_.c_str());
        }
    }
    bool Open(std::string target) {
        target_ = std::move(target);
        temporary_ = target_ + ".tmp";
        errno = 0;
        file_.open(temporary_, std::ios::binary | std::ios::trunc);
        if (!file_.is_open()) {
            reason_ = errno != 0 ? std::strerror(errno) : "cannot be created";
            temporary_.clear();
            return false;
        }
        return true;
    }
    std::ostream& stream() { return file_; }
    /// Puts the complete report in the target's place.
    bool Commit();
    /// "cannot write 'report.html': No such file or directory"
    std::string Error() const { return "cannot write " + Quoted(target_) + ": " + reason_; }

  private:
    std::ofstream file_;
    std::string target_, temporary_, reason_;
    bool committed_ = false;
};

// When the page was made: SOURCE_DATE_EPOCH when set (reproducible builds), else now.
std::optional<std::int64_t> ReportTime(std::ostream& err);

}  // namespace tolvex::cli
