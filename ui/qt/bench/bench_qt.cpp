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
    MainWindow window(text_);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* previous = window.findChild<QLineEdit*>("edtcode2");
    auto* last = window.findChild<QLineEdit*>("edtcode1");
    QClipboard* clipboard = QGuiApplication::clipboard();
    QBENCHMARK {
        clipboard->clear();
        previous->setText("456");
        last->setText("123");
        QTest::keyClick(last, Qt::Key_Return);
    }
    QCOMPARE(clipboard->text().size(), 2888);
}

void BenchQt::hitOnThirdDigit() {
    MainWindow window(text_);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* last = window.findChild<QLineEdit*>("edtcode1");
    auto* marker = window.findChild<QLineEdit*>("edtdj");
    window.findChild<QLineEdit*>("edtcode2")->setText("456");
    last->setText("123");
    QTest::keyClick(last, Qt::Key_Return);
    QBENCHMARK {
        last->setText("99");
        marker->clear();
        QTest::keyClick(last, Qt::Key_9);
    }
    QCOMPARE(marker->text(), QStringLiteral("中"));
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tolvex::qt::SetUpApplication();
    BenchQt bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "bench_qt.moc"
