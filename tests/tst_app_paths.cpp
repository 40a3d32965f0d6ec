// Where the settings file and the busy animation are looked for.

#include <QtTest>

#include "app/app_paths.h"
#include "device/ccwaitdialog.h"

class TestAppPaths : public QObject
{
    Q_OBJECT

private slots:
    void settings_writable_data();
    void settings_writable();
    void settings_place();
    void animation_places();
};

// What exists under the folder before the first save.
void TestAppPaths::settings_writable_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("writable");
    QTest::newRow("empty folder") << "" << true;
    QTest::newRow("ini folder only") << "ini/" << true;
    QTest::newRow("settings file") << "ini/info.ini" << true;
    QTest::newRow("ini is a file") << "ini" << false;
    QTest::newRow("info.ini is a folder") << "ini/info.ini/" << false;
}

void TestAppPaths::settings_writable()
{
    QFETCH(QString, layout);
    QFETCH(bool, writable);
    QTemporaryDir dir;
    if (layout.endsWith(QLatin1Char('/'))) {
        QVERIFY(QDir(dir.path()).mkpath(layout));
    } else if (!layout.isEmpty()) {
        QVERIFY(QDir(dir.path()).mkpath(QFileInfo(dir.filePath(layout)).absolutePath()));
        QFile file(dir.filePath(layout));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(tessel_settings_writable_in(dir.path()), writable);
    QVERIFY(!tessel_settings_writable_in(dir.filePath(QStringLiteral("gone"))));
}

void TestAppPaths::settings_place()
{
    // The build folder is writable: the settings stay beside the program.
    // The export and import dialogs open there too.
    qunsetenv("TESSEL_APP_DIR");
    QCOMPARE(tessel_settings_path(),
             QCoreApplication::applicationDirPath() + QStringLiteral("/ini/info.ini"));
    QCOMPARE(tessel_files_dir(), QCoreApplication::applicationDirPath());

    QTemporaryDir dir;
    qputenv("TESSEL_APP_DIR", QFile::encodeName(dir.path()));
    QCOMPARE(tessel_settings_path(), dir.filePath(QStringLiteral("ini/info.ini")));
    QCOMPARE(tessel_files_dir(), dir.path());
    qunsetenv("TESSEL_APP_DIR");
}

void TestAppPaths::animation_places()
{
    QTemporaryDir dir;
    qputenv("TESSEL_APP_DIR", QFile::encodeName(dir.path()));
    const QStringList candidates = tessel_wait_animation_candidates();
    qunsetenv("TESSEL_APP_DIR");
    QCOMPARE(candidates.size(), 3);
    QCOMPARE(candidates[0], dir.filePath(QStringLiteral("image/wait.gif")));
    // The installed layout: <prefix>/bin/tessel and <prefix>/share/tessel.
    const QString prefix = QFileInfo(QCoreApplication::applicationDirPath()).absolutePath();
    QCOMPARE(candidates[1], prefix + QStringLiteral("/share/tessel/image/wait.gif"));
    // The last resort must itself be readable, or the dialog shows no spinner.
    QCOMPARE(CCWaitDialog::first_readable_animation(candidates), candidates[2]);
}

QTEST_MAIN(TestAppPaths)
#include "tst_app_paths.moc"
