// mainwindow.cpp - the main window's controls, keyboard and mouse rules, and handler wiring.
#include "mainwindow.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QValidator>
#include <QWindow>
#include <limits>
#include <utility>

#include "tolvex/ui/layout.h"
#include "ui_mainwindow.h"
#include "windowfont.h"

namespace tolvex::qt {

using ui::Control;
using ui::Tfrmmain;

namespace {

// Keeps only the text before the first line break of what is pasted or dropped into a
// single-line box, as the platform's single-line boxes do: a draw copied from a spreadsheet
// cell arrives as "002\n". The box never holds a line break of its own, so the first one lies
// in the text just inserted, which ends at the cursor; from there to the cursor goes. Nothing
// else is touched.
class FirstLineOnly : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        qsizetype cut = input.size();
        for (QChar c : {u'\n', u'\r'}) {
            const qsizetype at = input.indexOf(c);
            if (at >= 0 && at < cut) {
                cut = at;
            }
        }
        if (cut < input.size()) {
            // A text set as a whole puts the cursor at its end; should it stand before the
            // break, the rest of the text goes.
            const qsizetype end = pos > cut ? pos : input.size();
            input.remove(cut, end - cut);
            pos = static_cast<int>(cut);
        }
        return Acceptable;
    }
};

}  // namespace

MainWindow::MainWindow(LocaleText text)
    : ui_(std::make_unique<Ui::frmmain>()),
      text_(std::move(text)),
      desktop_(text_, this),
      form_(*this, desktop_) {
    ui_->setupUi(this);
    setWindowTitle(AppTitle());
    setBackgroundRole(QPalette::Button);
    ui_->edtcopy->hide();

    // The boxes hold any number of characters (QLineEdit stops at 32767 by default).
    for (QLineEdit* box : {ui_->edtcode2, ui_->edtcode1, ui_->edtdj, ui_->edtcopy}) {
        box->setMaxLength(std::numeric_limits<int>::max());
    }
    for (QLineEdit* box : {ui_->edtcode2, ui_->edtcode1, ui_->edtdj}) {
        box->setValidator(new FirstLineOnly(box));
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

    LabelBoxes();
    const qreal scale = LayoutScale(logicalDpiY());
    PlaceControls(scale);
    outerSize_ = QSize(ui::Scaled(ui::kOuterWidth, scale), ui::Scaled(ui::kOuterHeight, scale));
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

// Tells assistive technology where the hit marker now stands, on the box that has the focus
// (where the player types the draw): its description becomes the marker's label and verdict,
// "对奖 中", which a screen reader speaks as a change of the focused object. A marker that goes
// blank takes the description away.
void MainWindow::AnnounceHitMarker() {
    QWidget* focused = focusWidget();
    if (focused == nullptr) {
        focused = ui_->edtcode1;
    }
    if (describedBox_ != nullptr && describedBox_ != focused) {
        describedBox_->setAccessibleDescription(QString());
    }
    const QString marker = ui_->edtdj->text();
    const QLabel* label = findChild<QLabel*>(OwnText(ui::LabelOf("edtdj")));
    const QString said = marker.isEmpty() ? QString() : label->text() + QLatin1Char(' ') + marker;
    describedBox_ = focused;
    // A new description is told to assistive technology as a change of the focused object
    // (AT-SPI's accessible-description property); Qt 6.4 has no announcement event.
    focused->setAccessibleDescription(said);
}

// Each box is labelled by its label, as the layout table pairs them: the label's text is the
// box's name for assistive technology, and the box is "labelled by" the label.
void MainWindow::LabelBoxes() {
    for (const ui::LabelFor& pair : ui::kLabels) {
        auto* label = findChild<QLabel*>(OwnText(pair.label), Qt::FindDirectChildrenOnly);
        label->setBuddy(findChild<QWidget*>(OwnText(pair.box), Qt::FindDirectChildrenOnly));
    }
}

// Places and sizes every control as the layout table says, at the layout scale; labels keep
// their size when the window is resized.
void MainWindow::PlaceControls(qreal scale) {
    for (const ui::ControlPlace& place : ui::kControlPlaces) {
        auto* child = findChild<QWidget*>(OwnText(place.name), Qt::FindDirectChildrenOnly);
        const QRect at(ui::Scaled(place.left, scale), ui::Scaled(place.top, scale),
                       ui::Scaled(place.width, scale), ui::Scaled(place.height, scale));
        if (place.kind == ui::ControlKind::Label) {
            child->setFixedSize(at.size());
        }
        child->setGeometry(at);
    }
}

// Sizes the client area so that the frame around it comes to the wanted outer size, and
// centres the window. The window manager tells the frame only once the window is shown, and
// may tell it in steps, so this runs again whenever the frame changes (see event()); the
// user's moves and sizes leave the frame as it is.
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
        case QEvent::Resize:
        case QEvent::Expose:
        case QEvent::WindowActivate:
            // Not once maximised or full screen, where the window manager decides the size.
            if (isVisible() && windowState() == Qt::WindowNoState && windowHandle() != nullptr &&
                windowHandle()->frameMargins() != fittedMargins_) {
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
        if (control == Control::edtdj) {
            AnnounceHitMarker();
        }
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
