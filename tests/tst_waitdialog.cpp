#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMovie>
#include <QTemporaryDir>
#include <QtTest>

#include "device/ccwaitdialog.h"

namespace {

const QColor kPanelBlue(55, 135, 215);

QFrame *panel(const CCWaitDialog &dialog)
{
    const auto frames = dialog.findChildren<QFrame *>(QString(), Qt::FindDirectChildrenOnly);
    return frames.size() == 1 ? frames.first() : nullptr;
}

QLabel *movieLabel(const QFrame &frame)
{
    for (QLabel *label : frame.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (label->movie())
            return label;
    }
    return nullptr;
}

QLabel *textLabel(const QFrame &frame)
{
    for (QLabel *label : frame.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!label->movie())
            return label;
    }
    return nullptr;
}

bool hasWhite(const QImage &image, const QRect &area)
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
    void initTestCase();
    void cleanup();

    void bundledImagesLoad();
    void lookWithAnimation();
    void missingAnimationLeavesImageAreaEmpty();

private:
    QString m_sourceGif;
};

void TestWaitDialog::initTestCase()
{
    m_sourceGif = QFINDTESTDATA("../src/resources/image/wait.gif");
    QVERIFY(!m_sourceGif.isEmpty());
}

void TestWaitDialog::cleanup()
{
    qunsetenv("TESSEL_APP_DIR");
}

void TestWaitDialog::bundledImagesLoad()
{
    // The core library is static: its resources register only when asked for.
    Q_INIT_RESOURCE(tessel);
    const QIcon icon(QStringLiteral(":/TesselView/logo.ico"));
    QVERIFY(!icon.isNull());
    for (const int side : {16, 32, 48, 256})
        QVERIFY2(icon.availableSizes().contains(QSize(side, side)),
                 qPrintable(QString::number(side)));

    QMovie movie(m_sourceGif);
    QVERIFY(movie.isValid());
    QVERIFY(movie.frameCount() > 1);
    QCOMPARE(movie.loopCount(), -1); // loops for ever
}

void TestWaitDialog::lookWithAnimation()
{
    QTemporaryDir appDir;
    QVERIFY(appDir.isValid());
    QVERIFY(QDir(appDir.path()).mkpath(QStringLiteral("image")));
    QVERIFY(QFile::copy(m_sourceGif, appDir.filePath(QStringLiteral("image/wait.gif"))));
    qputenv("TESSEL_APP_DIR", QFile::encodeName(appDir.path()));

    QWidget owner;
    CCWaitDialog dialog(QStringLiteral("Switching input signal...."), &owner);

    QCOMPARE(dialog.parentWidget(), &owner);
    QCOMPARE(dialog.minimumSize(), QSize(400, 120));
    QCOMPARE(dialog.maximumSize(), QSize(400, 120));
    QCOMPARE(dialog.windowFlags(), Qt::Dialog | Qt::FramelessWindowHint);
    QVERIFY(qAbs(dialog.windowOpacity() - 0.8) < 0.005);
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(dialog.message(), QStringLiteral("Switching input signal...."));

    QFrame *frame = panel(dialog);
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(0, 0, 350, 120));

    QLabel *image = movieLabel(*frame);
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(115, 15, 70, 50));
    QCOMPARE(image->alignment(), Qt::AlignHCenter);
    QVERIFY(image->hasScaledContents());

    QLabel *text = textLabel(*frame);
    QVERIFY(text);
    QCOMPARE(text->geometry(), QRect(20, 70, 300, 40));
    QCOMPARE(text->text(), dialog.message());
    QCOMPARE(text->alignment(), Qt::AlignHCenter);
    QVERIFY(text->wordWrap());

    // Playing from construction on, before anyone shows the dialog.
    QMovie *movie = image->movie();
    QVERIFY(movie->parent() == nullptr);
    QCOMPARE(QFileInfo(movie->fileName()).canonicalFilePath(),
             QFileInfo(appDir.filePath(QStringLiteral("image/wait.gif"))).canonicalFilePath());
    QVERIFY(movie->isValid());
    QCOMPARE(movie->state(), QMovie::Running);
    const int firstFrame = movie->currentFrameNumber();
    QTRY_VERIFY(movie->currentFrameNumber() != firstFrame);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QImage shot = dialog.grab().toImage();
    QCOMPARE(shot.pixelColor(175, 5), kPanelBlue);   // panel above the image
    QCOMPARE(shot.pixelColor(340, 60), kPanelBlue);  // panel right of the text
    QCOMPARE(shot.pixelColor(390, 60).alpha(), 0);   // transparent beyond the panel
    QVERIFY(hasWhite(shot, QRect(115, 15, 70, 50))); // the spinner
    QVERIFY(hasWhite(shot, QRect(20, 70, 300, 40))); // the message
}

void TestWaitDialog::missingAnimationLeavesImageAreaEmpty()
{
    QTemporaryDir appDir; // no image/wait.gif inside
    QVERIFY(appDir.isValid());
    qputenv("TESSEL_APP_DIR", QFile::encodeName(appDir.path()));

    auto *dialog = new CCWaitDialog(QStringLiteral("Device initialization, please wait...."));
    QCOMPARE(dialog->message(), QStringLiteral("Device initialization, please wait...."));
    QFrame *frame = panel(*dialog);
    QVERIFY(frame);
    QLabel *image = movieLabel(*frame);
    QVERIFY(image);
    QVERIFY(!image->movie()->isValid());
    QVERIFY(textLabel(*frame));

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTest::qWait(50);
    const QImage shot = dialog->grab().toImage();
    QCOMPARE(shot.pixelColor(175, 40), kPanelBlue); // panel shows through the empty image
    QVERIFY(!hasWhite(shot, QRect(115, 15, 70, 50)));
    QVERIFY(hasWhite(shot, QRect(20, 70, 300, 40)));

    // Closing from outside and deleting must be clean without a valid movie.
    dialog->close();
    delete dialog;
}

QTEST_MAIN(TestWaitDialog)
#include "tst_waitdialog.moc"
