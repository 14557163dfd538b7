// mainwindow.h - the Qt main window: the controls of frmmain, wired to the window logic.
#pragma once

#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "localetext.h"
#include "qtdesktop.h"
#include "tolvex/ui/u_main.h"

class QLineEdit;
namespace Ui {
class frmmain;
}

namespace tolvex::qt {

class MainWindow : public QWidget, private ui::Controls {
    Q_OBJECT

  public:
    /// Builds the window (FormCreate runs here); show() it to start. `text` is the encoding
    /// the window logic speaks.
    explicit MainWindow(LocaleText text);
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
    void LabelBoxes();
    void AnnounceHitMarker();
    void PlaceControls(qreal scale);
    void FitOuterSize();

    std::unique_ptr<Ui::frmmain> ui_;
    LocaleText text_;
    QtDesktop desktop_;
    ui::Tfrmmain form_;
    QPalette resultPalette_;          // the result box's own colours, selection shown
    QPointer<QWidget> pressedBox_;    // the entry box the left button went down in
    QPointer<QWidget> describedBox_;  // the box whose description tells the hit marker
    QSize outerSize_;                 // the wanted outer size at this resolution
    QMargins fittedMargins_;          // the frame the client size was last fitted to
};

}  // namespace tolvex::qt
