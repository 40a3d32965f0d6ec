// The coverage map and the question before a unit change, against the
// simulated device: what the summaries say and how the map follows the mode
// buttons and the language, and what Yes and No let through to the device.

#include <QLabel>
#include <QtTest>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "output/mosaic/mosaic.h"
#include "output/mosaic/winclass.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

// Mode 0 leaves a one-pixel column open at the right end of OutB:DVI-4; mode 1
// is tiled exactly by eight units of 960 x 1080 (OutA on the top row).
sim::SimImage gap_image()
{
    sim::SimImage image = sim::SimImage::factory();
    image.mosaic_on = 0;
    for (int mode = 0; mode < 2; ++mode) {
        sim::SimMode &m = image.mode_data[mode];
        m.out_total_w = 3840;
        m.out_total_h = 2160;
        for (int card = 0; card < 2; ++card)
            for (int port = 0; port < 4; ++port)
                m.unit_rect[card][port] = {960 * port, 1080 * card, 960, 1080};
        for (int wall = 0; wall < 4; ++wall)
            m.wall_size[wall] = {1920, 2160};
    }
    image.mode_data[0].unit_rect[1][3].w = 959;
    return image;
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QStringList summaries(const WallCoverage &dialog)
{
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>(QStringLiteral("summaryLabel")))
        texts << label->text();
    return texts;
}

// Pixels of the picture of a wall in the hatching colour of gaps.
int red_pixels(const WallCoverage &dialog)
{
    const QImage image =
        dialog.findChild<QWidget *>(QStringLiteral("wallPicture"))->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == QColor(230, 30, 30);
    return n;
}

const char kOverlapQuestion[] = "OutA:DVI-2 overlaps OutA:DVI-1 by 1 x 1080 pixels.\n"
                                "OutA:DVI-2 leaves a gap of 1 x 1080 pixels at (1919, 0) in "
                                "wall 1.\nSend anyway?";

} // namespace

class TestCoveragePage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }
    void map_follows_modes_and_language();
    void unit_save_question_data();
    void unit_save_question();
    void mosaic_assignment_question_data();
    void mosaic_assignment_question();

private:
    // On the output page in English, over the network link, showing `mode`.
    bool open(int mode);
    SimSession m_s;
};

bool TestCoveragePage::open(int mode)
{
    sim::SimImage image = gap_image();
    image.cur_out_mode = mode;
    if (!m_s.start(false, image) || !m_s.connect_link())
        return false;
    auto &ui = m_s.view->form();
    ui.eradioBtn->click();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    m_s.sim->clear_frame_log();
    return ui.stackedWidget->currentIndex() == TesselView::kPageOutput;
}

void TestCoveragePage::map_follows_modes_and_language()
{
    QVERIFY(open(0));
    auto &ui = m_s.view->form();
    WallCoverage &dialog = m_s.view->coverage_dialog();
    QCOMPARE(ui.coverageBtn->text(), QStringLiteral("Coverage"));
    QTest::mouseClick(ui.coverageBtn, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(m_s.sim->frame_log().isEmpty()); // drawn from the records alone
    QCOMPARE(summaries(dialog),
             QStringList{"Wall 1: 3840 x 2160, 8 ports, gaps 1080 pixels, no overlaps"});
    QCOMPARE(dialog.reports().value(0).gaps, (QVector<DevRect>{{3839, 1080, 1, 1080}}));
    QVERIFY(red_pixels(dialog) > 0); // one wall pixel wide, still drawn

    // The open map follows the mode buttons; the page sends what it always sent.
    QTest::mouseClick(ui.m1Btn_out, Qt::LeftButton);
    QCOMPARE(m_s.written_commands(), QList<int>{17});
    QCOMPARE(summaries(dialog), QStringList{"Wall 1: 3840 x 2160, 8 ports, no gaps, no overlaps"});
    QCOMPARE(red_pixels(dialog), 0);

    ui.cradioBtn->click();
    QCOMPARE(ui.coverageBtn->text(), QStringLiteral("覆盖检查"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("覆盖检查"));
    QCOMPARE(summaries(dialog), QStringList{"拼接屏 1：3840 x 2160，8 个端口，无空隙，无重叠"});

    // Four walls: one summary per wall. Every port is on wall 1 (no
    // assignment stored), where half of them lie outside; each of the other
    // walls is one open gap.
    ui.eradioBtn->click();
    m_s.sim->image().mosaic_on = 1;
    device_data.mosaic_on = 1;
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    const QStringList four = summaries(dialog);
    QCOMPARE(four.size(), 4);
    QCOMPARE(four[0], QStringLiteral("Wall 1: 1920 x 2160, 8 ports, no gaps, no overlaps, "
                                     "outside the wall 4147200 pixels (OutA:DVI-3, OutA:DVI-4, "
                                     "OutB:DVI-3, OutB:DVI-4)"));
    QCOMPARE(four[3], QStringLiteral("Wall 4: 1920 x 2160, no ports, gaps 4147200 pixels, "
                                     "no overlaps"));
}

void TestCoveragePage::unit_save_question_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("card");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("sent");

    // OutA:DVI-2 one pixel to the left, over DVI-1.
    QTest::newRow("overlap, No") << 1 << 0 << 1 << 959 << 960 << int(QMessageBox::No)
                                 << QString(kOverlapQuestion) << false;
    QTest::newRow("overlap, Yes") << 1 << 0 << 1 << 959 << 960 << int(QMessageBox::Yes)
                                  << QString(kOverlapQuestion) << true;
    // Closing mode 0's gap brings nothing new: no question.
    QTest::newRow("closing a gap")
        << 0 << 1 << 3 << 2880 << 960 << int(QMessageBox::No) << QString() << true;
}

void TestCoveragePage::unit_save_question()
{
    QFETCH(int, mode);
    QFETCH(int, card);
    QFETCH(int, port);
    QFETCH(int, x);
    QFETCH(int, w);
    QVERIFY(open(mode));
    auto &ui = m_s.view->form();
    const DevRect before = device_data.mode_data[mode].unit_rect[card][port];
    m_s.view->clicked_out_port_btn(card, port);
    retype(ui.inwEdit, QString::number(w));
    retype(ui.inxEdit, QString::number(x));
    QFETCH(int, answer);
    ModalAnswerer boxes(static_cast<QMessageBox::StandardButton>(answer));
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);

    QFETCH(QString, question);
    QCOMPARE(boxes.texts, question.isEmpty() ? QStringList() : QStringList{question});
    QFETCH(bool, sent);
    QCOMPARE(m_s.written_commands(), sent ? (QList<int>{162, 149}) : QList<int>());
    const DevRect expected = sent ? DevRect{x, before.y, w, 1080} : before;
    QCOMPARE(device_data.mode_data[mode].unit_rect[card][port], expected);
    const sim::SimRect &on_device = m_s.sim->image().mode_data[mode].unit_rect[card][port];
    QCOMPARE((DevRect{on_device.x, on_device.y, on_device.w, on_device.h}), expected);
}

void TestCoveragePage::mosaic_assignment_question_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("No") << int(QMessageBox::No);
    QTest::newRow("Yes") << int(QMessageBox::Yes);
}

void TestCoveragePage::mosaic_assignment_question()
{
    QVERIFY(open(1));
    m_s.view->form().cradioBtn->click();
    mosaic &editor = m_s.view->mosaic_dialog();
    editor.prepare_editor();
    editor.show();
    // A new unit at the wall's origin, given to OutA:DVI-2: it covers DVI-1
    // and leaves DVI-2's place open.
    editor.create_led_copy(960, 1080);
    const int id = editor.copy_units().last().id;
    QFETCH(int, answer);
    ModalAnswerer boxes(static_cast<QMessageBox::StandardButton>(answer));
    editor.change_out_2_led_size(0, 1, id);

    QCOMPARE(boxes.titles, QStringList{"提示"});
    QCOMPARE(boxes.texts,
             QStringList{"OutA:DVI-2 与 OutA:DVI-1 重叠 960 x 1080 像素。\n"
                         "OutA:DVI-2 在拼接屏 1 的 (960, 0) 处留下 960 x 1080 像素的空隙。\n"
                         "仍然发送？"});
    const bool yes = answer == QMessageBox::Yes;
    QCOMPARE(m_s.written_commands(), yes ? (QList<int>{162, 149}) : QList<int>());
    QCOMPARE(editor.copy_units().size(), yes ? 0 : 1);
    const DevRect expected = yes ? DevRect{0, 0, 960, 1080} : DevRect{960, 0, 960, 1080};
    QCOMPARE(device_data.mode_data[1].unit_rect[0][1], expected);
    QCOMPARE(m_s.sim->image().mode_data[1].unit_rect[0][1].x, expected.x);
    editor.close();
}

QTEST_MAIN(TestCoveragePage)
#include "tst_coverage_page.moc"
