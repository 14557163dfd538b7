// backtest_flow_test.cpp - the desktop backtest against fake dialogs and files, and real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tolvex/ui/backtest_flow.h"

namespace {

namespace fs = std::filesystem;
using namespace tolvex::ui;
using namespace tolvex::history;

// Paths and the texts that name them as on POSIX: on Windows a test's "/h" is the current
// drive's, "Z:\\h".
std::string Generic(std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A drive letter before a slash goes: "Z:/h" is "/h".
        const bool drive = i + 2 < text.size() &&
                           std::isalpha(static_cast<unsigned char>(text[i])) &&
                           text[i + 1] == ':' && text[i + 2] == '/';
        if (drive) {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}
std::string U8(const fs::path& path) {
    const auto text = path.generic_u8string();
    return Generic(std::string(text.begin(), text.end()));
}
fs::path P(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

// A stream that fails on its first read, as a file on a failing disk.
class FailingBuffer : public std::streambuf {
  protected:
    int_type underflow() override { throw std::ios_base::failure("read error"); }
};
class FailingStream : public std::istream {
  public:
    FailingStream() : std::istream(&buffer_) {}

  private:
    FailingBuffer buffer_;
};

// Files held in memory, by their generic UTF-8 path.
class FakeFiles : public tolvex::ui::BacktestFiles {
  public:
    std::map<std::string, std::string> files;
    std::set<std::string> unwritable;  // folders
    std::set<std::string> failing;     // files whose reading fails
    std::vector<std::string> tried;    // every name a page was offered

    std::unique_ptr<std::istream> OpenHistory(const fs::path& path) override {
        if (failing.count(U8(path)) != 0) {
            return std::make_unique<FailingStream>();
        }
        const auto it = files.find(U8(path));
        if (it == files.end()) {
            return nullptr;
        }
        return std::make_unique<std::istringstream>(it->second);
    }
    NewFileStatus WriteNewFile(const fs::path& path, std::string_view bytes) override {
        tried.push_back(U8(path));
        if (unwritable.count(U8(path.parent_path())) != 0) {
            return NewFileStatus::CannotWrite;
        }
        if (!files.emplace(U8(path), std::string(bytes)).second) {
            return NewFileStatus::Exists;
        }
        return NewFileStatus::Written;
    }
};

// Dialog answers given in advance; every call recorded in order.
class FakeDesktop : public tolvex::ui::BacktestDesktop {
  public:
    std::optional<fs::path> file;
    std::optional<std::size_t> column;
    std::optional<Order> order;
    bool browser = true;
    std::vector<std::string> calls;
    std::vector<ColumnChoice> columns;
    std::string error, info, opened;

    std::optional<fs::path> ChooseHistoryFile() override {
        calls.push_back("file");
        return file;
    }
    std::optional<std::size_t> ChooseColumn(const std::vector<ColumnChoice>& c) override {
        calls.push_back("column");
        columns = c;
        return column;
    }
    std::optional<Order> ChooseOrder() override {
        calls.push_back("order");
        return order;
    }
    void ShowError(std::string_view text) override {
        calls.push_back("error");
        error = Generic(std::string(text));
    }
    void ShowInfo(std::string_view text) override {
        calls.push_back("info");
        info = Generic(std::string(text));
    }
    bool OpenPage(const fs::path& page) override {
        calls.push_back("open");
        opened = U8(page);
        return browser;
    }
    fs::path TemporaryFolder() override { return "/tmp/user"; }
};

// Histories the cases read.
const std::string kDated =  // issue numbers give the order; 2 hits of 3 tested
    "2024001 456\n2024002 123\n2024003 000\n2024004 111\n2024005 555\n";
const std::string kBare = "456\n123\n000\n111\n555\n";  // nothing tells the order
const std::string kTwoColumns =
    "Date Midday Evening\n2026-01-09 123 456\n2026-01-10 789 012\n2026-01-11 345 678\n"
    "2026-01-12 901 234\n";

std::string LongLine() {
    return "123\n456\n" + std::string(70000, '7') + "\n";
}
std::string LateBadLine() {
    std::string text;
    for (int i = 0; i < 1100; ++i) {
        text += std::to_string(100 + i % 900) + "\n";
    }
    return text + "12x\n";
}

// The hits the page reports: "5 hits" of the summary line, as the page writes it.
bool PageSays(const std::string& page, const std::string& text) {
    return page.find(text) != std::string::npos;
}

struct Case {
    std::string name{};
    std::string history{};                // the file's content
    std::optional<std::string> given{};   // the file as an argument; none: the Open dialog
    std::optional<std::string> chosen{};  // what the Open dialog gives
    std::optional<std::size_t> column{};
    std::optional<Order> order{};
    std::set<std::string> existing{};    // pages there already
    std::set<std::string> unwritable{};  // folders
    bool browser = true;
    FlowResult result = FlowResult::Done;
    std::vector<std::string> calls{};
    std::string page{};     // where it was written; empty: nowhere
    std::string message{};  // a part of the error or info box
};

class FlowCases : public testing::TestWithParam<Case> {};

TEST_P(FlowCases, Run) {
    const Case& c = GetParam();
    FakeFiles files;
    files.files["/h/draws.txt"] = c.history;
    for (const auto& e : c.existing) {
        files.files[e] = "a file of the player's";
    }
    files.unwritable = c.unwritable;
    FakeDesktop desktop;
    if (c.chosen) {
        desktop.file = P(*c.chosen);
    }
    desktop.column = c.column;
    desktop.order = c.order;
    desktop.browser = c.browser;
    BacktestFlow flow(desktop, files, {1767225600, "9.9.9"});

    const auto given = c.given ? std::optional<fs::path>(P(*c.given)) : std::nullopt;
    EXPECT_EQ(flow.Run(given), c.result);
    EXPECT_EQ(desktop.calls, c.calls);
    EXPECT_EQ(desktop.opened, c.page);
    for (const auto& e : c.existing) {
        EXPECT_EQ(files.files[e], "a file of the player's") << e;
    }
    if (!c.page.empty()) {
        const std::string& page = files.files[c.page];
        EXPECT_TRUE(PageSays(page, "<html")) << "no page at " << c.page;
        EXPECT_TRUE(PageSays(page, "<footer>tolvex 9.9.9")) << "the window program names itself";
    }
    const std::string box = desktop.error + desktop.info;
    EXPECT_NE(box.find(c.message), std::string::npos) << box;
    if (c.message.empty()) {
        EXPECT_EQ(box, "");
    }
}

const std::string kPage = "/h/draws-回测.html";

INSTANTIATE_TEST_SUITE_P(
    Flow, FlowCases,
    testing::Values(
        Case{.name = "given_file",
             .history = kDated,
             .given = "/h/draws.txt",
             .calls = {"open"},
             .page = kPage},
        Case{.name = "open_dialog",
             .history = kDated,
             .chosen = "/h/draws.txt",
             .calls = {"file", "open"},
             .page = kPage},
        Case{.name = "open_dialog_cancelled",
             .history = kDated,
             .result = FlowResult::Cancelled,
             .calls = {"file"}},
        // names taken: the next free one, the player's files untouched
        Case{.name = "name_taken",
             .history = kDated,
             .given = "/h/draws.txt",
             .existing = {kPage},
             .calls = {"open"},
             .page = "/h/draws-回测-2.html"},
        Case{.name = "names_taken",
             .history = kDated,
             .given = "/h/draws.txt",
             .existing = {kPage, "/h/draws-回测-2.html", "/h/draws-回测-3.html"},
             .calls = {"open"},
             .page = "/h/draws-回测-4.html"},
        // a folder that cannot be written: the temporary folder, by the same names
        Case{.name = "unwritable_folder",
             .history = kDated,
             .given = "/h/draws.txt",
             .existing = {"/tmp/user/draws-回测.html"},
             .unwritable = {"/h"},
             .calls = {"open"},
             .page = "/tmp/user/draws-回测-2.html"},
        Case{.name = "nowhere_to_write",
             .history = kDated,
             .given = "/h/draws.txt",
             .unwritable = {"/h", "/tmp/user"},
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "回测报告无法保存"},
        // the box says where the page is only when no browser opened it
        Case{.name = "no_browser",
             .history = kDated,
             .given = "/h/draws.txt",
             .browser = false,
             .calls = {"open", "info"},
             .page = kPage,
             .message = "回测报告已保存在：\n/h/draws-回测.html"},
        // the order asked when nothing in the file tells it, at each answer
        Case{.name = "order_oldest",
             .history = kBare,
             .given = "/h/draws.txt",
             .order = Order::OldestFirst,
             .calls = {"order", "open"},
             .page = kPage},
        Case{.name = "order_newest",
             .history = kBare,
             .given = "/h/draws.txt",
             .order = Order::NewestFirst,
             .calls = {"order", "open"},
             .page = kPage},
        Case{.name = "order_cancelled",
             .history = kBare,
             .given = "/h/draws.txt",
             .result = FlowResult::Cancelled,
             .calls = {"order"}},
        // columns: the chosen one read; cancel writes nothing
        Case{.name = "column_first",
             .history = kTwoColumns,
             .given = "/h/draws.txt",
             .column = 0,
             .calls = {"column", "open"},
             .page = kPage},
        Case{.name = "column_second",
             .history = kTwoColumns,
             .given = "/h/draws.txt",
             .column = 1,
             .calls = {"column", "open"},
             .page = kPage},
        Case{.name = "column_cancelled",
             .history = kTwoColumns,
             .given = "/h/draws.txt",
             .result = FlowResult::Cancelled,
             .calls = {"column"}},
        // files that cannot be read: one box, in Chinese, with the line; nothing written
        Case{.name = "missing_file",
             .history = kDated,
             .given = "/h/other.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "无法打开 /h/other.txt"},
        Case{.name = "no_draw_column",
             .history = "hello\nworld\n",
             .given = "/h/draws.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "draws.txt 读不出来：第2行没有三位数的开奖号码"},
        Case{.name = "four_digits",
             .history = "1234\n5678\n9012\n",
             .given = "/h/draws.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "开奖号码不是三位数"},
        Case{.name = "not_text",
             .history = "123\n\xff\xfe\xfa\x80\x81\n456\n",
             .given = "/h/draws.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "第2行不是能识别的文字"},
        Case{.name = "line_too_long",
             .history = LongLine(),
             .given = "/h/draws.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "第3行太长"},
        Case{.name = "late_line_does_not_fit",
             .history = LateBadLine(),
             .given = "/h/draws.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "第1101行与前面各行的格式不同"},
        Case{.name = "too_few_draws",
             .history = "2024001 123\n2024002 456\n",
             .given = "/h/draws.txt",
             .result = FlowResult::Failed,
             .calls = {"error"},
             .message = "只有 2 期开奖号码"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(Flow, UnreadableFileSaysSo) {
    FakeFiles files;
    files.failing.insert("/h/draws.txt");
    FakeDesktop desktop;
    BacktestFlow flow(desktop, files, {});
    EXPECT_EQ(flow.Run(fs::path("/h/draws.txt")), FlowResult::Failed);
    EXPECT_EQ(desktop.error, "draws.txt 读不出来：文件读不出来。");
    EXPECT_TRUE(files.tried.empty());
}

// The column dialog lists the candidates with header names and first values, and the choice
// reads that column's draws: the two pages differ in their draws.
TEST(Flow, ColumnChoicesAndTheirPages) {
    std::string pages[2];
    for (std::size_t pick = 0; pick < 2; ++pick) {
        FakeFiles files;
        files.files["/h/draws.txt"] = kTwoColumns;
        FakeDesktop desktop;
        desktop.column = pick;
        BacktestFlow flow(desktop, files, {});
        ASSERT_EQ(flow.Run(fs::path("/h/draws.txt")), FlowResult::Done);
        ASSERT_EQ(desktop.columns.size(), 2U);
        EXPECT_EQ(desktop.columns[0].text, "第2列 Midday，如 123");
        EXPECT_EQ(desktop.columns[1].text, "第3列 Evening，如 456");
        EXPECT_EQ(desktop.columns[0].option, "2");
        pages[pick] = files.files[kPage];
    }
    EXPECT_TRUE(PageSays(pages[0], "901")) << "first column's draw 901 missing";
    EXPECT_FALSE(PageSays(pages[0], ">234<"));
    EXPECT_NE(pages[0], pages[1]);
}

// The verdict of the page: "回测 3 期，下一期开奖号被保留 1 次（…）…".
std::string Verdict(const std::string& page) {
    const auto begin = page.find("<p lang=\"zh-CN\">回测");
    return begin == std::string::npos ? "" : page.substr(begin, page.find("</p>", begin) - begin);
}

// Newest first turns the history round before testing, as --newest-first does: the same draws
// written the other way give the same verdict, and read the wrong way round another.
TEST(Flow, NewestFirstAsTheOption) {
    auto page = [](const std::string& history, std::optional<Order> order) {
        FakeFiles files;
        files.files["/h/draws.txt"] = history;
        FakeDesktop desktop;
        desktop.order = order;
        BacktestFlow flow(desktop, files, {});
        EXPECT_EQ(flow.Run(fs::path("/h/draws.txt")), FlowResult::Done);
        return files.files[kPage];
    };
    const std::string oldest = Verdict(page(kBare, Order::OldestFirst));
    EXPECT_NE(oldest.find("回测 3 期，下一期开奖号被保留 1 次"), std::string::npos) << oldest;
    EXPECT_EQ(Verdict(page("555\n111\n000\n123\n456\n", Order::NewestFirst)), oldest);
    EXPECT_NE(Verdict(page("555\n111\n000\n123\n456\n", Order::OldestFirst)), oldest);
}

TEST(Flow, ErrorTextsForEveryKind) {
    std::set<std::string> seen;
    for (int k = 0; k <= static_cast<int>(ReadErrorKind::DuplicateIssue); ++k) {
        ReadError e;
        e.kind = static_cast<ReadErrorKind>(k);
        e.line = 4321;
        const std::string with_line = tolvex::ui::ReadErrorText(e);
        e.line = 0;
        const std::string whole = tolvex::ui::ReadErrorText(e);
        EXPECT_NE(with_line.find("第4321行"), std::string::npos) << k << with_line;
        EXPECT_EQ(whole.find("行读"), std::string::npos) << k;
        EXPECT_EQ(whole.find("{line}"), std::string::npos) << k;
        EXPECT_TRUE(whole.ends_with("。")) << k;
        EXPECT_TRUE(with_line.ends_with("。")) << k;
        // each kind its own words (None is said as Unreadable)
        if (k > 0) {
            EXPECT_TRUE(seen.insert(whole).second) << "two kinds share: " << whole;
        }
    }
}

TEST(PageName, Names) {
    EXPECT_EQ(U8(tolvex::ui::PageName(P("/a/b/开奖.txt"), 1)), "/a/b/开奖-回测.html");
    EXPECT_EQ(U8(tolvex::ui::PageName(P("/a/b/开奖.txt"), 2)), "/a/b/开奖-回测-2.html");
    EXPECT_EQ(U8(tolvex::ui::PageName("/a/history", 12)), "/a/history-回测-12.html");
    EXPECT_EQ(U8(tolvex::ui::PageName("/a/h.tar.csv", 1)), "/a/h.tar-回测.html");
}

// The real files: a new name is written whole, a taken one is left alone, a folder that is
// not there cannot be written, and no temporary file is left behind.
TEST(LocalFiles, WritesOnlyNewFiles) {
    const fs::path dir =
        fs::temp_directory_path() /
        ("tolvex-flow-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
         std::to_string(reinterpret_cast<std::uintptr_t>(&dir)));
    fs::create_directories(dir);
    tolvex::ui::LocalFiles files;
    const fs::path page = dir / P("h-回测.html");
    EXPECT_EQ(files.WriteNewFile(page, "<html>page</html>"), NewFileStatus::Written);
    EXPECT_EQ(files.WriteNewFile(page, "another"), NewFileStatus::Exists);
    EXPECT_EQ(files.WriteNewFile(dir / "absent" / "p.html", "x"), NewFileStatus::CannotWrite);
    // a file where the folder should be: it cannot be written, whoever runs the test
    EXPECT_EQ(files.WriteNewFile(page / "p.html", "x"), NewFileStatus::CannotWrite);
    {
        std::ifstream in(page, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        EXPECT_EQ(content.str(), "<html>page</html>");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_EQ(files.OpenHistory(dir / "absent.txt"), nullptr);
    EXPECT_EQ(files.OpenHistory(dir), nullptr);
    EXPECT_NE(files.OpenHistory(page), nullptr);
    fs::remove_all(dir);
}

}  // namespace
