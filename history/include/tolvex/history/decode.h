// tolvex/history/decode.h - encodings of history files: detection, checks, conversion to UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tolvex::history {

enum class Encoding { Utf8, Utf16Le, Utf16Be, Gb18030 };

/// "UTF-8", "UTF-16 LE", "UTF-16 BE" or "GB18030".
std::string_view EncodingName(Encoding encoding);

/// The value of --encoding: utf-8 (utf8), utf-16 (little endian unless a byte-order mark says
/// otherwise), utf-16le, utf-16be, gbk, gb18030 or gb2312 (all read as GB18030, which holds
/// the other two), any case. No value for anything else.
std::optional<Encoding> ParseEncoding(std::string_view name);

/// The encoding a byte-order mark at the start of `head` names, and the mark's length.
struct ByteOrderMark {
    Encoding encoding;
    std::size_t size;
};
std::optional<ByteOrderMark> FindByteOrderMark(std::string_view head);

/// Whether `head` looks like UTF-16 without a mark: ASCII text with a zero byte beside every
/// character. Gives the byte order, or no value.
std::optional<Encoding> GuessUtf16(std::string_view head);

/// Length of the valid UTF-8 sequence at text[i], or 0 when the byte there starts none.
std::size_t Utf8Length(std::string_view text, std::size_t i);

/// Whether `text` is valid UTF-8 (fast for ASCII).
bool IsUtf8(std::string_view text);

/// Calls `each` with every character of `text` in turn as its UTF-8 bytes; a byte that starts
/// no valid UTF-8 sequence is passed as U+FFFD.
template <class Each>
void ForEachCharacter(std::string_view text, Each&& each) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8Length(text, i);
        each(n == 0 ? std::string_view("\xEF\xBF\xBD") : text.substr(i, n));
        i += n == 0 ? 1 : n;
    }
}

/// `text` with each byte that starts no valid UTF-8 sequence replaced by U+FFFD.
std::string RepairUtf8(std::string_view text);

/// Display columns of `text` in a terminal: a wide East Asian character takes two, a
/// combining mark none, anything else (a control byte or invalid byte too) one.
std::size_t DisplayWidth(std::string_view text);

/// Converts GB18030 (and so GBK and GB2312) to UTF-8 through the platform's converter: iconv
/// on Linux, MultiByteToWideChar with code page 54936 on Windows.
class GbDecoder {
  public:
    GbDecoder();
    ~GbDecoder();
    GbDecoder(const GbDecoder&) = delete;
    GbDecoder& operator=(const GbDecoder&) = delete;

    /// Whether the converter is available on this system.
    bool ok() const;
    /// Whether GB18030's four-byte sequences are known: not where Windows lacks code page
    /// 54936 (Wine) and GBK stands in; such a sequence is then refused, never guessed.
    bool four_byte() const;
    /// Replaces `out` by `in` in UTF-8; false when `in` is not valid GB18030.
    bool Decode(std::string_view in, std::string& out);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// A source of bytes read in pieces.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    /// Reads up to `size` bytes into `data`; 0 at the end or on an error.
    virtual std::size_t Read(char* data, std::size_t size) = 0;
    /// The reason of a read error ("Is a directory"), empty when there was none.
    virtual const std::string& error() const = 0;
};

/// Bytes from a stream, with the first ones available ahead (Peek) and then read again.
class StreamSource : public ByteSource {
  public:
    explicit StreamSource(std::istream& in) : in_(in) {}
    /// Reads ahead until `size` bytes are held or the stream ends; returns what is held.
    std::string_view Peek(std::size_t size);
    /// Drops `size` bytes of what Peek holds (a byte-order mark).
    void Skip(std::size_t size);
    std::size_t Read(char* data, std::size_t size) override;
    const std::string& error() const override { return error_; }
    /// Bytes handed out so far, Peek's included.
    std::uint64_t consumed() const { return consumed_; }

  private:
    std::size_t ReadStream(char* data, std::size_t size);

    std::istream& in_;
    std::string ahead_;
    std::size_t ahead_pos_ = 0;
    std::string error_;
    std::uint64_t consumed_ = 0;
};

/// UTF-16 (either byte order) from another source, as UTF-8. A lone surrogate becomes U+FFFD;
/// an odd byte at the very end is dropped.
class Utf16Source : public ByteSource {
  public:
    Utf16Source(ByteSource& raw, bool big_endian) : raw_(raw), big_endian_(big_endian) {}
    std::size_t Read(char* data, std::size_t size) override;
    const std::string& error() const override { return raw_.error(); }

  private:
    ByteSource& raw_;
    bool big_endian_;
    std::string in_;   // raw bytes not yet converted
    std::string out_;  // UTF-8 not yet handed out
    std::size_t out_pos_ = 0;
    char32_t high_ = 0;  // a high surrogate waiting for its low half
    bool end_ = false;
};

}  // namespace tolvex::history
