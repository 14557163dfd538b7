// tst_backtest.cpp - the backtest's Qt side: the command line, the choice dialog from the keyboard.
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "choicedialog.h"
#include "modalwatcher.h"
#include "qtbacktest.h"
#include "qtdesktop.h"

using tolvex::history::Order;
using tolvex::qt::ChoiceDialog;
using tolvex::qt::CommandLine;
using tolvex::qt::QtBacktestDesktop;

Q_DECLARE_METATYPE(CommandLine::Mode)

namespace {

// Presses `keys` (Qt key codes) into the modal dialog, in order, on the widget with the focus.
std::function<void(QWidget*)> Press(QList<int> keys) {
    return [keys](QWidget* dialog) {
        // Keys reach the dialog once it is the active window, as a player's do.
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        for (const int key : keys) {
            QWidget* target =
                QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dialog;
            QTest::keyClick(target, static_cast<Qt::Key>(key));
        }
    };
}

}  // namespace

class TestBacktest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<CommandLine::Mode>("mode");
        QTest::addColumn<QString>("file");
        using M = CommandLine::Mode;
        QTest::newRow("none: the window") << QStringList{} << M::Window << QString();
        QTest::newRow("a file") << QStringList{"开奖.txt"} << M::Backtest << "开奖.txt";
        QTest::newRow("--backtest") << QStringList{"--backtest"} << M::Backtest << QString();
        QTest::newRow("--backtest file")
            << QStringList{"--backtest", "/h/a b.csv"} << M::Backtest << "/h/a b.csv";
        QTest::newRow("two files") << QStringList{"a.txt", "b.txt"} << M::Usage << QString();
        QTest::newRow("unknown option") << QStringList{"--help"} << M::Usage << QString();
        QTest::newRow("--backtest twice")
            << QStringList{"--backtest", "--backtest"} << M::Usage << QString();
        QTest::newRow("--backtest two files")
            << QStringList{"--backtest", "a", "b"} << M::Usage << QString();
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(CommandLine::Mode, mode);
        QFETCH(QString, file);
        const CommandLine line = tolvex::qt::ParseCommandLine(arguments);
        QCOMPARE(line.mode, mode);
        QCOMPARE(line.file.value_or(QString()), file);
    }

    // The dialog as it opens: the question names the list, the first answer is current and
    // the list has the focus, so that arrows and Enter work at once.
    void dialogOpensReadyForTheKeyboard() {
        ChoiceDialog dialog("哪一列？", {"第2列 Midday，如 123", "第3列 Evening，如 456"});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* list = dialog.findChild<QListWidget*>();
        auto* label = dialog.findChild<QLabel*>();
        QVERIFY(list != nullptr && label != nullptr);
        QCOMPARE(label->text(), QString("哪一列？"));
        QCOMPARE(label->buddy(), list);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(1)->text(), QString("第3列 Evening，如 456"));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(QApplication::focusWidget(), list);
        QCOMPARE(dialog.windowTitle(), tolvex::qt::AppTitle());
        QStringList buttons;
        for (auto* button : dialog.findChildren<QPushButton*>()) {
            buttons << button->text();
        }
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"取消", "确定"}));
    }

    // Keys a player presses, and the answer they give.
    void keyboard_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("chosen");  // -1: cancelled
        QTest::newRow("Enter takes the first") << QList<int>{Qt::Key_Return} << 0;
        QTest::newRow("Down, Enter") << QList<int>{Qt::Key_Down, Qt::Key_Return} << 1;
        QTest::newRow("Down past the end stays on the last")
            << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter} << 2;
        QTest::newRow("Down, Up") << QList<int>{Qt::Key_Down, Qt::Key_Up, Qt::Key_Return} << 0;
        QTest::newRow("End") << QList<int>{Qt::Key_End, Qt::Key_Return} << 2;
        QTest::newRow("Esc cancels") << QList<int>{Qt::Key_Down, Qt::Key_Escape} << -1;
    }
    void keyboard() {
        QFETCH(QList<int>, keys);
        QFETCH(int, chosen);
        tolvex::qt::test::ModalWatcher watcher;
        watcher.Answer(Press(keys));
        const auto answer = ChoiceDialog::Ask("?", {"a", "b", "c"});
        QCOMPARE(watcher.Answered(), 1);
        QCOMPARE(answer.value_or(-1), chosen);
    }

    // The desktop's questions: the column's index, the order as the list shows it.
    void desktopQuestions() {
        QtBacktestDesktop desktop;
        tolvex::qt::test::ModalWatcher watcher;
        QStringList seen;
        watcher.Answer([&seen](QWidget* dialog) {
            for (auto* label : dialog->findChildren<QLabel*>()) {
                seen << label->text();
            }
            Press({Qt::Key_Down, Qt::Key_Return})(dialog);
        });
        QCOMPARE(desktop.ChooseColumn({{"第2列 A，如 123", "2"}, {"第3列 B，如 456", "3"}}),
                 std::optional<std::size_t>(1));
        QCOMPARE(seen, QStringList{"有几列都可能是开奖号码。哪一列是开奖号码？"});

        watcher.Answer(Press({Qt::Key_Return}));
        QCOMPARE(desktop.ChooseOrder(), std::optional<Order>(Order::OldestFirst));
        watcher.Answer(Press({Qt::Key_Down, Qt::Key_Return}));
        QCOMPARE(desktop.ChooseOrder(), std::optional<Order>(Order::NewestFirst));
        watcher.Answer(Press({Qt::Key_Escape}));
        QCOMPARE(desktop.ChooseOrder(), std::optional<Order>());
    }
};

QTEST_MAIN(TestBacktest)
#include "tst_backtest.moc"
