// system_test.cpp - files by UTF-8 names, the replaced output file, text for the console.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "output.h"
#include "system.h"

namespace {

namespace fs = std::filesystem;
using tolvex::cli::FilePath;
using tolvex::cli::OutputFile;
using tolvex::cli::WholeUtf8;

TEST(WholeUtf8, HoldsBackOnlyACharacterCutAtTheEnd) {
    const struct {
        std::string text;
        std::size_t whole;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"a\xE4\xB8\xAD", 4},         // 中 whole
        {"a\xE4\xB8", 1},             // 中 cut after two bytes
        {"a\xE4", 1},                 // and after one
        {"\xF0\x9F\x8E", 0},          // 🎲 cut
        {"\xF0\x9F\x8E\xB2", 4},      // 🎲 whole
        {"a\xC2", 1},                 // no-break space cut
        {"a\x80\x80", 3},             // stray continuation bytes: for the conversion to replace
        {"a\xFF", 2},                 // never UTF-8
        {"\xE4\xB8\xAD\xB8\xAD", 5},  // too many continuation bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WholeUtf8(c.text), c.whole) << testing::PrintToString(c.text);
    }
}

// A folder of the test's own, removed when the test ends.
class Scratch {
  public:
    explicit Scratch(const std::string& name) : path_(fs::temp_directory_path() / name) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string Utf8(const std::string& name) const {
        const std::u8string folder = path_.u8string();
        return std::string(folder.begin(), folder.end()) + "/" + name;
    }
    std::size_t Files() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(path_), {}));
    }

  private:
    fs::path path_;
};

std::string Contents(const std::string& utf8_name) {
    std::ifstream in(FilePath(utf8_name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Two runs writing the same report at once: each writes a file of its own, the later one to
// finish is what remains, and no temporary file is left behind. Names outside any ANSI code
// page (Korean, an emoji) are written as named.
TEST(OutputFile, RunsWritingOneReportDoNotMeet) {
    Scratch scratch("tolvex-cli-output-test");
    for (const std::string name :
         {"report.html", "\xEB\xB3\xB4\xEA\xB3\xA0\xF0\x9F\x8E\xB2.html"}) {
        SCOPED_TRACE(name);
        const std::string target = scratch.Utf8(name);
        OutputFile first, second;
        ASSERT_TRUE(first.Open(target)) << first.Error();
        ASSERT_TRUE(second.Open(target)) << second.Error();
        first.stream() << "first run";
        second.stream() << "second run";
        ASSERT_TRUE(first.Commit()) << first.Error();
        EXPECT_EQ(Contents(target), "first run");
        ASSERT_TRUE(second.Commit()) << second.Error();
        EXPECT_EQ(Contents(target), "second run");
        // a run that fails leaves the report as it was
        {
            OutputFile failed;
            ASSERT_TRUE(failed.Open(target));
            failed.stream() << "never committed";
        }
        EXPECT_EQ(Contents(target), "second run");
    }
    EXPECT_EQ(scratch.Files(), 2u);
    OutputFile nowhere;
    EXPECT_FALSE(nowhere.Open(scratch.Utf8("missing/report.html")));
    EXPECT_EQ(nowhere.Error().substr(0, 14), "cannot write '");
}

#ifdef _WIN32
TEST(Console, OnlyAConsoleTakesWideText) {
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    EXPECT_FALSE(tolvex::cli::IsConsole(write));
    EXPECT_FALSE(tolvex::cli::IsConsole(read));
    CloseHandle(read);
    CloseHandle(write);
    EXPECT_FALSE(tolvex::cli::IsConsole(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(tolvex::cli::IsConsole(nullptr));
    const fs::path name = fs::temp_directory_path() / "tolvex-cli-console-test.txt";
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(tolvex::cli::IsConsole(file));
    CloseHandle(file);

    EXPECT_EQ(tolvex::cli::WideText("\xE6\x9C\x9F\xE5\x8F\xB7 \xEB\xB3\xB4 \xF0\x9F\x8E\xB2"),
              L"\u671F\u53F7 \uBCF4 \U0001F3B2");
    EXPECT_EQ(tolvex::cli::WideText("a\xFF"), L"a\uFFFD");
}

// A report another program holds open for a moment (as a second run does while it replaces the
// same report) is replaced once it is let go; one held throughout is a failure that says why.
TEST(OutputFile, WaitsForAReportHeldForAMoment) {
    Scratch scratch("tolvex-cli-held-test");
    const std::string target = scratch.Utf8("report.html");
    std::ofstream(FilePath(target)) << "earlier";
    for (const bool let_go : {true, false}) {
        SCOPED_TRACE(let_go ? "held for a moment" : "held throughout");
        const HANDLE held = CreateFileW(FilePath(target).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        OutputFile output;
        ASSERT_TRUE(output.Open(target)) << output.Error();
        output.stream() << "new";
        std::thread holder([&] {
            if (let_go) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                CloseHandle(held);
            }
        });
        const bool committed = output.Commit();
        holder.join();
        if (let_go) {
            EXPECT_TRUE(committed) << output.Error();
            EXPECT_EQ(Contents(target), "new");
        } else {
            CloseHandle(held);
            EXPECT_FALSE(committed);
            EXPECT_NE(output.Error().find("cannot replace it (Windows error "), std::string::npos)
                << output.Error();
            EXPECT_EQ(Contents(target), "new");  // from the run before; this one's is gone
        }
    }
    EXPECT_EQ(scratch.Files(), 1u);
}
#endif

}  // namespace
