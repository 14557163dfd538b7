// line_kinds.cpp - the kinds of line the history reader tells apart: comments, separators,
// totals, footers, rows of names.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "reader_lines.h"
#include "text_scan.h"
#include "tolvex/history/layout.h"

namespace tolvex::history::detail {
namespace {

bool SeparatorRow(std::string_view rest) {
    bool dashes = false;
    for (const char c : rest) {
        if (c == '-' || c == '=') {
            dashes = true;
        } else if (c != '|' && c != ':' && c != '+' && c != ' ' && c != '\t') {
            return false;
        }
    }
    return dashes && rest.size() >= 3;
}

// The first word of a line: up to a blank, a delimiter or a colon.
std::string_view FirstWord(std::string_view rest) {
    while (!rest.empty() && (rest.front() == '|' || rest.front() == ' ')) {
        rest.remove_prefix(1);
    }
    std::size_t end = 0;
    while (end < rest.size()) {
        const char c = rest[end];
        if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '|' || c == ':' ||
            rest.substr(end, 3) == "\xEF\xBC\x8C" || rest.substr(end, 3) == "\xE3\x80\x80" ||
            rest.substr(end, 3) == "\xEF\xBC\x88" || c == '(') {
            break;
        }
        ++end;
    }
    return rest.substr(0, end);
}

bool InWords(std::string_view word, std::initializer_list<std::string_view> words) {
    std::string lower(word);
    for (char& c : lower) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return std::find(words.begin(), words.end(), lower) != words.end();
}

// 共15期, 共 15 条
bool CountLine(std::string_view word) {
    constexpr std::string_view kGong = "\xE5\x85\xB1";
    if (word.substr(0, kGong.size()) != kGong) {
        return false;
    }
    word.remove_prefix(kGong.size());
    std::size_t digits = 0;
    while (digits < word.size() && word[digits] >= '0' && word[digits] <= '9') {
        ++digits;
    }
    return digits > 0;
}

// A line's fields split by the delimiter it most plainly has.
void SplitPlainly(std::string_view text, std::vector<Field>& fields) {
    const Delimiter d = text.find('\t') != std::string_view::npos ? Delimiter::Tab
                        : text.find("\xEF\xBC\x8C") != std::string_view::npos
                            ? Delimiter::FullwidthComma
                        : text.find(',') != std::string_view::npos ? Delimiter::Comma
                        : text.find('|') != std::string_view::npos ? Delimiter::Pipe
                                                                   : Delimiter::Blanks;
    SplitFields(text, d, fields);
}

}  // namespace

LineKind Classify(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A') {
            ++i;
        } else if (static_cast<unsigned char>(c) < 0x80 && c != '#') {
            break;
        } else if (text.substr(i, 2) == detail::kNoBreakSpace) {
            i += 2;
        } else if (text.substr(i, 3) == detail::kIdeographicSpace ||
                   text.substr(i, 3) == "\xEF\xBB\xBF") {
            i += 3;
        } else if (c == '#') {
            return {LineClass::Comment};
        } else {
            break;
        }
    }
    if (i == text.size()) {
        return {LineClass::Blank};
    }
    const std::string_view rest = text.substr(i);
    if (rest[0] >= '0' && rest[0] <= '9') {
        return {LineClass::Data};  // most lines: no comment, separator, total or footer
    }
    if (rest.substr(0, 2) == "//") {
        return {LineClass::Skip, SkipKind::Comment};
    }
    if (SeparatorRow(rest)) {
        return {LineClass::Skip, SkipKind::Separator};
    }
    const std::string_view word = FirstWord(rest);
    if (InWords(word, {"\xE5\x90\x88\xE8\xAE\xA1", "\xE5\xB9\xB3\xE5\x9D\x87",
                       "\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xBC", "\xE6\x80\xBB\xE8\xAE\xA1",
                       "\xE5\xB0\x8F\xE8\xAE\xA1", "\xE5\x85\xB1\xE8\xAE\xA1", "total", "totals",
                       "average", "averages"})) {  // 合计 平均 平均值 总计 小计 共计
        return {LineClass::Skip, SkipKind::Totals};
    }
    if (CountLine(word) ||
        InWords(word,
                {"\xE6\x95\xB0\xE6\x8D\xAE\xE6\x9D\xA5\xE6\xBA\x90", "\xE6\x9D\xA5\xE6\xBA\x90",
                 "\xE8\xB5\x84\xE6\x96\x99\xE6\x9D\xA5\xE6\xBA\x90",
                 "\xE6\x95\xB0\xE6\x8D\xAE\xE6\x9D\xA5\xE8\x87\xAA", "source",
                 "\xE6\xB3\xA8"})) {  // 数据来源 来源 资料来源 数据来自 注
        return {LineClass::Skip, SkipKind::Footer};
    }
    return {LineClass::Data};
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Only names and empty cells; `known`: one of them a name the reader knows.
bool NameRow(std::string_view text, bool known) {
    std::vector<Field> fields;
    SplitPlainly(text, fields);
    bool named = false, any = false;
    for (const Field& f : fields) {
        const std::string_view v = FieldValue(text, f);
        const FieldKind k = ClassifyField(v);
        if (k != FieldKind::Text && k != FieldKind::Empty) {
            return false;
        }
        any = any || k == FieldKind::Text;
        named = named || IsDrawName(v) || IsOtherName(v) || IsDigitPlaceName(v);
    }
    return any && (named || !known);
}

bool HoldsDraw(std::string_view text) {
    std::vector<Field> fields;
    SplitPlainly(text, fields);
    return std::any_of(fields.begin(), fields.end(), [&](const Field& f) {
        const FieldKind k = ClassifyField(FieldValue(text, f));
        return k == FieldKind::Draw || k == FieldKind::Joined;
    });
}

}  // namespace tolvex::history::detail
