// output.h - where reports go: a buffer in front of a stream, the --output file, the page's time.
#pragma once

#include <cstdint>
#include <filesystem>
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

// --output: the report is written to a new file of its own beside its target and takes the
// target's place once complete, so that a failed run leaves an earlier report as it was and
// two runs writing the same report do not write into one file.
class OutputFile {
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();
    bool Open(std::string target);
    std::ostream& stream() { return file_; }
    /// Puts the complete report in the target's place.
    bool Commit();
    /// "cannot write 'report.html': No such file or directory"
    std::string Error() const { return "cannot write " + Quoted(target_) + ": " + reason_; }

  private:
    std::ofstream file_;
    std::string target_, reason_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

// When the page was made: SOURCE_DATE_EPOCH when set (reproducible builds), else now.
std::optional<std::int64_t> ReportTime(std::ostream& err);

}  // namespace tolvex::cli
