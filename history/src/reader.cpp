// reader.cpp - the history reader: the opening part, the layout, the lines read one by one.
#include "tolvex/history/reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "reader_lines.h"
#include "text_scan.h"
#include "tolvex/history/description.h"
#include "tolvex/history/time_order.h"
#include "tolvex/history/words.h"

namespace tolvex::history {

using detail::Classify;
using detail::HoldsDraw;
using detail::KeyName;
using detail::LineClass;
using detail::LineKind;
using detail::NameRow;
using detail::RecordStart;
using detail::TrimBlanks;

namespace {

constexpr std::size_t kShownInvalid = 5;

void ToTimeOrder(std::vector<ShownDraw>& draws) {
    IntoTimeOrder(
        draws.size(), [&](std::size_t i, std::size_t j) { std::swap(draws[i], draws[j]); },
        [&](std::size_t i, std::size_t j) { return draws[i].line == draws[j].line; });
}

}  // namespace

HistoryReader::HistoryReader(std::istream& in, std::string name, ReadOptions options)
    : in_(in), options_(std::move(options)) {
    info_.name = std::move(name);
}

HistoryReader::~HistoryReader() = default;

bool HistoryReader::Fail(ReadError failure) {
    // An unreadable input is named as the system names a file it cannot read.
    if (failure.kind == ReadErrorKind::Unreadable) {
        error_ = "cannot read '" + info_.name + "': " + failure.message;
    } else {
        error_ = info_.name +
                 (failure.line > 0 ? ", line " + std::to_string(failure.line) : std::string()) +
                 ": " + failure.message;
    }
    failure_ = std::move(failure);
    return false;
}

bool HistoryReader::Fail(ReadErrorKind kind, std::uint64_t line, std::string message) {
    return Fail(ReadError{kind, line, {}, std::move(message)});
}

bool HistoryReader::Open() {
    const std::optional<Encoding> given = OpenSource();
    return ReadSample() && ChooseEncoding(given) && DetectLayoutFromSample() && DecideOrder();
}

// The encoding as --encoding or the byte-order mark say, skipping the mark; the line splitter
// over the bytes, or over UTF-16 made UTF-8. No value when the opening lines must decide.
std::optional<Encoding> HistoryReader::OpenSource() {
    stream_ = std::make_unique<StreamSource>(in_);
    const std::string_view head = stream_->Peek(512);
    const auto mark = FindByteOrderMark(head);
    std::optional<Encoding> encoding = options_.encoding;
    info_.encoding_given = encoding.has_value();
    if (encoding == Encoding::Utf16Le && mark && mark->encoding == Encoding::Utf16Be) {
        encoding = Encoding::Utf16Be;  // --encoding utf-16 takes the mark's byte order
    }
    if (!encoding && mark) {
        encoding = mark->encoding;
    }
    if (!encoding) {
        encoding = GuessUtf16(head);
    }
    if (mark && encoding == mark->encoding) {
        stream_->Skip(mark->size);
        info_.byte_order_mark = true;
    }
    ByteSource* source = stream_.get();
    if (encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be) {
        utf16_ = std::make_unique<Utf16Source>(*stream_, encoding == Encoding::Utf16Be);
        source = utf16_.get();
    }
    splitter_source_ = source;
    splitter_ = std::make_unique<LineSplitter>(*source, options_.max_line);
    return encoding;
}

// The opening part, as read.
bool HistoryReader::ReadSample() {
    std::size_t data_lines = 0, bytes = 0;
    while (data_lines < kSampleLines && bytes < kSampleBytes) {
        std::string_view line;
        std::uint64_t number = 0;
        const auto status = splitter_->Next(line, number);
        if (status == LineSplitter::Status::End) {
            break;
        }
        if (status == LineSplitter::Status::ReadError) {
            return Fail(ReadErrorKind::Unreadable, 0, splitter_source_->error());
        }
        if (status == LineSplitter::Status::TooLong) {
            return Fail(ReadErrorKind::LineTooLong, number,
                        "line longer than " + std::to_string(options_.max_line) +
                            " bytes: " + ShowLine(line));
        }
        sample_.push_back({number, std::string(line)});
        bytes += line.size();
        data_lines += Classify(line).cls == LineClass::Data;
    }
    return true;
}

// UTF-8 unless the opening part is not, then GB18030.
bool HistoryReader::ChooseEncoding(std::optional<Encoding> encoding) {
    if (!encoding) {
        std::size_t utf8 = 0;
        for (const Raw& r : sample_) {
            utf8 += IsUtf8(r.text);
        }
        const bool lenient_utf8 = options_.skip_invalid && utf8 * 2 > sample_.size();
        encoding = utf8 == sample_.size() || lenient_utf8 ? Encoding::Utf8 : Encoding::Gb18030;
    }
    info_.encoding = *encoding;
    if (info_.encoding == Encoding::Gb18030 && !gb_.ok()) {
        return Fail(ReadErrorKind::NoConverter, 0, "this system cannot convert GB18030 text");
    }
    info_.byte_order_mark = info_.byte_order_mark || splitter_->byte_order_mark();
    return true;
}

// Decodes the opening part; the layout is decided from its data lines.
bool HistoryReader::DetectLayoutFromSample() {
    std::vector<std::string> decoded(sample_.size());
    std::vector<bool> bad(sample_.size(), false);
    if (!DecodeSample(decoded, bad)) {
        return false;
    }
    // Lines known not to be draws, and around the header: titles above it, a second header
    // row under it, the header repeated where copied pages meet.
    std::vector<std::optional<SkipKind>> skip(sample_.size());
    std::vector<std::size_t> rows;  // the data lines
    for (std::size_t i = 0; i < sample_.size(); ++i) {
        if (bad[i]) {
            continue;
        }
        const LineKind kind = Classify(decoded[i]);
        if (kind.cls == LineClass::Skip) {
            skip[i] = kind.skip;
        } else if (kind.cls == LineClass::Data) {
            rows.push_back(i);
        }
    }
    if (!JoinRecords(decoded, bad, skip, rows)) {
        return false;
    }
    MarkHeader(decoded, rows, skip);
    std::vector<SampleLine> data;
    const SampleLine* comment = nullptr;
    SampleLine comment_line{};
    for (const std::size_t i : rows) {
        if (skip[i]) {
            continue;
        }
        if (data.empty() && i > 0 && !bad[i - 1] && !skip[i - 1] &&
            Classify(decoded[i - 1]).cls == LineClass::Comment) {
            comment_line = {sample_[i - 1].number, decoded[i - 1]};
            comment = &comment_line;
        }
        data.push_back({sample_[i].number, decoded[i]});
    }
    DetectOptions detect;
    detect.columns = options_.columns;
    detect.lenient = options_.skip_invalid;
    Detection detection = DetectLayout(data, comment, detect);
    if (!detection.layout) {
        return Fail(std::move(detection.error));
    }
    info_.layout = std::move(*detection.layout);
    for (std::size_t i = 0; i < sample_.size(); ++i) {
        sample_[i].text = bad[i] ? std::string() : std::move(decoded[i]);
    }
    decoded.clear();
    sample_bad_ = std::move(bad);
    sample_skip_ = std::move(skip);
    return true;
}

// The opening part's lines decoded; those that do not decode are bad, or the failure.
bool HistoryReader::DecodeSample(std::vector<std::string>& decoded, std::vector<bool>& bad) {
    for (std::size_t i = 0; i < sample_.size(); ++i) {
        std::string_view text;
        if (!Decode(sample_[i].text, text)) {
            if (!options_.skip_invalid) {
                return Fail(ReadErrorKind::NotInEncoding, sample_[i].number,
                            "not " + std::string(EncodingName(info_.encoding)) +
                                " text: " + ShowLine(sample_[i].text) +
                                "\n(give the file's encoding with --encoding gbk, utf-8 or "
                                "utf-16)");
            }
            bad[i] = true;
            continue;
        }
        decoded[i] = std::string(text);
    }
    return true;
}

// The header among the first rows, the titles above it, a second header row under it and the
// header repeated further on, marked to be skipped.
void HistoryReader::MarkHeader(const std::vector<std::string>& decoded,
                               const std::vector<std::size_t>& rows,
                               std::vector<std::optional<SkipKind>>& skip) {
    for (std::size_t h = 0; h < std::min<std::size_t>(rows.size(), 4); ++h) {
        if (!NameRow(decoded[rows[h]], true)) {
            continue;
        }
        bool titles = true;
        for (std::size_t j = 0; j < h; ++j) {
            titles = titles && !HoldsDraw(decoded[rows[j]]);
        }
        if (!titles) {
            break;
        }
        for (std::size_t j = 0; j < h; ++j) {
            skip[rows[j]] = SkipKind::Title;
        }
        header_text_ = TrimBlanks(decoded[rows[h]]);
        if (h + 1 < rows.size() && NameRow(decoded[rows[h + 1]], false)) {
            skip[rows[h + 1]] = SkipKind::SecondHeader;
        }
        for (std::size_t j = h + 1; j < rows.size(); ++j) {
            if (TrimBlanks(decoded[rows[j]]) == header_text_) {
                skip[rows[j]] = SkipKind::RepeatedHeader;
            }
        }
        break;
    }
}

// The order --newest-first or --oldest-first give, which the labels must not contradict, or
// the labels' order.
bool HistoryReader::DecideOrder() {
    const Layout& layout = info_.layout;
    if (options_.order) {
        if (layout.label_order != Order::Unknown && layout.label_order != *options_.order) {
            const bool newest = *options_.order == Order::NewestFirst;
            return Fail(ReadErrorKind::OrderContradicted, 0,
                        std::string(newest ? "--newest-first" : "--oldest-first") + ", but the " +
                            std::string(KeyName(layout.key)) + " run " + (newest ? "up" : "down") +
                            " (lines " + std::to_string(layout.order_lines[0]) + " and " +
                            std::to_string(layout.order_lines[1]) + ")");
        }
        info_.order = *options_.order;
        info_.order_source = HistoryInfo::OrderSource::Option;
    } else if (layout.label_order != Order::Unknown) {
        info_.order = layout.label_order;
        info_.order_source = HistoryInfo::OrderSource::Labels;
    }
    return true;
}

bool HistoryReader::Decode(std::string_view raw, std::string_view& text) {
    if (info_.encoding == Encoding::Gb18030) {
        if (!gb_.Decode(raw, decoded_)) {
            return false;
        }
        text = decoded_;
    } else {
        text = raw;
        if (!IsUtf8(raw)) {
            return false;
        }
    }
    if (PlainTyped(text, plain_)) {
        text = plain_;
    }
    return true;
}

bool HistoryReader::NextLine(std::string_view& text, std::uint64_t& number, bool& undecodable) {
    undecodable = false;
    line_skip_.reset();
    if (replay_ < sample_.size()) {
        undecodable = sample_bad_[replay_];
        line_skip_ = sample_skip_[replay_];
        const Raw& r = sample_[replay_++];
        number = r.number;
        text = r.text;
        return true;
    }
    if (!sample_.empty()) {
        // The opening part has been replayed: free it.
        sample_ = {};
        sample_bad_ = {};
        sample_skip_ = {};
        replay_ = 0;
    }
    std::string_view raw;
    const auto status = splitter_->Next(raw, number);
    switch (status) {
        case LineSplitter::Status::End:
            return false;
        case LineSplitter::Status::ReadError:
            return Fail(ReadErrorKind::Unreadable, 0, stream_->error());
        case LineSplitter::Status::TooLong:
            return Fail(ReadErrorKind::LineTooLong, number,
                        "line longer than " + std::to_string(options_.max_line) +
                            " bytes: " + ShowLine(raw));
        case LineSplitter::Status::Line:
            break;
    }
    if (!Decode(raw, text)) {
        undecodable = true;
        text = raw;
    }
    return true;
}

void HistoryReader::Skipped(SkipKind kind, std::uint64_t line) {
    const auto k = static_cast<std::size_t>(kind);
    if (info_.skipped[k]++ == 0) {
        info_.skipped_first[k] = line;
    }
}

bool HistoryReader::Next(HistoryDraw& draw) {
    if (!error_.empty() || finished_) {
        return false;
    }
    if (pending_pos_ < pending_.size()) {
        draw = pending_[pending_pos_++];
        Keep(draw);
        return true;
    }
    for (;;) {
        std::string_view text;
        std::uint64_t number = 0;
        bool undecodable = false;
        const bool replaying = replay_ < sample_.size();
        if (!NextLine(text, number, undecodable)) {
            if (error_.empty() && record_count_ > 0) {
                return Fail(ReadErrorKind::LineDoesNotFit, record_first_,
                            "the last record has " + std::to_string(record_count_) +
                                (record_count_ == 1 ? " line" : " lines") +
                                " where the others have " + std::to_string(record_rows_));
            }
            if (error_.empty()) {
                Finish();
            }
            return false;
        }
        ++info_.lines;
        std::string reason;
        if (undecodable) {
            reason = "not " + std::string(EncodingName(info_.encoding)) + " text";
        } else if (SkipLine(text, number)) {
            continue;
        } else {
            if (record_rows_ > 1 && !replaying) {
                // a record across several lines: read once its last line has come
                if (record_count_ == 0) {
                    record_first_ = number;
                    record_.clear();
                    if (!RecordStart(text)) {
                        return Fail(ReadErrorKind::LineDoesNotFit, number,
                                    "a record must open with its issue number, as the others "
                                    "do: " +
                                        ShowLine(text));
                    }
                }
                record_ += (record_count_ > 0 ? record_gap_ : "") + std::string(text);
                if (++record_count_ < record_rows_) {
                    continue;
                }
                record_count_ = 0;
                text = record_;
                number = record_first_;
            }
            const LineResult result = ReadLine(text, number, reason);
            if (result == LineResult::Read) {
                ++info_.data_lines;
                // padding is counted only for lines that give draws, not for those that then
                // turn out not to fit
                if (pending_padded_ > 0 && info_.padded == 0) {
                    info_.padded_first = number;
                }
                info_.padded += pending_padded_;
                draw = pending_[pending_pos_++];
                Keep(draw);
                return true;
            }
            if (result == LineResult::Skip) {
                continue;
            }
            if (result == LineResult::Conflict) {
                return Fail(ReadErrorKind::DuplicateIssue, number, reason + ": " + ShowLine(text));
            }
        }
        if (!Invalid(text, number, undecodable, reason)) {
            return false;
        }
    }
}

// A line that is no draw (the header, a comment, a separator, a total, a footer, a blank, the
// header repeated) counted as skipped.
bool HistoryReader::SkipLine(std::string_view text, std::uint64_t number) {
    if (number == info_.layout.header_line) {
        ++info_.skipped_blank;
        return true;
    } else if (line_skip_) {
        Skipped(*line_skip_, number);
        return true;
    } else if (const LineKind kind = Classify(text); kind.cls == LineClass::Skip) {
        Skipped(kind.skip, number);
        return true;
    } else if (kind.cls != LineClass::Data) {
        ++info_.skipped_blank;
        return true;
    } else if (!header_text_.empty() && TrimBlanks(text) == header_text_) {
        Skipped(SkipKind::RepeatedHeader, number);
        return true;
    }
    return false;
}

// A line that does not fit: the failure, or counted as skipped with --skip-invalid.
bool HistoryReader::Invalid(std::string_view text, std::uint64_t number, bool undecodable,
                            const std::string& reason) {
    if (!options_.skip_invalid) {
        return Fail(undecodable ? ReadErrorKind::NotInEncoding : ReadErrorKind::LineDoesNotFit,
                    number,
                    reason + ": " + ShowLine(text) +
                        "\n(comment the line out with #, or give --skip-invalid to "
                        "skip lines like it)");
    }
    ++info_.skipped_invalid;
    if (info_.invalid_lines.size() < kShownInvalid) {
        info_.invalid_lines.push_back(number);
    }
    return true;
}

void HistoryReader::Keep(const HistoryDraw& draw) {
    ++info_.draws;
    ShownDraw* slot = nullptr;
    if (head_.size() < 3) {
        head_.push_back({});
        slot = &head_.back();
    } else {
        if (tail_.size() < 3) {
            tail_.resize(3);
        }
        slot = &tail_[tail_next_ % 3];
        ++tail_next_;
    }
    slot->number = draw.number;
    slot->line = draw.line;
    slot->label.assign(draw.label);
}

void HistoryReader::Finish() {
    finished_ = true;
    info_.line_ends = splitter_ ? splitter_->line_ends() : 0;
    // The file's first and last three draws, in the order of the file.
    std::vector<ShownDraw> first = head_, last;
    const std::size_t in_tail = std::min<std::size_t>(tail_next_, 3);
    for (std::size_t i = 0; i < in_tail; ++i) {
        last.push_back(tail_[(tail_next_ - in_tail + i) % 3]);
    }
    // Draws beyond the first three that the last three do not hold: complete the last three.
    std::vector<ShownDraw> all = first;
    all.insert(all.end(), last.begin(), last.end());
    const std::size_t shown = std::min<std::size_t>(all.size(), 3);
    first.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(shown));
    last.assign(all.end() - static_cast<std::ptrdiff_t>(shown), all.end());
    if (info_.order == Order::NewestFirst) {
        ToTimeOrder(first);
        ToTimeOrder(last);
        std::swap(first, last);
    }
    info_.oldest = std::move(first);
    info_.newest = std::move(last);
}

std::vector<std::string> HistoryReader::Notes() const {
    std::vector<std::string> notes;
    if (info_.order_source == HistoryInfo::OrderSource::Labels &&
        info_.order == Order::NewestFirst) {
        notes.push_back(info_.name + ": the " + std::string(KeyName(info_.layout.key)) +
                        " run down: read newest first");
    }
    if (info_.order_source == HistoryInfo::OrderSource::Default && info_.draws > 1) {
        notes.push_back(info_.name + ": nothing in the file tells the order: " + OrderText(info_));
    }
    if (const std::string skipped = SkippedLines(info_); !skipped.empty()) {
        notes.push_back(info_.name + ": " + skipped);
    }
    if (info_.padded > 0) {
        notes.push_back(info_.name + ": " + std::to_string(info_.padded) +
                        (info_.padded == 1 ? " draw" : " draws") +
                        " written without leading zeros read as three digits (first on line " +
                        std::to_string(info_.padded_first) + ": 42 is 042)");
    }
    if (info_.skipped_invalid > 0) {
        const bool one = info_.skipped_invalid == 1;
        std::string note = info_.name + ": skipped " +
                           Plural(info_.skipped_invalid, "line", "lines") +
                           (one ? " that does" : " that do") + " not fit the layout: line";
        note += one ? " " : "s ";
        for (std::size_t i = 0; i < info_.invalid_lines.size(); ++i) {
            note += (i > 0 ? ", " : "") + std::to_string(info_.invalid_lines[i]);
        }
        if (info_.skipped_invalid > info_.invalid_lines.size()) {
            note += ", ...";
        }
        notes.push_back(note);
    }
    return notes;
}

}  // namespace tolvex::history
