// The busy dialog's look, and where its animation comes from: beside the
// program when readable there, else the next place, the resources at the last.

#include <QtTest>

#include "device/ccwaitdialog.h"

namespace {

bool has_white(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (const QColor c = image.pixelColor(x, y);
                c.alpha() == 255 && c.red() > 230 && c.green() > 230 && c.blue() > 230)
                return true;
    return false;
}

// Puts at `path` an animation of a kind: "valid", "damaged", "empty" or "missing".
bool make_animation(const QString &path, const QString &kind)
{
    if (kind == "valid")
        return QFile::copy(QFINDTESTDATA("../src/resources/image/wait.gif"), path);
    QFile file(path);
    if (kind == "missing")
        return true;
    return file.open(QIODevice::WriteOnly) &&
           (kind == "empty" || file.write(QByteArray("GIF89a") + QByteArray(40, '\xff')) > 0);
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
    QTest::addColumn<QString>("beside");
    for (const char *kind : {"valid", "missing", "damaged"})
        QTest::newRow(kind) << kind;
}

void TestWaitDialog::look()
{
    QFETCH(QString, beside);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("image")));
    QVERIFY(make_animation(dir.filePath(QStringLiteral("image/wait.gif")), beside));
    qputenv("TESSEL_APP_DIR", QFile::encodeName(dir.path()));

    CCWaitDialog dialog(QStringLiteral("Switching input signal...."));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(50);
    const QImage shot = dialog.grab().toImage();
    const QColor panel(55, 135, 215);
    QCOMPARE(shot.pixelColor(175, 5), panel);
    QCOMPARE(shot.pixelColor(340, 60), panel);
    QCOMPARE(shot.pixelColor(390, 60).alpha(), 0);    // transparent beyond the panel
    QVERIFY(has_white(shot, QRect(115, 15, 70, 50))); // the spinner, always
    QVERIFY(has_white(shot, QRect(20, 70, 300, 40))); // the message
}

// The kinds of the candidates, and the index of the one chosen.
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
    QStringList candidates;
    for (int i = 0; i < kinds.size(); ++i) {
        candidates << dir.filePath(QStringLiteral("%1.gif").arg(i));
        QVERIFY(make_animation(candidates.last(), kinds[i]));
    }
    QCOMPARE(CCWaitDialog::first_readable_animation(candidates), candidates[expected]);
}

QTEST_MAIN(TestWaitDialog)
#include "tst_waitdialog.moc"
