// tolvex/history/reader.h - the reader: a layout from the opening lines, every line held to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tolvex/history/decode.h"
#include "tolvex/history/layout.h"

namespace tolvex::history {

/// Splits a byte stream into lines: LF, CR LF or a lone CR ends a line, a UTF-8 byte-order mark
/// at the very start is dropped, and the last line needs no line end. Holds at most one line and
/// one read buffer in memory. A line longer than `max_line` bytes stops the reading: Next
/// reports it as too long and then the end, without reading on.
class LineSplitter {
  public:
    static constexpr std::size_t kDefaultMaxLine = 64 * 1024;

    explicit LineSplitter(ByteSource& in, std::size_t max_line = kDefaultMaxLine,
                          std::size_t chunk = 64 * 1024);

    enum class Status { Line, End, TooLong, ReadError };
    enum LineEnd : unsigned { kLf = 1, kCrLf = 2, kCr = 4 };

    /// Fetches the next line into `line` (valid until the next call) and its 1-based number.
    /// On TooLong, `line` holds the line's first `max_line` bytes.
    Status Next(std::string_view& line, std::uint64_t& number);

    /// The kinds of line end seen so far (LineEnd bits).
    unsigned line_ends() const { return line_ends_; }
    bool byte_order_mark() const { return byte_order_mark_; }

  private:
    bool Fill();

    ByteSource& in_;
    std::size_t max_line_;
    std::size_t chunk_;
    std::string buffer_;
    std::size_t begin_ = 0, end_ = 0;
    std::string long_line_;
    std::uint64_t number_ = 0;
    unsigned line_ends_ = 0;
    bool first_ = true;
    bool eof_ = false;
    bool stopped_ = false;
    bool byte_order_mark_ = false;
};

/// The line as shown in an error message: control bytes and bytes that are not UTF-8 as \t,
/// \r, \xNN, at most `limit` bytes of the line followed by "..." when it was cut.
std::string ShowLine(std::string_view line, std::size_t limit = 120);

struct ReadOptions {
    std::optional<Encoding> encoding;  ///< --encoding; detected when absent
    std::vector<std::string> columns;  ///< --column values
    std::optional<Order> order;        ///< --newest-first / --oldest-first
    bool skip_invalid = false;         ///< skip lines that do not fit instead of stopping
    std::size_t max_line = LineSplitter::kDefaultMaxLine;
};

/// One draw as read, in the order of the file.
struct HistoryDraw {
    std::uint16_t number;    ///< 0..999
    std::uint64_t line;      ///< 1-based line number
    std::string_view label;  ///< UTF-8; valid until the next call of HistoryReader::Next
    /// The label's issue number, or its date as yyyymmdd, as the layout's key says; 0 without.
    std::uint64_t key = 0;
};

/// A draw kept for showing how a file was read.
struct ShownDraw {
    std::uint16_t number;
    std::uint64_t line;
    std::string label;
};

/// Lines that are not draws and are skipped, each kind counted.
enum class SkipKind : std::uint8_t {
    Pending,         ///< a row whose draw is still to come
    Duplicate,       ///< the same issue and draw as a line before
    Title,           ///< a title above the header
    SecondHeader,    ///< a second header row under the first (merged cells)
    RepeatedHeader,  ///< the header again, where copied pages meet
    Totals,          ///< 合计, 平均, 总计, Total, Average
    Footer,          ///< 数据来源：..., 共15期, Source: ...
    Separator,       ///< a pipe table's |---|---| row
    Comment,         ///< a // comment
};
inline constexpr std::size_t kSkipKinds = 9;

/// How a file was read: what `tolvex-cli inspect` prints and a report's header shows.
struct HistoryInfo {
    enum class OrderSource { Default, Labels, Option };

    std::string name;  ///< the file's name, or "standard input"
    Encoding encoding = Encoding::Utf8;
    bool encoding_given = false;  ///< by --encoding
    bool byte_order_mark = false;
    unsigned line_ends = 0;  ///< LineSplitter::LineEnd bits
    Layout layout;
    Order order = Order::OldestFirst;  ///< OldestFirst or NewestFirst
    OrderSource order_source = OrderSource::Default;
    std::uint64_t lines = 0;  ///< lines read
    std::uint64_t draws = 0;
    std::uint64_t data_lines = 0;                  ///< lines that gave draws
    std::uint64_t skipped_blank = 0;               ///< blank and comment lines, a header line
    std::uint64_t skipped_invalid = 0;             ///< lines that did not fit (with --skip-invalid)
    std::vector<std::uint64_t> invalid_lines;      ///< the first few of them
    std::uint64_t skipped[kSkipKinds] = {};        ///< lines skipped, by SkipKind
    std::uint64_t skipped_first[kSkipKinds] = {};  ///< the first line of each kind
    std::size_t record_lines = 0;    ///< a record across this many lines (a phone copy), or 0
    std::uint64_t padded = 0;        ///< draws written without their leading zeros (42: 042)
    std::uint64_t padded_first = 0;  ///< the first line of them
    std::vector<ShownDraw> oldest;   ///< the three oldest draws, oldest first (after the end)
    std::vector<ShownDraw> newest;   ///< the three newest draws, oldest first (after the end)
};

/// "line ends LF", "CR LF and LF", ... for the line-end bits.
std::string LineEndNames(unsigned line_ends);

/// Reads a history: Open decides the encoding and the layout from the opening part of the
/// input (at most kSampleLines data lines or kSampleBytes), then Next gives every draw in the
/// order of the file, holding each line to that layout. Memory stays bounded by the opening
/// part and one line.
class HistoryReader {
  public:
    static constexpr std::size_t kSampleLines = 1000;
    static constexpr std::size_t kSampleBytes = 4 << 20;

    HistoryReader(std::istream& in, std::string name, ReadOptions options);
    ~HistoryReader();

    /// Decides the layout; false with error() set when the input cannot be read as a history.
    bool Open();
    /// The next draw; false at the end, or on an error with error() set.
    bool Next(HistoryDraw& draw);

    /// The message of the error, naming the file and line ("history.txt, line 4: ...").
    const std::string& error() const { return error_; }
    /// The error as data; its kind is None while there is none.
    const ReadError& failure() const { return failure_; }
    const HistoryInfo& info() const { return info_; }
    /// What the user should hear on standard error besides the output: the order taken from
    /// the labels, lines skipped. Complete after the end.
    std::vector<std::string> Notes() const;

  private:
    struct Raw {
        std::uint64_t number;
        std::string text;
    };

    bool Fail(ReadError failure);
    bool Fail(ReadErrorKind kind, std::uint64_t line, std::string message);
    // The steps of Open.
    std::optional<Encoding> OpenSource();
    bool ReadSample();
    bool ChooseEncoding(std::optional<Encoding> encoding);
    bool DetectLayoutFromSample();
    bool DecodeSample(std::vector<std::string>& decoded, std::vector<bool>& bad);
    void MarkHeader(const std::vector<std::string>& decoded, const std::vector<std::size_t>& rows,
                    std::vector<std::optional<SkipKind>>& skip);
    bool JoinRecords(std::vector<std::string>& decoded, std::vector<bool>& bad,
                     std::vector<std::optional<SkipKind>>& skip, std::vector<std::size_t>& rows);
    bool RecordsOfOneShape(const std::vector<std::string>& decoded,
                           const std::vector<std::size_t>& rows,
                           const std::vector<std::size_t>& starts);
    void JoinSample(std::vector<std::string>& decoded, std::vector<bool>& bad,
                    std::vector<std::optional<SkipKind>>& skip, std::vector<std::size_t>& rows,
                    const std::vector<std::size_t>& starts);
    bool DecideOrder();
    bool Decode(std::string_view raw, std::string_view& text);
    bool NextLine(std::string_view& text, std::uint64_t& number, bool& end);
    // Reads one data line by the layout: draws into pending_, or a reason it does not fit.
    enum class LineResult { Read, Skip, Bad, Conflict };
    LineResult ReadLine(std::string_view text, std::uint64_t number, std::string& reason);
    // The steps of ReadLine.
    bool PendingRow(std::string_view text) const;
    bool FieldsFit(std::string& reason) const;
    std::string_view ReadLabel(std::string_view text);
    LineResult ReadDraws(std::string_view text, std::uint64_t number, std::string_view label,
                         std::string& reason);
    LineResult ReadKey(std::string_view text, std::uint64_t number, std::string& reason);
    LineResult RepeatedIssue(std::uint64_t key, std::string_view v, std::uint64_t number,
                             std::string& reason);
    void RememberIssue(std::uint64_t key, std::uint64_t number);
    void LabelByColumn(std::string_view label);
    void Skipped(SkipKind kind, std::uint64_t line);
    // The steps of Next.
    bool SkipLine(std::string_view text, std::uint64_t number);
    bool Invalid(std::string_view text, std::uint64_t number, bool undecodable,
                 const std::string& reason);
    void Keep(const HistoryDraw& draw);
    void Finish();

    std::istream& in_;
    ReadOptions options_;
    HistoryInfo info_;
    std::string error_;
    ReadError failure_;
    std::unique_ptr<StreamSource> stream_;
    std::unique_ptr<ByteSource> utf16_;
    std::unique_ptr<LineSplitter> splitter_;
    ByteSource* splitter_source_ = nullptr;  // what splitter_ reads: stream_ or utf16_
    GbDecoder gb_;
    std::vector<Raw> sample_;
    std::vector<bool> sample_bad_;  // lines of the opening part that did not decode
    std::vector<std::optional<SkipKind>> sample_skip_;  // and those that are no draws
    std::optional<SkipKind> line_skip_;                 // of the line NextLine gave
    std::string header_text_;                           // to know the header repeated
    std::string plain_;                                 // a line as PlainTyped made it
    // Records across several lines: rows a record, and the one being gathered.
    std::size_t record_rows_ = 0;
    std::string record_gap_;
    std::string record_;
    std::size_t record_count_ = 0;
    std::uint64_t record_first_ = 0;
    std::size_t replay_ = 0;
    std::string decoded_;
    std::vector<Field> fields_;
    std::string label_;
    std::vector<std::string> labels_;
    std::vector<HistoryDraw> pending_;
    std::size_t pending_pos_ = 0;
    std::size_t pending_padded_ = 0;  // draws of pending_ written without their leading zeros
    std::optional<std::uint64_t> last_key_;
    std::uint64_t last_key_line_ = 0;
    // The last lines' issue numbers and draws, to know a line repeated where pages overlap.
    struct Recent {
        std::uint64_t key = 0, line = 0;
        std::uint16_t draws[4] = {};
        std::uint8_t count = 0;
    };
    static constexpr std::size_t kRecent = 64;
    std::vector<Recent> recent_;
    std::size_t recent_next_ = 0;
    std::vector<ShownDraw> head_, tail_;
    std::size_t tail_next_ = 0;
    bool finished_ = false;
};

}  // namespace tolvex::history
