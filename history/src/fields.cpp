// fields.cpp - splitting a history line into fields by its delimiter.
#include "tolvex/history/layout.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "text_scan.h"

namespace tolvex::history {

using namespace detail;

namespace {

// Byte length of the blank at line[i] (space, tab unless it delimits, U+00A0, U+3000), or 0.
inline std::size_t BlankAt(std::string_view line, std::size_t i, bool tab) {
    const char c = line[i];
    if (c == ' ' || (tab && c == '\t')) {
        return 1;
    }
    if (static_cast<unsigned char>(c) < 0x80) {
        return 0;
    }
    if (c == '\xC2' && i + 1 < line.size() && line[i + 1] == '\xA0') {
        return 2;
    }
    if (c == '\xE3' && line.substr(i, 3) == kIdeographicSpace) {
        return 3;
    }
    return 0;
}

std::size_t SkipBlanks(std::string_view line, std::size_t i, bool tab) {
    while (i < line.size()) {
        const std::size_t n = BlankAt(line, i, tab);
        if (n == 0) {
            break;
        }
        i += n;
    }
    return i;
}

std::size_t TrimBack(std::string_view line, std::size_t begin, std::size_t end, bool tab) {
    while (end > begin) {
        const char c = line[end - 1];
        if (c == ' ' || (tab && c == '\t')) {
            --end;
        } else if (end - begin >= 2 && line.substr(end - 2, 2) == kNoBreakSpace) {
            end -= 2;
        } else if (end - begin >= 3 && line.substr(end - 3, 3) == kIdeographicSpace) {
            end -= 3;
        } else {
            break;
        }
    }
    return end;
}

std::string_view DelimiterText(Delimiter d) {
    switch (d) {
        case Delimiter::Tab:
            return "\t";
        case Delimiter::FullwidthComma:
            return kFullwidthComma;
        case Delimiter::Comma:
            return ",";
        case Delimiter::Semicolon:
            return ";";
        case Delimiter::Pipe:
            return "|";
        default:
            return "";
    }
}

}  // namespace

std::string_view DelimiterName(Delimiter delimiter) {
    switch (delimiter) {
        case Delimiter::None:
            return "none (one column)";
        case Delimiter::Tab:
            return "tab";
        case Delimiter::FullwidthComma:
            return "full-width comma";
        case Delimiter::Comma:
            return "comma";
        case Delimiter::Semicolon:
            return "semicolon";
        case Delimiter::Pipe:
            return "pipe";
        case Delimiter::Blanks:
            return "blanks";
    }
    return "";
}

void SplitFields(std::string_view line, Delimiter delimiter, std::vector<Field>& fields) {
    fields.clear();
    const auto size = static_cast<std::uint32_t>(line.size());
    if (delimiter == Delimiter::None) {
        const std::size_t begin = SkipBlanks(line, 0, true);
        const std::size_t end = TrimBack(line, begin, line.size(), true);
        if (end > begin) {
            fields.push_back(
                {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end), false, false});
        }
        return;
    }
    if (delimiter == Delimiter::Blanks) {
        std::size_t i = 0;
        for (;;) {
            i = SkipBlanks(line, i, true);
            if (i >= size) {
                return;
            }
            const std::size_t begin = i;
            while (i < size) {
                const char c = line[i];
                if (c == ' ' || c == '\t' ||
                    (static_cast<unsigned char>(c) >= 0x80 && BlankAt(line, i, true) != 0)) {
                    break;
                }
                ++i;
            }
            fields.push_back(
                {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(i), false, false});
        }
    }
    const std::string_view d = DelimiterText(delimiter);
    const bool tab = delimiter != Delimiter::Tab;  // tabs are blanks unless they delimit
    std::size_t pos = 0;
    for (;;) {
        const std::size_t begin = SkipBlanks(line, pos, tab);
        std::size_t next = std::string_view::npos;
        if (begin < size && line[begin] == '"') {
            bool escaped = false;
            std::size_t j = begin + 1;
            while (j < size) {
                if (line[j] == '"') {
                    if (j + 1 < size && line[j + 1] == '"') {
                        escaped = true;
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            if (j < size) {
                const std::size_t after = SkipBlanks(line, j + 1, tab);
                if (after == size || line.substr(after, d.size()) == d) {
                    fields.push_back({static_cast<std::uint32_t>(begin),
                                      static_cast<std::uint32_t>(j + 1), true, escaped});
                    next = after;
                }
            }
        }
        if (next == std::string_view::npos) {
            // unquoted, or quotes that do not close the field: the text as it stands
            next = line.find(d, begin);
            if (next == std::string_view::npos) {
                next = size;
            }
            const std::size_t end = TrimBack(line, begin, next, tab);
            fields.push_back({static_cast<std::uint32_t>(begin),
                              static_cast<std::uint32_t>(std::max(begin, end)), false, false});
        }
        if (next >= size) {
            break;
        }
        pos = next + d.size();
        if (pos >= size) {
            break;
        }
    }
    while (!fields.empty() && fields.back().end == fields.back().begin) {
        fields.pop_back();
    }
}

std::string_view FieldValue(std::string_view line, const Field& field) {
    if (field.quoted) {
        return line.substr(field.begin + 1, field.end - field.begin - 2);
    }
    return line.substr(field.begin, field.end - field.begin);
}

namespace {

// Whether a name with a colon starts at line[i] ("开奖号码:", "试机号：", "Result:"): text
// without digits, blanks or delimiters up to the colon.
bool NameWithColonAt(std::string_view line, std::size_t i) {
    const std::size_t begin = i;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ':' || line.substr(i, 3) == "\xEF\xBC\x9A") {
            return i > begin;
        }
        if (IsDigit(c) || c == ' ' || c == '\t' || c == ',' || c == '|' || c == ';' ||
            line.substr(i, 3) == kFullwidthComma || line.substr(i, 3) == kIdeographicSpace ||
            line.substr(i, 3) == "\xEF\xBC\x90" /* not a full-width digit either */) {
            return false;
        }
        if (line.substr(i, 2) == "\xEF\xBC" && i + 2 < line.size() &&
            static_cast<unsigned char>(line[i + 2]) >= 0x90 &&
            static_cast<unsigned char>(line[i + 2]) <= 0x99) {
            return false;
        }
        ++i;
    }
    return false;
}

bool DigitAt(std::string_view line, std::size_t i) {
    if (i < line.size() && IsDigit(line[i])) {
        return true;
    }
    return line.substr(i, 2) == "\xEF\xBC" && i + 2 < line.size() &&
           static_cast<unsigned char>(line[i + 2]) >= 0x90 &&
           static_cast<unsigned char>(line[i + 2]) <= 0x99;
}

}  // namespace

bool PlainTyped(std::string_view line, std::string& out) {
    // Nothing to do on most lines: plain ASCII without a colon. Eight bytes at a time.
    bool high = false;
    std::size_t i = 0;
    for (; i + 8 <= line.size() && !high; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, line.data() + i, 8);
        high = (word & 0x8080808080808080ULL) != 0;
    }
    for (; i < line.size() && !high; ++i) {
        high = (static_cast<unsigned char>(line[i]) & 0x80) != 0;
    }
    if (!high && line.find(':') == std::string_view::npos) {
        return false;
    }
    std::string s;
    s.reserve(line.size() + 8);
    bool changed = false;
    for (std::size_t i = 0; i < line.size();) {
        const std::string_view rest = line.substr(i);
        const bool digit_before = !s.empty() && IsDigit(s.back());
        if (rest.size() >= 3 && rest[0] == '\xEF' && rest[1] == '\xBC' &&
            static_cast<unsigned char>(rest[2]) >= 0x90 &&
            static_cast<unsigned char>(rest[2]) <= 0x99) {
            s += static_cast<char>('0' + (static_cast<unsigned char>(rest[2]) - 0x90));
            i += 3;
            changed = true;
            continue;
        }
        const bool fullwidth_colon = StartsWith(rest, "\xEF\xBC\x9A");
        if (fullwidth_colon || rest[0] == ':') {
            const std::size_t size = fullwidth_colon ? 3 : 1;
            s += ':';
            i += size;
            changed = changed || fullwidth_colon;
            // "开奖号码:771": the name and the number apart, as a blank would set them
            if (!digit_before && !s.empty() && DigitAt(line, i)) {
                s += ' ';
                changed = true;
            }
            continue;
        }
        if ((StartsWith(rest, "\xE2\x80\x93") || StartsWith(rest, "\xE2\x80\x94") ||
             StartsWith(rest, "\xEF\xBC\x8D")) &&
            digit_before && DigitAt(line, i + 3)) {
            s += '-';
            i += 3;
            changed = true;
            continue;
        }
        // "期号：2024031，开奖号码：670": named fields apart, as blanks would set them
        if ((StartsWith(rest, kFullwidthComma) || rest[0] == ',') && digit_before) {
            const std::size_t size = rest[0] == ',' ? 1 : 3;
            std::size_t j = i + size;
            while (j < line.size() && line[j] == ' ') {
                ++j;
            }
            if (NameWithColonAt(line, j)) {
                s += ' ';
                i += size;
                changed = true;
                continue;
            }
        }
        s += rest[0];
        ++i;
    }
    if (!changed) {
        return false;
    }
    out = std::move(s);
    return true;
}

}  // namespace tolvex::history
