// application.cpp - application set-up: names, font, Qt's translations, settings, signals.
#include "application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QSettings>
#include <QTranslator>

#include "qtdesktop.h"
#include "tolvex/version.h"
#include "windowfont.h"

#ifndef _WIN32
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#endif

namespace tolvex::qt {
namespace {

#ifndef _WIN32
// The signal handler only writes a byte to this socket; the event loop reads it and quits.
int signalSocket[2] = {-1, -1};

extern "C" void OnQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
}

// Ends the event loop on SIGTERM, SIGINT and SIGHUP (log-out), so that the program ends as
// it does when its window closes.
void QuitOnSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0) {
        return;
    }
    auto* notifier =
        new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalSocket[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}
#endif

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

void KeepNoSettings() {
    // Below a file nothing can be created, by any user; a read finds nothing there either.
#ifdef _WIN32
    const QString nowhere = QStringLiteral("NUL");
#else
    const QString nowhere = QStringLiteral("/dev/null");
#endif
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
            QSettings::setPath(format, scope, nowhere);
        }
    }
}

bool LoadQtTranslations(const QLocale& locale) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void SetUpApplication() {
    KeepNoSettings();
    LoadQtTranslations(QLocale());
#ifndef _WIN32
    QuitOnSignals();
#endif
    QApplication::setApplicationName(AppTitle());
    QApplication::setApplicationDisplayName(AppTitle());
    QApplication::setApplicationVersion(QStringLiteral(TOLVEX_VERSION_STRING));
    // The desktop entry's name, so that window managers, task bars and Wayland compositors
    // match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TOLVEX_APP_ID));
    QApplication::setWindowIcon(AppIcon());
    const QScreen* screen = QGuiApplication::primaryScreen();
    QApplication::setFont(WindowFont(screen != nullptr ? screen->logicalDotsPerInchY() : 96.0));
}

}  // namespace tolvex::qt
