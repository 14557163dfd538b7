// decode.cpp - encoding detection, UTF-8 checks and display widths, GB18030 and UTF-16 input.
#include "tolvex/history/decode.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace tolvex::history {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t DecodeUtf8(std::string_view text, std::size_t i, std::size_t n) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (n == 1) {
        return b;
    }
    char32_t c = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    return c;
}

// Characters two columns wide in a terminal: the East Asian Wide and Fullwidth blocks.
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsCombining(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF;
}

}  // namespace

std::string_view EncodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return "UTF-8";
        case Encoding::Utf16Le:
            return "UTF-16 LE";
        case Encoding::Utf16Be:
            return "UTF-16 BE";
        case Encoding::Gb18030:
            return "GB18030";
    }
    return "";
}

std::optional<Encoding> ParseEncoding(std::string_view name) {
    std::string lower;
    for (const char c : name) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (lower == "utf-8" || lower == "utf8") {
        return Encoding::Utf8;
    }
    if (lower == "utf-16" || lower == "utf16" || lower == "utf-16le" || lower == "utf16le") {
        return Encoding::Utf16Le;
    }
    if (lower == "utf-16be" || lower == "utf16be") {
        return Encoding::Utf16Be;
    }
    if (lower == "gbk" || lower == "gb18030" || lower == "gb2312" || lower == "cp936") {
        return Encoding::Gb18030;
    }
    return std::nullopt;
}

std::optional<ByteOrderMark> FindByteOrderMark(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF") {
        return ByteOrderMark{Encoding::Utf8, 3};
    }
    if (head.substr(0, 2) == "\xFF\xFE") {
        return ByteOrderMark{Encoding::Utf16Le, 2};
    }
    if (head.substr(0, 2) == "\xFE\xFF") {
        return ByteOrderMark{Encoding::Utf16Be, 2};
    }
    return std::nullopt;
}

std::optional<Encoding> GuessUtf16(std::string_view head) {
    const std::size_t pairs = std::min<std::size_t>(head.size() / 2, 256);
    if (pairs < 2) {
        return std::nullopt;
    }
    std::size_t zero_even = 0, zero_odd = 0;
    for (std::size_t i = 0; i < pairs * 2; i += 2) {
        zero_even += head[i] == '\0';
        zero_odd += head[i + 1] == '\0';
    }
    // ASCII in UTF-16 has a zero in every other byte; the other half is almost never zero.
    if (zero_odd * 10 >= pairs * 9 && zero_even * 10 < pairs) {
        return Encoding::Utf16Le;
    }
    if (zero_even * 10 >= pairs * 9 && zero_odd * 10 < pairs) {
        return Encoding::Utf16Be;
    }
    return std::nullopt;
}

std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
        return 1;
    }
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + n > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF)) {
            return 0;
        }
    }
    return n;
}

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string RepairUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCharacter(text, [&out](std::string_view c) { out += c; });
    return out;
}

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++width;
            ++i;
            continue;
        }
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            ++width;
            ++i;
            continue;
        }
        const char32_t c = DecodeUtf8(text, i, n);
        width += IsWide(c) ? 2 : IsCombining(c) ? 0 : 1;
        i += n;
    }
    return width;
}

#ifdef _WIN32

struct GbDecoder::Impl {
    // GB18030 where Windows has it; GBK (code page 936) where it does not, as under Wine.
    UINT code_page = IsValidCodePage(54936) ? 54936 : IsValidCodePage(936) ? 936 : 0;
    std::wstring wide;
};

GbDecoder::GbDecoder() : impl_(std::make_unique<Impl>()) {}
GbDecoder::~GbDecoder() = default;

bool GbDecoder::ok() const {
    return impl_->code_page != 0;
}

bool GbDecoder::four_byte() const {
    return impl_->code_page == 54936;
}

bool GbDecoder::Decode(std::string_view in, std::string& out) {
    out.clear();
    if (in.empty()) {
        return true;
    }
    const int size = static_cast<int>(in.size());
    const UINT cp = impl_->code_page;
    const int wide = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    if (wide <= 0) {
        return false;
    }
    impl_->wide.resize(static_cast<std::size_t>(wide));
    MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in.data(), size, impl_->wide.data(), wide);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, impl_->wide.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, impl_->wide.data(), wide, out.data(), bytes, nullptr, nullptr);
    return true;
}

#else

struct GbDecoder::Impl {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    ~Impl() {
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd);
        }
    }
};

GbDecoder::GbDecoder() : impl_(std::make_unique<Impl>()) {}
GbDecoder::~GbDecoder() = default;

bool GbDecoder::ok() const {
    return impl_->cd != reinterpret_cast<iconv_t>(-1);
}

bool GbDecoder::four_byte() const {
    return ok();
}

bool GbDecoder::Decode(std::string_view in, std::string& out) {
    out.clear();
    if (!ok()) {
        return false;
    }
    iconv(impl_->cd, nullptr, nullptr, nullptr, nullptr);
    // No GB18030 sequence grows by more than half again in UTF-8.
    out.resize(in.size() * 2 + 4);
    char* from = const_cast<char*>(in.data());
    std::size_t from_left = in.size();
    char* to = out.data();
    std::size_t to_left = out.size();
    if (iconv(impl_->cd, &from, &from_left, &to, &to_left) == static_cast<std::size_t>(-1) ||
        iconv(impl_->cd, nullptr, nullptr, &to, &to_left) == static_cast<std::size_t>(-1)) {
        out.clear();
        return false;
    }
    out.resize(out.size() - to_left);
    return true;
}

#endif

std::string_view StreamSource::Peek(std::size_t size) {
    while (ahead_.size() - ahead_pos_ < size) {
        const std::size_t held = ahead_.size();
        const std::size_t want = size - (held - ahead_pos_);
        ahead_.resize(held + want);
        const std::size_t got = ReadStream(ahead_.data() + held, want);
        ahead_.resize(held + got);
        if (got == 0) {
            break;
        }
    }
    return std::string_view(ahead_).substr(ahead_pos_);
}

void StreamSource::Skip(std::size_t size) {
    size = std::min(size, ahead_.size() - ahead_pos_);
    ahead_pos_ += size;
    consumed_ += size;
}

std::size_t StreamSource::Read(char* data, std::size_t size) {
    if (ahead_pos_ < ahead_.size()) {
        const std::size_t n = std::min(size, ahead_.size() - ahead_pos_);
        std::memcpy(data, ahead_.data() + ahead_pos_, n);
        ahead_pos_ += n;
        consumed_ += n;
        if (ahead_pos_ == ahead_.size()) {
            ahead_.clear();
            ahead_pos_ = 0;
        }
        return n;
    }
    const std::size_t got = ReadStream(data, size);
    consumed_ += got;
    return got;
}

std::size_t StreamSource::ReadStream(char* data, std::size_t size) {
    if (!error_.empty() || size == 0) {
        return 0;
    }
    errno = 0;
    in_.read(data, static_cast<std::streamsize>(size));
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (in_.bad()) {
        const int e = errno;
        error_ = e != 0 ? std::strerror(e) : "read error";
        return 0;
    }
    return got;
}

std::size_t Utf16Source::Read(char* data, std::size_t size) {
    while (out_pos_ == out_.size()) {
        out_.clear();
        out_pos_ = 0;
        if (end_) {
            return 0;
        }
        const std::size_t held = in_.size();
        in_.resize(held + 64 * 1024);
        const std::size_t got = raw_.Read(in_.data() + held, 64 * 1024);
        in_.resize(held + got);
        end_ = got == 0;
        const std::size_t units = in_.size() / 2;
        for (std::size_t u = 0; u < units; ++u) {
            const auto b0 = static_cast<unsigned char>(in_[2 * u]);
            const auto b1 = static_cast<unsigned char>(in_[2 * u + 1]);
            const char32_t unit = big_endian_ ? (b0 << 8 | b1) : (b1 << 8 | b0);
            if (high_ != 0) {
                if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    AppendUtf8(out_, 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00));
                    high_ = 0;
                    continue;
                }
                AppendUtf8(out_, 0xFFFD);
                high_ = 0;
            }
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                high_ = unit;
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                AppendUtf8(out_, 0xFFFD);
            } else {
                AppendUtf8(out_, unit);
            }
        }
        in_.erase(0, units * 2);
        if (end_ && high_ != 0) {
            AppendUtf8(out_, 0xFFFD);
            high_ = 0;
        }
    }
    const std::size_t n = std::min(size, out_.size() - out_pos_);
    std::memcpy(data, out_.data() + out_pos_, n);
    out_pos_ += n;
    return n;
}

}  // namespace tolvex::history
