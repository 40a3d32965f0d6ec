// The coverage map and the question before a unit change, on the simulated device.

#include <QLabel>
#include <QtTest>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "output/mosaic/mosaic.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "support/when_shown.h"

namespace {

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
    const QImage image = dialog.findChild<QWidget *>(QStringLiteral("wallPicture"))
                             ->grab()
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const auto *first = reinterpret_cast<const QRgb *>(image.constBits());
    return int(std::count(first, first + image.width() * image.height(), qRgb(230, 30, 30)));
}

} // namespace

class TestCoveragePage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }
    void map_and_questions();

private:
    // Saves a unit 960 wide at `x` for a port, answering `answer`: the questions.
    QStringList save_unit(int card, int port, int x, QMessageBox::StandardButton answer)
    {
        auto &ui = m_s.view->form();
        m_s.sim->clear_frame_log();
        m_s.view->clicked_out_port_btn(card, port);
        for (QLineEdit *edit : {ui.inwEdit, ui.inxEdit}) {
            edit->selectAll();
            QTest::keyClicks(edit, QString::number(edit == ui.inwEdit ? 960 : x));
        }
        ModalAnswerer boxes(answer);
        QTest::mouseClick(ui.pushButton, Qt::LeftButton);
        return boxes.texts;
    }
    // A unit of mode 0 as the records hold it, provided the device holds the same.
    DevRect unit(int card, int port) const
    {
        const sim::SimRect &s = m_s.sim->image().mode_data[0].unit_rect[card][port];
        const DevRect d = device_data.mode_data[0].unit_rect[card][port];
        return d == DevRect{s.x, s.y, s.w, s.h} ? d : DevRect{-1, -1, -1, -1};
    }
    SimSession m_s;
};

void TestCoveragePage::map_and_questions()
{
    // 960 x 1080 units tile mode 1; mode 0 leaves a column open after OutB:DVI-4.
    sim::SimImage image = sim::SimImage::factory();
    image.mosaic_on = image.cur_out_mode = 0;
    for (sim::SimMode *m : {&image.mode_data[0], &image.mode_data[1]}) {
        m->out_total_w = 3840;
        m->out_total_h = 2160;
        for (int i = 0; i < 8; ++i)
            m->unit_rect[i / 4][i % 4] = {960 * (i % 4), 1080 * (i / 4), 960, 1080};
        for (int wall = 0; wall < 4; ++wall)
            m->wall_size[wall] = {1920, 2160};
    }
    image.mode_data[0].unit_rect[1][3].w = 959;
    QVERIFY(m_s.start(false, image) && m_s.connect_link());
    auto &ui = m_s.view->form();
    ui.eradioBtn->click();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageOutput));
    m_s.sim->clear_frame_log();
    WallCoverage &dialog = m_s.view->coverage_dialog();
    QCOMPARE(ui.coverageBtn->text(), QStringLiteral("Coverage"));
    QTest::mouseClick(ui.coverageBtn, Qt::LeftButton);
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(m_s.sim->frame_log().isEmpty()); // drawn from the records alone
    QCOMPARE(summaries(dialog),
             QStringList{"Wall 1: 3840 x 2160, 8 ports, gaps 1080 pixels, no overlaps"});
    QVERIFY(red_pixels(dialog) > 0); // one wall pixel wide, still drawn

    // Closing the gap brings nothing new: no question.
    QCOMPARE(save_unit(1, 3, 2880, QMessageBox::No), QStringList());
    QCOMPARE(m_s.written_commands(), (QList<int>{162, 149}));
    QCOMPARE(unit(1, 3), (DevRect{2880, 1080, 960, 1080}));
    // OutA:DVI-2 one pixel to the left, over DVI-1: No keeps it, Yes sends it.
    const QStringList question{"OutA:DVI-2 overlaps OutA:DVI-1 by 1 x 1080 pixels.\n"
                               "OutA:DVI-2 leaves a gap of 1 x 1080 pixels at (1919, 0) in "
                               "wall 1.\nSend anyway?"};
    QCOMPARE(save_unit(0, 1, 959, QMessageBox::No), question);
    QCOMPARE(m_s.written_commands(), QList<int>());
    QCOMPARE(unit(0, 1), (DevRect{960, 0, 960, 1080}));
    QCOMPARE(save_unit(0, 1, 959, QMessageBox::Yes), question);
    QCOMPARE(m_s.written_commands(), (QList<int>{162, 149}));
    QCOMPARE(unit(0, 1), (DevRect{959, 0, 960, 1080}));

    // The mosaic editor asks too: a new unit at the origin given to OutA:DVI-2
    // covers DVI-1 and leaves DVI-2's place open; Yes sends it.
    ui.cradioBtn->click();
    QCOMPARE(ui.coverageBtn->text(), QStringLiteral("覆盖检查"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("覆盖检查"));
    mosaic *editor = &m_s.view->mosaic_dialog();
    when_shown(editor, [this, editor] {
        const auto close = qScopeGuard([editor] { editor->accept(); });
        editor->create_led_copy(960, 1080);
        const int id = editor->copy_units().last().id;
        for (QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
            m_s.sim->clear_frame_log();
            ModalAnswerer boxes(answer);
            editor->change_out_2_led_size(0, 1, id);
            QCOMPARE(boxes.titles, QStringList{"提示"});
            QCOMPARE(
                boxes.texts,
                QStringList{"OutA:DVI-2 与 OutA:DVI-1 重叠 960 x 1080 像素。\n"
                            "OutA:DVI-2 在拼接屏 1 的 (960, 0) 处留下 959 x 1080 像素的空隙。\n"
                            "仍然发送？"});
            const bool yes = answer == QMessageBox::Yes;
            QCOMPARE(m_s.written_commands(), yes ? (QList<int>{162, 149}) : QList<int>());
            QCOMPARE(editor->copy_units().size(), yes ? 0 : 1);
            QCOMPARE(unit(0, 1), (yes ? DevRect{0, 0, 960, 1080} : DevRect{959, 0, 960, 1080}));
        }
        QCOMPARE(m_s.sim->image().mode_data[0].led_in_rect[0][1], (sim::SimRect{0, 0, 960, 1080}));
    });
    QTest::mouseClick(ui.btn_fast_splicing, Qt::LeftButton);
    QCOMPARE(m_s.written_commands(), (QList<int>{162, 149}));
    // The page re-reads the unit from the device.
    device_data.mode_data[0].unit_rect[0][1] = DevRect{};
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QCOMPARE((QStringList{ui.inxEdit->text(), ui.inyEdit->text(), ui.inwEdit->text(),
                          ui.inhEdit->text()}),
             (QStringList{"0", "0", "960", "1080"}));

    // The open map follows the mode buttons and the language.
    m_s.sim->clear_frame_log();
    QTest::mouseClick(ui.m1Btn_out, Qt::LeftButton);
    QCOMPARE(m_s.written_commands(), QList<int>{17});
    QCOMPARE(summaries(dialog), QStringList{"拼接屏 1：3840 x 2160，8 个端口，无空隙，无重叠"});
    QCOMPARE(red_pixels(dialog), 0);
    ui.eradioBtn->click();
    QCOMPARE(summaries(dialog), QStringList{"Wall 1: 3840 x 2160, 8 ports, no gaps, no overlaps"});

    // Four walls: every port on wall 1 (none stored), half outside; the others open.
    m_s.sim->image().mosaic_on = device_data.mosaic_on = 1;
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    const QString open_wall("Wall %1: 1920 x 2160, no ports, gaps 4147200 pixels, no overlaps");
    QCOMPARE(summaries(dialog),
             (QStringList{"Wall 1: 1920 x 2160, 8 ports, no gaps, no overlaps, outside the wall "
                          "4147200 pixels (OutA:DVI-3, OutA:DVI-4, OutB:DVI-3, OutB:DVI-4)",
                          open_wall.arg(2), open_wall.arg(3), open_wall.arg(4)}));
}

QTEST_MAIN(TestCoveragePage)
#include "tst_coverage_page.moc"
