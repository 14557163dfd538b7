// platform_test.cpp - code-page offsets, the registry read and the all-or-nothing file write.
#include "platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "text.h"
#include "win32_test_util.h"

namespace {

using namespace tolvex::win32;
using namespace tolvex::win32::testing;
using tolvex::ui::ShellFolderRead;
using tolvex::ui::WriteStatus;

constexpr UINT kChinese = 936;

TEST(Win32Text, ProgramsRunWithTheChineseCodePage) {
    // The byte rules below are meant as users on Chinese Windows meet them.
    EXPECT_EQ(GetACP(), kChinese) << "run the tests with LC_ALL=zh_CN.UTF-8";
}

TEST(Win32Text, ChineseRoundTripsThroughCodePage936) {
    const std::wstring text = L"缩水结果：722注";
    const std::string bytes = FromWide(text, kChinese);
    EXPECT_EQ(bytes.size(), 4u * 2 + 2 + 3 + 2);  // four ideographs, a full-width colon, 722, 注
    EXPECT_EQ(ToWide(bytes, kChinese), text);
    EXPECT_EQ(FromWide(ToWide("缩水", CP_UTF8), kChinese), FromWide(L"缩水", kChinese));
}

TEST(Win32Text, ByteOffsetsMapToCharacterOffsets) {
    struct Case {
        std::wstring text;
        std::size_t byteOffset;
        std::size_t expected;
        UINT codePage = kChinese;
    };
    const std::vector<Case> cases = {
        {L"000 002 003 ", 0, 0},
        {L"000 002 003 ", 8, 8},  // digits: bytes and characters coincide
        {L"中文 123 ", 5, 3},     // two ideographs are four bytes
        {L"中文 123 ", 8, 6},     // the end of "123"
        {L"a中b", 3, 2},          // just past the ideograph
        {L"a中b", 2, 2},          // inside its bytes: counted once passed
        {L"\U0001F600x", 2, 2},   // a surrogate pair is one character
        {L"中文", 100, 2},        // past the end
        {L"", 3, 0},
        // Where the logic speaks UTF-8 (a system whose code page lacks the program's texts),
        // an ideograph is three bytes and a character beyond the BMP four.
        {L"中文 123 ", 7, 3, CP_UTF8},
        {L"\U0001F600x", 4, 2, CP_UTF8},
        {L"é002", 2, 1, CP_UTF8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideOffsetOfByte(c.text, c.byteOffset, c.codePage), c.expected)
            << "byte " << c.byteOffset << " of " << FromWide(c.text, CP_UTF8) << " in "
            << c.codePage;
    }
}

// A registry key of the test's own under HKEY_CURRENT_USER, deleted at the end.
class RegistryFolderTest : public ::testing::Test {
  protected:
    static constexpr wchar_t kKey[] = L"Software\\TolvexTest\\Shell Folders";

    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TolvexTest");
    }
    void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }

    HKEY key_ = nullptr;
};

TEST_F(RegistryFolderTest, ReadsEachValueTypeAsTheRulesSay) {
    const wchar_t plain[] = L"C:\\Users\\me\\Desktop";
    const wchar_t expandable[] = L"%USERPROFILE%\\桌面";
    const wchar_t withNul[] = L"C:\\first\0C:\\second";
    const wchar_t empty[] = L"";
    const DWORD number = 7;
    const wchar_t multi[] = L"a\0b\0";
    const BYTE binary[] = {1, 2, 3};
    Set(L"Plain", REG_SZ, plain, sizeof(plain));
    Set(L"Expandable", REG_EXPAND_SZ, expandable, sizeof(expandable));
    Set(L"WithNul", REG_SZ, withNul, sizeof(withNul));
    Set(L"Empty", REG_SZ, empty, sizeof(empty));
    Set(L"Number", REG_DWORD, &number, sizeof(number));
    Set(L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
    Set(L"Binary", REG_BINARY, binary, sizeof(binary));
    Set(L"NoTerminator", REG_SZ, L"C:\\x", 4 * sizeof(wchar_t));

    struct Case {
        const wchar_t* name;
        ShellFolderRead::Status status;
        std::wstring path;
    };
    const std::vector<Case> cases = {
        {L"Plain", ShellFolderRead::Status::Ok, plain},
        {L"Expandable", ShellFolderRead::Status::Ok, expandable},  // not expanded
        {L"WithNul", ShellFolderRead::Status::Ok, L"C:\\first"},   // cut at the first NUL
        {L"Empty", ShellFolderRead::Status::Ok, L""},
        {L"NoTerminator", ShellFolderRead::Status::Ok, L"C:\\x"},
        {L"Missing", ShellFolderRead::Status::Ok, L""},
        {L"Number", ShellFolderRead::Status::InvalidType, L""},
        {L"Multi", ShellFolderRead::Status::InvalidType, L""},
        {L"Binary", ShellFolderRead::Status::InvalidType, L""},
    };
    for (const Case& c : cases) {
        const ShellFolderRead read = ReadRegistryFolder(HKEY_CURRENT_USER, kKey, c.name);
        EXPECT_EQ(read.status, c.status) << FromWide(c.name, CP_UTF8);
        EXPECT_EQ(read.path, FromWide(c.path)) << FromWide(c.name, CP_UTF8);
    }
}

TEST_F(RegistryFolderTest, AMissingKeyReadsAsEmpty) {
    const ShellFolderRead read =
        ReadRegistryFolder(HKEY_CURRENT_USER, L"Software\\TolvexTest\\No Such Key", L"Desktop");
    EXPECT_EQ(read.status, ShellFolderRead::Status::Ok);
    EXPECT_EQ(read.path, "");
}

// Counts the registry calls, records the access asked for, and can fail the data read.
struct CountingCalls {
    static inline int opened = 0, closed = 0, queries = 0;
    static inline REGSAM access = 0;
    static inline bool failDataRead = false;

    static LSTATUS WINAPI Open(HKEY root, LPCWSTR subKey, DWORD options, REGSAM sam, PHKEY key) {
        access = sam;
        const LSTATUS status = RegOpenKeyExW(root, subKey, options, sam, key);
        opened += status == ERROR_SUCCESS;
        return status;
    }
    static LSTATUS WINAPI Query(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                LPDWORD size) {
        ++queries;
        if (failDataRead && data != nullptr) {
            return ERROR_ACCESS_DENIED;
        }
        return RegQueryValueExW(key, name, reserved, type, data, size);
    }
    static LSTATUS WINAPI Close(HKEY key) {
        ++closed;
        return RegCloseKey(key);
    }
    static tolvex::win32::RegistryCalls Calls() { return {&Open, &Query, &Close}; }
};

TEST_F(RegistryFolderTest, OpensForReadingOnlyAndClosesOnEveryPath) {
    const DWORD number = 7;
    Set(L"Plain", REG_SZ, L"C:\\", 4 * sizeof(wchar_t));
    Set(L"Number", REG_DWORD, &number, sizeof(number));
    struct Case {
        const wchar_t* name;
        bool failDataRead;
        ShellFolderRead::Status status;
    };
    const std::vector<Case> cases = {
        {L"Plain", false, ShellFolderRead::Status::Ok},
        {L"Missing", false, ShellFolderRead::Status::Ok},
        {L"Number", false, ShellFolderRead::Status::InvalidType},
        {L"Plain", true, ShellFolderRead::Status::ReadFailed},  // fails after the size read
    };
    for (const Case& c : cases) {
        CountingCalls::opened = CountingCalls::closed = CountingCalls::queries = 0;
        CountingCalls::failDataRead = c.failDataRead;
        const ShellFolderRead read =
            ReadRegistryFolder(HKEY_CURRENT_USER, kKey, c.name, CountingCalls::Calls());
        EXPECT_EQ(read.status, c.status) << FromWide(c.name, CP_UTF8);
        EXPECT_EQ(CountingCalls::opened, 1);
        EXPECT_EQ(CountingCalls::closed, 1) << FromWide(c.name, CP_UTF8);
        // Nothing but reading: asking for write access fails for users who may not write.
        EXPECT_EQ(CountingCalls::access, KEY_READ);
    }
    EXPECT_EQ(CountingCalls::queries, 2) << "the size, then the data";

    // A key that does not open is not closed.
    CountingCalls::opened = CountingCalls::closed = 0;
    ReadRegistryFolder(HKEY_CURRENT_USER, L"Software\\TolvexTest\\None", L"Desktop",
                       CountingCalls::Calls());
    EXPECT_EQ(CountingCalls::opened, 0);
    EXPECT_EQ(CountingCalls::closed, 0);
}

TEST(Win32FileWrite, WritesNewAndReplacesEarlierFiles) {
    TempFolder folder;
    const std::wstring path = folder.File(L"结果.txt");
    const std::string first = "000 002 003 ";
    const std::string second = FromWide(L"中文\r\n", kChinese);

    EXPECT_EQ(WriteFileReplacing(path, first), WriteStatus::Ok);
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_EQ(WriteFileReplacing(path, second), WriteStatus::Ok);
    EXPECT_EQ(ReadBytes(path), second);
    EXPECT_EQ(WriteFileReplacing(path, ""), WriteStatus::Ok);
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(folder.Count(), 1) << "no temporary file is left behind";
}

TEST(Win32FileWrite, AReplacedFileKeepsHowItShows) {
    // Hidden and system files stay so; the new content is marked for archiving whatever the
    // earlier file's mark. Under Wine, hidden and system are kept in the file's extended
    // attributes; not-indexed is not kept at all, so that case is tried only where it is.
    struct Case {
        const char* what;
        DWORD earlier;  // 0: no earlier file
        DWORD expected;
        bool whereKept = false;
    };
    constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
    constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;
    constexpr DWORD kArchive = FILE_ATTRIBUTE_ARCHIVE;
    constexpr DWORD kNotIndexed = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const std::vector<Case> cases = {
        {"hidden", kHidden, kHidden | kArchive},
        {"hidden and system", kHidden | kSystem, kHidden | kSystem | kArchive},
        {"system", kSystem, kSystem | kArchive},
        {"archive", kArchive, kArchive},
        {"normal", FILE_ATTRIBUTE_NORMAL, kArchive},
        {"no earlier file", 0, kArchive},
        {"not indexed", kNotIndexed | kHidden, kNotIndexed | kHidden | kArchive, true},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::wstring path = folder.File(L"结果.txt");
        if (c.earlier != 0) {
            WriteBytes(path, "earlier");
            ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.earlier)) << c.what;
            const DWORD asked = c.earlier & ~FILE_ATTRIBUTE_NORMAL;
            const DWORD held = GetFileAttributesW(path.c_str()) & asked;
            if (c.whereKept && held != asked) {
                std::printf("note: this file system does not keep %s; not tried\n", c.what);
                continue;
            }
            ASSERT_EQ(held, asked)
                << c.what << ": the file system does not keep it (Wine keeps hidden and system "
                << "in user extended attributes)";
        }
        EXPECT_EQ(WriteFileReplacing(path, "000 002 "), WriteStatus::Ok) << c.what;
        EXPECT_EQ(ReadBytes(path), "000 002 ") << c.what;
        const DWORD watched = kHidden | kSystem | kArchive | FILE_ATTRIBUTE_READONLY | c.expected;
        EXPECT_EQ(GetFileAttributesW(path.c_str()) & watched, c.expected) << c.what;
        EXPECT_EQ(folder.Count(), 1) << c.what << ": no temporary file is left behind";
    }
}

TEST(Win32FileWrite, RefusesWhatCannotBeCreatedAndChangesNothing) {
    TempFolder folder;
    const std::wstring readOnly = folder.File(L"readonly.txt");
    WriteBytes(readOnly, "earlier");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring subFolder = folder.File(L"sub");
    ASSERT_TRUE(CreateDirectoryW(subFolder.c_str(), nullptr));

    struct Case {
        std::wstring path;
        const char* why;
    };
    const std::vector<Case> cases = {
        {readOnly, "a read-only file is never replaced"},
        {subFolder, "a folder is not a file"},
        {folder.File(L"missing\\x.txt"), "the folder does not exist"},
        {L"", "no name at all"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WriteFileReplacing(c.path, "new bytes"), WriteStatus::CannotCreate) << c.why;
    }
    EXPECT_EQ(ReadBytes(readOnly), "earlier");
    EXPECT_EQ(folder.Count(), 2) << "no temporary file is left behind";
}

TEST(Win32FileWrite, WritesIntoFoldersNearAndBeyondTheShortPathLimit) {
    TempFolder folder;
    // Nested folders whose full path is as long as each case asks, the longest first.
    const std::vector<std::size_t> lengths = {MAX_PATH + 60, MAX_PATH - 1, MAX_PATH - 10};
    std::vector<std::wstring> made;
    std::wstring deep = folder.Path();
    while (deep.size() + 11 <= lengths.front()) {
        deep += L"\\" + std::wstring(10, static_cast<wchar_t>(L'a' + made.size()));
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << deep.size();
        made.push_back(deep);
    }
    for (std::size_t length : lengths) {
        // The deepest folder made no longer than `length`, its last name lengthened to fit.
        std::wstring at;
        for (const std::wstring& path : made) {
            if (path.size() <= length) {
                at = path;
            }
        }
        const std::wstring target = at + std::wstring(length - at.size(), L'z');
        if (target != at) {
            ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr)) << length;
            made.push_back(target);
        }
        ASSERT_EQ(target.size(), length);
        const std::wstring file = target + L"\\r.txt";
        EXPECT_EQ(WriteFileReplacing(file, "first"), WriteStatus::Ok) << length;
        EXPECT_EQ(WriteFileReplacing(file, "second"), WriteStatus::Ok) << length;
        EXPECT_EQ(ReadBytes(file), "second") << length;
        EXPECT_TRUE(DeleteFileW(file.c_str())) << length;
    }
    // Empty now, unless a temporary file was left: then this fails too.
    std::sort(made.begin(), made.end());
    for (auto path = made.rbegin(); path != made.rend(); ++path) {
        EXPECT_TRUE(RemoveDirectoryW(path->c_str())) << "left in " << path->size();
    }
}

TEST(Win32FileWrite, NamesUpToTheFileSystemsLimitAreWritten) {
    // 255 characters is the limit of a name; where names are stored as UTF-8 (Wine on Linux),
    // 255 bytes, which 85 Chinese characters of three bytes reach.
    TempFolder folder;
    const std::vector<std::wstring> names = {
        std::wstring(241, L'a') + L".txt", std::wstring(251, L'b') + L".txt",
        std::wstring(80, L'结') + L".txt", std::wstring(83, L'果') + L".txt"};
    for (const std::wstring& name : names) {
        const std::wstring path = folder.File(name);
        EXPECT_EQ(WriteFileReplacing(path, "000 "), WriteStatus::Ok) << name.size();
        EXPECT_EQ(WriteFileReplacing(path, "002 "), WriteStatus::Ok) << name.size();
        EXPECT_EQ(ReadBytes(path), "002 ") << name.size();
    }
    EXPECT_EQ(folder.Count(), static_cast<int>(names.size())) << "no temporary file is left";
}

TEST(Win32Text, TheLogicSpeaksTheAnsiCodePageOnlyWhenItHoldsTheProgramsTexts) {
    struct Case {
        UINT ansi;
        UINT logic;
    };
    const Case cases[] = {
        {936, 936},       // Chinese (GBK)
        {1252, CP_UTF8},  // Western European: no Chinese at all
        {932, CP_UTF8},   // Japanese: lacks simplified characters such as 缩
        {950, CP_UTF8},   // Traditional Chinese (Big5): likewise
        {CP_UTF8, CP_UTF8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogicCodePageFor(c.ansi), c.logic) << c.ansi;
    }
}

// Counts the blocks written.
int blocksWritten = 0;

BOOL WINAPI CountBlocks(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    ++blocksWritten;
    return WriteFile(file, data, size, written, nullptr);
}

TEST(Win32FileWrite, AFileHeldOpenWithoutSharingTheWritingIsNotReplaced) {
    // As a file another program has open, or one this user may not write: it cannot be
    // opened for writing, so nothing is written and the file stays as it was.
    TempFolder folder;
    const std::wstring path = folder.File(L"held.txt");
    WriteBytes(path, "earlier");
    struct Case {
        DWORD share;
        const char* how;
    };
    const std::vector<Case> cases = {
        {0, "no sharing"},
        {FILE_SHARE_READ, "reading shared"},
        {FILE_SHARE_READ | FILE_SHARE_DELETE, "reading and deleting shared"},
    };
    for (const Case& c : cases) {
        const HANDLE held =
            CreateFileW(path.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.how;
        blocksWritten = 0;
        EXPECT_EQ(WriteFileReplacing(path, "new bytes", &CountBlocks), WriteStatus::CannotCreate)
            << c.how;
        EXPECT_EQ(blocksWritten, 0) << c.how;
        CloseHandle(held);
        EXPECT_EQ(ReadBytes(path), "earlier") << c.how;
        EXPECT_EQ(folder.Count(), 1) << c.how << ": no temporary file is left";
    }
    // Once it is closed, it is replaced.
    EXPECT_EQ(WriteFileReplacing(path, "new bytes", &CountBlocks), WriteStatus::Ok);
    EXPECT_EQ(ReadBytes(path), "new bytes");
}

// Stands in for a full disk: the second block, and every one after, is written short.
BOOL WINAPI WriteShort(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    const DWORD half = size / 2;
    return WriteFile(file, data, half, written, nullptr);
}

BOOL WINAPI WriteFails(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST(Win32FileWrite, AShortWriteFailsAndKeepsTheEarlierFile) {
    TempFolder folder;
    const std::wstring path = folder.File(L"result.txt");
    WriteBytes(path, "earlier");
    const std::string big(3 << 20, '7');  // several blocks

    EXPECT_EQ(WriteFileReplacing(path, big, &WriteShort), WriteStatus::WriteFailed);
    EXPECT_EQ(WriteFileReplacing(path, "0", &WriteFails), WriteStatus::WriteFailed);
    EXPECT_EQ(ReadBytes(path), "earlier");
    EXPECT_EQ(folder.Count(), 1) << "the temporary file is removed";

    // A fresh name that fails leaves nothing at all.
    EXPECT_EQ(WriteFileReplacing(folder.File(L"new.txt"), "1", &WriteFails),
              WriteStatus::WriteFailed);
    EXPECT_EQ(ReadBytes(folder.File(L"new.txt")), "<missing>");
}

TEST(Win32FileWrite, TheFileIsHeldWithoutSharingWhileWritten) {
    TempFolder folder;
    const std::wstring path = folder.File(L"result.txt");
    static std::wstring seenTemp;
    static bool sharedOpenFailed = false;
    seenTemp.clear();
    sharedOpenFailed = false;
    struct Probe {
        static BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                 LPOVERLAPPED) {
            wchar_t name[MAX_PATH + 1] = {};
            GetFinalPathNameByHandleW(file, name, MAX_PATH, FILE_NAME_NORMALIZED);
            seenTemp = name;
            // Another opener, even one that shares everything, is refused meanwhile.
            HANDLE other = CreateFileW(name, GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
            sharedOpenFailed = other == INVALID_HANDLE_VALUE;
            if (other != INVALID_HANDLE_VALUE) {
                CloseHandle(other);
            }
            return WriteFile(file, data, size, written, nullptr);
        }
    };
    EXPECT_EQ(WriteFileReplacing(path, "123 ", &Probe::Write), WriteStatus::Ok);
    EXPECT_TRUE(sharedOpenFailed);
    // The bytes go to a temporary file first, in the same folder.
    const auto slash = seenTemp.find_last_of(L'\\');
    ASSERT_NE(slash, std::wstring::npos);
    EXPECT_NE(seenTemp.substr(slash + 1), L"result.txt");
    const std::wstring folderName = folder.Path().substr(folder.Path().find_last_of(L'\\'));
    EXPECT_EQ(seenTemp.substr(0, slash).substr(slash - std::min(slash, folderName.size())),
              folderName);
    EXPECT_EQ(ReadBytes(path), "123 ");
}

}  // namespace
