// mainwindow.h - the Qt main window: the controls of frmmain, wired to the window logic.
#pragma once

#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "localetext.h"
#include "qtdesktop.h"
#include "u_main.h"

class QLineEdit;
namespace Ui {
class frmmain;
}

namespace tolvex::qt {

/// Points QSettings (user and system scope) at a temporary folder that lives as long as the
/// application, so that Qt's Save dialog neither reads nor keeps its history, last folder and
/// view between runs. Call it once the QApplication exists and before any dialog opens.
void KeepNoSettings();

/// Sets the application's name, title and font and calls KeepNoSettings(); call it once the
/// QApplication exists.
void SetUpApplication();

/// The outer size of the main window, frame included, at 96 pixels per inch.
inline constexpr QSize kOuterSize(507, 386);

class MainWindow : public QWidget, private ui::Controls {
    Q_OBJECT

  public:
    /// Builds the window (FormCreate runs here); show() it to start.
    explicit MainWindow(const LocaleText& text);
    ~MainWindow() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

  private Q_SLOTS:
    void filterDraws();
    void checkHit();
    void copyResult();
    void saveResult();
    void closeWindow();

  private:
    // ui::Controls
    std::string Text(ui::Control control) const override;
    void SetText(ui::Control control, std::string_view text) override;
    void SetFocus(ui::Control control) override;
    void SelectBytes(ui::Control control, std::size_t start, std::size_t length) override;
    void CopyAll(ui::Control control) override;

    QWidget* Widget(ui::Control control) const;
    QLineEdit* LineEdit(ui::Control control) const;
    bool HandleKey(QWidget* target, QKeyEvent* key);
    bool HandleClick(QWidget* target, QEvent* event);
    void ShowResultSelection(bool shown);
    void ScaleLayout(qreal scale);
    void FitOuterSize();

    std::unique_ptr<Ui::frmmain> ui_;
    const LocaleText& text_;
    QtDesktop desktop_;
    ui::Tfrmmain form_;
    QPalette resultPalette_;        // the result box's own colours, selection shown
    QPointer<QWidget> pressedBox_;  // the entry box the left button went down in
    QSize outerSize_;               // the wanted outer size at this resolution
    QMargins fittedMargins_;        // the frame the client size was last fitted to
};

}  // namespace tolvex::qt
