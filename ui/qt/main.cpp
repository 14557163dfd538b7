// main.cpp - starts tolvex: the application, its title and font, and the main window.
#include <QApplication>

#include "application.h"
#include "localetext.h"
#include "mainwindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tolvex::qt::SetUpApplication();
    tolvex::qt::MainWindow window(tolvex::qt::LocaleText::FromLocale());
    window.show();
    return QApplication::exec();
}
