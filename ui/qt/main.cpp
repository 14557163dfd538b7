// main.cpp - starts tolvex: the application, its title and font, and the main window.
#include <QApplication>

#include "localetext.h"
#include "mainwindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tolvex::qt::SetUpApplication();
    const tolvex::qt::LocaleText text = tolvex::qt::LocaleText::FromLocale();
    tolvex::qt::MainWindow window(text);
    window.show();
    return QApplication::exec();
}
