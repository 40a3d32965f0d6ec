// Where the settings file and the busy animation are looked for, the animation the busy
// dialog takes (the first readable place, else the resources), and the dialog's look.

#include <QtTest>

#include "app/app_paths.h"
#include "device/ccwaitdialog.h"

namespace {

// Puts at `path` an animation of a kind: "valid" (the program's own, from the
// resources), "damaged", "empty" or "missing".
bool make_animation(const QString &path, const QString &kind)
{
    if (kind == "valid")
        return QFile::copy(QStringLiteral(":/TesselView/image/wait.gif"), path);
    QFile file(path);
    return kind == "missing" ||
           (file.open(QIODevice::WriteOnly) &&
            (kind == "empty" || file.write(QByteArray("GIF89a") + QByteArray(40, '\xff')) > 0));
}

} // namespace

class TestAppPaths : public QObject
{
    Q_OBJECT

private slots:
    void init() { qunsetenv("TESSEL_APP_DIR"); }

    // What exists under the folder before the first save ("/": a folder).
    void settings_writable()
    {
        const std::pair<const char *, bool> rows[] = {{"", true},
                                                      {"ini/", true},
                                                      {"ini/info.ini", true},
                                                      {"ini", false},
                                                      {"ini/info.ini/", false}};
        for (const auto &[layout, writable] : rows) {
            QTemporaryDir dir;
            const QString path = dir.filePath(layout);
            QVERIFY(QDir().mkpath(QString(layout).endsWith('/') ? path : QFileInfo(path).path()));
            if (!QString(layout).isEmpty() && !QString(layout).endsWith('/'))
                QVERIFY(QFile(path).open(QIODevice::WriteOnly));
            QVERIFY2(tessel_settings_writable_in(dir.path()) == writable, layout);
            QVERIFY(!tessel_settings_writable_in(dir.filePath(QStringLiteral("gone"))));
        }
    }

    void places()
    {
        // The build folder is writable: the settings stay beside the program,
        // and the export and import dialogs open there too.
        const QString program = QCoreApplication::applicationDirPath();
        QCOMPARE(tessel_settings_path(), program + QStringLiteral("/ini/info.ini"));
        QCOMPARE(tessel_files_dir(), program);

        QTemporaryDir dir;
        qputenv("TESSEL_APP_DIR", QFile::encodeName(dir.path()));
        QCOMPARE(tessel_settings_path(), dir.filePath(QStringLiteral("ini/info.ini")));
        QCOMPARE(tessel_files_dir(), dir.path());
        // Beside the program, in the installed layout (<prefix>/bin/tessel,
        // <prefix>/share/tessel), then the resources, which `look` proves readable.
        QCOMPARE(tessel_wait_animation_candidates(),
                 (QStringList{dir.filePath(QStringLiteral("image/wait.gif")),
                              QFileInfo(program).path() + "/share/tessel/image/wait.gif",
                              QStringLiteral(":/TesselView/image/wait.gif")}));
    }

    // The kinds of the candidates, and the index of the one chosen.
    void first_readable_animation()
    {
        const std::pair<const char *, int> rows[] = {
            {"valid valid", 0},
            {"missing valid valid", 1},
            {"damaged valid", 1},
            {"empty missing valid", 2},
            {"damaged missing", 1}}; // none readable: the last
        for (const auto &[kinds, chosen] : rows) {
            QTemporaryDir dir;
            QStringList candidates;
            for (const QString &kind : QString(kinds).split(' ')) {
                candidates << dir.filePath(QString::number(candidates.size()) + ".gif");
                QVERIFY(make_animation(candidates.last(), kind));
            }
            QCOMPARE(CCWaitDialog::first_readable_animation(candidates), candidates[chosen]);
        }
    }

    // Whatever lies beside the program, the spinner turns.
    void look()
    {
        for (const char *beside : {"valid", "missing", "damaged"}) {
            QTemporaryDir dir;
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("image")));
            QVERIFY(make_animation(dir.filePath(QStringLiteral("image/wait.gif")), beside));
            qputenv("TESSEL_APP_DIR", QFile::encodeName(dir.path()));
            CCWaitDialog dialog(QStringLiteral("Switching input signal...."));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::qWait(50);
            const QImage shot = dialog.grab().toImage();
            const auto has_white = [&shot](const QRect &area) {
                for (int y = area.top(); y <= area.bottom(); ++y)
                    for (int x = area.left(); x <= area.right(); ++x)
                        if (const QColor c = shot.pixelColor(x, y);
                            c.alpha() == 255 && c.red() > 230 && c.green() > 230 && c.blue() > 230)
                            return true;
                return false;
            };
            const QColor panel(55, 135, 215);
            QVERIFY2(shot.pixelColor(175, 5) == panel && shot.pixelColor(340, 60) == panel, beside);
            QVERIFY2(shot.pixelColor(390, 60).alpha() == 0, beside); // transparent beyond the panel
            QVERIFY2(has_white(QRect(115, 15, 70, 50)), beside);     // the spinner
            QVERIFY2(has_white(QRect(20, 70, 300, 40)), beside);     // the message
        }
    }
};

QTEST_MAIN(TestAppPaths)
#include "tst_app_paths.moc"
