// history.h - reading draw histories as players copy them from lottery sites, line by line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace tolvex::cli {

enum class LineKind {
    Skip,     ///< blank, or a comment starting with '#'
    Draw,     ///< a draw was found; `label` is the text before it
    Invalid,  ///< neither: the run stops at this line
};

/// One history line as read. `label` points into the line given to ReadHistoryLine.
struct HistoryLine {
    LineKind kind = LineKind::Invalid;
    std::uint16_t number = 0;  ///< the draw as a number 0..999 (Draw only)
    std::string_view label;    ///< text before the draw, trimmed (Draw only)
};

/// Reads one line without its line end. The draw is the line's last run of ASCII digits when
/// that run has exactly three digits; otherwise the last three runs when each is one digit
/// ("4 5 6", "0-0-2", "2024001,4,5,6"). Blank lines and lines whose first non-blank byte is
/// '#' are skipped. The label is the text before the draw with blanks at both ends and
/// separators (, ; : | - / =) at its end removed; text after the draw is ignored.
HistoryLine ReadHistoryLine(std::string_view line);

/// Splits a byte stream into lines: LF or CR LF ends a line, a UTF-8 byte-order mark at the
/// very start is dropped, and the last line needs no line end. Holds at most one line and one
/// read buffer in memory; a line longer than `max_line` bytes is reported as too long instead.
/// Each read asks the stream for at most `chunk` bytes.
class LineSplitter {
  public:
    static constexpr std::size_t kDefaultMaxLine = 64 * 1024;

    explicit LineSplitter(std::istream& in, std::size_t max_line = kDefaultMaxLine,
                          std::size_t chunk = 64 * 1024);

    enum class Status { Line, End, TooLong, ReadError };

    /// Fetches the next line into `line` (valid until the next call) and its 1-based number.
    /// On TooLong, `line` holds the line's first `max_line` bytes and the rest is skipped.
    Status Next(std::string_view& line, std::uint64_t& number);

  private:
    bool Fill();

    std::istream& in_;
    std::size_t max_line_;
    std::size_t chunk_;
    std::string buffer_;
    std::size_t begin_ = 0, end_ = 0;
    std::string long_line_;
    std::uint64_t number_ = 0;
    bool first_ = true;
    bool eof_ = false;
};

/// The line as shown in an error message: control bytes as \t, \r, \xNN, at most `limit`
/// bytes of the line followed by "..." when it was cut.
std::string ShowLine(std::string_view line, std::size_t limit = 120);

}  // namespace tolvex::cli
