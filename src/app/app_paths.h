#pragma once

#include <QString>
#include <QStringList>

// The application directory: TESSEL_APP_DIR when set, else the program's own folder.
QString tessel_app_dir();

// Whether "<dir>/ini/info.ini" can be written: the file itself when it exists,
// else the nearest existing folder on the way to it.
bool tessel_settings_writable_in(const QString &dir);

// The folder that holds "ini/info.ini": TESSEL_APP_DIR when set; else the
// program's folder when the settings can be written there; else the user's
// configuration folder (an installed program cannot write beside itself).
QString tessel_settings_dir();
// The settings file "<settings dir>/ini/info.ini".
QString tessel_settings_path();
// Where the export and import dialogs open: the settings' folder when it is
// the application's own, else (an installed program) the user's home.
QString tessel_files_dir();

// Where the busy animation may be, in order: beside the program (the
// application directory), the installed data folder, the resources (always there).
QStringList tessel_wait_animation_candidates();
