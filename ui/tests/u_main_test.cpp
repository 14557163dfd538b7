// u_main_test.cpp - the window logic against in-memory controls and desktop services.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tolvex/tolvex.h"
#include "tolvex/ui/u_main.h"

namespace {

using tolvex::ui::Control;
using tolvex::ui::ShellFolderRead;
using tolvex::ui::Tfrmmain;
using tolvex::ui::WriteStatus;

// Controls held in memory; like a real box, a changed edtcode1 runs its change handler.
class FakeControls : public tolvex::ui::Controls {
  public:
    Tfrmmain* form = nullptr;
    std::map<Control, std::string> texts;
    std::vector<std::string> clipboard;  // every copy, in order
    bool clipboardBusy = false;
    Control focus = Control::edtcode2;
    std::size_t selStart = 0, selLength = 0;
    int changeRuns = 0;

    std::string Text(Control c) const override {
        const auto it = texts.find(c);
        return it == texts.end() ? std::string() : it->second;
    }
    void SetText(Control c, std::string_view text) override {
        if (Text(c) == text) {
            return;
        }
        texts[c] = std::string(text);
        if (c == Control::edtcode1 && form != nullptr) {
            ++changeRuns;
            form->Run(&Tfrmmain::edtcode1Change);
        }
    }
    void SetFocus(Control c) override { focus = c; }
    void SelectBytes(Control c, std::size_t start, std::size_t length) override {
        EXPECT_EQ(c, Control::memcode);
        selStart = start;
        selLength = length;
    }
    void CopyAll(Control c) override {
        EXPECT_EQ(c, Control::edtcopy);
        if (!clipboardBusy) {
            clipboard.push_back(Text(c));
        }
    }
};

class FakeDesktop : public tolvex::ui::Desktop {
  public:
    std::vector<std::string> messages, errors, events;
    std::optional<tolvex::ui::SaveTarget> answer;  // what the Save dialog returns
    tolvex::ui::SaveDialogSettings lastSettings;
    ShellFolderRead shellFolder{ShellFolderRead::Status::Ok, "/home/user/Desktop"};
    WriteStatus writeStatus = WriteStatus::Ok;
    std::map<std::u16string, std::string> files;
    int waitDepth = 0, waitOnCount = 0;
    bool closed = false;

    std::string FromUtf8(std::string_view utf8) const override { return std::string(utf8); }
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    void ShowError(std::string_view text) override { errors.emplace_back(text); }
    std::optional<tolvex::ui::SaveTarget> AskSaveFile(
        const tolvex::ui::SaveDialogSettings& s) override {
        lastSettings = s;
        events.push_back("dialog");
        return answer;
    }
    WriteStatus WriteWholeFile(const tolvex::ui::SaveTarget& target,
                               std::string_view bytes) override {
        if (writeStatus == WriteStatus::Ok) {
            files[target.path] = std::string(bytes);
        }
        return writeStatus;
    }
    ShellFolderRead ReadShellFolder(std::string_view name) override {
        events.push_back("shell:" + std::string(name));
        return shellFolder;
    }
    void SetWaitCursor(bool on) override {
        waitDepth += on ? 1 : -1;
        waitOnCount += on ? 1 : 0;
    }
    void CloseMainWindow() override { closed = true; }
};

class MainWindow : public ::testing::Test {
  protected:
    FakeControls controls;
    FakeDesktop desktop;
    Tfrmmain form{controls, desktop};

    void SetUp() override {
        controls.form = &form;
        form.Run(&Tfrmmain::FormCreate);
    }
    void Type(Control c, std::string_view text) { controls.SetText(c, text); }
    void Filter() { form.Run(&Tfrmmain::btnfiltClick); }
    std::string T(Control c) const { return controls.Text(c); }
};

// A chosen file whose native path differs from its code-page name, so that a test can tell
// which of the two each step uses.
tolvex::ui::SaveTarget Target(std::string_view name) {
    return {std::string(name), u"native:" + std::u16string(name.begin(), name.end())};
}

const std::string& Result456123() {
    static const std::string text =
        tolvex::ReduceNumbers(tolvex::DrawDigits{4, 5, 6}, tolvex::DrawDigits{1, 2, 3}).text;
    return text;
}

TEST_F(MainWindow, FilterShowsCopiesAndHandsOver) {
    Type(Control::edtcode2, "456");
    Type(Control::edtcode1, "123");
    Type(Control::edtdj, "X");
    Filter();
    EXPECT_EQ(T(Control::memcode), Result456123());
    EXPECT_EQ(T(Control::lbljushu), "缩水结果：722注");
    ASSERT_EQ(controls.clipboard.size(), 1u);
    EXPECT_EQ(controls.clipboard.back(), Result456123());
    EXPECT_EQ(T(Control::edtcode2), "123");
    EXPECT_EQ(T(Control::edtcode1), "");
    EXPECT_EQ(controls.focus, Control::edtcode1);
    EXPECT_EQ(T(Control::edtdj), "X");  // emptying edtcode1 gives no verdict
    EXPECT_EQ(desktop.waitOnCount, 1);
    EXPECT_EQ(desktop.waitDepth, 0);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(desktop.errors.empty());
}

struct InvalidEntry {
    const char* previous;
    const char* last;
    const char* message;
    Control emptied;
    Control kept;
};

TEST_F(MainWindow, InvalidEntriesAreReportedOneAtATime) {
    const InvalidEntry cases[] = {
        {"456", "12", "请输入3位数上期开奖号码", Control::edtcode1, Control::edtcode2},
        {"456", "", "请输入3位数上期开奖号码", Control::edtcode1, Control::edtcode2},
        {"4a6", "123", "请输入3位数前期开奖号码", Control::edtcode2, Control::edtcode1},
        {" 45", "123", "请输入3位数前期开奖号码", Control::edtcode2, Control::edtcode1},
        // both invalid: only the last-draw box is reported and emptied
        {"x", "1234", "请输入3位数上期开奖号码", Control::edtcode1, Control::edtcode2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.previous) + " / " + c.last);
        Type(Control::memcode, "keep me");
        Type(Control::lbljushu, "缩水结果：721注");
        Type(Control::edtcode2, c.previous);
        Type(Control::edtcode1, c.last);
        const std::string keptText = T(c.kept);
        desktop.messages.clear();
        controls.clipboard.clear();
        Filter();
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0], c.message);
        EXPECT_EQ(T(c.emptied), "");
        EXPECT_EQ(controls.focus, c.emptied);
        EXPECT_EQ(T(c.kept), keptText);
        EXPECT_EQ(T(Control::memcode), "keep me");
        EXPECT_EQ(T(Control::lbljushu), "缩水结果：721注");
        EXPECT_TRUE(controls.clipboard.empty());
        EXPECT_EQ(desktop.waitOnCount, 0);
    }
}

TEST_F(MainWindow, FilteringAgainWithoutANewDrawAsksForTheLastDraw) {
    Type(Control::edtcode2, "456");
    Type(Control::edtcode1, "123");
    Filter();
    Filter();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0], "请输入3位数上期开奖号码");
    EXPECT_EQ(T(Control::edtcode2), "123");
}

struct MarkerStep {
    const char* entry;
    const char* marker;
    std::size_t selStart;  // checked when the marker reads 中
};

TEST_F(MainWindow, MarkerAnswersEachTypedDraw) {
    Type(Control::edtcode2, "456");
    Type(Control::edtcode1, "123");
    Filter();
    Type(Control::edtdj, "old");
    const MarkerStep steps[] = {
        {"0", "old", 0},  {"00", "old", 0},  {"000", "中", 0},    {"00", "中", 0}, {"001", "X", 0},
        {"002", "中", 4}, {"0020", "中", 4}, {"999", "中", 2884}, {"123", "X", 0},
    };
    for (const auto& s : steps) {
        controls.selStart = controls.selLength = 99;
        Type(Control::edtcode1, s.entry);
        EXPECT_EQ(T(Control::edtdj), s.marker) << s.entry;
        if (std::string(s.marker) == "中" && std::string(s.entry).size() == 3) {
            EXPECT_EQ(controls.selStart, s.selStart) << s.entry;
            EXPECT_EQ(controls.selLength, 3u) << s.entry;
        }
        EXPECT_EQ(controls.focus, Control::edtcode1);
    }
}

TEST_F(MainWindow, MarkerIsClearedWhenTheResultBoxIsBlank) {
    const char* blanks[] = {"", "  ", "\r\n\t"};
    for (const char* blank : blanks) {
        Type(Control::memcode, blank);
        Type(Control::edtdj, "中");
        Type(Control::edtcode1, "12");
        EXPECT_EQ(T(Control::edtdj), "");
        // an invalid last draw empties edtcode1, whose change clears the marker again
        Type(Control::edtdj, "X");
        Type(Control::edtcode2, "456");
        Filter();
        EXPECT_EQ(T(Control::edtdj), "");
    }
}

TEST_F(MainWindow, ClickingAnEntryBoxEmptiesIt) {
    Type(Control::memcode, Result456123());
    Type(Control::edtcode1, "000");
    Type(Control::edtcode2, "456");
    const int runs = controls.changeRuns;
    form.Run(&Tfrmmain::edtcode1Click);
    form.Run(&Tfrmmain::edtcode2Click);
    EXPECT_EQ(T(Control::edtcode1), "");
    EXPECT_EQ(T(Control::edtcode2), "");
    EXPECT_EQ(controls.changeRuns, runs + 1);
    form.Run(&Tfrmmain::edtcode1Click);  // already empty: no change, no handler
    EXPECT_EQ(controls.changeRuns, runs + 1);
    // clicking edtcode2 after a filtering makes the next one ask for the previous draw
    Type(Control::edtcode1, "123");
    Filter();
    EXPECT_EQ(desktop.messages.back(), "请输入3位数前期开奖号码");
}

TEST_F(MainWindow, CopyCarriesTheResultBoxThroughTheHiddenBox) {
    const char* texts[] = {"000 002 ", "", "typed\r\nby hand"};
    for (const char* text : texts) {
        Type(Control::memcode, text);
        form.Run(&Tfrmmain::btncopyClick);
        EXPECT_EQ(T(Control::edtcopy), text);
        EXPECT_EQ(controls.clipboard.back(), text);
    }
    // a clipboard held elsewhere is skipped without a word, and filtering goes on
    controls.clipboardBusy = true;
    const auto copies = controls.clipboard.size();
    Type(Control::edtcode2, "456");
    Type(Control::edtcode1, "123");
    Filter();
    EXPECT_EQ(controls.clipboard.size(), copies);
    EXPECT_EQ(T(Control::edtcode2), "123");
    EXPECT_TRUE(desktop.errors.empty());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(MainWindow, SaveConfiguresTheDialogAndWritesTheResultBox) {
    Type(Control::memcode, "000 002 ");
    desktop.answer = Target("/tmp/a.txt");
    form.Run(&Tfrmmain::btnsaveClick);
    EXPECT_EQ(desktop.lastSettings.filter, "文本文件(*.txt)|*.txt");
    EXPECT_EQ(desktop.lastSettings.defaultExtension, ".txt");
    EXPECT_EQ(desktop.lastSettings.initialFolder, "/home/user/Desktop");
    EXPECT_EQ(desktop.lastSettings.fileName, "");
    EXPECT_EQ(desktop.files[u"native:/tmp/a.txt"], "000 002 ");
    EXPECT_EQ(desktop.messages, std::vector<std::string>{"成功保存！"});
    EXPECT_EQ(desktop.events, (std::vector<std::string>{"shell:Desktop", "dialog"}));

    // a second save to the same name holds the second text; an empty box gives an empty file
    Type(Control::memcode, "");
    form.Run(&Tfrmmain::btnsaveClick);
    EXPECT_EQ(desktop.files[u"native:/tmp/a.txt"], "");
    EXPECT_EQ(desktop.messages.size(), 2u);

    // a desktop folder that is not recorded leaves the dialog to decide
    desktop.shellFolder = {ShellFolderRead::Status::Ok, ""};
    form.Run(&Tfrmmain::btnsaveClick);
    EXPECT_EQ(desktop.lastSettings.initialFolder, "");
}

TEST_F(MainWindow, CancellingTheDialogDoesNothing) {
    Type(Control::memcode, "000 ");
    desktop.answer.reset();
    form.Run(&Tfrmmain::btnsaveClick);
    EXPECT_TRUE(desktop.files.empty());
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(desktop.errors.empty());
}

struct SaveFailure {
    WriteStatus write;
    ShellFolderRead::Status shell;
    const char* path;
    const char* error;
    bool dialogShown;
};

TEST_F(MainWindow, SaveFailuresEndInTheErrorBox) {
    const SaveFailure cases[] = {
        {WriteStatus::CannotCreate, ShellFolderRead::Status::Ok, "/ro/result.txt",
         "不能创建文件 /ro/result.txt.", true},
        {WriteStatus::WriteFailed, ShellFolderRead::Status::Ok, "/full/r.txt", "写流出错.", true},
        {WriteStatus::Ok, ShellFolderRead::Status::InvalidType, "/x.txt",
         "'Desktop' 的数据类型是无效的.", false},
        {WriteStatus::Ok, ShellFolderRead::Status::ReadFailed, "/x.txt",
         "从 'Desktop' 获得数据失败.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        desktop = FakeDesktop{};
        desktop.writeStatus = c.write;
        desktop.shellFolder = {c.shell, ""};
        desktop.answer = Target(c.path);
        form.Run(&Tfrmmain::btnsaveClick);
        EXPECT_EQ(desktop.errors, std::vector<std::string>{c.error});
        EXPECT_TRUE(desktop.messages.empty()) << "no success message after an error";
        EXPECT_EQ(desktop.events.size(), c.dialogShown ? 2u : 1u);
    }
}

TEST(ErrorBoxText, AppendsAFullStopAfterBytesAboveIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"a", "a."},
        {"done.", "done."},
        {"what?", "what?."},
        {"a-", "a-"},
        {"a,", "a,"},
        {"a!", "a!"},
        {"a/", "a/."},
        {"C:\\x.txt", "C:\\x.txt."},
        {"写流出错", "写流出错."},
        {"\xB3\xF6", "\xB3\xF6."},
        {"ok ", "ok "},
    };
    for (const auto& [message, shown] : cases) {
        EXPECT_EQ(tolvex::ui::ErrorBoxText(message), shown) << message;
    }
}

TEST_F(MainWindow, ExitClosesTheWindowAndAnEscapedErrorIsShown) {
    form.Run(&Tfrmmain::btncloseClick);
    EXPECT_TRUE(desktop.closed);
    // an exception from a lower layer ends the handler and reaches the error box
    desktop.shellFolder = {ShellFolderRead::Status::InvalidType, ""};
    form.Run(&Tfrmmain::btnsaveClick);
    EXPECT_EQ(desktop.errors.size(), 1u);
}

}  // namespace
