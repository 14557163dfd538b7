// system.cpp - the wide command line, files by UTF-8 names and the console on Windows.
#include "system.h"

#include <fcntl.h>
#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace tolvex::cli {

std::filesystem::path FilePath(std::string_view utf8) {
#ifdef _WIN32
    return std::filesystem::path(WideText(utf8));
#else
    return std::filesystem::path(std::string(utf8));
#endif
}

int CreateNew(const std::filesystem::path& path) {
    errno = 0;
#ifdef _WIN32
    const int fd =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    const int e = errno;
    if (fd >= 0) {
        _close(fd);
    }
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    const int e = errno;
    if (fd >= 0) {
        ::close(fd);
    }
#endif
    return fd >= 0 ? 0 : (e != 0 ? e : EIO);
}

std::size_t WholeUtf8(std::string_view text) {
    // Look back over at most three continuation bytes for the lead byte they follow.
    std::size_t i = text.size();
    std::size_t continuations = 0;
    while (i > 0 && continuations < 3 && (static_cast<unsigned char>(text[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuations;
    }
    if (i == 0) {
        return text.size();
    }
    const auto lead = static_cast<unsigned char>(text[i - 1]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                                                              : 0;
    return length > continuations + 1 ? i - 1 : text.size();
}

#ifdef _WIN32

std::wstring WideText(std::string_view utf8) {
    // never more UTF-16 units than UTF-8 bytes
    std::wstring wide(utf8.size(), L'\0');
    const int size = static_cast<int>(utf8.size());
    wide.resize(static_cast<std::size_t>(
        utf8.empty() ? 0 : MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
    return wide;
}

namespace {

std::string Utf8Text(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
    utf8.pop_back();  // the terminating NUL
    return utf8;
}

}  // namespace

std::vector<std::string> Utf8Arguments() {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; words != nullptr && i < count; ++i) {
        args.push_back(Utf8Text(words[i]));
    }
    LocalFree(words);
    return args;
}

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    pending_.push_back(traits_type::to_char_type(c));
    return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    if (pending_.size() >= 1 << 16) {
        sync();
    }
    return failed_ ? 0 : n;
}

int ConsoleBuffer::sync() {
    const std::size_t whole = WholeUtf8(pending_);
    const std::wstring wide = WideText(std::string_view(pending_).substr(0, whole));
    pending_.erase(0, whole);
    std::size_t done = 0;
    while (!failed_ && done < wide.size()) {
        // the console takes a limited amount at a time
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
        DWORD written = 0;
        failed_ =
            !WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0;
        done += written;
    }
    return failed_ ? -1 : 0;
}

#endif

}  // namespace tolvex::cli
