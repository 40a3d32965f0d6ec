// Window items under real mouse events, delivered through the window system
// as an operator's mouse would, and the window dialogs; no link is open.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QMenu>

#include "layout/cled.h"
#include "layout/itembox.h"
#include "output/mosaic/ledscreen.h"
#include "support/sim_session.h"

// Types into each edit as an operator would, then clicks `then`; returns what they showed.
static QStringList type(std::initializer_list<std::pair<QLineEdit *, const char *>> edits,
                        QWidget *then = nullptr)
{
    QStringList shown;
    for (const auto &[edit, text] : edits) {
        edit->clear();
        QTest::keyClicks(edit, QString::fromUtf8(text));
        shown << edit->text();
    }
    if (then)
        QTest::mouseClick(then, Qt::LeftButton);
    return shown;
}

// Presses and moves by `by` in two steps, each adding only its own difference.
static QPoint press_and_move(QWidget *w, QPoint press, QPoint by)
{
    const QPoint end = w->mapToGlobal(press) + by;
    QTest::mousePress(w, Qt::LeftButton, {}, press);
    QTest::mouseMove(w, press + by / 2);
    QTest::mouseMove(w, w->mapFromGlobal(end));
    return w->mapFromGlobal(end);
}

class TestLayoutWidgets : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_s.start(false) && QTest::qWaitForWindowExposed(m_s.view.get()));
        device_data.load_default_layouts();
        device_data.lang_english = 1;
        m_s.view->form().stackedWidget->setCurrentIndex(TesselView::kPageMultiWindow);
        m_s.view->build_canvases(0);
    }
    void cleanup() { m_s.stop(); }

    void drags_menus_colours_and_dialogs();

private:
    itemBox *item(int win) const { return m_s.view->window_item(0, win); }
    itemBox *place_item(const QRect &r) // WIN1 of mode 0 at a canvas rectangle
    {
        if (!item(0))
            m_s.view->new_create();
        device_data.mode_data[0].win_canvas[0] = {r.x(), r.y(), r.width(), r.height()};
        if (item(0))
            item(0)->setGeometry(r);
        return item(0);
    }
    // The entry texts of the context menu at a point, a submenu's as "menu/entry";
    // chooses `entry` inside the menu's own loop, where deferred deletes then run.
    QStringList menu_texts(QWidget *w, QPoint at, const QString &entry = {})
    {
        QStringList texts;
        QTimer::singleShot(50, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *chosen = nullptr;
            for (QAction *a : menu ? menu->actions() : QList<QAction *>()) {
                texts << a->text();
                for (QAction *s : a->menu() ? a->menu()->actions() : QList<QAction *>())
                    texts << a->text() + '/' + s->text();
                chosen = a->text() == entry ? a : chosen;
            }
            if (menu)
                menu->close();
            if (chosen) {
                chosen->trigger();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        });
        QTest::mouseClick(w, Qt::RightButton, {}, at);
        return texts;
    }

    SimSession m_s;
};

void TestLayoutWidgets::drags_menus_colours_and_dialogs()
{
    const std::tuple<const char *, QRect, QPoint, QPoint, QRect> rows[] = {
        // The zone borders of a 100 x 100 item.
        {"x 10 centre", {100, 100, 100, 100}, {10, 50}, {6, 6}, {106, 106, 100, 100}},
        {"x 90 right", {100, 100, 100, 100}, {90, 50}, {6, 6}, {100, 100, 106, 100}},
        {"y 90 middle", {100, 100, 100, 100}, {50, 90}, {6, 6}, {106, 106, 100, 100}},
        {"y 91 bottom", {100, 100, 100, 100}, {50, 91}, {6, 6}, {100, 100, 100, 106}},
        // A corner, and the clamps at every edge of the 815 x 548 canvas.
        {"top-left corner", {100, 100, 200, 100}, {5, 5}, {20, 30}, {120, 130, 180, 70}},
        {"centre past top-left", {30, 20, 200, 100}, {100, 50}, {-80, -80}, {0, 0, 200, 100}},
        {"past bottom-right", {300, 400, 200, 100}, {100, 50}, {600, 100}, {615, 448, 200, 100}},
        {"right edge past", {600, 100, 100, 100}, {95, 50}, {300, 0}, {600, 100, 215, 100}},
        {"top edge past", {20, 30, 100, 100}, {50, 2}, {0, -50}, {20, 0, 100, 130}},
        {"bottom edge past", {0, 500, 100, 40}, {50, 35}, {0, 60}, {0, 500, 100, 48}},
        {"left edge past", {20, 100, 100, 100}, {2, 50}, {-60, 0}, {0, 100, 120, 100}},
        // Edges dragged past the opposite edge stop 2 pixels short of it.
        {"corner past both edges", {100, 100, 200, 100}, {195, 95}, {-400, -300}, {100, 100, 2, 2}},
        {"left edge past the right", {100, 100, 200, 100}, {2, 50}, {500, 0}, {298, 100, 2, 100}},
        {"click without movement", {100, 50, 200, 100}, {50, 50}, {0, 0}, {100, 50, 200, 100}},
    };
    for (const auto &[name, start, press, by, after] : rows) {
        itemBox *box = place_item(start);
        QVERIFY(box);
        device_data.mode_data[0].win_in[0] = {5, 6, 7, 8};
        QSignalSpy released(box, &itemBox::change_wins_size_signal);
        const QPoint at = press_and_move(box, press, by);
        QVERIFY2(released.isEmpty(), name); // one rectangle command, on the release
        QTest::mouseRelease(box, Qt::LeftButton, {}, at);
        const DevRect &c = device_data.mode_data[0].win_canvas[0];
        QCOMPARE((QVariantList{name, box->geometry(), QRect(c.x, c.y, c.w, c.h), released.count()}),
                 (QVariantList{name, after, after, 1}));
        QCOMPARE(device_data.mode_data[0].win_in[0], (DevRect{0, 0, 3840, 2160})); // full crop
    }

    itemBox *box = place_item({100, 100, 200, 100});
    QVERIFY(box);
    const auto centre = [box](QWidget *label) { return label->mapTo(box, label->rect().center()); };
    QTest::mouseRelease(box, Qt::LeftButton, {},
                        press_and_move(box, centre(box->form().winlabel), {10, 20}));
    QCOMPARE(box->geometry(), QRect(110, 120, 200, 100));
    QVERIFY(menu_texts(box, centre(box->form().sourcelabel)).contains("Sources"));
    QCOMPARE(menu_texts(m_s.view->canvas(0), QPoint(810, 540)), (QStringList{"New", "Delete All"}));

    // The sources submenu: fitted cards of the window's pair, named by connector.
    device_data.in_card_present[0] = device_data.in_card_present[1] = device_data.in_vga[1] = 1;
    device_data.in_source[0] = device_data.in_source[1] = 3;
    device_data.in_source[2] = 6, device_data.in_source[3] = 7;
    // WIN1 shows InC or InD, neither fitted.
    QCOMPARE(menu_texts(box, {100, 50}).filter("Sources/"), QStringList());
    device_data.in_card_present[3] = 1;
    QCOMPARE(menu_texts(box, {100, 50}).filter("Sources/"), QStringList{"Sources/InD:DP-2"});
    box->set_window_number(2);
    QCOMPARE(menu_texts(box, {100, 50}).filter("Sources/"),
             (QStringList{"Sources/InA:HDMI-1", "Sources/InB:VGA-2"}));

    // "Up" on WIN3 of a known stack, then WIN4 lowered: the worked stacking codes.
    device_data.mode_data[0].win_layers = {3, 2, 1, 0};
    menu_texts(box, {100, 50}, "Up");
    QCOMPARE(device_data.mode_data[0].layer_code, 1);
    m_s.view->Down_Win(3);
    QCOMPARE(device_data.mode_data[0].layer_code, 9);

    // "New" replaces the item whose menu is still running.
    QPointer<itemBox> old = box;
    menu_texts(box, {100, 50}, "New");
    QVERIFY(!old && item(0) && item(1));

    // Colours repeat with the same actions and differ from each other.
    const auto run = [this] {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        qsrand(1); // what an unseeded generator starts from
        QT_WARNING_POP
        m_s.view->close_all_items();
        std::fill_n(device_data.mode_data[0].win_open, kWindowCount, 0);
        m_s.view->new_create();
        m_s.view->new_create();
        ledscreen unit(0, 0, 1); // mosaic units draw from the same generator
        return QStringList{item(0)->styleSheet(), item(1)->styleSheet(), unit.styleSheet()};
    };
    QStringList first = run();
    QCOMPARE(run(), first);
    QCOMPARE(first.removeDuplicates(), 0);

    // The size dialog takes only what fits the input and the output.
    trimmingDlg &dlg = m_s.view->trimming_dialog();
    auto &ui = dlg.form();
    dlg.fill(2); // WIN3: crop height 1080 of a 1080-line input
    QCOMPARE(type({{ui.inyEdit, "1"}, {ui.inyEdit, "0"}}), (QStringList{"", "0"}));
    // Windows 1 and 2 crop inside 2160 lines; output x 3000 leaves a width of 8..840.
    dlg.fill(0);
    QCOMPARE(type({{ui.inhEdit, "2000"}, {ui.inyEdit, "160"}, {ui.outwEdit, "100"},
                   {ui.outxEdit, "3000"}, {ui.outwEdit, "841"}, {ui.outwEdit, "840"}}),
             (QStringList{"2000", "160", "100", "3000", "84", "840"}));

    // Save takes only acceptable values, then moves the item; the first bad edit in
    // form order (the empty y; the height is below 8) gets the focus.
    device_data.mode_data[0].win_open[3] = 1;
    m_s.view->rebuild_items(0);
    dlg.show();
    dlg.fill(3);
    QSignalSpy saved(&dlg, &trimmingDlg::set_win_size_signal);
    type({{ui.outwEdit, "8"}, {ui.outhEdit, "5"}, {ui.outxEdit, "1920"}, {ui.outyEdit, ""}},
         ui.pushButton);
    QCOMPARE(dlg.focusWidget(), ui.outyEdit);
    type({{ui.outyEdit, "1080"}, {ui.outwEdit, "1920"}, {ui.outhEdit, "1080"}}, ui.pushButton);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(device_data.mode_data[0].win_out[3], (DevRect{1920, 1080, 1920, 1080}));
    QCOMPARE(item(3)->geometry(), QRect(407, 274, 407, 274));

    // Border values: the same rules (a size of 3 at least), captions in the language.
    mulAttribute &att = m_s.view->attribute_dialog();
    auto &a = att.form();
    att.show();
    device_data.win_frame[2].on = 1;
    att.fill(2);
    QVERIFY(a.checkBox->isChecked());
    QCOMPARE(a.llabel->text(), QStringLiteral("Gray"));
    QCOMPARE(type({{a.sEdit, "128"}}), QStringList{"12"});
    QSignalSpy frame(&att, &mulAttribute::clicked_frameBtn_signal);
    a.checkBox->setChecked(false);
    type({{a.rEdit, "10"}, {a.gEdit, "20"}, {a.bEdit, "30"}, {a.sEdit, "2"}}, a.frameBtn);
    QCOMPARE(att.focusWidget(), a.sEdit);
    type({{a.sEdit, "127"}}, a.frameBtn);
    QCOMPARE(static_cast<QList<QList<QVariant>> &>(frame), (QList<QList<QVariant>>{{2}}));
    const WinFrame &f = device_data.win_frame[2];
    QCOMPARE((QVector<int>{f.on, f.red, f.green, f.blue, f.size}), (QVector<int>{0, 10, 20, 30, 127}));
    device_data.lang_english = 0;
    att.fill(0);
    QCOMPARE(a.llabel->text(), QStringLiteral("低灰偏置"));
}

QTEST_MAIN(TestLayoutWidgets)
#include "tst_layout_widgets.moc"
