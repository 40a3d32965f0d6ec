// The fast mosaic editor: canvas and unit sizes, drags with real mouse events
// against the canvas edges, assignment to ports, menus, trims, deletes, wall
// totals, and an assignment sent to the simulated device.

// Mouse events through the window system: drags keep their button and grab.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QComboBox>
#include <QMenu>
#include <QSignalSpy>
#include <functional>
#include <memory>

#include "device/device_data.h"
#include "output/mosaic/cframe.h"
#include "output/mosaic/ledscreen.h"
#include "output/mosaic/mosaic.h"
#include "output/mosaic/mosaic_codec.h"
#include "output/mosaic/winclass.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "support/when_shown.h"

Q_DECLARE_METATYPE(DevRect)

namespace {

const MosaicUnit &record(int id)
{
    static const MosaicUnit none;
    const MosaicUnit *u = codec::find_unit(device_data.unit_list, id);
    return u ? *u : none;
}

// An item's context-menu entries, submenu entries as "title>entry"; triggers
// the one named `entry` as a click would.
template <typename Item> QStringList menu(Item *item, const QString &entry = {})
{
    QMenu m;
    item->fill_menu(m);
    QStringList seen;
    QList<QAction *> actions;
    for (QAction *a : m.actions()) {
        seen << a->text();
        actions << a;
        for (QAction *sub : a->menu() ? a->menu()->actions() : QList<QAction *>()) {
            seen << a->text() + ">" + sub->text();
            actions << sub;
        }
    }
    if (seen.contains(entry))
        actions[seen.indexOf(entry)]->trigger();
    return seen;
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

// "New" on a canvas or unit, answered with w x h typed into the size dialog.
template <typename Item>
winClass *new_copy_unit(mosaic &editor, Item *on, int w, int h, QString *proposal = nullptr)
{
    when_shown<ledsize>([=](ledsize *d) {
        if (proposal)
            *proposal = d->form().lineEdit_w->text() + "x" + d->form().lineEdit_h->text();
        retype(d->form().lineEdit_w, QString::number(w));
        retype(d->form().lineEdit_h, QString::number(h));
        QTest::mouseClick(d->form().pushButton_save, Qt::LeftButton);
    });
    menu(on, "New");
    return editor.copy_units().isEmpty() ? nullptr : editor.copy_units().last().item.data();
}

ledscreen *port_unit(const mosaic &editor, int card, int port)
{
    for (const mosaic::PortUnit &u : editor.port_units())
        if (u.card == card && u.port == port)
            return u.item;
    return nullptr;
}

QList<int> walls_of_units(const mosaic &editor)
{
    QList<int> walls;
    for (const mosaic::PortUnit &u : editor.port_units())
        walls << u.wall;
    return walls;
}

} // namespace

class TestMosaic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sizes_data();
    void sizes();
    void single_wall_units();
    void drag_and_assign_data();
    void drag_and_assign();
    void four_walls();
    void assignment_reaches_device();

private:
    void open_editor();

    std::unique_ptr<mosaic> m_editor;
};

void TestMosaic::init()
{
    m_editor.reset();
    device_data = DeviceData();
    device_data.lang_english = 1;
    device_data.out_res_w = 1920;
    device_data.out_res_h = 1080;
    device_data.in_frame_w = 3840;
    device_data.in_frame_h = 2160;
    device_data.out_card_present[0] = device_data.out_card_present[1] = 1;
    device_data.cur_out_mode = 4;
    ModeData &m = device_data.mode_data[4];
    m.out_total_w = 7000;
    m.out_total_h = 1000;
    for (int c = 0; c < 2; ++c)
        for (int p = 0; p < 4; ++p)
            m.unit_rect[c][p] = {1750 * p, 500 * c, 1750, 500};
}

void TestMosaic::open_editor()
{
    m_editor = std::make_unique<mosaic>();
    m_editor->prepare_editor();
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
}

void TestMosaic::sizes_data()
{
    // Canvas of a wall and the largest (proposed) unit: each unit rule once,
    // and where wall and output are equally wide or high.
    QTest::addColumn<QSize>("wall");
    QTest::addColumn<QSize>("res");
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("unit");
    const QSize hd(1920, 1080);
    QTest::newRow("tall") << QSize(1920, 3840) << hd << QSize(275, 550) << hd;
    QTest::newRow("wide") << QSize(7680, 1080) << hd << QSize(940, 132) << hd;
    QTest::newRow("low") << QSize(3000, 1000) << hd << QSize(940, 313) << QSize(1920, 1000);
    QTest::newRow("narrow") << QSize(1000, 3000) << hd << QSize(183, 550) << QSize(1000, 1080);
    QTest::newRow("small") << QSize(1000, 500) << hd << QSize(940, 470) << QSize(1000, 500);
    // Wider than high, but relatively taller than the output (1.85 > 1.5625).
    QTest::newRow("relatively tall") << QSize(3000, 2000) << hd << QSize(825, 550) << hd;
    QTest::newRow("output high") << QSize(1000, 1080) << hd << QSize(509, 550) << hd;
    QTest::newRow("square on square")
        << QSize(2000, 2000) << QSize(1440, 1440) << QSize(550, 550) << QSize(1440, 1440);
    QTest::newRow("no resolution")
        << QSize(3840, 1080) << QSize(0, 0) << QSize(940, 264) << QSize(0, 0);
    QTest::newRow("no width") << QSize(0, 1080) << hd << QSize(0, 0) << hd;
}

void TestMosaic::sizes()
{
    QFETCH(QSize, wall);
    QFETCH(QSize, res);
    const SizePair total{wall.width(), wall.height()};
    const SizePair c = codec::mosaic_canvas_size(total, res.width(), res.height());
    const SizePair u = codec::unit_size_limit(total, res.width(), res.height());
    QTEST(QSize(c.w, c.h), "canvas");
    QTEST(QSize(u.w, u.h), "unit");
    // A wall or canvas without size scales everything to 0.
    const codec::PortRects r =
        codec::derive_edge_corrected({0, 0, 1000, 500}, {}, {0, 0}, {0, 0}, 3840, 2160);
    QCOMPARE(r.input, (DevRect{}));
    QCOMPARE(codec::wall_to_canvas({10, 10, 100, 100}, {0, 0}, {0, 0}), (DevRect{}));
    QCOMPARE(codec::wall_position(0, 0, 0, 0, 100), 0);
}

// One wall, only OutA fitted: placing, new copy units, menus, deletes, trims.
void TestMosaic::single_wall_units()
{
    device_data.out_card_present[1] = 0;
    open_editor();
    auto &f = m_editor->form();
    QVERIFY(!f.comboBo_select->isEnabled());
    QCOMPARE(f.wEdit->text(), QStringLiteral("7000"));
    // 940 x trunc(940 * 1000 / 7000) = 134.
    QCOMPARE(m_editor->canvas(0)->geometry(), QRect(5, 5, 940, 134));
    QVERIFY(!m_editor->canvas(1));
    QCOMPARE(m_editor->port_units().size(), 4);
    // OutA DVI-3 is the third: (3500, 0, 1750, 500) scaled by 940/7000 and 134/1000.
    QCOMPARE(port_unit(*m_editor, 0, 2)->geometry(), QRect(470, 0, 235, 67));
    QCOMPARE(device_data.mode_data[4].mosaic_rects[0][2], (DevRect{470, 0, 235, 67}));
    QCOMPARE(record(3).wall_rect, (DevRect{3500, 0, 1750, 500}));

    // Typing 19999 leaves 199: digits past the proposed 1920 are refused.
    QString proposal;
    winClass *unit = new_copy_unit(*m_editor, m_editor->canvas(0), 19999, 600, &proposal);
    QVERIFY(unit);
    QCOMPARE(proposal, QStringLiteral("1920x1000"));
    QCOMPARE(record(unit->id()).wall_rect, (DevRect{0, 0, 199, 600}));
    // 199 * 940 / 7000 = 26.7, 600 * 134 / 1000 = 80.4.
    QCOMPARE(unit->geometry(), QRect(0, 0, 26, 80));
    QVERIFY(new_copy_unit(*m_editor, port_unit(*m_editor, 0, 3), 100, 100));
    QCOMPARE(m_editor->copy_units().last().item->caption(), QStringLiteral("OutX :DVI-X--2"));
    QCOMPARE(
        menu(unit),
        (QStringList{"New", "Output card: OutA", "Output card: OutA>Output port: DVI-1",
                     "Output card: OutA>Output port: DVI-2", "Output card: OutA>Output port: DVI-3",
                     "Output card: OutA>Output port: DVI-4", "Delete"}));

    // Deleting changes no device data; the records stay in the unit list.
    const DevRect before = device_data.mode_data[4].unit_rect[0][0];
    menu(unit, "Delete");
    QCOMPARE(m_editor->copy_unit_count(), 1);
    QCOMPARE(m_editor->copy_units().size(), 1);
    menu(port_unit(*m_editor, 0, 0), "Delete");
    QVERIFY(!port_unit(*m_editor, 0, 0));
    QCOMPARE(device_data.mode_data[4].unit_rect[0][0], before);
    QCOMPARE(device_data.unit_list.size(), 6);

    QSignalSpy sized(m_editor.get(), &mosaic::send_size_signal);
    QStringList shown;
    when_shown<ledtrim>([&shown](ledtrim *d) {
        auto &t = d->form();
        shown << t.lineEdit_port->text() << t.lineEdit_x->text();
        // A wider unit leaves less room: x may reach 7000 - 1900 only.
        retype(t.lineEdit_w, "1900");
        retype(t.lineEdit_x, "51009");
        shown << t.lineEdit_x->text();
        QTest::mouseClick(t.pushButton, Qt::LeftButton);
    });
    ledscreen *a2 = port_unit(*m_editor, 0, 1);
    menu(a2, "Trimming");
    QCOMPARE(shown, (QStringList{"OutA:DVI-2", "1750", "5100"}));
    QCOMPARE(sized.count(), 1);
    QCOMPARE(sized.first(), (QList<QVariant>{0, 1, 0}));
    QCOMPARE(device_data.mode_data[4].unit_rect[0][1], (DevRect{5100, 0, 1900, 500}));
    // 5100 * 940 / 7000 = 684.9, 1900 * 940 / 7000 = 255.1.
    QCOMPARE(device_data.mode_data[4].mosaic_rects[0][1], (DevRect{684, 0, 255, 67}));
    QCOMPARE(a2->geometry(), QRect(684, 0, 255, 67));
}

void TestMosaic::drag_and_assign_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("grip");
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<DevRect>("wall");
    QTest::addColumn<DevRect>("in");
    // 255 x 134 on the canvas; plain scaling would give x 5101 and input width 1042.
    QTest::newRow("right edge") << QSize(1900, 1000) << QPoint(100, 60) << QPoint(800, 0)
                                << QPoint(685, 0) << DevRect{5100, 0, 1900, 1000}
                                << DevRect{2797, 0, 1043, 2160};
    QTest::newRow("short of the edge")
        << QSize(1900, 1000) << QPoint(100, 60) << QPoint(684, 0) << QPoint(684, 0)
        << DevRect{5093, 0, 1900, 1000} << DevRect{2793, 0, 1042, 2160};
    // Held inside the canvas: at the left edge, and at the bottom where the edge snaps.
    QTest::newRow("clamped") << QSize(1000, 500) << QPoint(60, 30) << QPoint(-100, 500)
                             << QPoint(0, 67) << DevRect{0, 500, 1000, 500}
                             << DevRect{0, 1080, 548, 1080};
    // 134 x 44 dragged to the bottom: wall y 1000 - 333, not 90 * 1000 / 134 =
    // 671; input height 2160 - 1440, not 333 * 2160 / 1000 = 719.
    QTest::newRow("bottom edge") << QSize(1000, 333) << QPoint(60, 20) << QPoint(0, 500)
                                 << QPoint(0, 90) << DevRect{0, 667, 1000, 333}
                                 << DevRect{0, 1440, 548, 720};
    // A press in the left edge band does not move the unit.
    QTest::newRow("edge band") << QSize(1000, 500) << QPoint(2, 30) << QPoint(300, 0)
                               << QPoint(0, 0) << DevRect{0, 0, 1000, 500}
                               << DevRect{0, 0, 548, 1080};
}

void TestMosaic::drag_and_assign()
{
    QFETCH(QSize, size);
    QFETCH(QPoint, grip);
    QFETCH(QPoint, move);
    QFETCH(QPoint, pos);
    QFETCH(DevRect, wall);
    open_editor();
    cframe *canvas = m_editor->canvas(0);
    m_editor->create_led_copy(size.width(), size.height());
    QPointer<winClass> unit = m_editor->copy_units().last().item;
    QSignalSpy raised(unit.data(), &winClass::up_copy_win_signal);
    QTest::mousePress(canvas, Qt::LeftButton, {}, grip);
    QTest::mouseMove(canvas, grip + move / 2);
    QTest::mouseMove(canvas, grip + move);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, grip + move);
    QCOMPARE(unit->pos(), pos);
    QCOMPARE(raised.count(), 2);
    QCOMPARE(record(unit->id()).wall_rect, wall);
    QTest::mouseMove(canvas, grip); // the button is up: no more moving
    QCOMPARE(unit->pos(), pos);

    QSignalSpy sent(m_editor.get(), &mosaic::select_port_signal);
    QSignalSpy stored(m_editor.get(), &mosaic::led_screen_signal);
    menu(unit.data(), "Output card: OutA>Output port: DVI-2");
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first(), (QList<QVariant>{0, 1}));
    QCOMPARE(stored.count(), 0); // single wall: nothing for the settings file
    const ModeData &m = device_data.mode_data[4];
    QCOMPARE(m.unit_rect[0][1], wall);
    QTEST(m.led_in_rect[0][1], "in");
    QCOMPARE(m.led_out_rect[0][1], (DevRect{0, 0, wall.w, wall.h}));
    // The copy unit became OutA DVI-2's port unit, in place of the old one.
    QCOMPARE(m_editor->copy_unit_count(), 0);
    QCOMPARE(m_editor->port_units().size(), 8);
    ledscreen *a2 = port_unit(*m_editor, 0, 1);
    QCOMPARE(a2->geometry().topLeft(), pos);
    QCOMPARE(a2->id(), 10);
    QTRY_VERIFY(!unit);
}

// Four walls: per-wall canvases, choosing and saving a wall, a port moved to
// another wall, and "Delete All" on one wall only.
void TestMosaic::four_walls()
{
    device_data.mosaic_on = 1;
    ModeData &m = device_data.mode_data[4];
    m.wall_size[0] = {1920, 3840};
    m.wall_size[1] = {7680, 1080};
    m.wall_size[2] = m.wall_size[3] = {3840, 1080};
    for (int i = 0; i < 8; ++i)
        m.led_screen[i] = i % 4;
    m.led_screen[5] = 9; // a damaged settings value lands on the last wall
    open_editor();
    auto &f = m_editor->form();
    QVERIFY(f.comboBo_select->isEnabled());
    QCOMPARE(f.wEdit->text(), QStringLiteral("1920"));
    QCOMPARE(m_editor->canvas(0)->size(), QSize(275, 550));
    QCOMPARE(m_editor->canvas(1)->size(), QSize(940, 132));
    QVERIFY(m_editor->canvas(0)->isVisible() && !m_editor->canvas(1)->isVisible());
    QCOMPARE(walls_of_units(*m_editor), (QList<int>{0, 1, 2, 3, 0, 3, 2, 3}));
    QVERIFY(new_copy_unit(*m_editor, m_editor->canvas(0), 500, 500));

    f.comboBo_select->setFocus();
    QTest::keyClick(f.comboBo_select, Qt::Key_Down);
    QCOMPARE(f.label_panel->text(), QStringLiteral("LED Wall 2"));
    QCOMPARE(f.wEdit->text(), QStringLiteral("7680"));
    QVERIFY(m_editor->canvas(1)->isVisible() && !m_editor->canvas(0)->isVisible());
    // Saving its totals rebuilds its canvas and drops its units.
    QSignalSpy totals(m_editor.get(), &mosaic::total_size_signal);
    retype(f.wEdit, "1920");
    retype(f.hEdit, "3840");
    QTest::mouseClick(f.setButton_size, Qt::LeftButton);
    QCOMPARE(totals.count(), 1);
    QCOMPARE(totals.first().first().toInt(), 1);
    QCOMPARE(m.wall_size[1].h, 3840);
    QCOMPARE(m_editor->canvas(1)->size(), QSize(275, 550));
    QVERIFY(m_editor->canvas(1)->isVisible());
    QCOMPARE(walls_of_units(*m_editor), (QList<int>{0, 2, 3, 0, 3, 2, 3}));

    winClass *unit = new_copy_unit(*m_editor, m_editor->canvas(1), 1920, 1080);
    QVERIFY(unit && new_copy_unit(*m_editor, m_editor->canvas(1), 600, 600));
    QCOMPARE(unit->parentWidget(), m_editor->canvas(1));
    // OutB DVI-4 moves from wall 4 to wall 2; its wall goes to the settings file.
    QSignalSpy stored(m_editor.get(), &mosaic::led_screen_signal);
    menu(unit, "Output card: OutB>Output port: DVI-4");
    QCOMPARE(m.led_screen[7], 1);
    QCOMPARE(stored.count(), 1);
    QCOMPARE(stored.first().first().toInt(), 7);
    QCOMPARE(port_unit(*m_editor, 1, 3)->parentWidget(), m_editor->canvas(1));
    // Top of a 1920 x 3840 wall: every input column, 1080 * 2160 / 3840 = 607.5 rows.
    QCOMPARE(m.led_in_rect[1][3], (DevRect{0, 0, 3840, 607}));
    QCOMPARE(m_editor->copy_unit_count(), 2);

    menu(port_unit(*m_editor, 1, 3), "Delete All");
    QCOMPARE(walls_of_units(*m_editor), (QList<int>{0, 2, 3, 0, 3, 2}));
    QCOMPARE(m_editor->copy_units().size(), 1);
    QCOMPARE(m_editor->copy_units().first().wall, 0);
    QCOMPARE(m_editor->copy_unit_count(), 1);
    const auto units_on = [this](int wall) {
        return m_editor->canvas(wall)->findChildren<QLineEdit *>(QString(),
                                                                 Qt::FindDirectChildrenOnly);
    };
    QTRY_VERIFY(units_on(1).isEmpty());
    QCOMPARE(units_on(0).size(), 3);
    QCOMPARE(units_on(3).size(), 2);
}

void TestMosaic::assignment_reaches_device()
{
    // The demo device shows mode 2, OutB DVI-3, in four-wall mode.
    sim::SimImage image = sim::SimImage::demo();
    image.mode_data[2].wall_size[0] = {3840, 1080};
    SimSession s;
    if (!s.start(true, image))
        QSKIP("no pseudo-terminal here");
    QVERIFY(s.connect_link());
    auto &ui = s.view->form();
    ui.eradioBtn->click();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    s.sim->clear_frame_log();
    // A unit of half the wall, dragged to its right edge, becomes OutB DVI-3's.
    when_shown<mosaic>([](mosaic *editor) {
        editor->create_led_copy(1920, 1080);
        winClass *unit = editor->copy_units().last().item;
        QTest::mousePress(editor->canvas(0), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseMove(editor->canvas(0), QPoint(600, 50));
        QTest::mouseRelease(editor->canvas(0), Qt::LeftButton, {}, QPoint(600, 50));
        menu(unit, "Output card: OutB>Output port: DVI-3");
        editor->accept();
    });
    ModalAnswerer send_anyway(QMessageBox::Yes); // the new unit overlaps others
    QTest::mouseClick(ui.btn_fast_splicing, Qt::LeftButton);
    QCOMPARE(s.written_commands(), (QList<int>{162, 149}));
    const sim::SimMode &sm = s.sim->image().mode_data[2];
    QCOMPARE(sm.unit_rect[1][2].x, 1920);
    QCOMPARE(sm.led_in_rect[1][2].x, 1920);
    QCOMPARE(sm.led_in_rect[1][2].w, 1920);
    // The page re-reads the unit from the device.
    device_data.mode_data[2].unit_rect[1][2] = DevRect{};
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QCOMPARE((QStringList{ui.inxEdit->text(), ui.inyEdit->text(), ui.inwEdit->text(),
                          ui.inhEdit->text()}),
             (QStringList{"1920", "0", "1920", "1080"}));
    s.stop();
}

QTEST_MAIN(TestMosaic)
#include "tst_mosaic.moc"
