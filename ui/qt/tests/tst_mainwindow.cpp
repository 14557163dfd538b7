// tst_mainwindow.cpp - the Qt main window driven as a user drives it, on the offscreen platform.
#include <sys/resource.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <memory>

#include "application.h"
#include "localetext.h"
#include "mainwindow.h"
#include "modalwatcher.h"
#include "tolvex/ui/layout.h"
#include "tolvex/ui/texts.h"
#include "ui_mainwindow.h"
#include "waitlimit.h"
#include "windowfont.h"

using tolvex::qt::LocaleText;
using tolvex::qt::MainWindow;
using tolvex::qt::test::kWaitLimitMs;
using tolvex::qt::test::ModalWatcher;
using tolvex::qt::test::SeenBox;

namespace {

using tolvex::qt::OwnText;
using tolvex::ui::ControlKind;
using tolvex::ui::ControlPlace;
using tolvex::ui::kControlPlaces;

const QString kMissingLast = OwnText(tolvex::ui::texts::kMissingLast);
const QString kMissingPrevious = OwnText(tolvex::ui::texts::kMissingPrevious);

QStringList FocusOrder() {
    QStringList order;
    for (std::string_view name : tolvex::ui::kFocusOrder) {
        order << OwnText(name);
    }
    return order;
}
const QStringList kFocusOrder = FocusOrder();

QString ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return QStringLiteral("QLabel");
        case ControlKind::ResultBox:
            return QStringLiteral("QPlainTextEdit");
        case ControlKind::EntryBox:
        case ControlKind::HiddenBox:
            return QStringLiteral("QLineEdit");
        case ControlKind::Button:
            return QStringLiteral("QPushButton");
    }
    return {};
}

QRect RectOf(const ControlPlace& place) {
    return {place.left, place.top, place.width, place.height};
}

// How many pixels of `image` have the colour `colour`.
int CountPixels(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixelColor(x, y).rgb() == colour.rgb() ? 1 : 0;
        }
    }
    return n;
}

// What the Save dialog was set up with when it opened.
struct SeenDialog {
    bool seen = false;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QStringList nameFilters;
    QString defaultSuffix;
    QString directory;
    QString fileName;
    bool confirmsOverwrite = true;
    bool sizeGrip = false;
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void formMatchesLayout();
    void windowFrameAndLook();
    void fontAndScale();
    void focusOrder();
    void enterKey_data();
    void enterKey();
    void enterInResultBox();
    void selectAllOnEntry_data();
    void selectAllOnEntry();
    void clickEmptiesBox_data();
    void clickEmptiesBox();
    void changeRunsOncePerRealChange();
    void pasteKeepsTheFirstLine_data();
    void pasteKeepsTheFirstLine();
    void messageBoxKeys_data();
    void messageBoxKeys();
    void minimisedBoxComesBack();
    void boxCentredAgainForItsNewSize();
    void invalidEntries_data();
    void invalidEntries();
    void typicalPass();
    void hitAfterChineseText();
    void boxesAreNamedByTheirLabels();
    void hitMarkerDescribesTheFocusedBox();
    void resultSelectionShowsOnlyWithFocus();
    void longTextReachesClipboard();
    void saveWritesResult();
    void saveUnderChosenName_data();
    void saveUnderChosenName();
    void saveFailureShowsErrorBox_data();
    void saveFailureShowsErrorBox();
    void exitClosesWindow();
    void settingsAreNeverWritten();

  private:
    QLineEdit* Box(const char* name) const { return window_->findChild<QLineEdit*>(name); }
    QPushButton* Button(const char* name) const { return window_->findChild<QPushButton*>(name); }
    QPlainTextEdit* Result() const { return window_->findChild<QPlainTextEdit*>("memcode"); }
    QLabel* Count() const { return window_->findChild<QLabel*>("lbljushu"); }
    // The control that has the focus in the window (or gets it back when the window is
    // activated again after a box; the offscreen platform does not reactivate it).
    QString FocusName() const {
        QWidget* focus = window_->focusWidget();
        return focus != nullptr ? focus->objectName() : QString();
    }
    QString Desktop() const { return QDir::homePath() + QStringLiteral("/Desktop"); }
    // Types both draws and presses Enter in the last-draw box.
    void Filter(const QString& previous, const QString& last);
    // Answers the next Save dialog with `name` (cancels it for an empty one), recording its
    // settings in `dialog`.
    void AnswerSaveDialog(const QString& name, SeenDialog* dialog);
    // Presses the save button; `dialog` then answers the Save dialog and `box` records the
    // box that follows, if any.
    void Save(const QString& name, SeenDialog* dialog, SeenBox* box = nullptr) {
        AnswerSaveDialog(name, dialog);
        if (box != nullptr) {
            modals_->Record(box);
        }
        Button("btnsave")->click();
    }

    LocaleText text_ = LocaleText::FromLocale();
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<ModalWatcher> modals_;
};

void TestMainWindow::init() {
    QGuiApplication::clipboard()->clear();
    modals_ = std::make_unique<ModalWatcher>();
    window_ = std::make_unique<MainWindow>(text_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get(), kWaitLimitMs));
}

void TestMainWindow::cleanup() {
    window_.reset();
    modals_.reset();
    QDir(Desktop()).removeRecursively();
    QDir().mkpath(Desktop());
}

void TestMainWindow::Filter(const QString& previous, const QString& last) {
    Box("edtcode2")->setText(previous);
    Box("edtcode1")->setText(last);
    Box("edtcode1")->setFocus();
    QTest::keyClick(Box("edtcode1"), Qt::Key_Return);
}

void TestMainWindow::AnswerSaveDialog(const QString& name, SeenDialog* dialog) {
    modals_->Answer([dialog, name](QWidget* widget) {
        auto* d = qobject_cast<QFileDialog*>(widget);
        if (d == nullptr) {
            widget->close();
            return;
        }
        dialog->seen = true;
        dialog->mode = d->acceptMode();
        dialog->nameFilters = d->nameFilters();
        dialog->defaultSuffix = d->defaultSuffix();
        dialog->directory = d->directory().absolutePath();
        auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
        dialog->fileName = edit != nullptr ? edit->text() : QStringLiteral("?");
        dialog->confirmsOverwrite = !d->testOption(QFileDialog::DontConfirmOverwrite);
        dialog->sizeGrip = d->isSizeGripEnabled();
        if (name.isEmpty()) {
            d->reject();
        } else {
            edit->setText(name);
            QMetaObject::invokeMethod(d, "accept", Qt::DirectConnection);
        }
    });
}

void TestMainWindow::controls_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < static_cast<int>(kControlPlaces.size()); ++i) {
        QTest::newRow(kControlPlaces[i].name.data()) << i;
    }
}

void TestMainWindow::controls() {
    QFETCH(int, index);
    const ControlPlace& place = kControlPlaces[index];
    const QString name = OwnText(place.name);
    const QString text = OwnText(place.caption);
    const QRect geometry = RectOf(place);
    auto* widget = window_->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), ClassOf(place.kind));
    QCOMPARE(widget->geometry(), geometry);
    QCOMPARE(widget->isVisible(), place.kind != ControlKind::HiddenBox);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->minimumSize(), geometry.size());
        QCOMPARE(label->maximumSize(), geometry.size());
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), text);
        QCOMPARE(button->isDefault(), place.name == tolvex::ui::kDefaultButton);
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(box->text(), text);
        QVERIFY(!box->isReadOnly());
    }

    // Controls stay where they are, at their size, when the window is resized.
    window_->resize(window_->size() + QSize(300, 200));
    QCOMPARE(widget->geometry(), geometry);
}

void TestMainWindow::formMatchesLayout() {
    // The Designer form shows what the window builds: every control of the table, of its
    // kind, caption, place and size, and the focus order.
    QWidget bare;
    Ui::frmmain form;
    form.setupUi(&bare);
    QCOMPARE(bare.size(), QSize(tolvex::ui::kOuterWidth, tolvex::ui::kOuterHeight));
    for (const ControlPlace& place : kControlPlaces) {
        auto* widget = bare.findChild<QWidget*>(OwnText(place.name));
        QVERIFY2(widget != nullptr, place.name.data());
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), ClassOf(place.kind));
        QCOMPARE(widget->geometry(), RectOf(place));
        const QVariant text = widget->property("text");
        QCOMPARE(text.isValid() ? text.toString() : QString(), OwnText(place.caption));
    }
    QWidget* at = bare.findChild<QWidget*>(kFocusOrder.front());
    for (const QString& name : kFocusOrder.mid(1)) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus) {
            at = at->nextInFocusChain();
        }
        QCOMPARE(at->objectName(), name);
    }
    // Each label's buddy is the box the table says it names.
    for (const tolvex::ui::LabelFor& pair : tolvex::ui::kLabels) {
        auto* label = bare.findChild<QLabel*>(OwnText(pair.label));
        QVERIFY2(label->buddy() != nullptr, pair.label.data());
        QCOMPARE(label->buddy()->objectName(), OwnText(pair.box));
    }
}

void TestMainWindow::windowFrameAndLook() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Tolvex"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Tolvex"));
    // Window managers match the window to its desktop entry, and show its icon.
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(TOLVEX_APP_ID));
    QCOMPARE(window_->windowIcon().availableSizes().size(), 8);
    QCOMPARE(window_->frameGeometry().size(),
             QSize(tolvex::ui::kOuterWidth, tolvex::ui::kOuterHeight));
    const QPoint offset =
        window_->frameGeometry().center() - window_->screen()->geometry().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "window not centred on the screen");
    QCOMPARE(window_->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));  // sizeable
    QCOMPARE(window_->backgroundRole(), QPalette::Button);
    QVERIFY(window_->autoFillBackground());

    QPlainTextEdit* result = Result();
    QCOMPARE(result->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(result->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(result->tabChangesFocus());
    QVERIFY(!result->isReadOnly());
    QCOMPARE(Box("edtcopy")->focusPolicy(), Qt::NoFocus);
    // A filter result wraps between its groups, never inside one.
    Filter("456", "123");
    const QTextLayout* layout = result->document()->firstBlock().layout();
    QVERIFY(layout->lineCount() > 10);
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        QCOMPARE(line.textLength() % 4, 0);
    }
}

void TestMainWindow::fontAndScale() {
    const QFont font = QApplication::font();
    QCOMPARE(font.pixelSize(), 11);  // 8 points at 96 pixels per inch
    QCOMPARE(window_->findChild<QLabel*>("Label1")->font().pixelSize(), 11);
    // The first face is a Latin one; a later one holds the Chinese glyphs.
    const QStringList faces = font.families();
    QVERIFY2(faces.size() >= 2, qPrintable(faces.join(", ")));
    const auto glyphs = [](const QString& face, QStringView text) {
        const QRawFont raw = QRawFont::fromFont(QFont(face));
        return std::all_of(text.begin(), text.end(),
                           [&raw](QChar c) { return raw.supportsCharacter(c); });
    };
    QVERIFY(glyphs(faces.front(), u"Tolvex 0123456789"));
    bool chinese = false;
    for (const QString& family : faces) {
        chinese = chinese || glyphs(family, u"缩水结果前期上开奖对过滤保存复制退出确定中注");
    }
    QVERIFY2(chinese, qPrintable(faces.join(", ")));

    QCOMPARE(tolvex::qt::WindowFont(120).pixelSize(), 13);
    // The layout grows with the text height of the font: at 144 pixels per inch by the ratio
    // of the measured heights, about one and a half.
    const qreal height96 = QFontMetrics(tolvex::qt::WindowFont(96)).height();
    const qreal height144 = QFontMetrics(tolvex::qt::WindowFont(144)).height();
    const qreal oneAndHalf = tolvex::qt::LayoutScale(144);
    QCOMPARE(oneAndHalf, height144 / height96);
    QVERIFY2(oneAndHalf > 1.3 && oneAndHalf < 1.7, qPrintable(QString::number(oneAndHalf)));
    const qreal doubled = tolvex::qt::LayoutScale(192);
    QVERIFY2(doubled > 1.7 && doubled < 2.3, qPrintable(QString::number(doubled)));
    QVERIFY(tolvex::qt::LayoutScale(120) > 1.05);
}

void TestMainWindow::focusOrder() {
    QCOMPARE(FocusName(), QStringLiteral("edtcode2"));
    for (int i = 1; i <= kFocusOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(FocusName(), kFocusOrder[i % kFocusOrder.size()]);
    }
    for (int i = kFocusOrder.size() - 1; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(FocusName(), kFocusOrder[i]);
    }
}

void TestMainWindow::enterKey_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("clicked");  // the button clicked, or none

    const Qt::KeyboardModifiers none;
    QTest::newRow("previous-draw box") << "edtcode2" << none << "btnfilt";
    QTest::newRow("last-draw box") << "edtcode1" << none << "btnfilt";
    QTest::newRow("keypad Enter") << "edtcode1" << Qt::KeyboardModifiers(Qt::KeypadModifier)
                                  << "btnfilt";
    QTest::newRow("hit marker") << "edtdj" << none << "btnfilt";
    QTest::newRow("filter button") << "btnfilt" << none << "btnfilt";
    QTest::newRow("copy button") << "btncopy" << none << "btncopy";
    QTest::newRow("save button") << "btnsave" << none << "btnsave";
    QTest::newRow("exit button") << "btnclose" << none << "btnclose";
    QTest::newRow("box with Shift") << "edtcode1" << Qt::KeyboardModifiers(Qt::ShiftModifier) << "";
    QTest::newRow("box with Ctrl")
        << "edtcode2" << Qt::KeyboardModifiers(Qt::ControlModifier) << "";
    QTest::newRow("box with Alt") << "edtdj" << Qt::KeyboardModifiers(Qt::AltModifier) << "";
    QTest::newRow("default button with Ctrl")
        << "btnfilt" << Qt::KeyboardModifiers(Qt::ControlModifier) << "";
    QTest::newRow("button with Shift")
        << "btncopy" << Qt::KeyboardModifiers(Qt::ShiftModifier) << "";
    QTest::newRow("result box") << "memcode" << none << "";
}

void TestMainWindow::enterKey() {
    QFETCH(QString, focus);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, clicked);
    Box("edtcode2")->setText("456");
    Box("edtcode1")->setText("123");
    std::map<QString, std::unique_ptr<QSignalSpy>> spies;
    for (const char* name : {"btnfilt", "btnsave", "btncopy", "btnclose"}) {
        spies[name] = std::make_unique<QSignalSpy>(Button(name), &QPushButton::clicked);
    }
    SeenDialog dialog;
    if (clicked == "btnsave") {
        AnswerSaveDialog(QString(), &dialog);  // cancelled
    }
    QWidget* target = window_->findChild<QWidget*>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return, modifiers);
    for (const auto& [name, spy] : spies) {
        QCOMPARE(spy->count(), name == clicked ? 1 : 0);
    }
    // The click reached the command, not just the button.
    if (clicked == "btnfilt") {
        QCOMPARE(Box("edtcode2")->text(), QStringLiteral("123"));
    } else if (clicked == "btnsave") {
        QVERIFY(dialog.seen);
    } else if (clicked == "btnclose") {
        QVERIFY(!window_->isVisible());
    } else if (clicked.isEmpty()) {
        QCOMPARE(Box("edtcode1")->text(), QStringLiteral("123"));
    }
}

void TestMainWindow::enterInResultBox() {
    QPlainTextEdit* result = Result();
    result->setFocus();
    QTest::keyClicks(result, "ab");
    QTest::keyClick(result, Qt::Key_Return);
    QTest::keyClicks(result, "cd");
    QTest::keyClick(result, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(result, "ef");
    QCOMPARE(result->toPlainText(), QStringLiteral("ab\ncd\nef"));
    QCOMPARE(FocusName(), QStringLiteral("memcode"));
    QTest::keyClick(result, Qt::Key_Tab);
    QCOMPARE(FocusName(), QStringLiteral("btnfilt"));
    QCOMPARE(result->toPlainText(), QStringLiteral("ab\ncd\nef"));
}

void TestMainWindow::selectAllOnEntry_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("allSelected");

    QTest::newRow("Tab into last draw") << "edtcode2"
                                        << "edtcode1"
                                        << "tab" << true;
    QTest::newRow("Shift+Tab into previous draw") << "edtcode1"
                                                  << "edtcode2"
                                                  << "backtab" << true;
    QTest::newRow("Tab into hit marker") << "btnclose"
                                         << "edtdj"
                                         << "tab" << true;
    QTest::newRow("mouse into hit marker") << "btnclose"
                                           << "edtdj"
                                           << "mouse" << false;
}

void TestMainWindow::selectAllOnEntry() {
    QFETCH(QString, from);
    QFETCH(QString, box);
    QFETCH(QString, how);
    QFETCH(bool, allSelected);
    QLineEdit* target = window_->findChild<QLineEdit*>(box);
    target->setText("789");
    QWidget* start = window_->findChild<QWidget*>(from);
    start->setFocus();
    if (how == "mouse") {
        QTest::mouseClick(target, Qt::LeftButton, {},
                          QPoint(target->width() - 4, target->height() / 2));
    } else {
        QTest::keyClick(start, Qt::Key_Tab, how == "backtab" ? Qt::ShiftModifier : Qt::NoModifier);
    }
    QCOMPARE(FocusName(), box);
    QCOMPARE(target->text(), QStringLiteral("789"));  // entering from the keyboard keeps it
    QCOMPARE(target->selectedText(), allSelected ? QStringLiteral("789") : QString());
}

void TestMainWindow::clickEmptiesBox_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<bool>("emptied");

    QTest::newRow("click last draw") << "edtcode1" << Qt::LeftButton << true << true;
    QTest::newRow("click previous draw") << "edtcode2" << Qt::LeftButton << true << true;
    QTest::newRow("released outside") << "edtcode2" << Qt::LeftButton << false << false;
    QTest::newRow("right button") << "edtcode1" << Qt::RightButton << true << false;
    QTest::newRow("hit marker has no handler") << "edtdj" << Qt::LeftButton << true << false;
}

void TestMainWindow::clickEmptiesBox() {
    QFETCH(QString, box);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, releaseInside);
    QFETCH(bool, emptied);
    QLineEdit* target = window_->findChild<QLineEdit*>(box);
    target->setText("321");
    const QPoint inside(10, target->height() / 2);
    QTest::mousePress(target, button, {}, inside);
    QTest::mouseRelease(target, button, {}, releaseInside ? inside : QPoint(-20, -20));
    if (button == Qt::RightButton) {
        // Close the context menu the right button opened.
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        }
    }
    QCOMPARE(target->text(), emptied ? QString() : QStringLiteral("321"));
}

void TestMainWindow::pasteKeepsTheFirstLine_data() {
    QTest::addColumn<QString>("before");  // the box's text, "|" for the cursor
    QTest::addColumn<QString>("pasted");  // the clipboard
    QTest::addColumn<QString>("after");   // the box's text after Ctrl+V
    QTest::addColumn<QString>("marker");  // the hit marker after the paste

    QTest::newRow("LF") << "|"
                        << "002\n"
                        << "002"
                        << "中";
    QTest::newRow("CR LF") << "|"
                           << "001\r\n"
                           << "001"
                           << "X";
    QTest::newRow("two cells") << "|"
                               << "002\t\n003\n"
                               << "002\t"
                               << "";
    QTest::newRow("at the cursor") << "0|2"
                                   << "0\n9"
                                   << "002"
                                   << "中";
    QTest::newRow("over a selection") << "[77]"
                                      << "123\r\n"
                                      << "123"
                                      << "X";
    QTest::newRow("no line break") << "|"
                                   << " 002"
                                   << " 002"
                                   << "";
}

void TestMainWindow::pasteKeepsTheFirstLine() {
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QFETCH(QString, marker);
    Filter("456", "123");
    QLineEdit* box = Box("edtcode1");
    QString text = before;
    const bool selected = text.startsWith(u'[');
    text.remove(u'[').remove(u']');
    const qsizetype cursor = text.indexOf(u'|');
    text.remove(u'|');
    box->setText(text);
    box->setFocus();
    if (selected) {
        box->selectAll();
    } else {
        box->setCursorPosition(static_cast<int>(cursor));
    }
    Box("edtdj")->clear();
    QSignalSpy changes(box, &QLineEdit::textChanged);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keySequence(box, QKeySequence::Paste);
    QCOMPARE(box->text(), after);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(Box("edtdj")->text(), marker);
}

void TestMainWindow::changeRunsOncePerRealChange() {
    QLineEdit* last = Box("edtcode1");
    QLineEdit* marker = Box("edtdj");
    QSignalSpy changes(last, &QLineEdit::textChanged);
    const QPoint inside(10, last->height() / 2);

    // Emptying an empty box is no change: the handler, which would clear the marker for an
    // empty result box, does not run.
    marker->setText("Z");
    QTest::mouseClick(last, Qt::LeftButton, {}, inside);
    QCOMPARE(marker->text(), QStringLiteral("Z"));
    QCOMPARE(changes.count(), 0);

    // A real change runs it once.
    QTest::keyClicks(last, "5");
    marker->setText("Z");
    QTest::mouseClick(last, Qt::LeftButton, {}, inside);
    QCOMPARE(marker->text(), QString());
    QCOMPARE(changes.count(), 2);

    // Typing runs it per character; a filtering empties the box with one change.
    QTest::keyClicks(Box("edtcode2"), "456");
    QTest::keyClicks(last, "123");
    QCOMPARE(changes.count(), 5);
    QTest::keyClick(last, Qt::Key_Return);
    QCOMPARE(changes.count(), 6);
    QCOMPARE(last->text(), QString());
}

void TestMainWindow::messageBoxKeys_data() {
    QTest::addColumn<QString>("press");
    QTest::newRow("click") << "click";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Esc") << "esc";
}

void TestMainWindow::messageBoxKeys() {
    QFETCH(QString, press);
    SeenBox seen;
    bool closed = false;
    modals_->Answer([&](QWidget* widget) {
        seen = tolvex::qt::test::Describe(widget);
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (press == "click") {
            QTest::mouseClick(box->buttons().constFirst(), Qt::LeftButton);
        } else {
            QTest::keyClick(box, press == "enter" ? Qt::Key_Return : Qt::Key_Escape);
        }
        closed = !box->isVisible();
        if (!closed) {
            box->close();
        }
    });
    Box("edtcode1")->setText("12");
    QTest::keyClick(Box("edtcode1"), Qt::Key_Return);
    QVERIFY(closed);
    QCOMPARE(seen.title, QStringLiteral("Tolvex"));
    QCOMPARE(seen.text, kMissingLast);
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QStringList{QStringLiteral("确定")});
    QVERIFY(seen.centred);
    // The steps after the box ran.
    QCOMPARE(Box("edtcode1")->text(), QString());
    QCOMPARE(FocusName(), QStringLiteral("edtcode1"));
}

void TestMainWindow::minimisedBoxComesBack() {
    // A window manager that minimises a box takes the window with it; the program waits on the
    // box, so both come back at once.
    bool back = false;
    modals_->Answer([&](QWidget* box) {
        window_->showMinimized();
        box->showMinimized();
        back = QTest::qWaitFor([&] { return !box->isMinimized() && !window_->isMinimized(); },
                               kWaitLimitMs);
        box->close();
    });
    Box("edtcode1")->setText("12");
    QTest::keyClick(Box("edtcode1"), Qt::Key_Return);
    QVERIFY(back);
}

void TestMainWindow::boxCentredAgainForItsNewSize() {
    // A box whose size changes once it is shown is centred for the size it ends with, not
    // left where the first size put it.
    bool firstCentred = false, grew = false, lastCentred = false;
    modals_->Answer([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        firstCentred = tolvex::qt::test::Describe(box).centred;
        const QSize firstSize = box->size();
        box->setText(box->text().repeated(6) + QStringLiteral("\n\n\n") + box->text());
        grew = QTest::qWaitFor(
            [&] { return box->width() > firstSize.width() && box->height() > firstSize.height(); },
            kWaitLimitMs);
        lastCentred =
            QTest::qWaitFor([&] { return tolvex::qt::test::Describe(box).centred; }, kWaitLimitMs);
        box->close();
    });
    Box("edtcode1")->setText("12");
    QTest::keyClick(Box("edtcode1"), Qt::Key_Return);
    QVERIFY(firstCentred);
    QVERIFY(grew);
    QVERIFY(lastCentred);
}

void TestMainWindow::invalidEntries_data() {
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("previousAfter");
    QTest::addColumn<QString>("lastAfter");

    QTest::newRow("both invalid") << "4x6"
                                  << "12" << kMissingLast << "4x6"
                                  << "";
    QTest::newRow("last empty") << "456"
                                << "" << kMissingLast << "456"
                                << "";
    QTest::newRow("last full-width") << "456"
                                     << "１２３" << kMissingLast << "456"
                                     << "";
    QTest::newRow("last with blank") << "456"
                                     << " 12" << kMissingLast << "456"
                                     << "";
    QTest::newRow("previous short") << "45"
                                    << "123" << kMissingPrevious << ""
                                    << "123";
    QTest::newRow("previous Chinese") << "中5"
                                      << "123" << kMissingPrevious << ""
                                      << "123";
}

void TestMainWindow::invalidEntries() {
    QFETCH(QString, previous);
    QFETCH(QString, last);
    QFETCH(QString, message);
    QFETCH(QString, previousAfter);
    QFETCH(QString, lastAfter);
    Result()->setPlainText("kept");
    Box("edtdj")->setText("X");
    QGuiApplication::clipboard()->setText("clip");
    bool waitCursor = true;
    SeenBox seen;
    modals_->Answer([&](QWidget* widget) {
        seen = tolvex::qt::test::Describe(widget);
        waitCursor = QGuiApplication::overrideCursor() != nullptr;
        qobject_cast<QMessageBox*>(widget)->buttons().constFirst()->click();
    });
    Filter(previous, last);
    QCOMPARE(modals_->Answered(), 1);
    QCOMPARE(seen.text, message);
    QVERIFY(!waitCursor);
    QCOMPARE(Box("edtcode2")->text(), previousAfter);
    QCOMPARE(Box("edtcode1")->text(), lastAfter);
    QCOMPARE(FocusName(),
             message == kMissingLast ? QStringLiteral("edtcode1") : QStringLiteral("edtcode2"));
    QCOMPARE(Result()->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(Count()->text(), QStringLiteral("缩水结果："));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("clip"));
    QCOMPARE(Box("edtdj")->text(), QStringLiteral("X"));  // the result box is not blank
}

void TestMainWindow::typicalPass() {
    QLineEdit* previous = Box("edtcode2");
    QLineEdit* last = Box("edtcode1");
    QLineEdit* marker = Box("edtdj");
    QPlainTextEdit* result = Result();

    // The wait cursor is on while the result goes to the clipboard, and off afterwards.
    Qt::CursorShape cursorAtCopy = Qt::ArrowCursor;
    QObject context;
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &context, [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursorAtCopy = cursor != nullptr ? cursor->shape() : Qt::ArrowCursor;
    });

    QTest::keyClicks(previous, "456");
    QTest::keyClick(previous, Qt::Key_Tab);
    QTest::keyClicks(last, "123");
    QTest::keyClick(last, Qt::Key_Return);

    const QString text = result->toPlainText();
    QCOMPARE(text.size(), 722 * 4);
    QVERIFY(text.startsWith("000 002 003 004 005 006 007 008 009 010 013 014 "));
    QVERIFY(text.endsWith("996 997 998 999 "));
    QCOMPARE(Count()->text(), QStringLiteral("缩水结果：722注"));
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    QCOMPARE(cursorAtCopy, Qt::WaitCursor);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(previous->text(), QStringLiteral("123"));
    QCOMPARE(last->text(), QString());
    QCOMPARE(FocusName(), QStringLiteral("edtcode1"));
    QCOMPARE(marker->text(), QString());

    QTest::keyClick(last, Qt::Key_0);
    QTest::keyClick(last, Qt::Key_0);
    QCOMPARE(marker->text(), QString());
    QTest::keyClick(last, Qt::Key_0);
    QCOMPARE(marker->text(), QStringLiteral("中"));
    QCOMPARE(result->textCursor().selectionStart(), 0);
    QCOMPARE(result->textCursor().selectedText(), QStringLiteral("000"));
    QCOMPARE(FocusName(), QStringLiteral("edtcode1"));

    // Three characters typed over give the next verdict; a hit further on scrolls to it.
    last->selectAll();
    QTest::keyClicks(last, "998");
    QCOMPARE(marker->text(), QStringLiteral("中"));
    QCOMPARE(result->textCursor().selectedText(), QStringLiteral("998"));
    QVERIFY(result->verticalScrollBar()->value() > 0);
    QVERIFY(result->viewport()->rect().contains(result->cursorRect()));
    QTest::keyClick(last, Qt::Key_Backspace);
    QCOMPARE(marker->text(), QStringLiteral("中"));  // two characters: no verdict
    QTest::keyClick(last, Qt::Key_1);
    QCOMPARE(marker->text(), QStringLiteral("X"));  // 991: struck by the zero-sum rule

    // Filtering again moves on by one draw.
    QTest::keyClick(last, Qt::Key_Return);
    QCOMPARE(previous->text(), QStringLiteral("991"));
    QCOMPARE(result->toPlainText().size() % 4, 0);
    QCOMPARE(QGuiApplication::clipboard()->text(), result->toPlainText());

    // Without a new last draw the next filtering stops at the last-draw message.
    SeenBox seen;
    modals_->Record(&seen);
    QTest::keyClick(last, Qt::Key_Return);
    QCOMPARE(seen.text, kMissingLast);
}

void TestMainWindow::hitAfterChineseText() {
    // Offsets count bytes of the locale's encoding and "\r\n" for a line break; the
    // selection must still land on the characters found.
    Result()->setPlainText(QStringLiteral("中文注释\n000 123 "));
    QTest::keyClicks(Box("edtcode1"), "123");
    QCOMPARE(Box("edtdj")->text(), QStringLiteral("中"));
    QCOMPARE(Result()->textCursor().selectedText(), QStringLiteral("123"));
}

void TestMainWindow::boxesAreNamedByTheirLabels() {
    for (const tolvex::ui::LabelFor& pair : tolvex::ui::kLabels) {
        auto* box = window_->findChild<QWidget*>(OwnText(pair.box));
        auto* label = window_->findChild<QLabel*>(OwnText(pair.label));
        QAccessibleInterface* boxIface = QAccessible::queryAccessibleInterface(box);
        QVERIFY2(boxIface != nullptr, pair.box.data());
        QCOMPARE(boxIface->text(QAccessible::Name), label->text());
        bool labelled = false;
        for (const auto& [other, relation] : boxIface->relations(QAccessible::Label)) {
            labelled = labelled || other->object() == label;
        }
        QVERIFY2(labelled, pair.box.data());
    }
    // The result box is named by the count as it now reads.
    Filter("456", "123");
    QCOMPARE(QAccessible::queryAccessibleInterface(Result())->text(QAccessible::Name),
             QStringLiteral("缩水结果：722注"));
}

void TestMainWindow::hitMarkerDescribesTheFocusedBox() {
    Filter("456", "123");
    QLineEdit* last = Box("edtcode1");
    QCOMPARE(FocusName(), QStringLiteral("edtcode1"));
    // The change event itself goes out only on a platform with an accessibility bridge (the
    // offscreen one has none); scripts/a11y-check.py listens for it over AT-SPI.
    auto description = [last] {
        return QAccessible::queryAccessibleInterface(last)->text(QAccessible::Description);
    };
    struct Step {
        const char* typed;  // "\b" is Backspace
        bool overAll;       // typed with all of the box's text selected
        QString heard;      // the focused box's description afterwards
    };
    const Step steps[] = {
        {"00", false, QString()},                  // no verdict yet
        {"0", false, QStringLiteral("对奖 中")},   // 000 is kept
        {"\b", false, QStringLiteral("对奖 中")},  // two characters: the marker stays
        {"1", false, QStringLiteral("对奖 X")},    // 001 is struck
        {"998", true, QStringLiteral("对奖 中")},  // typed over: 998 is kept
    };
    for (const Step& step : steps) {
        if (step.overAll) {
            last->selectAll();
        }
        QTest::keyClicks(last, step.typed);
        QCOMPARE(description(), step.heard);
        for (const char* other : {"edtcode2", "memcode", "edtdj"}) {
            QCOMPARE(window_->findChild<QWidget*>(other)->accessibleDescription(), QString());
        }
    }
    // A blank result box blanks the marker, and the description goes with it.
    Result()->clear();
    QTest::keyClick(last, Qt::Key_1);
    QCOMPARE(Box("edtdj")->text(), QString());
    QCOMPARE(description(), QString());
}

void TestMainWindow::resultSelectionShowsOnlyWithFocus() {
    Filter("456", "123");
    QTest::keyClicks(Box("edtcode1"), "000");
    QCOMPARE(Result()->textCursor().selectedText(), QStringLiteral("000"));
    const QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
    QCOMPARE(CountPixels(Result()->viewport()->grab().toImage(), highlight), 0);

    // Tabbing in keeps the selection the hit made and shows it.
    QTest::keyClick(Box("edtcode1"), Qt::Key_Tab);
    QCOMPARE(FocusName(), QStringLiteral("memcode"));
    QCOMPARE(Result()->textCursor().selectedText(), QStringLiteral("000"));
    QVERIFY(CountPixels(Result()->viewport()->grab().toImage(), highlight) > 20);
}

void TestMainWindow::longTextReachesClipboard() {
    // Far beyond a line edit's default 32767 characters, which would cut the copy short.
    const QString text = QString("123 ").repeated(20000);
    Result()->setPlainText(text);
    Button("btncopy")->click();
    QCOMPARE(QGuiApplication::clipboard()->text().size(), text.size());
}

void TestMainWindow::saveWritesResult() {
    Filter("456", "123");
    const QByteArray filtered = Result()->toPlainText().toLatin1();
    SeenDialog dialog;
    SeenBox saved;
    Save("result", &dialog, &saved);
    QVERIFY(dialog.seen);
    QCOMPARE(dialog.mode, QFileDialog::AcceptSave);
    QCOMPARE(dialog.nameFilters, QStringList{QStringLiteral("文本文件(*.txt)")});
    QCOMPARE(dialog.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(dialog.directory, Desktop());
    QCOMPARE(dialog.fileName, QString());
    QVERIFY(!dialog.confirmsOverwrite);
    QVERIFY(dialog.sizeGrip);
    QCOMPARE(saved.text, QStringLiteral("成功保存！"));
    QVERIFY(saved.titleFits);
    QCOMPARE(saved.buttons, QStringList{QStringLiteral("确定")});

    QFile file(Desktop() + "/result.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), filtered);
    file.close();

    // Saved again under the same name after an edit: replaced without a question, with the
    // typed line break stored as CR LF; the dialog again offers the desktop and no name.
    Result()->setFocus();
    QTest::keyClick(Result(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(Result(), Qt::Key_Return);
    QTest::keyClicks(Result(), "ok");
    dialog = {};
    Save("result.txt", &dialog, &saved);
    QCOMPARE(dialog.directory, Desktop());
    QCOMPARE(dialog.fileName, QString());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), filtered + "\r\nok");
    file.close();

    // An empty result box gives an empty file, and success all the same.
    Result()->clear();
    saved = {};
    Save("empty", &dialog, &saved);
    QCOMPARE(saved.text, QStringLiteral("成功保存！"));
    QCOMPARE(QFileInfo(Desktop() + "/empty.txt").size(), 0);

    // Cancelling the dialog does nothing at all.
    const int before = modals_->Answered();
    Save(QString(), &dialog);
    QCOMPARE(modals_->Answered(), before + 1);
    QCOMPARE(QDir(Desktop()).entryList(QDir::Files).size(), 2);

    // The dialog kept nothing (history, last folder, view) in the user's configuration.
    QStringList kept;
    QDirIterator config(qEnvironmentVariable("XDG_CONFIG_HOME"),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
    while (config.hasNext()) {
        kept << config.next();
    }
    QVERIFY2(kept.isEmpty(), qPrintable(kept.join(u' ')));
}

void TestMainWindow::saveUnderChosenName_data() {
    QTest::addColumn<QByteArray>("codeset");  // the encoding the window logic speaks
    QTest::addColumn<QString>("name");        // typed into the Save dialog
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << QStringLiteral("x😀y.txt");
    QTest::newRow("GB18030") << QByteArray("GB18030") << QStringLiteral("x😀y.txt");
    // GBK holds neither character; the file still gets the name chosen.
    QTest::newRow("GBK, beyond the BMP") << QByteArray("GBK") << QStringLiteral("x😀y.txt");
    QTest::newRow("GBK, Hangul") << QByteArray("GBK") << QStringLiteral("결과.txt");
}

void TestMainWindow::saveUnderChosenName() {
    QFETCH(QByteArray, codeset);
    QFETCH(QString, name);
    const LocaleText text(codeset);
    QCOMPARE(text.Name(), codeset);
    window_ = std::make_unique<MainWindow>(text);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get(), kWaitLimitMs));
    Filter("456", "123");
    const QByteArray filtered = Result()->toPlainText().toLatin1();
    SeenDialog dialog;
    SeenBox saved;
    Save(name, &dialog, &saved);
    window_.reset();  // before `text`, which it speaks
    QVERIFY(dialog.seen);
    QCOMPARE(saved.text, QStringLiteral("成功保存！"));
    QCOMPARE(QDir(Desktop()).entryList(QDir::Files), QStringList{name});
    QFile file(Desktop() + u'/' + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), filtered);
}

void TestMainWindow::saveFailureShowsErrorBox_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");  // %1: the chosen file's full name
    QTest::newRow("read-only file") << "read-only" << QStringLiteral("不能创建文件 %1.");
    QTest::newRow("disk full") << "file-size limit" << QStringLiteral("写流出错.");
}

void TestMainWindow::saveFailureShowsErrorBox() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    const QString path = Desktop() + "/old.txt";
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
    }
    struct rlimit saved {};
    if (fault == "read-only") {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    }
    Filter("456", "123");

    // The error box releases the mouse grab that a pressed button would hold.
    window_->grabMouse();
    SeenDialog dialog;
    SeenBox error;
    QWidget* grabberAtBox = window_.get();
    AnswerSaveDialog(path, &dialog);
    modals_->Answer([&](QWidget* widget) {
        grabberAtBox = QWidget::mouseGrabber();
        error = tolvex::qt::test::Describe(widget);
        qobject_cast<QMessageBox*>(widget)->buttons().constFirst()->click();
    });
    if (fault == "file-size limit") {
        // No file may grow past 100 bytes, so the write fails as on a full disk.
        signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit tiny = saved;
        tiny.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    }
    Button("btnsave")->click();
    if (fault == "file-size limit") {
        setrlimit(RLIMIT_FSIZE, &saved);
    }
    QCOMPARE(modals_->Answered(), 2);  // the dialog and the error box, no success box
    QCOMPARE(error.title, QStringLiteral("Tolvex"));
    QCOMPARE(error.icon, QMessageBox::Critical);
    QVERIFY(error.okButton);
    QCOMPARE(error.text, message.contains("%1") ? message.arg(path) : message);
    QVERIFY(grabberAtBox == nullptr);

    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("earlier"));
    QCOMPARE(QDir(Desktop()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.txt"});
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

void TestMainWindow::exitClosesWindow() {
    QVERIFY(window_->isVisible());
    QTest::mouseClick(Button("btnclose"), Qt::LeftButton);
    QVERIFY(!window_->isVisible());
}

void TestMainWindow::settingsAreNeverWritten() {
    // What Qt's dialogs would keep between runs cannot be written anywhere, also not by a
    // program that ends without cleaning up.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings settings(format, QSettings::UserScope, QStringLiteral("QtProject"));
        settings.setValue(QStringLiteral("FileDialog/lastVisited"), QStringLiteral("/tmp"));
        settings.sync();
        QCOMPARE(settings.status(), QSettings::AccessError);
    }
}

int main(int argc, char* argv[]) {
    // A home of its own: the desktop folder the Save dialog starts in lies there.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QDir(home.path()).mkpath("Desktop");
    QApplication app(argc, argv);
    tolvex::qt::SetUpApplication();
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"
