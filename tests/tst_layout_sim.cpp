// The multi-window page against tessel-sim over the serial link: what the page
// shows after connecting, and every edit comes back from a later read-back.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QTreeWidget>
#include <functional>

#include "device/codec.h"
#include "layout/cled.h"
#include "layout/itembox.h"
#include "support/sim_session.h"
#include "widgets/group_styles.h"
#include "support/when_shown.h"

namespace {

// Where a device rectangle shows on the 815 x 548 canvas.
QRect canvas_of(const sim::SimRect &out)
{
    const DevRect c = codec::to_canvas_rect({out.x, out.y, out.w, out.h}, 815, 548, 3840, 2160);
    return QRect(c.x, c.y, c.w, c.h);
}

QStringList tree_rows_of(const int32_t *layers, const int32_t *sources)
{
    QStringList rows;
    for (int i = 0; i < kWindowCount; ++i)
        rows << QStringLiteral("WINS:WIN%1:In").arg(layers[i] + 1) +
                    QChar('A' + sources[layers[i]]);
    return rows;
}

} // namespace

class TestLayoutSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_s.stop(); }

    void edits_come_back_from_readback();
    void copy_then_select_target_then_unlink();

private:
    itemBox *item(int win) const { return m_s.view->window_item(device_data.cur_mul_mode, win); }
    QStringList tree_rows() const;

    SimSession m_s;
};

void TestLayoutSim::init()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(QTest::qWaitForWindowExposed(m_s.view.get()));
    QVERIFY(m_s.connect_link());
}

QStringList TestLayoutSim::tree_rows() const
{
    QStringList rows;
    QTreeWidget *tree = m_s.view->form().treeWidget;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        rows << tree->topLevelItem(i)->text(0);
    return rows;
}

void TestLayoutSim::edits_come_back_from_readback()
{
    // After connecting: the device's effect, mode, windows, tree and button styles.
    const int mode = m_s.sim->image().cur_mul_mode;
    const sim::SimMode &sm = m_s.sim->image().mode_data[mode];
    QCOMPARE(device_data.cur_mul_mode, mode);
    QCOMPARE(m_s.view->form().comboBox->currentIndex(), m_s.sim->image().switch_effect);
    for (int m = 0; m < kModeCount; ++m)
        QCOMPARE(m_s.view->canvas(m)->isVisible(), m == mode);
    for (int w = 0; w < kWindowCount; ++w)
        QCOMPARE(item(w) ? item(w)->geometry() : QRect(), canvas_of(sm.win_out[w]));
    QCOMPARE(tree_rows(), tree_rows_of(sm.win_layers, sm.win_source));
    const auto &buttons = m_s.view->mode_buttons();
    QVERIFY(buttons[mode]->styleSheet() == group_style::on());
    QVERIFY(buttons[0]->styleSheet() == group_style::off());
    QVERIFY(buttons[13]->styleSheet().contains(":disabled") && !buttons[13]->isEnabled());

    // Close and reopen WIN2, the lowest free number.
    item(1)->mul_del_select_win();
    QVERIFY(!item(1));
    QCOMPARE(int(sm.win_open[1]), 0);
    m_s.view->new_create();
    QCOMPARE(int(sm.win_open[1]), 1);

    // Raise WIN1, then drag it by its centre: one rectangle command, on the release.
    m_s.view->Up_Win(0);
    QTRY_COMPARE(sm.win_layers[0], 0); // the layer move does not wait
    m_s.sim->clear_frame_log();
    itemBox *win1 = item(0);
    const QRect moved = win1->geometry().translated(40, 30);
    const QPoint grip(moved.width() / 2, moved.height() / 2);
    const QPoint end = win1->mapToGlobal(grip) + QPoint(40, 30);
    QTest::mousePress(win1, Qt::LeftButton, {}, grip);
    QTest::mouseMove(win1, grip + QPoint(15, 0));
    QTest::mouseMove(win1, win1->mapFromGlobal(end));
    QVERIFY(m_s.sim->frame_log().isEmpty());
    QTest::mouseRelease(win1, Qt::LeftButton, {}, win1->mapFromGlobal(end));
    QTRY_COMPARE(m_s.written_commands(), QList<int>{proto::kCmdRectangle});

    // Give WIN3 the source InB, set WIN2's border.
    item(2)->triggered_inB();
    QTRY_COMPARE(sm.win_source[2], 1);
    device_data.win_frame[1] = {0, 1, 2, 3, 9};
    m_s.view->set_mul_frame(1);
    QCOMPARE(m_s.sim->image().win_frame[1].size, 9);
    QCOMPARE(int(m_s.sim->image().win_frame[1].on), 0);
    const QStringList rows = tree_rows();

    // The attribute dialog reads the device's values when it opens.
    mulAttribute &dialog = m_s.view->attribute_dialog();
    m_s.sim->image().win_adjust[1].brightness = 33;
    when_shown(&dialog, [&] {
        QCOMPARE(dialog.form().lEdit->text(), QStringLiteral("33"));
        dialog.form().lEdit->clear();
        QTest::keyClicks(dialog.form().lEdit, "77");
        QTest::mouseClick(dialog.form().lBtn, Qt::LeftButton);
        dialog.reject();
    });
    item(1)->mul_attribute_triggered();
    QCOMPARE(m_s.sim->image().win_adjust[1].brightness, 77);

    // A fresh read-back shows what was sent.
    m_s.view->wins_set_clicked();
    QCOMPARE(tree_rows(), rows);
    QVERIFY(item(0) && item(1) && item(2) && item(3));
    // The device keeps output pixels: the canvas position comes back truncated twice.
    QCOMPARE(item(0)->geometry(), canvas_of(sm.win_out[0]));
    QVERIFY((item(0)->geometry().topLeft() - moved.topLeft()).manhattanLength() <= 2);
    QCOMPARE(item(2)->form().sourcelabel->text(), QStringLiteral("source:InB"));
    QCOMPARE(m_s.view->canvas(mode)->childAt(moved.center()), item(0));
}

void TestLayoutSim::copy_then_select_target_then_unlink()
{
    const int source = device_data.cur_mul_mode;
    copymode &dialog = m_s.view->mode_copy_dialog();
    when_shown(&dialog, [&] {
        QTest::mouseClick(dialog.form().btn_m5, Qt::LeftButton);
        QTest::mouseClick(dialog.form().pushButton, Qt::LeftButton);
        dialog.reject();
    });
    QTest::mouseClick(m_s.view->form().copyBtn_mul, Qt::LeftButton);
    QCOMPARE(dialog.form().comboBox->currentIndex(), source);

    // Selecting reads the mode's rectangles first, then sends the select.
    m_s.sim->clear_frame_log();
    QTest::mouseClick(m_s.view->form().m5Btn, Qt::LeftButton);
    QCOMPARE(m_s.sim->frame_log(), (QStringList{"3a01040100fe0a03053a", "3a01040100110a00053a"}));
    QVERIFY(m_s.view->canvas(5)->isVisible());
    QVERIFY(m_s.view->mode_buttons()[5]->styleSheet() == group_style::on());
    for (int w = 0; w < kWindowCount; ++w)
        QCOMPARE(item(w)->geometry(), canvas_of(m_s.sim->image().mode_data[source].win_out[w]));

    // Without a link a mode button moves the tree, not the canvas.
    QTest::mouseClick(m_s.view->form().cmclBtn, Qt::LeftButton);
    QTest::mouseClick(m_s.view->form().connectBtn, Qt::LeftButton); // disconnect
    m_s.sim->clear_frame_log();
    m_s.view->form().stackedWidget->setCurrentIndex(TesselView::kPageMultiWindow);
    const QStringList m5_rows = tree_rows();
    QTest::mouseClick(m_s.view->form().m0Btn, Qt::LeftButton);
    QCOMPARE(device_data.cur_mul_mode, 0);
    QVERIFY(m_s.view->canvas(5)->isVisible() && !m_s.view->canvas(0)->isVisible());
    QVERIFY(m_s.view->mode_buttons()[5]->styleSheet() == group_style::on());
    const ModeData &m0 = device_data.mode_data[0];
    QCOMPARE(tree_rows(), tree_rows_of(m0.win_layers.constData(), m0.win_source));
    QVERIFY(tree_rows() != m5_rows);
    QVERIFY(m_s.sim->frame_log().isEmpty());
}

QTEST_MAIN(TestLayoutSim)
#include "tst_layout_sim.moc"
