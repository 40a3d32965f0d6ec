// The multi-window page against tessel-sim over the serial link: what the page
// shows after connecting, and every edit comes back from a later read-back.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QTreeWidget>

#include "device/codec.h"
#include "layout/cled.h"
#include "layout/itembox.h"
#include "support/sim_session.h"
#include "support/when_shown.h"
#include "widgets/group_styles.h"

// Where a device rectangle shows on the 815 x 548 canvas.
static QRect canvas_of(const sim::SimRect &out)
{
    const DevRect c = codec::to_canvas_rect({out.x, out.y, out.w, out.h}, 815, 548, 3840, 2160);
    return QRect(c.x, c.y, c.w, c.h);
}

// The window tree's rows, top first, as the view shows them and as a stack says.
static QStringList tree_rows(TesselView &view)
{
    QStringList rows;
    for (QTreeWidgetItem *row : view.form().treeWidget->findItems("*", Qt::MatchWildcard))
        rows << row->text(0);
    return rows;
}
static QStringList tree_rows(const int32_t *layers, const int32_t *sources)
{
    QStringList rows;
    for (int i = 0; i < kWindowCount; ++i)
        rows << QStringLiteral("WINS:WIN%1:In").arg(layers[i] + 1) + QChar('A' + sources[layers[i]]);
    return rows;
}

class TestLayoutSim : public QObject
{
    Q_OBJECT

private slots:
    void edits_copy_and_select_come_back();
};

void TestLayoutSim::edits_copy_and_select_come_back()
{
    SimSession s;
    if (!s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(QTest::qWaitForWindowExposed(s.view.get()) && s.connect_link());
    TesselView &view = *s.view;
    auto &ui = view.form();
    sim::SimImage &image = s.sim->image();
    const auto item = [&view](int win) { return view.window_item(device_data.cur_mul_mode, win); };
    // After connecting: the device's effect, mode, windows, tree and button styles.
    const int mode = image.cur_mul_mode;
    const sim::SimMode &sm = image.mode_data[mode];
    QCOMPARE(ui.comboBox->currentIndex(), image.switch_effect);
    for (int m = 0; m < kModeCount; ++m)
        QCOMPARE(view.canvas(m)->isVisible(), m == mode);
    for (int w = 0; w < kWindowCount; ++w)
        QCOMPARE(item(w) ? item(w)->geometry() : QRect(), canvas_of(sm.win_out[w]));
    QCOMPARE(tree_rows(view), tree_rows(sm.win_layers, sm.win_source));
    const auto &buttons = view.mode_buttons();
    QCOMPARE((QStringList{buttons[mode]->styleSheet(), buttons[0]->styleSheet()}),
             (QStringList{group_style::on(), group_style::off()}));
    QVERIFY(buttons[13]->styleSheet().contains(":disabled") && !buttons[13]->isEnabled());

    // Close and reopen WIN2, the lowest free number.
    item(1)->mul_del_select_win();
    QVERIFY(!item(1) && !sm.win_open[1]);
    view.new_create();

    // Raise WIN1, then drag it by its centre: one rectangle command, on the release.
    view.Up_Win(0);
    QTRY_COMPARE(sm.win_layers[0], 0); // the layer move does not wait
    s.sim->clear_frame_log();
    itemBox *win1 = item(0);
    const QRect moved = win1->geometry().translated(40, 30);
    const QPoint grip(moved.width() / 2, moved.height() / 2);
    const QPoint end = win1->mapToGlobal(grip) + QPoint(40, 30);
    QTest::mousePress(win1, Qt::LeftButton, {}, grip);
    QTest::mouseMove(win1, win1->mapFromGlobal(end));
    QVERIFY(s.sim->frame_log().isEmpty());
    QTest::mouseRelease(win1, Qt::LeftButton, {}, win1->mapFromGlobal(end));
    QTRY_COMPARE(s.written_commands(), QList<int>{proto::kCmdRectangle});

    // Give WIN3 the source InB, set WIN2's border.
    item(2)->triggered_inB();
    QTRY_COMPARE(sm.win_source[2], 1);
    device_data.win_frame[1] = {0, 1, 2, 3, 9};
    view.set_mul_frame(1);
    QVERIFY(image.win_frame[1].size == 9 && !image.win_frame[1].on);
    const QStringList rows = tree_rows(view);

    // The attribute dialog reads the device's values when it opens.
    mulAttribute &dialog = view.attribute_dialog();
    image.win_adjust[1].brightness = 33;
    when_shown(&dialog, [&] {
        QCOMPARE(dialog.form().lEdit->text(), QStringLiteral("33"));
        dialog.form().lEdit->setText("77");
        QTest::mouseClick(dialog.form().lBtn, Qt::LeftButton);
        dialog.reject();
    });
    item(1)->mul_attribute_triggered();
    QCOMPARE(image.win_adjust[1].brightness, 77);

    // A fresh read-back shows what was sent; the device keeps output pixels, so
    // the canvas position comes back truncated twice.
    view.wins_set_clicked();
    QCOMPARE(tree_rows(view), rows);
    QVERIFY(item(0) && item(1) && item(2) && item(3));
    QCOMPARE(item(0)->geometry(), canvas_of(sm.win_out[0]));
    QVERIFY((item(0)->geometry().topLeft() - moved.topLeft()).manhattanLength() <= 2);
    QCOMPARE(item(2)->form().sourcelabel->text(), QStringLiteral("source:InB"));
    QCOMPARE(view.canvas(mode)->childAt(moved.center()), item(0));

    // Copy this mode to M5, then select M5: its rectangles are read first, then
    // the select is sent.
    copymode &copy = view.mode_copy_dialog();
    when_shown(&copy, [&] {
        QTest::mouseClick(copy.form().btn_m5, Qt::LeftButton);
        QTest::mouseClick(copy.form().pushButton, Qt::LeftButton);
        copy.reject();
    });
    QTest::mouseClick(ui.copyBtn_mul, Qt::LeftButton);
    QCOMPARE(copy.form().comboBox->currentIndex(), mode);
    s.sim->clear_frame_log();
    QTest::mouseClick(ui.m5Btn, Qt::LeftButton);
    QCOMPARE(s.sim->frame_log(), (QStringList{"3a01040100fe0a03053a", "3a01040100110a00053a"}));
    QVERIFY(view.canvas(5)->isVisible() && buttons[5]->styleSheet() == group_style::on());
    for (int w = 0; w < kWindowCount; ++w)
        QCOMPARE(item(w)->geometry(), canvas_of(sm.win_out[w]));

    // Without a link a mode button moves the tree, not the canvas.
    QTest::mouseClick(ui.cmclBtn, Qt::LeftButton);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton); // disconnect
    ui.stackedWidget->setCurrentIndex(TesselView::kPageMultiWindow);
    QTest::mouseClick(ui.m0Btn, Qt::LeftButton);
    QVERIFY(view.canvas(5)->isVisible() && !view.canvas(0)->isVisible());
    QVERIFY(buttons[5]->styleSheet() == group_style::on());
    const ModeData &m0 = device_data.mode_data[0];
    QCOMPARE(tree_rows(view), tree_rows(m0.win_layers.constData(), m0.win_source));
    QVERIFY(tree_rows(view) != rows); // M5 shows the copied tree
}

QTEST_MAIN(TestLayoutSim)
#include "tst_layout_sim.moc"
