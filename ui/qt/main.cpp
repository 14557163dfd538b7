// main.cpp - starts tolvex: the window, or with a history file the backtest page in the browser.
#include <QApplication>
#include <cstdio>

#include "application.h"
#include "localetext.h"
#include "mainwindow.h"
#include "qtbacktest.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tolvex::qt::SetUpApplication();
    const auto line = tolvex::qt::ParseCommandLine(QApplication::arguments().mid(1));
    switch (line.mode) {
        case tolvex::qt::CommandLine::Mode::Usage:
            std::fputs(tolvex::qt::UsageText().toLocal8Bit().constData(), stderr);
            return 2;
        case tolvex::qt::CommandLine::Mode::Backtest:
            return tolvex::qt::RunBacktest(line.file);
        case tolvex::qt::CommandLine::Mode::Window:
            break;
    }
    tolvex::qt::MainWindow window(tolvex::qt::LocaleText::FromLocale());
    window.show();
    return QApplication::exec();
}
