// field_kinds.cpp - what a field holds: draws, issue numbers, dates, amounts, and their sort keys.
#include "tolvex/history/layout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <span>

#include "text_scan.h"

namespace tolvex::history {

using namespace detail;

namespace {

enum class End { Front, Back };

// Removes the first of `affixes` that `s` starts (or ends) with; false when there is none.
bool Drop(std::string_view& s, End end, std::span<const std::string_view> affixes) {
    for (const std::string_view a : affixes) {
        if (end == End::Front && StartsWith(s, a)) {
            s.remove_prefix(a.size());
            return true;
        }
        if (end == End::Back && EndsWith(s, a)) {
            s.remove_suffix(a.size());
            return true;
        }
    }
    return false;
}

// Digits at s[i..] as a number, at most `max` of them; advances i.
std::optional<unsigned> Digits(std::string_view s, std::size_t& i, std::size_t min,
                               std::size_t max) {
    std::size_t n = 0;
    unsigned value = 0;
    while (i + n < s.size() && n < max && IsDigit(s[i + n])) {
        value = value * 10 + static_cast<unsigned>(s[i + n] - '0');
        ++n;
    }
    if (n < min || (i + n < s.size() && IsDigit(s[i + n]))) {
        return std::nullopt;
    }
    i += n;
    return value;
}

// What may follow a date in its field: nothing, a weekday in words or brackets, a time.
bool DateRestOk(std::string_view rest) {
    std::size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == 'T' || rest[i] == ',')) {
        ++i;
    }
    if (i < rest.size() && IsDigit(rest[i])) {
        // a time of day: h:mm or hh:mm[:ss]
        if (!Digits(rest, i, 1, 2) || i >= rest.size() || rest[i] != ':') {
            return false;
        }
        ++i;
        if (!Digits(rest, i, 2, 2)) {
            return false;
        }
        if (i < rest.size() && rest[i] == ':') {
            ++i;
            if (!Digits(rest, i, 2, 2)) {
                return false;
            }
        }
    }
    return std::none_of(rest.begin() + static_cast<std::ptrdiff_t>(i), rest.end(), IsDigit);
}

std::optional<std::uint64_t> MakeDate(unsigned y, unsigned m, unsigned d) {
    if (y < 1900 || y > 2199 || m < 1 || m > 12 || d < 1 || d > 31) {
        return std::nullopt;
    }
    return std::uint64_t{y} * 10000 + m * 100 + d;
}

// A date without its year as mmdd; IsYearless tells such keys from full ones.
std::optional<std::uint64_t> MakeYearless(unsigned m, unsigned d) {
    if (m < 1 || m > 12 || d < 1 || d > 31) {
        return std::nullopt;
    }
    return std::uint64_t{m} * 100 + d;
}

// A month's name at s[i..] in English ("Jan", "January", "Sept"); advances i.
std::optional<unsigned> MonthName(std::string_view s, std::size_t& i) {
    std::size_t n = 0;
    std::string word;
    while (i + n < s.size() && std::isalpha(static_cast<unsigned char>(s[i + n]))) {
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + n])));
        ++n;
    }
    static constexpr std::array<std::string_view, 12> kMonths = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    if (n < 3) {
        return std::nullopt;
    }
    for (unsigned m = 0; m < 12; ++m) {
        if (StartsWith(kMonths[m], word) || (m == 8 && word == "sept")) {
            i += n;
            if (i < s.size() && s[i] == '.') {
                ++i;
            }
            return m + 1;
        }
    }
    return std::nullopt;
}

bool SkipWeekday(std::string_view s, std::size_t& i) {
    static constexpr std::array<std::string_view, 7> kDays = {
        "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};
    std::size_t n = 0;
    std::string word;
    while (i + n < s.size() && std::isalpha(static_cast<unsigned char>(s[i + n]))) {
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(s[i + n])));
        ++n;
    }
    if (n < 3) {
        return false;
    }
    for (const auto day : kDays) {
        if (StartsWith(day, word) || (word.size() == 4 && StartsWith(day, word.substr(0, 3)))) {
            i += n;
            while (i < s.size() && (s[i] == ',' || s[i] == '.' || s[i] == ' ')) {
                ++i;
            }
            return true;
        }
    }
    return false;
}

void SkipSpaces(std::string_view s, std::size_t& i) {
    while (i < s.size() && s[i] == ' ') {
        ++i;
    }
}

// The end of an English date once its month and day are read: an optional comma, the
// four-digit year and nothing more that belongs to a date.
std::optional<std::uint64_t> EnglishYear(std::string_view s, std::size_t i, unsigned m,
                                         unsigned d) {
    if (i < s.size() && s[i] == ',') {
        ++i;
    }
    SkipSpaces(s, i);
    const auto y = Digits(s, i, 4, 4);
    if (!y || !DateRestOk(s.substr(i))) {
        return std::nullopt;
    }
    return MakeDate(*y, m, d);
}

std::optional<std::uint64_t> EnglishDate(std::string_view s) {
    std::size_t i = 0;
    SkipWeekday(s, i);
    std::size_t j = i;
    if (const auto m = MonthName(s, j)) {
        // Jan 9, 2026
        SkipSpaces(s, j);
        const auto d = Digits(s, j, 1, 2);
        return d ? EnglishYear(s, j, *m, *d) : std::nullopt;
    }
    // 9 Jan 2026
    const auto d = Digits(s, i, 1, 2);
    if (!d) {
        return std::nullopt;
    }
    SkipSpaces(s, i);
    const auto m = MonthName(s, i);
    return m ? EnglishYear(s, i, *m, *d) : std::nullopt;
}

// Three or four single digits joined by one repeated separator: the number of digits, or 0.
std::size_t JoinedDigits(std::string_view s, int* value) {
    static constexpr std::string_view kGapChars = " \t,;:|-/=";
    if (s.empty() || !IsDigit(s[0])) {
        return 0;
    }
    std::string_view gap;
    std::size_t count = 0;
    int number = 0;
    std::size_t i = 0;
    for (;;) {
        if (i >= s.size() || !IsDigit(s[i])) {
            return 0;
        }
        number = number * 10 + (s[i] - '0');
        ++count;
        ++i;
        if (i == s.size()) {
            break;
        }
        const std::size_t gap_begin = i;
        while (i < s.size() && kGapChars.find(s[i]) != std::string_view::npos) {
            ++i;
        }
        const std::string_view this_gap = s.substr(gap_begin, i - gap_begin);
        if (this_gap.empty() || (count > 1 && this_gap != gap) || count >= 4) {
            return 0;
        }
        gap = this_gap;
    }
    if (count < 3) {
        return 0;
    }
    if (value != nullptr) {
        *value = number;
    }
    return count;
}

std::optional<std::string_view> StripIssue(std::string_view s) {
    constexpr std::string_view kDi = "\xE7\xAC\xAC";  // 第
    constexpr std::string_view kQi = "\xE6\x9C\x9F";  // 期
    const bool di = StartsWith(s, kDi), qi = EndsWith(s, kQi);
    if (!di && !qi) {
        return std::nullopt;
    }
    s = s.substr(di ? kDi.size() : 0, s.size() - (di ? kDi.size() : 0) - (qi ? kQi.size() : 0));
    if (!AllDigits(s) || s.size() < 3) {
        return std::nullopt;
    }
    return s;
}

bool IsAmount(std::string_view s) {
    static constexpr std::string_view kPrefixes[] = {
        "$", "\xC2\xA5", "\xEF\xBF\xA5", "\xE2\x82\xAC", "RMB", "US$"};
    static constexpr std::string_view kSuffixes[] = {"\xE5\x85\x83", "\xE4\xB8\x87", "\xE4\xBA\xBF",
                                                     " USD", " CNY"};
    const bool prefixed = Drop(s, End::Front, kPrefixes);
    const bool currency = Drop(s, End::Back, kSuffixes) || prefixed;
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    if (s.empty() || !IsDigit(s[0])) {
        return false;
    }
    // integer part: plain digits, or groups of three after a comma
    std::size_t i = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
    }
    bool grouped = false;
    if (i <= 3) {
        while (i + 4 <= s.size() && s[i] == ',' && AllDigits(s.substr(i + 1, 3)) &&
               (i + 4 == s.size() || !IsDigit(s[i + 4]))) {
            i += 4;
            grouped = true;
        }
    }
    bool decimals = false;
    if (i < s.size() && s[i] == '.') {
        const std::size_t begin = ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
        }
        decimals = i > begin;
        if (!decimals) {
            return false;
        }
    }
    return i == s.size() && (currency || grouped || decimals);
}

}  // namespace

FieldKind ClassifyField(std::string_view v) {
    if (v.empty()) {
        return FieldKind::Empty;
    }
    if (AllDigits(v)) {
        switch (v.size()) {
            case 1:
                return FieldKind::Digit;
            case 2:
                return FieldKind::Number;
            case 3:
                return FieldKind::Draw;
            case 4:
                return FieldKind::Four;
            default:
                return FieldKind::Issue;
        }
    }
    if (IsDigit(v[0])) {
        const std::size_t joined = JoinedDigits(v, nullptr);
        if (joined == 3) {
            return FieldKind::Joined;
        }
        if (joined == 4) {
            return FieldKind::JoinedFour;
        }
    }
    if (StripIssue(v)) {
        return FieldKind::Issue;
    }
    if (DateKey(v)) {
        return FieldKind::Date;
    }
    if (IsAmount(v)) {
        return FieldKind::Amount;
    }
    std::size_t i = v[0] == '-' || v[0] == '+' ? 1 : 0;
    if (i < v.size() && AllDigits(v.substr(i))) {
        return FieldKind::Number;
    }
    return FieldKind::Text;
}

std::optional<int> FieldDraw(std::string_view v) {
    if (v.size() == 3 && IsDigit(v[0]) && IsDigit(v[1]) && IsDigit(v[2])) {
        return (v[0] - '0') * 100 + (v[1] - '0') * 10 + (v[2] - '0');
    }
    int value = 0;
    if (v.size() >= 5 && JoinedDigits(v, &value) == 3) {
        return value;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> IssueKey(std::string_view v) {
    if (v.size() < 3 || v.size() > 18 || !IsDigit(v[0]) || !IsDigit(v.back())) {
        const auto inner = StripIssue(v);
        if (!inner) {
            return std::nullopt;
        }
        v = *inner;
    }
    std::uint64_t key = 0;
    for (const char c : v) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        key = key * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return v.size() >= 3 && v.size() <= 18 ? std::optional(key) : std::nullopt;
}

std::optional<std::uint64_t> DateKey(std::string_view s) {
    if (s.empty()) {
        return std::nullopt;
    }
    if (!IsDigit(s[0])) {
        return EnglishDate(s);
    }
    std::size_t i = 0;
    const auto first = Digits(s, i, 1, 4);
    if (!first || i >= s.size()) {
        return std::nullopt;
    }
    if (i == 4) {
        // 2024-01-09, 2024/1/9, 2024.01.09, 2024年1月9日
        const unsigned y = *first;
        constexpr std::string_view kYear = "\xE5\xB9\xB4", kMonth = "\xE6\x9C\x88",
                                   kDay = "\xE6\x97\xA5";
        if (StartsWith(s.substr(i), kYear)) {
            i += kYear.size();
            const auto m = Digits(s, i, 1, 2);
            if (!m || !StartsWith(s.substr(i), kMonth)) {
                return std::nullopt;
            }
            i += kMonth.size();
            const auto d = Digits(s, i, 1, 2);
            if (!d) {
                return std::nullopt;
            }
            if (StartsWith(s.substr(i), kDay)) {
                i += kDay.size();
            }
            return DateRestOk(s.substr(i)) ? MakeDate(y, *m, *d) : std::nullopt;
        }
        const char sep = s[i];
        if (sep != '-' && sep != '/' && sep != '.') {
            return std::nullopt;
        }
        ++i;
        const auto m = Digits(s, i, 1, 2);
        if (!m || i >= s.size() || s[i] != sep) {
            return std::nullopt;
        }
        ++i;
        const auto d = Digits(s, i, 1, 2);
        if (!d || !DateRestOk(s.substr(i))) {
            return std::nullopt;
        }
        return MakeDate(y, *m, *d);
    }
    if (i > 2) {
        return std::nullopt;
    }
    constexpr std::string_view kMonth = "\xE6\x9C\x88", kDay = "\xE6\x97\xA5";
    if (StartsWith(s.substr(i), kMonth)) {
        // 03月12日(二), without a year
        i += kMonth.size();
        const auto d = Digits(s, i, 1, 2);
        if (!d || !StartsWith(s.substr(i), kDay) || !DateRestOk(s.substr(i + kDay.size()))) {
            return std::nullopt;
        }
        return MakeYearless(*first, *d);
    }
    const char sep = s[i];
    if (sep == ' ') {
        return EnglishDate(s);
    }
    if (sep != '-' && sep != '/' && sep != '.') {
        return std::nullopt;
    }
    // 01/09/2026 and 1/9/26 (month first), 09.01.2026 (day first), 01-16 (no year)
    const std::size_t first_digits = i;
    ++i;
    const std::size_t second_begin = i;
    const auto second = Digits(s, i, 1, 2);
    if (!second) {
        return std::nullopt;
    }
    if (i == s.size() ||
        (s[i] != sep && DateRestOk(s.substr(i)) && s[i] != '-' && s[i] != '/' && s[i] != '.')) {
        // month and day only: two digits each, so that "1-2" or a fraction is no date
        if (sep == '.' || first_digits != 2 || i - second_begin != 2) {
            return std::nullopt;
        }
        return MakeYearless(*first, *second);
    }
    if (s[i] != sep) {
        return std::nullopt;
    }
    ++i;
    const std::size_t year_begin = i;
    auto y = Digits(s, i, 2, 4);
    if (!y || i - year_begin == 3 || !DateRestOk(s.substr(i))) {
        return std::nullopt;
    }
    if (i - year_begin == 2) {
        *y += *y >= 70 ? 1900 : 2000;  // what spreadsheets write by default: 1/16/24
    }
    unsigned m = *first, d = *second;
    if (sep == '.' || m > 12) {
        std::swap(m, d);
    }
    return MakeDate(*y, m, d);
}

bool IsYearless(std::uint64_t date_key) {
    return date_key < 10000;
}

std::uint64_t WithYear(std::uint64_t before, std::uint64_t yearless) {
    // The year of the date before, or the one after or before it, whichever puts the two
    // dates closest: 01-01 after 12-31 is in the next year.
    const auto day = [](std::uint64_t key) {
        return static_cast<std::int64_t>(key / 10000 * 372 + key / 100 % 100 * 31 + key % 100);
    };
    const std::uint64_t year = before / 10000;
    std::uint64_t best = year * 10000 + yearless;
    for (const std::uint64_t y : {year + 1, year > 0 ? year - 1 : year}) {
        const std::uint64_t k = y * 10000 + yearless;
        if (std::abs(day(k) - day(before)) < std::abs(day(best) - day(before))) {
            best = k;
        }
    }
    return best;
}

bool IsPendingWord(std::string_view v) {
    static constexpr std::string_view kWords[] = {
        "\xE5\xBE\x85\xE5\xBC\x80\xE5\xA5\x96",              // 待开奖
        "\xE6\x9C\xAA\xE5\xBC\x80\xE5\xA5\x96",              // 未开奖
        "\xE5\xBC\x80\xE5\xA5\x96\xE4\xB8\xAD",              // 开奖中
        "\xE7\xAD\x89\xE5\xBE\x85\xE5\xBC\x80\xE5\xA5\x96",  // 等待开奖
        "\xE6\x9A\x82\xE6\x97\xA0",                          // 暂无
        "pending",
        "tbd",
        "tba"};
    const std::string n = NormalName(v);
    return std::find(std::begin(kWords), std::end(kWords), n) != std::end(kWords);
}

bool IsPendingDraw(std::string_view v) {
    if (v.empty() || IsPendingWord(v)) {
        return true;
    }
    // dashes, question marks, stars: a cell kept for a draw to come
    static constexpr std::string_view kMarks[] = {"-", "\xE2\x80\x94", "\xE2\x80\x93", "?",
                                                  "*", "\xEF\xBC\x9F", "\xEF\xBC\x8D"};
    while (Drop(v, End::Front, kMarks)) {
    }
    if (v.empty()) {
        return true;
    }
    return ClassifyField(v) == FieldKind::Text && std::none_of(v.begin(), v.end(), IsDigit);
}

std::optional<std::uint64_t> OrderKey(KeyKind kind, std::string_view value, std::uint64_t before) {
    if (kind == KeyKind::Issue) {
        return IssueKey(value);
    }
    const auto key = DateKey(value);
    if (!key || !IsYearless(*key)) {
        return key;
    }
    // A running year for dates without one, from an arbitrary start: only the order counts.
    return WithYear(before > 0 ? before : 50000000 + *key, *key);
}

}  // namespace tolvex::history
