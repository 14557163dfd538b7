// qtdesktop.h - the desktop services of the window logic, with Qt's dialogs, cursor and files.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "localetext.h"
#include "tolvex/ui/u_main.h"

namespace tolvex::qt {

/// One of the program's own UTF-8 texts (tolvex/ui/texts.h) as a QString.
inline QString OwnText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// The application title: the caption of the window and of every box.
QString AppTitle();

/// The message box: application title, no icon, the text and one button "确定", which a
/// click, Enter or Esc presses; it opens centred on the screen, over `owner`, and returns once
/// it is closed.
void ShowMessageBox(QWidget* owner, const QString& text);

/// The error box: application title, error icon, the text and one OK button, centred on the
/// screen, over `owner`. Any mouse grab is released first.
void ShowErrorBox(QWidget* owner, const QString& text);

/// Places `widget` (a top-level window) so that its frame is centred on its screen.
void CentreOnScreen(QWidget* widget);

class QtDesktop : public ui::Desktop {
  public:
    /// `mainWindow` is closed by CloseMainWindow() and owns the dialogs and boxes.
    QtDesktop(LocaleText text, QWidget* mainWindow);
    ~QtDesktop() override;

    std::string FromUtf8(std::string_view utf8) const override;
    void ShowMessage(std::string_view text) override;
    void ShowError(std::string_view text) override;
    std::optional<ui::SaveTarget> AskSaveFile(const ui::SaveDialogSettings& settings) override;
    ui::WriteStatus WriteWholeFile(const ui::SaveTarget& target, std::string_view bytes) override;
    ui::ShellFolderRead ReadShellFolder(std::string_view name) override;
    void SetWaitCursor(bool on) override;
    void CloseMainWindow() override;

  private:
    LocaleText text_;
    QWidget* mainWindow_;
    int waitCursors_ = 0;
};

}  // namespace tolvex::qt
