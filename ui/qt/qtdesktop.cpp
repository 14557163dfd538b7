// qtdesktop.cpp - message and error boxes, the Save dialog, the desktop folder, wait cursor.
#include "qtdesktop.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>
#include <utility>

#include "savefile.h"
#include "tolvex/ui/texts.h"

namespace tolvex::qt {
namespace {

// A message box that opens centred on the screen rather than over its owner, in a dialog frame
// that asks for a close button only. It is placed by its own size, known once the box is laid
// out as it is shown, and by the frame the window manager reports, known only after the box is
// shown, sometimes in steps: whenever either changes, the box is centred again for them. A
// move by the user changes neither, so the box stays where the user puts it. Window managers
// that offer to minimise it all the same take its owner along; both come back at once, as the
// program is waiting on the box.
class CentredMessageBox : public QMessageBox {
  public:
    CentredMessageBox(Icon icon, const QString& text, StandardButtons buttons, QWidget* owner)
        : QMessageBox(icon, AppTitle(), text, buttons, owner) {
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
        // A short message would make the box narrower than its title and the window
        // manager's buttons; keep room for both, as the platform boxes do.
        if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
            const int width =
                fontMetrics().horizontalAdvance(AppTitle()) + fontMetrics().averageCharWidth() * 24;
            grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                          grid->rowCount(), 0, 1, grid->columnCount());
        }
    }

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // sizes the box to its contents
        CentreWhenChanged();
    }
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowActivate:
            case QEvent::Expose:
            case QEvent::UpdateRequest:
                if (isVisible()) {
                    CentreWhenChanged();
                }
                break;
            default:
                break;
        }
        return handled;
    }

    void changeEvent(QEvent* event) override {
        QMessageBox::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange && isMinimized()) {
            QTimer::singleShot(0, this, [this] {
                if (QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
                    owner != nullptr && owner->isMinimized()) {
                    owner->showNormal();
                }
                showNormal();
                raise();
                activateWindow();
            });
        }
    }

  private:
    void CentreWhenChanged() {
        const QMargins frame =
            windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
        if (centred_ && frame == centredFrame_ && size() == centredSize_) {
            return;
        }
        centred_ = true;
        centredFrame_ = frame;
        centredSize_ = size();
        CentreOnScreen(this);
    }

    bool centred_ = false;
    QMargins centredFrame_;  // the frame and size the box was last centred for
    QSize centredSize_;
};

// Qt's form of a "description|pattern" filter: "description (pattern)", unless the
// description already ends with the pattern in parentheses.
QString NameFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf(u'|');
    if (bar < 0) {
        return filter;
    }
    const QString description = filter.left(bar);
    const QString pattern = filter.mid(bar + 1);
    if (description.endsWith(u'(' + pattern + u')')) {
        return description;
    }
    return description + QStringLiteral(" (") + pattern + u')';
}

}  // namespace

QString AppTitle() {
    return OwnText(ui::texts::kAppTitle);
}

void CentreOnScreen(QWidget* widget) {
    QScreen* screen =
        widget->screen() != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QMargins frame;
    if (widget->windowHandle() != nullptr) {
        frame = widget->windowHandle()->frameMargins();
    }
    const QSize outer = widget->size().grownBy(frame);
    const QRect area = screen->geometry();
    const QPoint frameTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    // The client area is placed inside that frame. move() would place the frame by the frame
    // the widget last heard of, which lags behind one the window manager has just drawn.
    widget->setGeometry(QRect(frameTopLeft + QPoint(frame.left(), frame.top()), widget->size()));
}

void ShowMessageBox(QWidget* owner, const QString& text) {
    CentredMessageBox box(QMessageBox::NoIcon, text, QMessageBox::NoButton, owner);
    QPushButton* ok = box.addButton(OwnText(ui::texts::kOkButton), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

void ShowErrorBox(QWidget* owner, const QString& text) {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    CentredMessageBox box(QMessageBox::Critical, text, QMessageBox::Ok, owner);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

QtDesktop::QtDesktop(LocaleText text, QWidget* mainWindow)
    : text_(std::move(text)), mainWindow_(mainWindow) {}

QtDesktop::~QtDesktop() {
    while (waitCursors_ > 0) {
        SetWaitCursor(false);
    }
}

std::string QtDesktop::FromUtf8(std::string_view utf8) const {
    return text_.FromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

void QtDesktop::ShowMessage(std::string_view text) {
    ShowMessageBox(mainWindow_, text_.ToQString(text));
}

void QtDesktop::ShowError(std::string_view text) {
    ShowErrorBox(mainWindow_, text_.ToQString(text));
}

std::optional<ui::SaveTarget> QtDesktop::AskSaveFile(const ui::SaveDialogSettings& settings) {
    // Qt's own dialog on every desktop, so that each setting below holds.
    QFileDialog dialog(mainWindow_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(NameFilter(text_.ToQString(settings.filter)));
    QString suffix = text_.ToQString(settings.defaultExtension);
    if (suffix.startsWith(u'.')) {
        suffix.remove(0, 1);
    }
    dialog.setDefaultSuffix(suffix);
    if (!settings.initialFolder.empty()) {
        dialog.setDirectory(text_.ToQString(settings.initialFolder));
    }
    dialog.selectFile(text_.ToQString(settings.fileName));
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    // The name is written to as chosen, also when the locale's encoding cannot hold it.
    const QString chosen = dialog.selectedFiles().constFirst();
    return ui::SaveTarget{text_.FromQString(chosen), chosen.toStdU16String()};
}

ui::WriteStatus QtDesktop::WriteWholeFile(const ui::SaveTarget& target, std::string_view bytes) {
    return qt::WriteWholeFile(QString::fromStdU16String(target.path),
                              QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

ui::ShellFolderRead QtDesktop::ReadShellFolder(std::string_view name) {
    using Status = ui::ShellFolderRead::Status;
    if (name != "Desktop") {
        return {Status::Ok, {}};
    }
    // A desktop folder that does not exist is as good as none: the dialog then decides.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir()) {
        return {Status::Ok, {}};
    }
    return {Status::Ok, text_.FromQString(desktop)};
}

void QtDesktop::SetWaitCursor(bool on) {
    if (on) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursors_;
    } else if (waitCursors_ > 0) {
        QGuiApplication::restoreOverrideCursor();
        --waitCursors_;
    }
}

void QtDesktop::CloseMainWindow() {
    mainWindow_->close();
}

}  // namespace tolvex::qt
