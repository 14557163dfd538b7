// bench_qt.cpp - timings of the Qt window: building it, Enter to the result on the clipboard,
// and the hit check on the third typed digit. Run on any platform plugin (offscreen or xcb).
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>
#include <memory>

#include "application.h"
#include "localetext.h"
#include "mainwindow.h"

using tolvex::qt::LocaleText;
using tolvex::qt::MainWindow;

namespace {

// The window, shown, with its result filtered for 456 then 123 once it is active.
struct FilteredWindow {
    explicit FilteredWindow(const LocaleText& text) : window(text) {
        window.show();
        active = QTest::qWaitForWindowActive(&window);
        previous->setText("456");
        last->setText("123");
        QTest::keyClick(last, Qt::Key_Return);
    }

    MainWindow window;
    QLineEdit* previous = window.findChild<QLineEdit*>("edtcode2");
    QLineEdit* last = window.findChild<QLineEdit*>("edtcode1");
    QLineEdit* marker = window.findChild<QLineEdit*>("edtdj");
    bool active = false;
};

}  // namespace

class BenchQt : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void createAndShowWindow();
    void enterToClipboard();
    void hitOnThirdDigit();

  private:
    LocaleText text_ = LocaleText::FromLocale();
};

void BenchQt::createAndShowWindow() {
    QBENCHMARK {
        MainWindow window(text_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
}

void BenchQt::enterToClipboard() {
    FilteredWindow shown(text_);
    QVERIFY(shown.active);
    QClipboard* clipboard = QGuiApplication::clipboard();
    QBENCHMARK {
        clipboard->clear();
        shown.previous->setText("456");
        shown.last->setText("123");
        QTest::keyClick(shown.last, Qt::Key_Return);
    }
    QCOMPARE(clipboard->text().size(), 2888);
}

void BenchQt::hitOnThirdDigit() {
    FilteredWindow shown(text_);
    QVERIFY(shown.active);
    QBENCHMARK {
        shown.last->setText("99");
        shown.marker->clear();
        QTest::keyClick(shown.last, Qt::Key_9);
    }
    QCOMPARE(shown.marker->text(), QStringLiteral("中"));
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tolvex::qt::SetUpApplication();
    BenchQt bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_qt.moc"
