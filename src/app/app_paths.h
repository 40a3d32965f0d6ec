#pragma once

#include <QString>

// The application directory: TESSEL_APP_DIR when set, else the program's own folder.
QString tessel_app_dir();
// The settings file "<app dir>/ini/info.ini".
QString tessel_settings_path();
