// The fast mosaic editor: sizes, drags to the canvas edges, ports, menus, walls.

#define QTEST_QPA_MOUSE_HANDLING // through the window system: drags keep button and grab
#include <QtTest>

#include <QMenu>
#include <QSignalSpy>
#include <memory>

#include "device/device_data.h"
#include "output/mosaic/cframe.h"
#include "output/mosaic/ledscreen.h"
#include "output/mosaic/mosaic.h"
#include "output/mosaic/mosaic_codec.h"
#include "output/mosaic/winclass.h"
#include "support/when_shown.h"

namespace {

// An item's menu entries, submenu entries as "title>entry"; triggers `entry`.
template <typename Item> QStringList menu(Item *item, const QString &entry = {})
{
    QMenu m;
    item->fill_menu(m);
    QStringList seen;
    QAction *chosen = nullptr;
    for (QAction *a : m.actions()) {
        const QList<QAction *> subs = a->menu() ? a->menu()->actions() : QList<QAction *>();
        for (QAction *b : QList<QAction *>{a} + subs) {
            seen << (b == a ? a->text() : a->text() + ">" + b->text());
            chosen = seen.last() == entry ? b : chosen;
        }
    }
    if (chosen)
        chosen->trigger();
    return seen;
}

void retype(const QList<QPair<QLineEdit *, QString>> &typed)
{
    for (const auto &t : typed) {
        t.first->clear();
        QTest::keyClicks(t.first, t.second);
    }
}

// "New" on a canvas or unit, answered with w x h typed into the size dialog.
template <typename Item>
winClass *new_copy_unit(mosaic &editor, Item *on, int w, int h, QString *proposal = nullptr)
{
    auto &d = editor.size_dialog().form();
    when_shown(&editor.size_dialog(), [=, &d] {
        if (proposal)
            *proposal = d.lineEdit_w->text() + "x" + d.lineEdit_h->text();
        retype({{d.lineEdit_w, QString::number(w)}, {d.lineEdit_h, QString::number(h)}});
        QTest::mouseClick(d.pushButton_save, Qt::LeftButton);
    });
    menu(on, "New");
    return editor.copy_units().isEmpty() ? nullptr : editor.copy_units().last().item.data();
}

} // namespace

class TestMosaic : public QObject
{
    Q_OBJECT

private slots:
    // Mode 4 of two cards: 7000 x 1000, OutA's four units on the top half.
    void init()
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
        for (int i = 0; i < 8; ++i)
            m.unit_rect[i / 4][i % 4] = {1750 * (i % 4), 500 * (i / 4), 1750, 500};
    }
    void sizes();
    void single_wall_units();
    void drag_and_assign();
    void four_walls();

private:
    mosaic &open_editor()
    {
        m_editor = std::make_unique<mosaic>();
        m_editor->prepare_editor();
        m_editor->show();
        if (!QTest::qWaitForWindowExposed(m_editor.get()))
            QTest::qFail("the editor is not on screen", __FILE__, __LINE__);
        return *m_editor;
    }
    ledscreen *port_unit(int card, int port) const
    {
        for (const mosaic::PortUnit &u : m_editor->port_units())
            if (u.card == card && u.port == port)
                return u.item;
        return nullptr;
    }
    QList<int> walls_of_units() const
    {
        QList<int> walls;
        for (const mosaic::PortUnit &u : m_editor->port_units())
            walls << u.wall;
        return walls;
    }

    std::unique_ptr<mosaic> m_editor;
};

void TestMosaic::sizes()
{
    const auto check = [](QSize wall, QSize res, QSize canvas, QSize unit) {
        const SizePair total{wall.width(), wall.height()};
        const SizePair c = codec::mosaic_canvas_size(total, res.width(), res.height());
        const SizePair u = codec::unit_size_limit(total, res.width(), res.height());
        QCOMPARE(QSize(c.w, c.h), canvas);
        QCOMPARE(QSize(u.w, u.h), unit);
    };
    // Canvas and largest unit: each unit rule once, and equal sides.
    const QSize hd(1920, 1080);
    check({3000, 1000}, hd, {940, 313}, {1920, 1000});
    check({1000, 3000}, hd, {183, 550}, {1000, 1080});
    check({1000, 500}, hd, {940, 470}, {1000, 500});
    // Wider than high, but relatively taller than the output (1.85 > 1.5625).
    check({3000, 2000}, hd, {825, 550}, hd);
    check({1000, 1080}, hd, {509, 550}, hd);
    check({2000, 2000}, {1440, 1440}, {550, 550}, {1440, 1440});
    check({3840, 1080}, {0, 0}, {940, 264}, {0, 0}); // no resolution
    check({0, 1080}, hd, {0, 0}, hd);
    // A wall or canvas without size scales everything to 0.
    QCOMPARE(codec::derive_edge_corrected({0, 0, 1000, 500}, {}, {0, 0}, {0, 0}, 3840, 2160).input,
             (DevRect{}));
    QCOMPARE(codec::wall_to_canvas({10, 10, 100, 100}, {0, 0}, {0, 0}), (DevRect{}));
    QCOMPARE(codec::wall_position(0, 0, 0, 0, 100), 0);
}

void TestMosaic::single_wall_units()
{
    device_data.out_card_present[1] = 0;
    auto &f = open_editor().form();
    QVERIFY(!f.comboBo_select->isEnabled() && !m_editor->canvas(1));
    QCOMPARE(f.wEdit->text(), QStringLiteral("7000"));
    // 940 x 134; OutA DVI-3 at (3500, 0, 1750, 500) scaled by 940/7000, 134/1000.
    QCOMPARE(m_editor->canvas(0)->geometry(), QRect(5, 5, 940, 134));
    QCOMPARE(port_unit(0, 2)->geometry(), QRect(470, 0, 235, 67));
    QCOMPARE(device_data.mode_data[4].mosaic_rects[0][2], (DevRect{470, 0, 235, 67}));
    QCOMPARE(codec::find_unit(device_data.unit_list, 3)->wall_rect, (DevRect{3500, 0, 1750, 500}));

    // Typing 19999 leaves 199: digits past the proposed 1920 are refused.
    QString proposal;
    winClass *unit = new_copy_unit(*m_editor, m_editor->canvas(0), 19999, 600, &proposal);
    QVERIFY(unit);
    QCOMPARE(proposal, QStringLiteral("1920x1000"));
    QCOMPARE(codec::find_unit(device_data.unit_list, unit->id())->wall_rect,
             (DevRect{0, 0, 199, 600}));
    QCOMPARE(unit->geometry(), QRect(0, 0, 26, 80));
    QCOMPARE(new_copy_unit(*m_editor, port_unit(0, 3), 100, 100)->caption(),
             QStringLiteral("OutX :DVI-X--2"));
    const QString a = "Output card: OutA", p = a + ">Output port: DVI-";
    QCOMPARE(menu(unit), (QStringList{"New", a, p + "1", p + "2", p + "3", p + "4", "Delete"}));

    // Deleting changes no device data; the records stay in the unit list.
    const DevRect before = device_data.mode_data[4].unit_rect[0][0];
    menu(unit, "Delete");
    QCOMPARE(QList<int>({m_editor->copy_unit_count(), m_editor->copy_units().size()}),
             QList<int>({1, 1}));
    menu(port_unit(0, 0), "Delete");
    QVERIFY(!port_unit(0, 0));
    QCOMPARE(device_data.mode_data[4].unit_rect[0][0], before);
    QCOMPARE(device_data.unit_list.size(), 6);

    QSignalSpy sized(m_editor.get(), &mosaic::send_size_signal);
    QStringList shown;
    auto &t = m_editor->trim_dialog().form();
    when_shown(&m_editor->trim_dialog(), [&shown, &t] {
        shown << t.lineEdit_port->text() << t.lineEdit_x->text();
        // A wider unit leaves less room: x may reach 7000 - 1900 only.
        retype({{t.lineEdit_w, "1900"}, {t.lineEdit_x, "5101"}});
        shown << t.lineEdit_x->text();
        retype({{t.lineEdit_x, "51009"}});
        shown << t.lineEdit_x->text();
        QTest::mouseClick(t.pushButton, Qt::LeftButton);
    });
    menu(port_unit(0, 1), "Trimming");
    QCOMPARE(shown, (QStringList{"OutA:DVI-2", "1750", "510", "5100"}));
    QCOMPARE(sized, (QList<QList<QVariant>>{{0, 1, 0}}));
    QCOMPARE(device_data.mode_data[4].unit_rect[0][1], (DevRect{5100, 0, 1900, 500}));
    QCOMPARE(device_data.mode_data[4].mosaic_rects[0][1], (DevRect{684, 0, 255, 67}));
    QCOMPARE(port_unit(0, 1)->geometry(), QRect(684, 0, 255, 67));
}

// A unit of `size` dragged by `move` from `grip` lands at `pos`, covering `wall`;
// given to OutA DVI-2 it takes `in` of the input frame.
void TestMosaic::drag_and_assign()
{
    const auto check = [this](QSize size, QPoint grip, QPoint move, QPoint pos, DevRect wall,
                              DevRect in) {
        init();
        cframe *canvas = open_editor().canvas(0);
        m_editor->create_led_copy(size.width(), size.height());
        QPointer<winClass> unit = m_editor->copy_units().last().item;
        QSignalSpy raised(unit.data(), &winClass::up_copy_win_signal);
        QTest::mousePress(canvas, Qt::LeftButton, {}, grip);
        QTest::mouseMove(canvas, grip + move / 2);
        QTest::mouseMove(canvas, grip + move);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, grip + move);
        QCOMPARE(raised.count(), 2);
        QCOMPARE(codec::find_unit(device_data.unit_list, unit->id())->wall_rect, wall);
        QTest::mouseMove(canvas, grip); // the button is up: no more moving
        QCOMPARE(unit->pos(), pos);

        QSignalSpy sent(m_editor.get(), &mosaic::select_port_signal);
        QSignalSpy stored(m_editor.get(), &mosaic::led_screen_signal);
        menu(unit.data(), "Output card: OutA>Output port: DVI-2");
        QCOMPARE(sent, (QList<QList<QVariant>>{{0, 1}}));
        QCOMPARE(stored.count(), 0); // single wall: nothing for the settings file
        const ModeData &m = device_data.mode_data[4];
        QCOMPARE(m.unit_rect[0][1], wall);
        QCOMPARE(m.led_in_rect[0][1], in);
        QCOMPARE(m.led_out_rect[0][1], (DevRect{0, 0, wall.w, wall.h}));
        // The copy unit became OutA DVI-2's port unit, in place of the old one.
        QCOMPARE(QList<int>({m_editor->copy_unit_count(), m_editor->port_units().size(),
                             port_unit(0, 1)->id()}),
                 QList<int>({0, 8, 10}));
        QCOMPARE(port_unit(0, 1)->geometry().topLeft(), pos);
        QTRY_VERIFY(!unit);
    };
    // At the right edge; plain scaling would give x 5101 and input width 1042.
    const QSize big(1900, 1000);
    check(big, {100, 60}, {800, 0}, {685, 0}, {5100, 0, 1900, 1000}, {2797, 0, 1043, 2160});
    check(big, {100, 60}, {684, 0}, {684, 0}, {5093, 0, 1900, 1000}, {2793, 0, 1042, 2160});
    // Held inside the canvas: at the left edge, and at the bottom where the edge snaps.
    check({1000, 500}, {60, 30}, {-100, 500}, {0, 67}, {0, 500, 1000, 500}, {0, 1080, 548, 1080});
    // At the bottom: wall y 1000 - 333, not 671; input height 2160 - 1440, not 719.
    check({1000, 333}, {60, 20}, {0, 500}, {0, 90}, {0, 667, 1000, 333}, {0, 1440, 548, 720});
    // A press in the left edge band does not move the unit.
    check({1000, 500}, {2, 30}, {300, 0}, {0, 0}, {0, 0, 1000, 500}, {0, 0, 548, 1080});
}

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
    auto &f = open_editor().form();
    QVERIFY(f.comboBo_select->isEnabled());
    QCOMPARE(f.wEdit->text(), QStringLiteral("1920"));
    QCOMPARE(m_editor->canvas(0)->size(), QSize(275, 550));
    QCOMPARE(m_editor->canvas(1)->size(), QSize(940, 132));
    QVERIFY(m_editor->canvas(0)->isVisible() && !m_editor->canvas(1)->isVisible());
    QCOMPARE(walls_of_units(), (QList<int>{0, 1, 2, 3, 0, 3, 2, 3}));
    QVERIFY(new_copy_unit(*m_editor, m_editor->canvas(0), 500, 500));

    QTest::keyClick(f.comboBo_select, Qt::Key_Down);
    QCOMPARE((QStringList{f.label_panel->text(), f.wEdit->text()}),
             (QStringList{"LED Wall 2", "7680"}));
    QVERIFY(m_editor->canvas(1)->isVisible() && !m_editor->canvas(0)->isVisible());
    // Saving its totals rebuilds its canvas and drops its units.
    QSignalSpy totals(m_editor.get(), &mosaic::total_size_signal);
    retype({{f.wEdit, "1920"}, {f.hEdit, "3840"}});
    QTest::mouseClick(f.setButton_size, Qt::LeftButton);
    QCOMPARE(totals, (QList<QList<QVariant>>{{1}}));
    QCOMPARE(m_editor->canvas(1)->size(), QSize(275, 550));
    QVERIFY(m_editor->canvas(1)->isVisible());
    QCOMPARE(walls_of_units(), (QList<int>{0, 2, 3, 0, 3, 2, 3}));

    winClass *unit = new_copy_unit(*m_editor, m_editor->canvas(1), 1920, 1080);
    QVERIFY(unit && new_copy_unit(*m_editor, m_editor->canvas(1), 600, 600));
    QCOMPARE(unit->parentWidget(), m_editor->canvas(1));
    // OutB DVI-4 moves from wall 4 to wall 2; its wall goes to the settings file.
    QSignalSpy stored(m_editor.get(), &mosaic::led_screen_signal);
    menu(unit, "Output card: OutB>Output port: DVI-4");
    QCOMPARE(m.led_screen[7], 1);
    QCOMPARE(stored, (QList<QList<QVariant>>{{7}}));
    QCOMPARE(port_unit(1, 3)->parentWidget(), m_editor->canvas(1));
    // Top of a 1920 x 3840 wall: every input column, 607.5 rows.
    QCOMPARE(m.led_in_rect[1][3], (DevRect{0, 0, 3840, 607}));

    menu(port_unit(1, 3), "Delete All");
    QCOMPARE(walls_of_units(), (QList<int>{0, 2, 3, 0, 3, 2}));
    QCOMPARE(QList<int>({m_editor->copy_units().size(), m_editor->copy_units().first().wall,
                         m_editor->copy_unit_count()}),
             QList<int>({1, 0, 1}));
    const auto units_on = [this](int wall) {
        return m_editor->canvas(wall)
            ->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)
            .size();
    };
    QTRY_COMPARE((QList<int>{units_on(0), units_on(1), units_on(3)}), (QList<int>{3, 0, 2}));
}

QTEST_MAIN(TestMosaic)
#include "tst_mosaic.moc"
