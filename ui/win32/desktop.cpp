// desktop.cpp - message and error boxes, the Save dialog, the saved file, registry, wait cursor.
#include "desktop.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "message_box.h"
#include "text.h"
#include "tolvex/ui/texts.h"

namespace tolvex::win32 {

const wchar_t* AppTitle() {
    static const std::wstring title = ToWide(ui::texts::kAppTitle, CP_UTF8);
    return title.c_str();
}

void Win32Desktop::Attach(HWND mainWindow, HFONT font, double scale) {
    window_ = mainWindow;
    font_ = font;
    scale_ = scale;
}

std::string Win32Desktop::FromUtf8(std::string_view utf8) const {
    return FromWide(ToWide(utf8, CP_UTF8));
}

template <class Show>
void Win32Desktop::KeepingFocus(Show show) {
    const HWND focus = GetFocus();
    show();
    // A window that is not active gets its focus back when it is activated again.
    if (focus != nullptr && IsChild(window_, focus) && IsWindowEnabled(window_)) {
        ::SetFocus(focus);
    }
}

void Win32Desktop::ShowMessage(std::string_view text) {
    KeepingFocus([&] {
        MessageBoxWindow::Show(window_, AppTitle(), ToWide(text), font_, scale_, waitCursor_);
    });
}

void Win32Desktop::ShowError(std::string_view text) {
    ReleaseCapture();
    KeepingFocus(
        [&] { MessageBoxW(window_, ToWide(text).c_str(), AppTitle(), MB_OK | MB_ICONERROR); });
}

std::optional<ui::SaveTarget> Win32Desktop::AskSaveFile(const ui::SaveDialogSettings& settings) {
    // "description|pattern" becomes the dialog's "description\0pattern\0\0".
    std::wstring filter = ToWide(settings.filter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    // The dialog takes the default extension without its full stop.
    std::wstring extension = ToWide(settings.defaultExtension);
    if (!extension.empty() && extension.front() == L'.') {
        extension.erase(0, 1);
    }
    const std::wstring folder = ToWide(settings.initialFolder);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring offered = ToWide(settings.fileName);
    offered.copy(name.data(), std::min(offered.size(), name.size() - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

    bool chosen = false;
    KeepingFocus([&] { chosen = GetSaveFileNameW(&dialog) != FALSE; });
    if (!chosen) {
        return std::nullopt;
    }
    // The file is written under the name chosen, also with characters the code page lacks.
    const std::wstring path = name.data();
    return ui::SaveTarget{FromWide(path), std::u16string(path.begin(), path.end())};
}

ui::WriteStatus Win32Desktop::WriteWholeFile(const ui::SaveTarget& target, std::string_view bytes) {
    return WriteFileReplacing(std::wstring(target.path.begin(), target.path.end()), bytes,
                              writeBlock_);
}

ui::ShellFolderRead Win32Desktop::ReadShellFolder(std::string_view name) {
    return ReadRegistryFolder(HKEY_CURRENT_USER, kShellFoldersKey, ToWide(name));
}

void Win32Desktop::SetWaitCursor(bool on) {
    waitCursor_ = on;
    // Show the new cursor at once over whichever of the program's windows is under it.
    POINT at;
    if (!GetCursorPos(&at)) {
        return;
    }
    HWND under = WindowFromPoint(at);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        return;
    }
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(hit, WM_MOUSEMOVE));
}

void Win32Desktop::CloseMainWindow() {
    SendMessageW(window_, WM_CLOSE, 0, 0);
}

}  // namespace tolvex::win32
