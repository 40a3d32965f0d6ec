// The multi-window page against tessel-sim over the serial pseudo-terminal:
// what the page shows after connecting, and that every edit is what a later
// read-back brings back.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QTemporaryDir>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include "app/tesselview.h"
#include "layout/cled.h"
#include "layout/itembox.h"
#include "layout/mode_styles.h"
#include "sim_server.h"

namespace {

const QStringList kCards{"InA", "InB", "InC", "InD"};

DevRect dev(const sim::SimRect &r)
{
    return {r.x, r.y, r.w, r.h};
}

QRect canvas_of(const DevRect &out)
{
    // 815 x 548 canvas, truncated: the worked conversion.
    return QRect(int(out.x * 815.0 / 3840), int(out.y * 548.0 / 2160), int(out.w * 815.0 / 3840),
                 int(out.h * 548.0 / 2160));
}

// Runs `act` once the dialog is on screen (opening may first read from the device).
void when_shown(QWidget *dialog, std::function<void()> act)
{
    auto *poll = new QTimer(dialog);
    QObject::connect(poll, &QTimer::timeout, dialog, [dialog, poll, act] {
        if (!dialog->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        act();
    });
    poll->start(20);
}

int count_command(const QStringList &log, uint8_t command)
{
    const QString code = QString::asprintf("%02x", command);
    int n = 0;
    for (const QString &line : log)
        n += line.mid(10, 2) == code ? 1 : 0;
    return n;
}

} // namespace

class TestLayoutSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connect_shows_device_layout();
    void edits_come_back_from_readback();
    void copy_then_select_target();
    void attribute_dialog_saves_gray_for_all_windows();
    void mode_button_without_link();
    void clicking_shown_mode_reads_again();

private:
    bool connect_serial();
    itemBox *item(int win) const { return m_view->window_item(device_data.cur_mul_mode, win); }
    QStringList tree_rows() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<TesselView> m_view;
};

void TestLayoutSim::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
    m_view = std::make_unique<TesselView>();
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    QVERIFY(connect_serial());
}

void TestLayoutSim::cleanup()
{
    m_view.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestLayoutSim::connect_serial()
{
    const QString path = m_sim->open_pty();
    if (path.isEmpty())
        return false;
    auto &ui = m_view->form();
    m_view->add_extra_serial_port(path);
    ui.serialradioBtn->click();
    ui.serialBox->setCurrentText(path);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    return device_data.serial_open == 1;
}

QStringList TestLayoutSim::tree_rows() const
{
    QStringList rows;
    QTreeWidget *tree = m_view->form().treeWidget;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        rows << tree->topLevelItem(i)->text(0);
    return rows;
}

void TestLayoutSim::connect_shows_device_layout()
{
    const sim::SimImage &img = m_sim->image();
    const int mode = img.cur_mul_mode;
    QCOMPARE(device_data.cur_mul_mode, mode);
    QCOMPARE(m_view->form().comboBox->currentIndex(), img.switch_effect);
    QCOMPARE(m_view->form().stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    for (int m = 0; m < kModeCount; ++m)
        QCOMPARE(m_view->canvas(m)->isVisible(), m == mode);
    for (int w = 0; w < kWindowCount; ++w) {
        QVERIFY(item(w));
        QCOMPARE(item(w)->geometry(), canvas_of(dev(img.mode_data[mode].win_out[w])));
    }
    QStringList expected;
    for (int32_t w : img.mode_data[mode].win_layers)
        expected << QStringLiteral("WINS:WIN%1:").arg(w + 1) +
                        kCards.value(img.mode_data[mode].win_source[w]);
    QCOMPARE(tree_rows(), expected);
    QVERIFY(m_view->mode_buttons()[mode]->styleSheet().startsWith(mode_style::on()));
    QVERIFY(m_view->mode_buttons()[0]->styleSheet().startsWith(mode_style::off()));
    QVERIFY(m_view->mode_buttons()[13]->styleSheet().contains(":disabled"));
    QVERIFY(!m_view->mode_buttons()[13]->isEnabled());
}

void TestLayoutSim::edits_come_back_from_readback()
{
    const int mode = device_data.cur_mul_mode;
    const sim::SimMode &sm = m_sim->image().mode_data[mode];

    // Close and reopen WIN2: only the open mask goes out.
    item(1)->mul_del_select_win();
    QVERIFY(!item(1));
    QCOMPARE(int(sm.win_open[1]), 0);
    m_view->new_create();
    QCOMPARE(int(sm.win_open[1]), 1);

    // Raise WIN1, then drag it by its centre: one rectangle command, on the release.
    m_view->Up_Win(0);
    QTRY_COMPARE(sm.win_layers[0], 0); // the layer move does not wait
    m_sim->clear_frame_log();
    itemBox *win1 = item(0);
    const QRect before = win1->geometry();
    const QPoint grip(before.width() / 2, before.height() / 2);
    const QPoint end = win1->mapToGlobal(grip) + QPoint(40, 30);
    QTest::mousePress(win1, Qt::LeftButton, {}, grip);
    QTest::mouseMove(win1, grip + QPoint(15, 0));
    QTest::mouseMove(win1, win1->mapFromGlobal(end));
    QCOMPARE(m_sim->frame_log().size(), 0);
    QTest::mouseRelease(win1, Qt::LeftButton, {}, win1->mapFromGlobal(end));
    QTRY_COMPARE(count_command(m_sim->frame_log(), 21), 1);
    QTest::qWait(100);
    QCOMPARE(m_sim->frame_log().size(), 1);
    const QRect moved = before.translated(40, 30);
    QCOMPARE(win1->geometry(), moved);
    QCOMPARE(dev(sm.win_in[0]), (DevRect{0, 0, 3840, 2160}));
    QCOMPARE(sm.win_out[0].x, int(moved.x() * 3840.0 / 815));

    // Give WIN3 the source InB, set WIN2's border.
    item(2)->triggered_inB();
    QTRY_COMPARE(sm.win_source[2], 1);
    device_data.win_frame[1] = {0, 1, 2, 3, 9};
    m_view->set_mul_frame(1);
    QCOMPARE(m_sim->image().win_frame[1].size, 9);
    QCOMPARE(int(m_sim->image().win_frame[1].on), 0);
    const QStringList rows = tree_rows();

    // A fresh read-back shows what was sent.
    m_view->wins_set_clicked();
    QCOMPARE(tree_rows(), rows);
    QCOMPARE(rows.first().left(10), QStringLiteral("WINS:WIN1:"));
    QVERIFY(item(0) && item(1) && item(2) && item(3));
    // The device keeps output pixels: the canvas position comes back truncated twice.
    QCOMPARE(item(0)->geometry(), canvas_of(dev(sm.win_out[0])));
    QVERIFY((item(0)->geometry().topLeft() - moved.topLeft()).manhattanLength() <= 2);
    QCOMPARE(item(2)->form().sourcelabel->text(), QStringLiteral("source:InB"));
    QCOMPARE(m_view->canvas(mode)->childAt(moved.center()), item(0));
}

void TestLayoutSim::copy_then_select_target()
{
    const int source = device_data.cur_mul_mode;
    copymode &dialog = m_view->mode_copy_dialog();
    when_shown(&dialog, [&] {
        QTest::mouseClick(dialog.form().btn_m5, Qt::LeftButton);
        QTest::mouseClick(dialog.form().pushButton, Qt::LeftButton);
        dialog.reject();
    });
    QTest::mouseClick(m_view->form().copyBtn_mul, Qt::LeftButton);
    QCOMPARE(dialog.form().comboBox->currentIndex(), source);
    QCOMPARE(dialog.target_mode(), 5);

    QTest::mouseClick(m_view->form().m5Btn, Qt::LeftButton);
    QCOMPARE(device_data.cur_mul_mode, 5);
    QVERIFY(m_view->canvas(5)->isVisible());
    const sim::SimMode &src = m_sim->image().mode_data[source];
    for (int w = 0; w < kWindowCount; ++w) {
        QCOMPARE(device_data.mode_data[5].win_out[w], dev(src.win_out[w]));
        QCOMPARE(item(w)->geometry(), canvas_of(dev(src.win_out[w])));
    }
    QVERIFY(m_view->mode_buttons()[5]->styleSheet().startsWith(mode_style::on()));
}

void TestLayoutSim::attribute_dialog_saves_gray_for_all_windows()
{
    mulAttribute &dialog = m_view->attribute_dialog();
    m_sim->clear_frame_log();
    when_shown(&dialog, [&] {
        // Read back on opening.
        QCOMPARE(dialog.form().lEdit->text(),
                 QString::number(m_sim->image().win_adjust[1].brightness));
        dialog.form().lEdit->clear();
        QTest::keyClicks(dialog.form().lEdit, "77");
        QTest::mouseClick(dialog.form().lBtn, Qt::LeftButton);
        dialog.reject();
    });
    item(1)->mul_attribute_triggered();
    const sim::SimImage &img = m_sim->image();
    QCOMPARE(img.win_adjust[1].brightness, 77);
    const QString sent = m_sim->frame_log().filter(QRegularExpression("^3a0104010019")).value(0);
    QCOMPARE(sent.size(), 27 * 2);
    // Fifth set first, then windows 0..3, then twelve zero bytes.
    const QString values = QString::asprintf(
        "%02x%02x%02x%02x%02x", img.win_adjust[4].brightness, img.win_adjust[0].brightness, 77,
        img.win_adjust[2].brightness, img.win_adjust[3].brightness);
    QCOMPARE(sent.mid(18, 10), values);
}

void TestLayoutSim::mode_button_without_link()
{
    QTest::mouseClick(m_view->form().m0Btn, Qt::LeftButton);
    QVERIFY(m_view->canvas(0)->isVisible());
    QTest::mouseClick(m_view->form().cmclBtn, Qt::LeftButton);
    QTest::mouseClick(m_view->form().connectBtn, Qt::LeftButton); // disconnect
    QCOMPARE(int(device_data.serial_open), 0);
    QVERIFY(!item(0));
    m_sim->clear_frame_log();
    m_view->form().stackedWidget->setCurrentIndex(TesselView::kPageMultiWindow);
    QTest::mouseClick(m_view->form().m3Btn, Qt::LeftButton);
    QCOMPARE(device_data.cur_mul_mode, 3);
    QVERIFY(m_view->canvas(0)->isVisible());
    QVERIFY(!m_view->canvas(3)->isVisible());
    QVERIFY(m_view->mode_buttons()[0]->styleSheet().startsWith(mode_style::on()));
    QStringList expected;
    for (int32_t w : device_data.mode_data[3].win_layers)
        expected << QStringLiteral("WINS:WIN%1:").arg(w + 1) +
                        kCards.value(device_data.mode_data[3].win_source[w]);
    QCOMPARE(tree_rows(), expected);
    QCOMPARE(m_sim->frame_log().size(), 0);
}

void TestLayoutSim::clicking_shown_mode_reads_again()
{
    const int mode = device_data.cur_mul_mode;
    m_sim->image().mode_data[mode].win_out[3] = {0, 0, 1920, 1080};
    m_sim->clear_frame_log();
    QTest::mouseClick(m_view->mode_buttons()[mode], Qt::LeftButton);
    // The read of the rectangles, then the select command.
    const QStringList log = m_sim->frame_log();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0], QString::asprintf("3a010401 00fe0a03%02x3a", mode).remove(' '));
    QCOMPARE(log[1], QString::asprintf("3a01040100110a00%02x3a", mode));
    QCOMPARE(item(3)->geometry(), QRect(0, 0, 407, 274));
}

QTEST_MAIN(TestLayoutSim)
#include "tst_layout_sim.moc"
