// The busy dialog's look, with and without its animation in the application
// directory: a missing animation only leaves the image area empty.

#include <QtTest>

#include "device/ccwaitdialog.h"

namespace {

bool has_white(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255 && c.red() > 230 && c.green() > 230 && c.blue() > 230)
                return true;
        }
    }
    return false;
}

} // namespace

class TestWaitDialog : public QObject
{
    Q_OBJECT

private slots:
    void look_data();
    void look();
};

void TestWaitDialog::look_data()
{
    QTest::addColumn<bool>("animation");
    QTest::newRow("with animation") << true;
    QTest::newRow("animation missing") << false;
}

void TestWaitDialog::look()
{
    QFETCH(bool, animation);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("image")));
    if (animation)
        QVERIFY(QFile::copy(QFINDTESTDATA("../src/resources/image/wait.gif"),
                            dir.filePath(QStringLiteral("image/wait.gif"))));
    qputenv("TESSEL_APP_DIR", QFile::encodeName(dir.path()));

    CCWaitDialog dialog(QStringLiteral("Switching input signal...."));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(50);
    const QImage shot = dialog.grab().toImage();
    const QColor panel(55, 135, 215);
    QCOMPARE(shot.pixelColor(175, 5), panel);
    QCOMPARE(shot.pixelColor(340, 60), panel);
    QCOMPARE(shot.pixelColor(390, 60).alpha(), 0);                // transparent beyond the panel
    QCOMPARE(has_white(shot, QRect(115, 15, 70, 50)), animation); // the spinner
    QVERIFY(has_white(shot, QRect(20, 70, 300, 40)));             // the message
}

QTEST_MAIN(TestWaitDialog)
#include "tst_waitdialog.moc"
