// tolvex/history/layout.h - fields of history lines, what a field holds, and a file's layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex::history {

enum class Delimiter : std::uint8_t {
    None,            ///< one field per line
    Tab,             ///< a tab between fields, empty fields count
    FullwidthComma,  ///< "，"
    Comma,
    Semicolon,
    Pipe,
    Blanks,  ///< runs of spaces, tabs, no-break spaces (U+00A0) and ideographic spaces (U+3000)
};

/// "tab", "comma", "full-width comma", "blanks", ... as shown to the user.
std::string_view DelimiterName(Delimiter delimiter);

/// One field of a line: [begin, end) without the blanks around it, quotes included.
struct Field {
    std::uint32_t begin, end;
    bool quoted;   ///< in double quotes (RFC 4180); the value lies between them
    bool escaped;  ///< quoted and holds a doubled quote
};

/// Splits `line` into `fields` at `delimiter`; empty fields at the end of the line are dropped.
/// Double quotes group a field for every delimiter but blanks.
void SplitFields(std::string_view line, Delimiter delimiter, std::vector<Field>& fields);

/// Characters as Chinese input methods type them, made plain: full-width digits and colons as
/// ASCII, en and em dashes between digits as '-', a blank after "开奖号码:" before a digit, and a
/// comma before such a name as a blank. False, with `out` untouched, when nothing changes.
bool PlainTyped(std::string_view line, std::string& out);

/// The field's text without its quotes (a doubled quote inside stays doubled).
std::string_view FieldValue(std::string_view line, const Field& field);

/// What a field holds.
enum class FieldKind : std::uint8_t {
    Empty,
    Digit,       ///< one digit: a digit of a draw spread over three fields, or a bonus digit
    Draw,        ///< three digits: "357", "007"
    Joined,      ///< three single digits joined by one repeated separator: "3 5 7", "1-2-3"
    Four,        ///< four digits
    JoinedFour,  ///< four single digits joined: "1-2-3-4"
    Issue,       ///< five digits or more, also as 第2024001期
    Date,        ///< 2024-01-09, 2024/1/9, 2024年1月9日, 01/09/2026, Fri, Jan 9, 2026, ...
    Amount,      ///< money or a count: 46,138,919; $500; ¥1,040; 1040.00; 173元
    Number,      ///< any other number: a sum, a span
    Text,
};
FieldKind ClassifyField(std::string_view value);

/// The draw 0..999 a Draw or Joined field holds.
std::optional<int> FieldDraw(std::string_view value);

enum class KeyKind : std::uint8_t { None, Issue, Date };
enum class Order : std::uint8_t { Unknown, OldestFirst, NewestFirst };

/// Sort keys: an issue number's value, a date as yyyymmdd. A two-digit year is 20yy (19yy from
/// 70 on); a date
/// without a year (01-16, 03月12日) gives mmdd, which IsYearless tells apart.
std::optional<std::uint64_t> IssueKey(std::string_view value);
std::optional<std::uint64_t> DateKey(std::string_view value);
bool IsYearless(std::uint64_t date_key);
/// A yearless date (mmdd) given the year that puts it closest to the date before it (a
/// full key, or mmdd with a running year): 01-02 after 12-30 is in the year after.
std::uint64_t WithYear(std::uint64_t before, std::uint64_t yearless);

/// Where a draw will stand but does not yet: an empty cell, 待开奖, 未开奖, "-", "—", or other
/// text without a digit.
bool IsPendingDraw(std::string_view value);
/// A word that says the draw is still to come (待开奖, 未开奖, ...), not a lone dash.
bool IsPendingWord(std::string_view value);

/// The sort key of a label's issue number or date; `before` is the key of the line before
/// (0: none), from which a date without a year takes its year.
std::optional<std::uint64_t> OrderKey(KeyKind kind, std::string_view value, std::uint64_t before);

/// Column names: those that name the draw (开奖号码, Winning Numbers, ...) and those that name
/// something a draw never is (试机号, Bonus, 和值, Date, ...). Case and blanks do not count.
bool IsDrawName(std::string_view name);
bool IsOtherName(std::string_view name);

/// The place a column name gives a single digit of the draw: 1 for 百位, Num1 or Ball 1, 2 and
/// 3 for the next ones, 4 for a place a three-digit draw does not have (千位, Num4); 0 for any
/// other name.
int DigitPlace(std::string_view name);
inline bool IsDigitPlaceName(std::string_view name) {
    return DigitPlace(name) != 0;
}

/// Where a draw stands: one field, or three adjacent single-digit fields.
struct DrawColumn {
    std::size_t column;  ///< 0-based
    std::size_t width;   ///< 1 or 3 columns
    std::string name;    ///< from the header or the text before it; may be empty
    /// Named as the draw's by the header, and some draws are written without their leading
    /// zeros (42 for 042, as spreadsheets do): one or two digits are read as three.
    bool pad = false;
};

/// How every data line of a file is read.
struct Layout {
    Delimiter delimiter = Delimiter::None;
    bool no_break_spaces = false;     ///< seen among the blanks
    bool ideographic_spaces = false;  ///< seen among the blanks
    /// Fields per line. When not `exact`, lines may have more, and the first column takes the
    /// extra fields at the start (a label with blanks in it).
    std::size_t columns = 1;
    bool exact = true;
    /// Not exact, the other way: the last column takes the extra fields (amounts with
    /// unquoted thousands separators after the draw).
    bool extra_at_end = false;
    std::uint64_t header_line = 0;    ///< 0: none; may be a comment line
    std::vector<std::string> header;  ///< the header's names, one per field as written
    std::vector<DrawColumn> draws;    ///< several: read in this order on each line
    std::string chosen_by;            ///< why these columns, for the user
    /// The header names the draw's column and it is this one: a line whose cell here is
    /// empty or pending (IsPendingDraw), with no more fields than the header, is a row with
    /// no draw yet.
    std::optional<std::size_t> pending_column;
    std::size_t label_columns = 0;  ///< columns [0, label_columns) form the label
    std::size_t key_column = 0;     ///< the label column that orders the lines
    KeyKind key = KeyKind::None;
    Order label_order = Order::Unknown;  ///< how the sample's keys run
    std::uint64_t order_lines[2] = {};   ///< two lines that show label_order
};

/// A line of a file's opening part as decoded text.
struct SampleLine {
    std::uint64_t number;
    std::string_view text;
};

struct DetectOptions {
    std::vector<std::string> columns;  ///< --column values, as given
    bool lenient = false;              ///< --skip-invalid: a column need hold on most lines
};

/// Why a history cannot be read.
enum class ReadErrorKind : std::uint8_t {
    None,
    Unreadable,         ///< the input could not be read
    LineTooLong,        ///< a line longer than ReadOptions::max_line
    NotInEncoding,      ///< a line is not text of the file's encoding
    NoConverter,        ///< this system cannot convert GB18030
    NoDrawColumn,       ///< no column holds a draw on every line
    AmbiguousColumn,    ///< more than one column could hold the draw: see `candidates`
    NotThreeDigits,     ///< the draws have four digits or more
    BadColumnOption,    ///< a --column value names no column that holds the draw
    OrderContradicted,  ///< --newest-first or --oldest-first against the labels' order
    LineDoesNotFit,     ///< a line after the opening part does not fit the layout
    DuplicateIssue,     ///< the same issue twice with different draws
};

/// A failure to read a history, as data: nothing need take its message apart.
struct ReadError {
    ReadErrorKind kind = ReadErrorKind::None;
    std::uint64_t line = 0;              ///< the line it concerns, or 0 for the whole file
    std::vector<DrawColumn> candidates;  ///< AmbiguousColumn: the columns that could hold it
    std::string message;                 ///< what is wrong, without the file's name and line
};

struct Detection {
    std::optional<Layout> layout;
    ReadError error;  ///< when no layout: the reason
};

/// Decides the layout from the data lines of a file's opening part (blank and comment lines
/// left out) and the comment line just above the first of them, if any (a header may stand
/// there). No data lines give a layout without draw columns.
Detection DetectLayout(std::span<const SampleLine> data, const SampleLine* comment_above,
                       const DetectOptions& options);

/// The text of column `column` of a line split by the layout's delimiter.
std::string_view ColumnText(std::string_view line, std::span<const Field> fields,
                            const Layout& layout, std::size_t column);

/// The layout's column with its name for messages: "column 2", "columns 2-4 \"开奖号码\"".
std::string DescribeColumn(const DrawColumn& column);

}  // namespace tolvex::history
