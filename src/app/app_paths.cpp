#include "app/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// The data folder relative to the folder of the installed program; the build
// passes the installed layout's own value.
#ifndef TESSEL_DATA_FROM_BIN
#define TESSEL_DATA_FROM_BIN "../share/tessel"
#endif

namespace {

const QString kSettingsFile = QStringLiteral("ini/info.ini");
const QString kWaitAnimation = QStringLiteral("image/wait.gif");
const QString kWaitAnimationResource = QStringLiteral(":/TesselView/image/wait.gif");

} // namespace

QString tessel_app_dir()
{
    const QString fromEnv = qEnvironmentVariable("TESSEL_APP_DIR");
    return fromEnv.isEmpty() ? QCoreApplication::applicationDirPath() : fromEnv;
}

bool tessel_settings_writable_in(const QString &dir)
{
    if (dir.isEmpty())
        return false;
    QFileInfo info(QDir(dir).filePath(kSettingsFile));
    if (info.exists())
        return info.isFile() && info.isWritable();
    // Writing creates what is missing below the nearest existing folder.
    info.setFile(info.absolutePath());
    if (!info.exists())
        info.setFile(dir);
    return info.isDir() && info.isWritable() && info.isExecutable();
}

namespace {

// TESSEL_APP_DIR, else the program's folder when the settings can be written
// there; empty for an installed program.
QString own_folder()
{
    const QString fromEnv = qEnvironmentVariable("TESSEL_APP_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    const QString programDir = QCoreApplication::applicationDirPath();
    return tessel_settings_writable_in(programDir) ? programDir : QString();
}

} // namespace

QString tessel_settings_dir()
{
    const QString own = own_folder();
    if (!own.isEmpty())
        return own;
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return userDir.isEmpty() ? QCoreApplication::applicationDirPath() : userDir;
}

QString tessel_files_dir()
{
    const QString own = own_folder();
    return own.isEmpty() ? QDir::homePath() : own;
}

QString tessel_settings_path()
{
    return QDir(tessel_settings_dir()).filePath(kSettingsFile);
}

QStringList tessel_wait_animation_candidates()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString dataDir = programDir.filePath(QStringLiteral(TESSEL_DATA_FROM_BIN));
    return {QDir(tessel_app_dir()).filePath(kWaitAnimation),
            QDir::cleanPath(QDir(dataDir).filePath(kWaitAnimation)), kWaitAnimationResource};
}
