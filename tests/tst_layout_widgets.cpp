// Window items under real mouse events, delivered through the window system
// as an operator's mouse would, and the window dialogs; no link is open.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QMenu>
#include <QSignalSpy>

#include "layout/cled.h"
#include "layout/itembox.h"
#include "output/mosaic/ledscreen.h"
#include "support/sim_session.h"

namespace {

// Replaces an edit's text by typing, as an operator would.
QString type_into(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
    return edit->text();
}

} // namespace

class TestLayoutWidgets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_s.stop(); }

    void drags_data();
    void drags();
    void labels_and_menus();
    void colours_repeat_with_the_same_actions();
    void size_and_border_dialogs();

private:
    itemBox *item(int win) const { return m_s.view->window_item(0, win); }
    // WIN1 of mode 0 at a canvas rectangle.
    itemBox *place_item(const QRect &r);
    // The entry texts of the context menu at a point, or of one of its submenus;
    // chooses `entry` inside the menu's own loop, where deferred deletes then run.
    QStringList menu_texts(QWidget *w, QPoint at, const QString &submenu = {},
                           const QString &entry = {});

    SimSession m_s;
};

void TestLayoutWidgets::init()
{
    QVERIFY(m_s.start(false));
    QVERIFY(QTest::qWaitForWindowExposed(m_s.view.get()));
    device_data.reset_device_data();
    device_data.load_default_layouts();
    device_data.lang_english = 1;
    m_s.view->form().stackedWidget->setCurrentIndex(TesselView::kPageMultiWindow);
    m_s.view->build_canvases(0);
}

itemBox *TestLayoutWidgets::place_item(const QRect &r)
{
    if (!item(0))
        m_s.view->new_create();
    if (!item(0))
        return nullptr;
    device_data.mode_data[0].win_canvas[0] = {r.x(), r.y(), r.width(), r.height()};
    item(0)->setGeometry(r);
    return item(0);
}

QStringList TestLayoutWidgets::menu_texts(QWidget *w, QPoint at, const QString &submenu,
                                          const QString &entry)
{
    QStringList texts;
    QTimer::singleShot(50, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction *chosen = nullptr;
        for (QAction *a : menu->actions()) {
            if (a->text() == entry)
                chosen = a;
            if (submenu.isEmpty())
                texts << a->text();
            else if (a->text() == submenu && a->menu())
                for (QAction *s : a->menu()->actions())
                    texts << s->text();
        }
        menu->close();
        if (chosen) {
            chosen->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    });
    QTest::mouseClick(w, Qt::RightButton, {}, at);
    return texts;
}

void TestLayoutWidgets::drags_data()
{
    QTest::addColumn<QRect>("start");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("by");
    QTest::addColumn<QRect>("after");
    const auto row = [](const char *name, QRect start, QPoint press, QPoint by, QRect after) {
        QTest::newRow(name) << start << press << by << after;
    };
    // The zone borders of a 100 x 100 item.
    const QRect box(100, 100, 100, 100);
    row("x 10 centre", box, {10, 50}, {6, 6}, box.translated(6, 6));
    row("x 90 right", box, {90, 50}, {6, 6}, {100, 100, 106, 100});
    row("y 90 middle", box, {50, 90}, {6, 6}, box.translated(6, 6));
    row("y 91 bottom", box, {50, 91}, {6, 6}, {100, 100, 100, 106});
    // A corner, and the clamps at every edge of the 815 x 548 canvas.
    row("top-left corner", {100, 100, 200, 100}, {5, 5}, {20, 30}, {120, 130, 180, 70});
    row("centre past top-left", {30, 20, 200, 100}, {100, 50}, {-80, -80}, {0, 0, 200, 100});
    row("centre past bottom-right", {300, 400, 200, 100}, {100, 50}, {600, 100},
        {615, 448, 200, 100});
    row("right edge past", {600, 100, 100, 100}, {95, 50}, {300, 0}, {600, 100, 215, 100});
    row("top edge past", {20, 30, 100, 100}, {50, 2}, {0, -50}, {20, 0, 100, 130});
    row("bottom edge past", {0, 500, 100, 40}, {50, 35}, {0, 60}, {0, 500, 100, 48});
    row("left edge past", {20, 100, 100, 100}, {2, 50}, {-60, 0}, {0, 100, 120, 100});
    // Edges dragged past the opposite edge stop 2 pixels short of it.
    row("corner past the opposite edges", {100, 100, 200, 100}, {195, 95}, {-400, -300},
        {100, 100, 2, 2});
    row("left edge past the right", {100, 100, 200, 100}, {2, 50}, {500, 0}, {298, 100, 2, 100});
    row("click without movement", {100, 50, 200, 100}, {50, 50}, {0, 0}, {100, 50, 200, 100});
}

void TestLayoutWidgets::drags()
{
    QFETCH(QRect, start);
    QFETCH(QPoint, press);
    QFETCH(QPoint, by);
    QFETCH(QRect, after);
    itemBox *box = place_item(start);
    QVERIFY(box);
    device_data.mode_data[0].win_in[0] = {5, 6, 7, 8};
    QSignalSpy released(box, &itemBox::change_wins_size_signal);
    const QPoint end = box->mapToGlobal(press) + by;
    QTest::mousePress(box, Qt::LeftButton, {}, press);
    // Two steps: each move adds only its own difference.
    QTest::mouseMove(box, press + by / 2);
    QTest::mouseMove(box, box->mapFromGlobal(end));
    QCOMPARE(released.count(), 0);
    QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFromGlobal(end));
    QCOMPARE(box->geometry(), after);
    const DevRect &c = device_data.mode_data[0].win_canvas[0];
    QCOMPARE(QRect(c.x, c.y, c.w, c.h), after);
    QCOMPARE(released.count(), 1); // one rectangle command per press and release
    // Committed with the full-picture crop; a release with no press does nothing.
    QCOMPARE(device_data.mode_data[0].win_in[0], (DevRect{0, 0, 3840, 2160}));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(released.count(), 1);
}

void TestLayoutWidgets::labels_and_menus()
{
    itemBox *box = place_item({100, 100, 200, 100});
    QVERIFY(box);
    QWidget *label = box->form().winlabel;
    const QPoint on_label = label->mapTo(box, label->rect().center());
    const QPoint end = box->mapToGlobal(on_label) + QPoint(10, 20);
    QTest::mousePress(box, Qt::LeftButton, {}, on_label);
    QTest::mouseMove(box, box->mapFromGlobal(end));
    QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFromGlobal(end));
    QCOMPARE(box->geometry(), QRect(110, 120, 200, 100));

    QWidget *source = box->form().sourcelabel;
    QVERIFY(menu_texts(box, source->mapTo(box, source->rect().center())).contains("Sources"));
    // An empty part of the canvas has its own menu.
    QCOMPARE(menu_texts(m_s.view->canvas(0), QPoint(810, 540)), (QStringList{"New", "Delete All"}));

    // The sources submenu: fitted cards of the window's pair, named by connector.
    device_data.in_card_present[0] = device_data.in_card_present[1] = 1;
    device_data.in_source[0] = device_data.in_source[1] = 3;
    device_data.in_vga[1] = 1;
    device_data.in_source[2] = 6;
    device_data.in_source[3] = 7;
    // WIN1 shows InC or InD, neither fitted.
    QCOMPARE(menu_texts(box, QPoint(100, 50), "Sources"), QStringList());
    device_data.in_card_present[3] = 1;
    QCOMPARE(menu_texts(box, QPoint(100, 50), "Sources"), QStringList{"InD:DP-2"});
    box->set_window_number(2);
    QCOMPARE(menu_texts(box, QPoint(100, 50), "Sources"), (QStringList{"InA:HDMI-1", "InB:VGA-2"}));

    // "Up" on WIN3 of a known stack, then WIN4 lowered: the worked stacking codes.
    device_data.mode_data[0].win_layers = {3, 2, 1, 0};
    menu_texts(box, QPoint(100, 50), {}, "Up");
    QCOMPARE(device_data.mode_data[0].layer_code, 1);
    m_s.view->Down_Win(3);
    QCOMPARE(device_data.mode_data[0].layer_code, 9);

    // "New" replaces the item whose menu is still running.
    QPointer<itemBox> old = box;
    menu_texts(box, QPoint(100, 50), {}, "New");
    QVERIFY(!old && item(0) && item(1));
}

void TestLayoutWidgets::colours_repeat_with_the_same_actions()
{
    const auto run = [this] {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        qsrand(1); // what an unseeded generator starts from
        QT_WARNING_POP
        m_s.view->close_all_items();
        for (uint8_t &open : device_data.mode_data[0].win_open)
            open = 0;
        m_s.view->new_create();
        m_s.view->new_create();
        // Mosaic units draw from the same generator.
        ledscreen unit(0, 0, 1);
        return QStringList{item(0)->styleSheet(), item(1)->styleSheet(), unit.styleSheet()};
    };
    QStringList first = run();
    QCOMPARE(run(), first);
    QCOMPARE(first.removeDuplicates(), 0);
}

void TestLayoutWidgets::size_and_border_dialogs()
{
    trimmingDlg &dlg = m_s.view->trimming_dialog();
    auto &ui = dlg.form();
    dlg.fill(2); // WIN3: crop height 1080 of a 1080-line input
    QCOMPARE(type_into(ui.inyEdit, "1"), QString());
    QCOMPARE(type_into(ui.inyEdit, "0"), QStringLiteral("0"));
    // Windows 1 and 2 crop inside 2160 lines; output x 3000 leaves a width of 8..840.
    dlg.fill(0);
    type_into(ui.inhEdit, "2000");
    QCOMPARE(type_into(ui.inyEdit, "160"), QStringLiteral("160"));
    type_into(ui.outwEdit, "100");
    type_into(ui.outxEdit, "3000");
    QCOMPARE(type_into(ui.outwEdit, "841"), QStringLiteral("84"));
    QCOMPARE(type_into(ui.outwEdit, "840"), QStringLiteral("840"));

    // Save takes only acceptable values, then moves the item.
    device_data.mode_data[0].win_open[3] = 1;
    m_s.view->rebuild_items(0);
    dlg.show();
    dlg.fill(3);
    QSignalSpy saved(&dlg, &trimmingDlg::set_win_size_signal);
    type_into(ui.outwEdit, "8");
    type_into(ui.outhEdit, "5"); // below the minimum of 8
    type_into(ui.outxEdit, "1920");
    type_into(ui.outyEdit, "");
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(dlg.focusWidget(), ui.outyEdit); // the first bad edit in form order
    type_into(ui.outyEdit, "1080");
    type_into(ui.outwEdit, "1920");
    type_into(ui.outhEdit, "1080");
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(device_data.mode_data[0].win_out[3], (DevRect{1920, 1080, 1920, 1080}));
    QCOMPARE(item(3)->geometry(), QRect(407, 274, 407, 274));

    // Border values: the same rules, and captions that follow the language.
    mulAttribute &att = m_s.view->attribute_dialog();
    auto &a = att.form();
    att.show();
    device_data.win_frame[2].on = 1;
    att.fill(2);
    QVERIFY(a.checkBox->isChecked());
    QCOMPARE(a.llabel->text(), QStringLiteral("Gray"));
    QCOMPARE(type_into(a.sEdit, "128"), QStringLiteral("12"));
    QSignalSpy frame(&att, &mulAttribute::clicked_frameBtn_signal);
    a.checkBox->setChecked(false);
    type_into(a.rEdit, "10");
    type_into(a.gEdit, "20");
    type_into(a.bEdit, "30");
    type_into(a.sEdit, "2"); // below 3
    QTest::mouseClick(a.frameBtn, Qt::LeftButton);
    QCOMPARE(frame.count(), 0);
    QCOMPARE(att.focusWidget(), a.sEdit);
    type_into(a.sEdit, "127");
    QTest::mouseClick(a.frameBtn, Qt::LeftButton);
    QCOMPARE(frame.count(), 1);
    QCOMPARE(frame.at(0).at(0).toInt(), 2);
    const WinFrame &f = device_data.win_frame[2];
    QCOMPARE((QVector<int>{f.on, f.red, f.green, f.blue, f.size}),
             (QVector<int>{0, 10, 20, 30, 127}));
    device_data.lang_english = 0;
    att.fill(0);
    QCOMPARE(a.llabel->text(), QStringLiteral("低灰偏置"));
}

QTEST_MAIN(TestLayoutWidgets)
#include "tst_layout_widgets.moc"
