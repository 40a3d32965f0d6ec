// The fast mosaic editor with real mouse and keyboard events: opening, the
// unit size dialog, dragging copy units against the canvas edges, assigning
// them to ports, menus, trimming, deleting, wall totals and wall choice.

// Mouse events through the window system path, so that drags keep their
// pressed button and the grab of the pressed unit.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QComboBox>
#include <QSignalSpy>
#include <memory>

#include "device/device_data.h"
#include "output/mosaic/cframe.h"
#include "output/mosaic/ledscreen.h"
#include "output/mosaic/mosaic.h"
#include "output/mosaic/winclass.h"
#include "support/operator_script.h"

namespace {

const MosaicUnit *record(int id)
{
    for (const MosaicUnit &u : device_data.unit_list)
        if (u.id == id)
            return &u;
    return nullptr;
}

// A right click as the window system reports it; a QTest right press would
// stay held while the menu runs and redirect the clicks in later dialogs.
void right_click(QWidget *w, QPoint pos = QPoint())
{
    if (pos.isNull())
        pos = w->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, w->mapToGlobal(pos));
    QApplication::sendEvent(w, &event);
}

// Answers the unit size dialog with w x h, typed; records the proposal.
OperatorScript::Step answer_size(int w, int h, QString *proposal = nullptr)
{
    return [=](QWidget *active) {
        auto *dialog = qobject_cast<ledsize *>(active);
        if (!dialog)
            return false;
        auto &f = dialog->form();
        if (proposal)
            *proposal = f.lineEdit_w->text() + "x" + f.lineEdit_h->text();
        for (QLineEdit *edit : {f.lineEdit_w, f.lineEdit_h})
            edit->clear();
        QTest::keyClicks(f.lineEdit_w, QString::number(w));
        QTest::keyClicks(f.lineEdit_h, QString::number(h));
        QTest::mouseClick(f.pushButton_save, Qt::LeftButton);
        return true;
    };
}

} // namespace

class TestMosaic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opening_places_port_units_single_wall();
    void opening_places_port_units_on_their_walls();
    void new_unit_proposes_and_bounds_its_size();
    void drag_snaps_to_right_edge_and_assignment_ends_at_frame();
    void drag_stays_inside_canvas();
    void copy_unit_menu_lists_fitted_cards_only();
    void assignment_in_four_wall_mode_keeps_wall();
    void delete_all_touches_only_shown_wall();
    void trimming_moves_port_unit();
    void saving_totals_rebuilds_canvas();

private:
    void open_editor();
    // Right-clicks a widget and lets the script pick the menu path.
    void context_menu(QWidget *w, const QStringList &path, QPoint pos = QPoint());
    winClass *new_copy_unit(QWidget *on, int w, int h, QString *proposal = nullptr);
    ledscreen *port_unit(int card, int port) const;

    std::unique_ptr<mosaic> m_editor;
    std::unique_ptr<OperatorScript> m_script;
};

void TestMosaic::init()
{
    device_data = DeviceData();
    device_data.lang_english = 1;
    device_data.out_res_w = 1920;
    device_data.out_res_h = 1080;
    device_data.out_card_present[0] = 1;
    device_data.out_card_present[1] = 1;
    device_data.cur_out_mode = 4;
    ModeData &m = device_data.mode_data[4];
    m.out_total_w = 7000;
    m.out_total_h = 1000;
    for (int c = 0; c < 2; ++c)
        for (int p = 0; p < 4; ++p)
            m.unit_rect[c][p] = {1750 * p, 500 * c, 1750, 500};
    m_script = std::make_unique<OperatorScript>();
}

void TestMosaic::cleanup()
{
    m_editor.reset();
    m_script.reset();
}

void TestMosaic::open_editor()
{
    m_editor = std::make_unique<mosaic>();
    m_editor->prepare_editor();
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
}

void TestMosaic::context_menu(QWidget *w, const QStringList &path, QPoint pos)
{
    m_script->choose(path);
    right_click(w, pos);
    QTRY_VERIFY(m_script->done());
}

winClass *TestMosaic::new_copy_unit(QWidget *on, int w, int h, QString *proposal)
{
    const int before = m_editor->copy_units().size();
    m_script->choose({"New"});
    m_script->add(answer_size(w, h, proposal));
    right_click(on, QPoint(2, 2));
    if (!QTest::qWaitFor([&] { return m_script->done(); }) ||
        m_editor->copy_units().size() != before + 1)
        return nullptr;
    return m_editor->copy_units().last().item;
}

ledscreen *TestMosaic::port_unit(int card, int port) const
{
    for (const mosaic::PortUnit &u : m_editor->port_units())
        if (u.card == card && u.port == port)
            return u.item;
    return nullptr;
}

void TestMosaic::opening_places_port_units_single_wall()
{
    open_editor();
    auto &f = m_editor->form();
    QCOMPARE(m_editor->size(), QSize(972, 686));
    QCOMPARE(m_editor->windowTitle(), QStringLiteral("Fast Mosaic"));
    QVERIFY(!f.comboBo_select->isEnabled());
    QCOMPARE(f.comboBo_select->count(), 4);
    QCOMPARE(f.label_panel->text(), QStringLiteral("LED Wall 1"));
    QCOMPARE(f.wEdit->text(), QStringLiteral("7000"));
    // 7000 x 1000 is wide: 940 x trunc(940 * 1000 / 7000) = 134.
    QCOMPARE(m_editor->canvas(0)->geometry(), QRect(5, 5, 940, 134));
    QVERIFY(!m_editor->canvas(1));

    QCOMPARE(m_editor->port_units().size(), 8);
    QCOMPARE(device_data.unit_list.size(), 8);
    // OutB DVI-3 is the seventh unit: (3500, 500, 1750, 500) scaled by 940/7000 and 134/1000.
    ledscreen *b3 = port_unit(1, 2);
    QCOMPARE(b3->id(), 7);
    QCOMPARE(b3->caption(), QStringLiteral("OutB:DVI-3"));
    QCOMPARE(b3->geometry(), QRect(470, 67, 235, 67));
    QCOMPARE(device_data.mode_data[4].mosaic_rects[1][2], (DevRect{470, 67, 235, 67}));
    QCOMPARE(record(7)->wall_rect, (DevRect{3500, 500, 1750, 500}));

    // A card that is not fitted has no units; ids still start at 1.
    device_data.out_card_present[0] = 0;
    m_editor->prepare_editor();
    QCOMPARE(m_editor->port_units().size(), 4);
    QCOMPARE(m_editor->port_units().first().id, 1);
    QCOMPARE(m_editor->port_units().first().card, 1);
}

void TestMosaic::opening_places_port_units_on_their_walls()
{
    device_data.mosaic_on = 1;
    device_data.lang_english = 0;
    ModeData &m = device_data.mode_data[4];
    m.wall_size[0] = {1920, 3840};
    m.wall_size[1] = {7680, 1080};
    for (int i = 0; i < 8; ++i)
        m.led_screen[i] = i % 4;
    m.led_screen[7] = 9; // a damaged settings value lands on the last wall
    open_editor();
    auto &f = m_editor->form();
    QVERIFY(f.comboBo_select->isEnabled());
    QCOMPARE(f.comboBo_select->itemText(3), QStringLiteral("拼接屏 4"));
    QCOMPARE(f.wEdit->text(), QStringLiteral("1920"));
    QCOMPARE(m_editor->canvas(0)->size(), QSize(275, 550));
    QCOMPARE(m_editor->canvas(1)->size(), QSize(940, 132));
    QVERIFY(m_editor->canvas(0)->isVisible());
    QVERIFY(!m_editor->canvas(1)->isVisible());
    for (const mosaic::PortUnit &u : m_editor->port_units())
        QCOMPARE(u.item->parentWidget(), m_editor->canvas(u.wall));
    QCOMPARE(port_unit(1, 3)->parentWidget(), m_editor->canvas(3));

    // Choosing wall 2 by keyboard shows its canvas and its totals.
    f.comboBo_select->setFocus();
    QTest::keyClick(f.comboBo_select, Qt::Key_Down);
    QCOMPARE(m_editor->shown_wall(), 1);
    QCOMPARE(f.label_panel->text(), QStringLiteral("拼接屏 2"));
    QCOMPARE(f.wEdit->text(), QStringLiteral("7680"));
    QVERIFY(m_editor->canvas(1)->isVisible());
    QVERIFY(!m_editor->canvas(0)->isVisible());
}

void TestMosaic::new_unit_proposes_and_bounds_its_size()
{
    device_data.mode_data[4].out_total_w = 3000;
    open_editor();
    QString proposal;
    winClass *unit = new_copy_unit(m_editor->canvas(0), 1500, 600, &proposal);
    QVERIFY(unit);
    // 3000 x 1000 at 1920 x 1080: the width of the output, the height of the wall.
    QCOMPARE(proposal, QStringLiteral("1920x1000"));
    QCOMPARE(unit->caption(), QStringLiteral("OutX :DVI-X--1"));
    QCOMPARE(m_editor->copy_unit_count(), 1);
    // 1500 * 940 / 3000 = 470, 600 * 313 / 1000 = 187.8 on a 940 x 313 canvas.
    QCOMPARE(unit->geometry(), QRect(0, 0, 470, 187));
    QCOMPARE(record(unit->id())->wall_rect, (DevRect{0, 0, 1500, 600}));
    QCOMPARE(unit->id(), 9);

    // Above the proposal a digit cannot be typed; below 8 Save refuses.
    ledsize &dialog = m_editor->size_dialog();
    dialog.prepare(1920, 1000);
    dialog.form().lineEdit_w->clear();
    QTest::keyClicks(dialog.form().lineEdit_w, "19999");
    // 1999 would pass 1920: the third 9 is refused, and so is the fourth.
    QCOMPARE(dialog.form().lineEdit_w->text(), QStringLiteral("199"));
    dialog.form().lineEdit_w->clear();
    QTest::keyClicks(dialog.form().lineEdit_w, "7");
    QSignalSpy saved(&dialog, &ledsize::save_led_copy_size_signal);
    dialog.clicked_save_btn();
    QCOMPARE(saved.count(), 0);

    // A second unit from a port unit's menu gets the next number.
    m_script->choose({"New"});
    m_script->add(answer_size(100, 100));
    right_click(port_unit(1, 1));
    QTRY_VERIFY(m_script->done());
    QCOMPARE(m_editor->copy_units().last().item->caption(), QStringLiteral("OutX :DVI-X--2"));
}

void TestMosaic::drag_snaps_to_right_edge_and_assignment_ends_at_frame()
{
    open_editor();
    cframe *canvas = m_editor->canvas(0);
    QPointer<winClass> unit = new_copy_unit(canvas, 1900, 1000);
    QVERIFY(unit);
    // 1900 * 940 / 7000 = 255.1 wide, the whole 134 high.
    QCOMPARE(unit->size(), QSize(255, 134));

    const QPoint grip(100, 60);
    QTest::mousePress(canvas, Qt::LeftButton, {}, grip);
    QTest::mouseMove(canvas, grip + QPoint(300, 0));
    QCOMPARE(unit->pos(), QPoint(300, 0));
    QTest::mouseMove(canvas, grip + QPoint(800, 0));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, grip + QPoint(800, 0));
    QCOMPARE(unit->pos(), QPoint(940 - 255, 0));
    const MosaicUnit *r = record(unit->id());
    QCOMPARE(r->canvas_rect, (DevRect{685, 0, 255, 134}));
    // 685 * 7000 / 940 would give 5101; the edge gives 7000 - 1900.
    QCOMPARE(r->wall_rect, (DevRect{5100, 0, 1900, 1000}));
    // The unit moves no more once the button is up.
    QTest::mouseMove(canvas, grip);
    QCOMPARE(unit->pos(), QPoint(685, 0));

    QSignalSpy sent(m_editor.get(), &mosaic::select_port_signal);
    QSignalSpy walls(m_editor.get(), &mosaic::led_screen_signal);
    context_menu(unit, {"Output card: OutA", "Output port: DVI-2"});
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first(), (QList<QVariant>{0, 1}));
    QCOMPARE(walls.count(), 0);
    const ModeData &m = device_data.mode_data[4];
    QCOMPARE(m.unit_rect[0][1], (DevRect{5100, 0, 1900, 1000}));
    // x = trunc(5100 * 3840 / 7000) = 2797; the width runs to the end of the frame.
    QCOMPARE(m.led_in_rect[0][1], (DevRect{2797, 0, 1043, 2160}));
    QCOMPARE(m.led_out_rect[0][1], (DevRect{0, 0, 1900, 1000}));
    QCOMPARE(m.mosaic_rects[0][1], (DevRect{685, 0, 255, 134}));
    // The copy unit became OutA DVI-2's port unit, in place of the old one.
    QCOMPARE(m_editor->copy_unit_count(), 0);
    QVERIFY(m_editor->copy_units().isEmpty());
    QCOMPARE(m_editor->port_units().size(), 8);
    ledscreen *a2 = port_unit(0, 1);
    QCOMPARE(a2->geometry(), QRect(685, 0, 255, 134));
    QCOMPARE(a2->id(), 10);
    QCOMPARE(record(10)->wall_rect, (DevRect{5100, 0, 1900, 1000}));
    QTRY_VERIFY(!unit);
}

void TestMosaic::drag_stays_inside_canvas()
{
    open_editor();
    cframe *canvas = m_editor->canvas(0);
    winClass *unit = new_copy_unit(canvas, 1000, 500);
    QVERIFY(unit);
    // 1000 * 940 / 7000 = 134.3 and 500 * 134 / 1000 = 67.
    QCOMPARE(unit->size(), QSize(134, 67));
    const QPoint grip(60, 30);
    QTest::mousePress(canvas, Qt::LeftButton, {}, grip);
    QTest::mouseMove(canvas, grip + QPoint(200, 500));
    QCOMPARE(unit->pos(), QPoint(200, 134 - 67));
    // Bottom edge: 1000 - 500; x = trunc(200 * 7000 / 940) = 1489.
    QCOMPARE(record(unit->id())->wall_rect, (DevRect{1489, 500, 1000, 500}));
    QTest::mouseMove(canvas, grip + QPoint(-500, -500));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, grip + QPoint(-500, -500));
    QCOMPARE(unit->pos(), QPoint(0, 0));
    QCOMPARE(record(unit->id())->wall_rect, (DevRect{0, 0, 1000, 500}));

    // A press in the edge band does not move the unit.
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(2, 30));
    QTest::mouseMove(canvas, QPoint(300, 30));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(300, 30));
    QCOMPARE(unit->pos(), QPoint(0, 0));
}

void TestMosaic::copy_unit_menu_lists_fitted_cards_only()
{
    device_data.out_card_present[1] = 0;
    open_editor();
    winClass *unit = new_copy_unit(m_editor->canvas(0), 100, 100);
    QVERIFY(unit);
    context_menu(unit, {});
    QCOMPARE(
        m_script->seen_menu,
        (QStringList{"New", "Output card: OutA", "Output card: OutA>Output port: DVI-1",
                     "Output card: OutA>Output port: DVI-2", "Output card: OutA>Output port: DVI-3",
                     "Output card: OutA>Output port: DVI-4", "Delete"}));
    context_menu(port_unit(0, 2), {});
    QCOMPARE(m_script->seen_menu, (QStringList{"New", "Trimming", "Delete", "Delete All"}));

    // "Delete" on the copy unit removes it and its number; no device data changes.
    const DevRect before = device_data.mode_data[4].unit_rect[0][0];
    context_menu(unit, {"Delete"});
    QCOMPARE(m_editor->copy_unit_count(), 0);
    QVERIFY(m_editor->copy_units().isEmpty());
    context_menu(port_unit(0, 0), {"Delete"});
    QVERIFY(!port_unit(0, 0));
    QCOMPARE(device_data.mode_data[4].unit_rect[0][0], before);
    QCOMPARE(device_data.unit_list.size(), 5);
}

void TestMosaic::assignment_in_four_wall_mode_keeps_wall()
{
    device_data.mosaic_on = 1;
    ModeData &m = device_data.mode_data[4];
    for (SizePair &s : m.wall_size)
        s = {3840, 1080};
    open_editor();
    auto &f = m_editor->form();
    f.comboBo_select->setFocus();
    QTest::keyClick(f.comboBo_select, Qt::Key_Down);
    QTest::keyClick(f.comboBo_select, Qt::Key_Down);
    QCOMPARE(m_editor->shown_wall(), 2);
    winClass *unit = new_copy_unit(m_editor->canvas(2), 1920, 1080);
    QVERIFY(unit);
    QCOMPARE(unit->wall(), 2);
    QCOMPARE(unit->parentWidget(), m_editor->canvas(2));
    QSignalSpy walls(m_editor.get(), &mosaic::led_screen_signal);
    context_menu(unit, {"Output card: OutB", "Output port: DVI-4"});
    QCOMPARE(m.led_screen[7], 2);
    QCOMPARE(walls.count(), 1);
    QCOMPARE(walls.first().first().toInt(), 7);
    QCOMPARE(port_unit(1, 3)->parentWidget(), m_editor->canvas(2));
    // Left half of a 3840 x 1080 wall: 1920 of the 3840 input columns, every row.
    QCOMPARE(m.led_in_rect[1][3], (DevRect{0, 0, 1920, 2160}));
}

void TestMosaic::delete_all_touches_only_shown_wall()
{
    device_data.mosaic_on = 1;
    ModeData &m = device_data.mode_data[4];
    for (SizePair &s : m.wall_size)
        s = {3840, 1080};
    for (int i = 0; i < 8; ++i)
        m.led_screen[i] = i % 4;
    open_editor();
    auto &f = m_editor->form();
    QVERIFY(new_copy_unit(m_editor->canvas(0), 500, 500));
    f.comboBo_select->setFocus();
    QTest::keyClick(f.comboBo_select, Qt::Key_Down);
    QVERIFY(new_copy_unit(m_editor->canvas(1), 500, 500));
    QVERIFY(new_copy_unit(m_editor->canvas(1), 600, 600));
    QCOMPARE(m_editor->copy_unit_count(), 3);

    context_menu(port_unit(0, 1), {"Delete All"});
    QList<int> walls;
    for (const mosaic::PortUnit &u : m_editor->port_units())
        walls << u.wall;
    QCOMPARE(walls, (QList<int>{0, 2, 3, 0, 2, 3}));
    QCOMPARE(m_editor->copy_units().size(), 1);
    QCOMPARE(m_editor->copy_units().first().wall, 0);
    QCOMPARE(m_editor->copy_unit_count(), 1);
    const auto units_on = [this](int wall) {
        return m_editor->canvas(wall)
            ->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)
            .size();
    };
    QTRY_COMPARE(units_on(1), 0);
    QCOMPARE(units_on(0), 3);
    QCOMPARE(units_on(3), 2);
}

void TestMosaic::trimming_moves_port_unit()
{
    open_editor();
    QSignalSpy sized(m_editor.get(), &mosaic::send_size_signal);
    m_script->choose({"Trimming"});
    QStringList shown;
    m_script->add([&shown](QWidget *active) {
        auto *dialog = qobject_cast<ledtrim *>(active);
        if (!dialog)
            return false;
        auto &f = dialog->form();
        shown << f.lineEdit_port->text() << f.lineEdit_x->text();
        // A wider unit leaves less room: x may reach 7000 - 1900 only.
        f.lineEdit_w->clear();
        QTest::keyClicks(f.lineEdit_w, "1900");
        f.lineEdit_x->clear();
        QTest::keyClicks(f.lineEdit_x, "51009");
        shown << f.lineEdit_x->text();
        QTest::mouseClick(f.pushButton, Qt::LeftButton);
        return true;
    });
    ledscreen *b2 = port_unit(1, 1);
    right_click(b2);
    QTRY_VERIFY(m_script->done());
    QCOMPARE(shown, (QStringList{"OutB:DVI-2", "1750", "5100"}));
    QCOMPARE(sized.count(), 1);
    QCOMPARE(sized.first(), (QList<QVariant>{1, 1, 0}));
    const ModeData &m = device_data.mode_data[4];
    QCOMPARE(m.unit_rect[1][1], (DevRect{5100, 500, 1900, 500}));
    // 5100 * 940 / 7000 = 684.9, 1900 * 940 / 7000 = 255.1, 500 * 134 / 1000 = 67.
    QCOMPARE(m.mosaic_rects[1][1], (DevRect{684, 67, 255, 67}));
    QCOMPARE(b2->geometry(), QRect(684, 67, 255, 67));
    QCOMPARE(record(b2->id())->canvas_rect, (DevRect{684, 67, 255, 67}));

    // A width above the largest unit cannot be typed, and an empty x is refused.
    ledtrim &dialog = m_editor->trim_dialog();
    dialog.prepare(1, 1, 0, b2->id());
    auto &f = dialog.form();
    f.lineEdit_w->clear();
    QTest::keyClicks(f.lineEdit_w, "19201");
    QCOMPARE(f.lineEdit_w->text(), QStringLiteral("1920"));
    f.lineEdit_x->clear();
    dialog.show();
    QSignalSpy saved(&dialog, &ledtrim::save_led_size_signal);
    QTest::mouseClick(f.pushButton, Qt::LeftButton);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(dialog.focusWidget(), f.lineEdit_x);
    dialog.hide();
}

void TestMosaic::saving_totals_rebuilds_canvas()
{
    device_data.mosaic_on = 1;
    ModeData &m = device_data.mode_data[4];
    for (int i = 0; i < 8; ++i)
        m.led_screen[i] = i % 2;
    for (SizePair &s : m.wall_size)
        s = {3840, 1080};
    open_editor();
    auto &f = m_editor->form();
    QSignalSpy totals(m_editor.get(), &mosaic::total_size_signal);
    f.wEdit->clear();
    QTest::keyClicks(f.wEdit, "1920");
    f.hEdit->clear();
    QTest::keyClicks(f.hEdit, "3840");
    QTest::mouseClick(f.setButton_size, Qt::LeftButton);
    QCOMPARE(totals.count(), 1);
    QCOMPARE(totals.first().first().toInt(), 0);
    QCOMPARE(m.wall_size[0].w, 1920);
    QCOMPARE(m.wall_size[0].h, 3840);
    QCOMPARE(m_editor->canvas(0)->size(), QSize(275, 550));
    QVERIFY(m_editor->canvas(0)->isVisible());
    QVERIFY(m_editor->isEnabled());
    // The wall's units are gone; those of wall 2 stay.
    for (const mosaic::PortUnit &u : m_editor->port_units())
        QCOMPARE(u.wall, 1);
    QCOMPARE(m_editor->port_units().size(), 4);

    // An empty total is not saved.
    f.hEdit->clear();
    QTest::mouseClick(f.setButton_size, Qt::LeftButton);
    QCOMPARE(totals.count(), 1);
}

QTEST_MAIN(TestMosaic)
#include "tst_mosaic.moc"
