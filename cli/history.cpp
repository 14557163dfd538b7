// history.cpp - history line reading and the streaming line splitter.
#include "history.h"

#include <algorithm>
#include <cstdio>

namespace tolvex::cli {
namespace {

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

constexpr bool IsLabelEnd(char c) {
    return IsSpace(c) || c == ',' || c == ';' || c == ':' || c == '|' || c == '-' || c == '/' ||
           c == '=';
}

// The run of digits that ends at or before `end` (exclusive), as [begin, end); an empty
// run when there is no digit before `end`.
struct Run {
    std::size_t begin, end;
    std::size_t size() const { return end - begin; }
};

Run LastRun(std::string_view line, std::size_t end) {
    while (end > 0 && !IsDigit(line[end - 1])) {
        --end;
    }
    std::size_t begin = end;
    while (begin > 0 && IsDigit(line[begin - 1])) {
        --begin;
    }
    return {begin, end};
}

std::string_view Label(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    std::size_t end = text.size();
    while (end > begin && IsLabelEnd(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// The bytes between two single digits of a draw: separators only, no letters or other
// digits, so that digits from a label's words never join a draw.
bool IsDigitGap(std::string_view gap) {
    return !gap.empty() && std::all_of(gap.begin(), gap.end(), IsLabelEnd);
}

}  // namespace

HistoryLine ReadHistoryLine(std::string_view line) {
    const auto first = std::find_if_not(line.begin(), line.end(), IsSpace);
    if (first == line.end() || *first == '#') {
        return {LineKind::Skip, 0, {}};
    }
    // A carriage return inside a line means line ends this reader does not split on (old
    // CR-only files): reading on would merge several draws into one line.
    if (line.find('\r') != std::string_view::npos) {
        return {LineKind::Invalid, 0, {}};
    }
    const Run last = LastRun(line, line.size());
    if (last.size() == 3) {
        const auto number = static_cast<std::uint16_t>((line[last.begin] - '0') * 100 +
                                                       (line[last.begin + 1] - '0') * 10 +
                                                       (line[last.begin + 2] - '0'));
        return {LineKind::Draw, number, Label(line.substr(0, last.begin))};
    }
    if (last.size() != 1) {
        return {LineKind::Invalid, 0, {}};
    }
    const Run middle = LastRun(line, last.begin);
    if (middle.size() != 1) {
        return {LineKind::Invalid, 0, {}};
    }
    const Run head = LastRun(line, middle.begin);
    if (head.size() != 1) {
        return {LineKind::Invalid, 0, {}};
    }
    // The three digits stand apart by one and the same separator, as in "4 5 6" or "0-0-2".
    const std::string_view gap1 = line.substr(head.end, middle.begin - head.end);
    const std::string_view gap2 = line.substr(middle.end, last.begin - middle.end);
    if (!IsDigitGap(gap1) || gap1 != gap2) {
        return {LineKind::Invalid, 0, {}};
    }
    const auto number =
        static_cast<std::uint16_t>((line[head.begin] - '0') * 100 +
                                   (line[middle.begin] - '0') * 10 + (line[last.begin] - '0'));
    return {LineKind::Draw, number, Label(line.substr(0, head.begin))};
}

LineSplitter::LineSplitter(std::istream& in, std::size_t max_line, std::size_t chunk)
    : in_(in),
      max_line_(max_line),
      chunk_(std::max<std::size_t>(chunk, 1)),
      buffer_(std::max(chunk_, max_line + 2), '\0') {}

bool LineSplitter::Fill() {
    if (begin_ > 0) {
        std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(begin_),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(end_), buffer_.begin());
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t want = std::min(chunk_, buffer_.size() - end_);
    in_.read(buffer_.data() + end_, static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(in_.gcount());
    end_ += got;
    if (got < want) {
        if (in_.bad()) {
            return false;
        }
        eof_ = true;
    }
    return true;
}

LineSplitter::Status LineSplitter::Next(std::string_view& line, std::uint64_t& number) {
    for (;;) {
        const char* data = buffer_.data();
        const void* nl = std::char_traits<char>::find(data + begin_, end_ - begin_, '\n');
        std::size_t stop;
        bool found = nl != nullptr;
        if (found) {
            stop = static_cast<std::size_t>(static_cast<const char*>(nl) - data);
        } else if (eof_) {
            if (begin_ == end_) {
                return Status::End;
            }
            stop = end_;
        } else if (end_ - begin_ > max_line_ + 1) {
            // No line end within reach: keep the head for the message and drop the rest.
            long_line_.assign(data + begin_, max_line_);
            begin_ = end_ = 0;
            while (!found) {
                if (eof_) {
                    break;
                }
                if (!Fill()) {
                    return Status::ReadError;
                }
                nl = std::char_traits<char>::find(buffer_.data(), end_, '\n');
                found = nl != nullptr;
                begin_ =
                    found
                        ? static_cast<std::size_t>(static_cast<const char*>(nl) - buffer_.data()) +
                              1
                        : 0;
                if (!found) {
                    end_ = 0;
                }
            }
            first_ = false;
            number = ++number_;
            line = long_line_;
            return Status::TooLong;
        } else {
            if (!Fill()) {
                return Status::ReadError;
            }
            continue;
        }

        std::string_view text(data + begin_, stop - begin_);
        begin_ = found ? stop + 1 : stop;
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
        if (first_) {
            first_ = false;
            if (text.substr(0, 3) == "\xEF\xBB\xBF") {
                text.remove_prefix(3);
            }
        }
        number = ++number_;
        if (text.size() > max_line_) {
            long_line_.assign(text.substr(0, max_line_));
            line = long_line_;
            return Status::TooLong;
        }
        line = text;
        return Status::Line;
    }
}

std::string ShowLine(std::string_view line, std::size_t limit) {
    bool cut = false;
    if (line.size() > limit) {
        // Cut on a UTF-8 character boundary.
        while (limit > 0 && (static_cast<unsigned char>(line[limit]) & 0xC0) == 0x80) {
            --limit;
        }
        line = line.substr(0, limit);
        cut = true;
    }
    std::string shown;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            shown += "\\t";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        } else {
            shown += c;
        }
    }
    if (cut) {
        shown += "...";
    }
    return shown;
}

}  // namespace tolvex::cli
