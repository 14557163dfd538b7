// qtdesktop.h - the desktop services of the window logic, with Qt's dialogs, cursor and files.
#pragma once

#include <QString>
#include <QWidget>
#include <string>

#include "localetext.h"
#include "u_main.h"

namespace tolvex::qt {

/// The application title: the caption of the window and of every box.
inline const QString kAppTitle = QStringLiteral("Tolvex");

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
    /// `mainWindow` is closed by CloseMainWindow() and owns the Save dialog.
    QtDesktop(const LocaleText& text, QWidget* mainWindow);
    ~QtDesktop() override;

    std::string FromUtf8(std::string_view utf8) const override;
    void ShowMessage(std::string_view text) override;
    void ShowError(std::string_view text) override;
    std::optional<std::string> AskSaveFileName(const ui::SaveDialogSettings& settings) override;
    ui::WriteStatus WriteWholeFile(std::string_view path, std::string_view bytes) override;
    ui::ShellFolderRead ReadShellFolder(std::string_view name) override;
    void SetWaitCursor(bool on) override;
    void CloseMainWindow() override;

  private:
    const LocaleText& text_;
    QWidget* mainWindow_;
    // The last name the Save dialog returned, as chosen and as handed to the logic, so that a
    // name the locale's encoding cannot hold is still written under the name chosen.
    QString savedName_;
    std::string savedNameBytes_;
    int waitCursors_ = 0;
};

}  // namespace tolvex::qt
