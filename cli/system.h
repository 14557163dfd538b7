// system.h - what tolvex-cli asks of the system: its arguments, files by UTF-8 names, the console.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tolvex::cli {

/// The file a UTF-8 name stands for: a wide name on Windows, the bytes as they are elsewhere.
std::filesystem::path FilePath(std::string_view utf8);

/// Creates `path` if no file has that name, and closes it again: the name is then this
/// program's. Returns 0, or the errno value (EEXIST when the name is taken).
int CreateNew(const std::filesystem::path& path);

/// How many bytes of `text` end on a whole UTF-8 character: the rest (at most three bytes) may
/// be the start of one the next write completes. Bytes that cannot start or continue one count
/// as whole, for the conversion to replace.
std::size_t WholeUtf8(std::string_view text);

#ifdef _WIN32
/// The program's arguments after its name, as UTF-8: read from the wide command line, since
/// the narrow one holds only what the ANSI code page can spell.
std::vector<std::string> Utf8Arguments();

/// UTF-8 to UTF-16; bytes that are not UTF-8 become U+FFFD.
std::wstring WideText(std::string_view utf8);

/// Whether `handle` is a console, which takes text through WriteConsoleW (any code page shows
/// it), rather than a file or pipe, which get the UTF-8 bytes as they are.
bool IsConsole(HANDLE handle);

/// A stream buffer that writes UTF-8 text to a console as UTF-16, a character cut between two
/// writes being held until it is whole.
class ConsoleBuffer : public std::streambuf {
  public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}
    ConsoleBuffer(const ConsoleBuffer&) = delete;
    ConsoleBuffer& operator=(const ConsoleBuffer&) = delete;
    ~ConsoleBuffer() override { sync(); }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    HANDLE console_;
    std::string pending_;
    bool failed_ = false;
};

/// While it lives, `stream` writes through a ConsoleBuffer when `handle` is a console.
class ConsoleStream {
  public:
    ConsoleStream(std::ostream& stream, HANDLE handle) : stream_(stream) {
        if (IsConsole(handle)) {
            buffer_ = std::make_unique<ConsoleBuffer>(handle);
            previous_ = stream_.rdbuf(buffer_.get());
        }
    }
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;
    ~ConsoleStream() {
        if (buffer_) {
            stream_.flush();
            stream_.rdbuf(previous_);
        }
    }

  private:
    std::ostream& stream_;
    std::unique_ptr<ConsoleBuffer> buffer_;
    std::streambuf* previous_ = nullptr;
};
#endif

}  // namespace tolvex::cli
