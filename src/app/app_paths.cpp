#include "app/app_paths.h"

#include <QCoreApplication>

QString tessel_app_dir()
{
    const QString fromEnv = qEnvironmentVariable("TESSEL_APP_DIR");
    return fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() : fromEnv;
}

QString tessel_settings_path()
{
    return QStringLiteral("%1/ini/info.ini").arg(tessel_app_dir());
}
