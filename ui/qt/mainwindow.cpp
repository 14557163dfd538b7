// mainwindow.cpp - the main window's controls, keyboard and mouse rules, and handler wiring.
#include "mainwindow.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QWindow>
#include <limits>

#include "ui_mainwindow.h"
#include "windowfont.h"

namespace tolvex::qt {

using ui::Control;
using ui::Tfrmmain;

namespace {

// A temporary folder that the application owns and removes when it ends.
class TemporaryFolder : public QObject {
  public:
    using QObject::QObject;
    QString Path() const { return dir_.isValid() ? dir_.path() : QString(); }

  private:
    QTemporaryDir dir_;
};

}  // namespace

void KeepNoSettings() {
    // Should no temporary folder be had, a path under which nothing can be created.
    QString path = (new TemporaryFolder(QCoreApplication::instance()))->Path();
    if (path.isEmpty()) {
        path = QStringLiteral("/dev/null");
    }
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
            QSettings::setPath(format, scope, path);
        }
    }
}

void SetUpApplication() {
    KeepNoSettings();
    QApplication::setApplicationName(kAppTitle);
    QApplication::setApplicationDisplayName(kAppTitle);
    const QScreen* screen = QGuiApplication::primaryScreen();
    QApplication::setFont(WindowFont(screen != nullptr ? screen->logicalDotsPerInchY() : 96.0));
}

MainWindow::MainWindow(const LocaleText& text)
    : ui_(std::make_unique<Ui::frmmain>()),
      text_(text),
      desktop_(text, this),
      form_(*this, desktop_) {
    ui_->setupUi(this);
    setWindowTitle(kAppTitle);
    setBackgroundRole(QPalette::Button);
    ui_->edtcopy->hide();

    // The boxes hold any number of characters (QLineEdit stops at 32767 by default).
    for (QLineEdit* box : {ui_->edtcode2, ui_->edtcode1, ui_->edtdj, ui_->edtcopy}) {
        box->setMaxLength(std::numeric_limits<int>::max());
    }
    for (QWidget* watched :
         {static_cast<QWidget*>(ui_->edtcode2), static_cast<QWidget*>(ui_->edtcode1),
          static_cast<QWidget*>(ui_->edtdj), static_cast<QWidget*>(ui_->memcode),
          static_cast<QWidget*>(ui_->btnfilt), static_cast<QWidget*>(ui_->btnsave),
          static_cast<QWidget*>(ui_->btncopy), static_cast<QWidget*>(ui_->btnclose)}) {
        watched->installEventFilter(this);
    }
    resultPalette_ = ui_->memcode->palette();
    ShowResultSelection(false);

    connect(ui_->btnfilt, &QPushButton::clicked, this, &MainWindow::filterDraws);
    connect(ui_->btncopy, &QPushButton::clicked, this, &MainWindow::copyResult);
    connect(ui_->btnsave, &QPushButton::clicked, this, &MainWindow::saveResult);
    connect(ui_->btnclose, &QPushButton::clicked, this, &MainWindow::closeWindow);
    connect(ui_->edtcode1, &QLineEdit::textChanged, this, &MainWindow::checkHit);

    const qreal dpi = logicalDpiY();
    const qreal scale = LayoutScale(dpi);
    ScaleLayout(scale);
    outerSize_ = (QSizeF(kOuterSize) * scale).toSize();
    FitOuterSize();

    form_.Run(&Tfrmmain::FormCreate);
    SetFocus(Control::edtcode2);
}

MainWindow::~MainWindow() = default;

void MainWindow::filterDraws() {
    form_.Run(&Tfrmmain::btnfiltClick);
}
void MainWindow::checkHit() {
    form_.Run(&Tfrmmain::edtcode1Change);
}
void MainWindow::copyResult() {
    form_.Run(&Tfrmmain::btncopyClick);
}
void MainWindow::saveResult() {
    form_.Run(&Tfrmmain::btnsaveClick);
}
void MainWindow::closeWindow() {
    form_.Run(&Tfrmmain::btncloseClick);
}

void MainWindow::ScaleLayout(qreal scale) {
    if (qFuzzyCompare(scale, 1.0)) {
        return;
    }
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect r = child->geometry();
        const QRect scaled(qRound(r.x() * scale), qRound(r.y() * scale), qRound(r.width() * scale),
                           qRound(r.height() * scale));
        if (child->minimumSize() == r.size()) {
            child->setFixedSize(scaled.size());
        }
        child->setGeometry(scaled);
    }
}

// Sizes the client area so that the frame around it comes to the wanted outer size, and
// centres the window. The window manager tells the frame only once the window is shown, so
// this runs once more when the first frame is known (see event()).
void MainWindow::FitOuterSize() {
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    fittedMargins_ = frame;
    resize(outerSize_.shrunkBy(frame));
    CentreOnScreen(this);
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::WindowActivate:
            // Only the first frame the window manager reports counts; after that the user
            // moves and sizes the window.
            if (fittedMargins_.isNull() && windowHandle() != nullptr &&
                !windowHandle()->frameMargins().isNull()) {
                FitOuterSize();
            }
            break;
        default:
            break;
    }
    return handled;
}

QWidget* MainWindow::Widget(Control control) const {
    switch (control) {
        case Control::lbljushu:
            return ui_->lbljushu;
        case Control::memcode:
            return ui_->memcode;
        case Control::edtcode2:
            return ui_->edtcode2;
        case Control::edtcode1:
            return ui_->edtcode1;
        case Control::edtdj:
            return ui_->edtdj;
        case Control::edtcopy:
            return ui_->edtcopy;
    }
    return nullptr;
}

QLineEdit* MainWindow::LineEdit(Control control) const {
    return qobject_cast<QLineEdit*>(Widget(control));
}

std::string MainWindow::Text(Control control) const {
    if (control == Control::lbljushu) {
        return text_.FromQString(ui_->lbljushu->text());
    }
    if (control == Control::memcode) {
        QString text = ui_->memcode->toPlainText();
        text.replace(u'\n', QStringLiteral("\r\n"));
        return text_.FromQString(text);
    }
    return text_.FromQString(LineEdit(control)->text());
}

void MainWindow::SetText(Control control, std::string_view bytes) {
    QString text = text_.ToQString(bytes);
    if (control == Control::lbljushu) {
        ui_->lbljushu->setText(text);
        return;
    }
    if (control == Control::memcode) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (ui_->memcode->toPlainText() != text) {
            ui_->memcode->setPlainText(text);
        }
        return;
    }
    QLineEdit* box = LineEdit(control);
    if (box->text() != text) {
        box->setText(text);  // textChanged runs the change handler, once
    }
}

void MainWindow::SetFocus(Control control) {
    QWidget* widget = Widget(control);
    widget->setFocus(Qt::OtherFocusReason);
    if (QLineEdit* box = qobject_cast<QLineEdit*>(widget)) {
        box->selectAll();
    }
}

void MainWindow::SelectBytes(Control control, std::size_t start, std::size_t length) {
    if (control == Control::memcode) {
        QPlainTextEdit* box = ui_->memcode;
        const QString text = box->toPlainText();
        const CharSpan span = text_.BytesToChars(text, start, length, true);
        QTextCursor cursor(box->document());
        cursor.setPosition(static_cast<int>(span.first));
        cursor.setPosition(static_cast<int>(span.first + span.count), QTextCursor::KeepAnchor);
        box->setTextCursor(cursor);
        box->ensureCursorVisible();  // the cursor stands at the selection's end
        return;
    }
    QLineEdit* box = LineEdit(control);
    const CharSpan span = text_.BytesToChars(box->text(), start, length, false);
    box->setSelection(static_cast<int>(span.first), static_cast<int>(span.count));
}

void MainWindow::CopyAll(Control control) {
    QLineEdit* box = LineEdit(control);
    box->selectAll();
    box->copy();
}

// Without the focus the result box draws its selection in its ordinary colours, so that the
// selection shows only once the user enters the box.
void MainWindow::ShowResultSelection(bool shown) {
    QPalette palette = resultPalette_;
    if (!shown) {
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Highlight, palette.color(group, QPalette::Base));
            palette.setColor(group, QPalette::HighlightedText,
                             palette.color(group, QPalette::Text));
        }
    }
    ui_->memcode->setPalette(palette);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    QWidget* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr) {
        return false;
    }
    switch (event->type()) {
        case QEvent::KeyPress:
            return HandleKey(target, static_cast<QKeyEvent*>(event));
        case QEvent::FocusIn: {
            if (target == ui_->memcode) {
                ShowResultSelection(true);
                break;
            }
            // A single-line box entered from the keyboard selects all, so typing replaces it;
            // one entered with the mouse keeps the caret where the click put it.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            QLineEdit* box = qobject_cast<QLineEdit*>(target);
            if (box != nullptr &&
                (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                 reason == Qt::ShortcutFocusReason)) {
                box->selectAll();
            }
            break;
        }
        case QEvent::FocusOut:
            if (target == ui_->memcode) {
                ShowResultSelection(false);
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
            HandleClick(target, event);
            break;
        default:
            break;
    }
    return false;
}

// Enter clicks the focused push button, or the filter button from a single-line box, and
// nothing at all with Shift, Ctrl or Alt held; in the result box it breaks the line.
bool MainWindow::HandleKey(QWidget* target, QKeyEvent* key) {
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    if (target == ui_->memcode) {
        ui_->memcode->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    constexpr Qt::KeyboardModifiers kHeld =
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (key->modifiers() & kHeld) {
        return true;
    }
    if (QPushButton* button = qobject_cast<QPushButton*>(target)) {
        button->click();
    } else if (qobject_cast<QLineEdit*>(target) != nullptr) {
        ui_->btnfilt->click();
    }
    return true;
}

// A left press and release inside an entry box is a click, which empties the box.
bool MainWindow::HandleClick(QWidget* target, QEvent* event) {
    if (target != ui_->edtcode1 && target != ui_->edtcode2) {
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return false;
    }
    if (event->type() != QEvent::MouseButtonRelease) {
        pressedBox_ = target;
        return false;
    }
    const bool inside = target->rect().contains(mouse->position().toPoint());
    const bool click = inside && pressedBox_ == target;
    pressedBox_ = nullptr;
    if (click) {
        form_.Run(target == ui_->edtcode1 ? &Tfrmmain::edtcode1Click : &Tfrmmain::edtcode2Click);
    }
    return false;
}

}  // namespace tolvex::qt
