// application.h - what tolvex sets up once the QApplication exists, before any window opens.
#pragma once

#include <QIcon>
#include <QLocale>

namespace tolvex::qt {

/// Sets the application's name, title, desktop file name, icon and font; loads Qt's own
/// translations for the locale; makes sure that no settings are read or written; and quits
/// cleanly on SIGTERM, SIGINT and SIGHUP.
void SetUpApplication();

/// The program's icon in every size it is drawn in (compiled in).
QIcon AppIcon();

/// Points QSettings (user and system scope) at a place where nothing can be read or created,
/// so that Qt's Save dialog neither reads nor keeps its history, last folder and view.
void KeepNoSettings();

/// Loads the translations of Qt's own dialogs and buttons for `locale` ("Save As", "OK", …),
/// as the desktop shows them; false when Qt has none for it.
bool LoadQtTranslations(const QLocale& locale);

}  // namespace tolvex::qt
