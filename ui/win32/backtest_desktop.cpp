// backtest_desktop.cpp - the backtest's desktop services on Win32, and the arguments that start it.
#include "backtest_desktop.h"

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include <ctime>

#include "choice_dialog.h"
#include "desktop.h"
#include "message_box.h"
#include "text.h"
#include "tolvex/ui/texts.h"
#include "tolvex/version.h"

namespace tolvex::win32 {

namespace texts = ui::backtest_texts;

namespace {

std::wstring Wide(std::string_view utf8) {
    return ToWide(utf8, CP_UTF8);
}

}  // namespace

Win32BacktestDesktop::Win32BacktestDesktop() : font_(CreateScreenFont()) {}

Win32BacktestDesktop::~Win32BacktestDesktop() {
    DeleteObject(font_.font);
}

std::optional<std::filesystem::path> Win32BacktestDesktop::ChooseHistoryFile() {
    // "description\0pattern\0" pairs, ending with an empty one.
    std::wstring filter;
    for (const auto& [name, pattern] :
         {std::pair{texts::kHistoryFiles, L"*.txt;*.csv"}, std::pair{texts::kTextFiles, L"*.txt"},
          std::pair{texts::kCsvFiles, L"*.csv"}, std::pair{texts::kAllFiles, L"*.*"}}) {
        filter += Wide(name) + L" (" + pattern + L")";
        filter.push_back(L'\0');
        filter += pattern;
        filter.push_back(L'\0');
    }
    filter.push_back(L'\0');
    const std::wstring title = Wide(texts::kOpenTitle);
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags =
        OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    return std::filesystem::path(name.data());
}

std::optional<std::size_t> Win32BacktestDesktop::ChooseColumn(
    const std::vector<ui::ColumnChoice>& columns) {
    std::vector<std::wstring> answers;
    for (const auto& column : columns) {
        answers.push_back(Wide(column.text));
    }
    const auto chosen =
        ChoiceDialog::Ask(Wide(texts::kColumnQuestion), answers, font_.font, font_.scale);
    if (!chosen) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(*chosen);
}

std::optional<history::Order> Win32BacktestDesktop::ChooseOrder() {
    const auto chosen = ChoiceDialog::Ask(Wide(texts::kOrderQuestion),
                                          {Wide(texts::kOldestFirst), Wide(texts::kNewestFirst)},
                                          font_.font, font_.scale);
    if (!chosen) {
        return std::nullopt;
    }
    return *chosen == 0 ? history::Order::OldestFirst : history::Order::NewestFirst;
}

void Win32BacktestDesktop::ShowError(std::string_view text) {
    MessageBoxW(nullptr, Wide(text).c_str(), AppTitle(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void Win32BacktestDesktop::ShowInfo(std::string_view text) {
    MessageBoxWindow::Show(nullptr, AppTitle(), Wide(text), font_.font, font_.scale, waitCursor_);
}

bool Win32BacktestDesktop::OpenPage(const std::filesystem::path& page) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

std::filesystem::path Win32BacktestDesktop::TemporaryFolder() {
    wchar_t folder[MAX_PATH + 2] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    return length > 0 && length <= MAX_PATH + 1 ? std::filesystem::path(folder)
                                                : std::filesystem::path();
}

std::optional<int> RunBacktestFor(const std::vector<std::wstring>& arguments) {
    std::vector<std::u16string> words;
    for (const std::wstring& argument : arguments) {
        words.emplace_back(argument.begin(), argument.end());
    }
    const ui::Launch launch = ui::ParseLaunch(words);
    if (launch.mode == ui::Launch::Mode::Window) {
        return std::nullopt;
    }
    // ShellExecute may hand the page to a program through COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    Win32BacktestDesktop desktop;
    int status = 0;
    if (launch.mode == ui::Launch::Mode::Usage) {
        desktop.ShowError(texts::kOneFileOnly);
        status = 2;
    } else {
        ui::LocalFiles files;
        ui::BacktestFlow flow(
            desktop, files, {static_cast<std::int64_t>(std::time(nullptr)), TOLVEX_VERSION_STRING});
        std::optional<std::filesystem::path> file;
        if (launch.file) {
            file = std::filesystem::path(arguments[*launch.file]);
        }
        status = flow.Run(file) == ui::FlowResult::Failed ? 1 : 0;
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return status;
}

}  // namespace tolvex::win32
