// line_splitter.cpp - the streaming line splitter, and lines and line ends as messages show them.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tolvex/history/reader.h"

namespace tolvex::history {

LineSplitter::LineSplitter(ByteSource& in, std::size_t max_line, std::size_t chunk)
    : in_(in),
      max_line_(max_line),
      chunk_(std::max<std::size_t>(chunk, 1)),
      buffer_(std::max(chunk_, max_line + 2), '\0') {}

bool LineSplitter::Fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t want = std::min(chunk_, buffer_.size() - end_);
    const std::size_t got = in_.Read(buffer_.data() + end_, want);
    end_ += got;
    if (got == 0) {
        if (!in_.error().empty()) {
            return false;
        }
        eof_ = true;
    }
    return true;
}

LineSplitter::Status LineSplitter::Next(std::string_view& line, std::uint64_t& number) {
    if (stopped_) {
        return Status::End;
    }
    for (;;) {
        const char* data = buffer_.data();
        const std::size_t size = end_ - begin_;
        const auto* nl = static_cast<const char*>(std::memchr(data + begin_, '\n', size));
        const std::size_t scan =
            nl != nullptr ? static_cast<std::size_t>(nl - data) - begin_ : size;
        const auto* cr = static_cast<const char*>(std::memchr(data + begin_, '\r', scan));
        std::size_t stop = 0, ending = 0;
        unsigned kind = 0;
        if (cr != nullptr) {
            stop = static_cast<std::size_t>(cr - data);
            if (stop + 1 == end_ && !eof_) {
                // a CR at the end of what is held: LF may follow
                if (!Fill()) {
                    return Status::ReadError;
                }
                continue;
            }
            const bool crlf = stop + 1 < end_ && data[stop + 1] == '\n';
            ending = crlf ? 2 : 1;
            kind = crlf ? kCrLf : kCr;
        } else if (nl != nullptr) {
            stop = static_cast<std::size_t>(nl - data);
            ending = 1;
            kind = kLf;
        } else if (eof_) {
            if (size == 0) {
                return Status::End;
            }
            stop = end_;
        } else if (size > max_line_) {
            // No line end within reach: keep the head for the message and read no further.
            long_line_.assign(data + begin_, max_line_);
            line = long_line_;
            number = ++number_;
            stopped_ = true;
            return Status::TooLong;
        } else {
            if (!Fill()) {
                return Status::ReadError;
            }
            continue;
        }
        std::string_view text(data + begin_, stop - begin_);
        begin_ = stop + ending;
        line_ends_ |= kind;
        if (first_) {
            first_ = false;
            if (text.substr(0, 3) == "\xEF\xBB\xBF") {
                text.remove_prefix(3);
                byte_order_mark_ = true;
            }
        }
        number = ++number_;
        if (text.size() > max_line_) {
            long_line_.assign(text.substr(0, max_line_));
            line = long_line_;
            stopped_ = true;
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
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        const auto byte = static_cast<unsigned char>(c);
        const std::size_t n = Utf8Length(line, i);
        if (c == '\t') {
            shown += "\\t";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (byte < 0x20 || byte == 0x7F || n == 0) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        } else {
            shown.append(line.substr(i, n));
            i += n;
            continue;
        }
        ++i;
    }
    if (cut) {
        shown += "...";
    }
    return shown;
}

std::string LineEndNames(unsigned line_ends) {
    std::string names;
    const std::pair<unsigned, const char*> kinds[] = {
        {LineSplitter::kLf, "LF"}, {LineSplitter::kCrLf, "CR LF"}, {LineSplitter::kCr, "CR"}};
    for (const auto& [bit, name] : kinds) {
        if (line_ends & bit) {
            names += names.empty() ? "" : " and ";
            names += name;
        }
    }
    return names.empty() ? "none (one line)" : names;
}

}  // namespace tolvex::history
