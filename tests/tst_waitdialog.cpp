// The busy dialog's look, and where its animation comes from: beside the
// program when readable there, else the next place, the resources at the last.

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
    void first_readable_data();
    void first_readable();
};

void TestWaitDialog::look_data()
{
    QTest::addColumn<QByteArray>("beside");
    QTest::newRow("beside the program") << QByteArray("copy");
    QTest::newRow("missing beside the program") << QByteArray();
    QTest::newRow("damaged beside the program") << QByteArray("GIF89a\x10\x00junk");
}

void TestWaitDialog::look()
{
    QFETCH(QByteArray, beside);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("image")));
    const QString besidePath = dir.filePath(QStringLiteral("image/wait.gif"));
    if (beside == "copy") {
        QVERIFY(QFile::copy(QFINDTESTDATA("../src/resources/image/wait.gif"), besidePath));
    } else if (!beside.isEmpty()) {
        QFile file(besidePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(beside);
    }
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
    QVERIFY(has_white(shot, QRect(115, 15, 70, 50)));             // the spinner, always
    QVERIFY(has_white(shot, QRect(20, 70, 300, 40)));             // the message
}

// Each candidate is "valid", "damaged", "empty" or "missing"; the expected
// index is the one chosen.
void TestWaitDialog::first_readable_data()
{
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<int>("expected");
    QTest::newRow("first readable") << QStringList{"valid", "valid"} << 0;
    QTest::newRow("missing, then readable") << QStringList{"missing", "valid", "valid"} << 1;
    QTest::newRow("damaged, then readable") << QStringList{"damaged", "valid"} << 1;
    QTest::newRow("empty, then readable") << QStringList{"empty", "missing", "valid"} << 2;
    QTest::newRow("none readable: the last") << QStringList{"damaged", "missing"} << 1;
}

void TestWaitDialog::first_readable()
{
    QFETCH(QStringList, kinds);
    QFETCH(int, expected);
    QTemporaryDir dir;
    const QString valid = QFINDTESTDATA("../src/resources/image/wait.gif");
    QStringList candidates;
    for (int i = 0; i < kinds.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("%1.gif").arg(i));
        if (kinds[i] == "valid") {
            QVERIFY(QFile::copy(valid, path));
        } else if (kinds[i] != "missing") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (kinds[i] == "damaged")
                file.write(QByteArray("GIF89a") + QByteArray(40, '\xff'));
        }
        candidates << path;
    }
    QCOMPARE(CCWaitDialog::first_readable_animation(candidates), candidates[expected]);
}

QTEST_MAIN(TestWaitDialog)
#include "tst_waitdialog.moc"
