// Window items under real mouse events, through the window system as an
// operator's mouse would deliver them.

#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "app/tesselview.h"
#include "layout/cled.h"
#include "layout/itembox.h"

class TestLayoutItems : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void zone_borders_data();
    void zone_borders();
    void corner_and_edge_drags_data();
    void corner_and_edge_drags();
    void click_without_movement_commits_once();
    void press_on_label_acts_on_item();
    void cursor_follows_zone();
    void right_click_on_label_opens_item_menu();
    void sources_submenu_lists_fitted_cards_of_the_pair();
    void create_fills_lowest_free_number();
    void colours_repeat_with_the_same_actions();

private:
    itemBox *item(int win) const { return m_view->window_item(0, win); }
    // Places WIN1 of mode 0 at a canvas rectangle.
    itemBox *place_item(const QRect &r);
    void drag(itemBox *box, QPoint from, QPoint by);
    // Opens the context menu at a point of a widget and returns the entry texts
    // of the menu and, when named, of one submenu.
    QStringList menu_texts(QWidget *w, QPoint at, const QString &submenu = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TesselView> m_view;
};

void TestLayoutItems::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_view = std::make_unique<TesselView>();
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    device_data.reset_device_data();
    device_data.load_default_layouts();
    m_view->form().stackedWidget->setCurrentIndex(TesselView::kPageMultiWindow);
    m_view->build_canvases(0);
}

void TestLayoutItems::cleanup()
{
    m_view.reset();
    m_dir.reset();
}

itemBox *TestLayoutItems::place_item(const QRect &r)
{
    if (!item(0))
        m_view->new_create();
    itemBox *box = item(0);
    if (!box)
        return nullptr;
    device_data.mode_data[0].win_canvas[0] = {r.x(), r.y(), r.width(), r.height()};
    box->setGeometry(r);
    return box;
}

void TestLayoutItems::drag(itemBox *box, QPoint from, QPoint by)
{
    const QPoint end = box->mapToGlobal(from) + by;
    QTest::mousePress(box, Qt::LeftButton, {}, from);
    // Two steps: each move adds only its own difference.
    QTest::mouseMove(box, from + by / 2);
    QTest::mouseMove(box, box->mapFromGlobal(end));
    QTest::mouseRelease(box, Qt::LeftButton, {}, box->mapFromGlobal(end));
}

QStringList TestLayoutItems::menu_texts(QWidget *w, QPoint at, const QString &submenu)
{
    QStringList texts;
    QTimer::singleShot(50, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *a : menu->actions()) {
            if (submenu.isEmpty())
                texts << a->text();
            else if (a->text() == submenu && a->menu())
                for (QAction *s : a->menu()->actions())
                    texts << s->text();
        }
        menu->close();
    });
    QTest::mouseClick(w, Qt::RightButton, {}, at);
    return texts;
}

void TestLayoutItems::zone_borders_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QRect>("after"); // item at (100, 100, 100, 100) dragged by (6, 6)
    QTest::newRow("x 10: centre moves") << QPoint(10, 50) << QRect(106, 106, 100, 100);
    QTest::newRow("x 9: left edge") << QPoint(9, 50) << QRect(106, 100, 94, 100);
    QTest::newRow("x 90: right edge") << QPoint(90, 50) << QRect(100, 100, 106, 100);
    QTest::newRow("y 90: middle moves") << QPoint(50, 90) << QRect(106, 106, 100, 100);
    QTest::newRow("y 91: bottom edge") << QPoint(50, 91) << QRect(100, 100, 100, 106);
    QTest::newRow("y 9: top edge") << QPoint(50, 9) << QRect(100, 106, 100, 94);
}

void TestLayoutItems::zone_borders()
{
    QFETCH(QPoint, press);
    QFETCH(QRect, after);
    itemBox *box = place_item({100, 100, 100, 100});
    QVERIFY(box);
    drag(box, press, {6, 6});
    QCOMPARE(box->geometry(), after);
    const DevRect &c = device_data.mode_data[0].win_canvas[0];
    QCOMPARE(QRect(c.x, c.y, c.w, c.h), after);
}

void TestLayoutItems::corner_and_edge_drags_data()
{
    QTest::addColumn<QRect>("start");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("by");
    QTest::addColumn<QRect>("after");
    QTest::newRow("top-left corner")
        << QRect(100, 100, 200, 100) << QPoint(5, 5) << QPoint(20, 30) << QRect(120, 130, 180, 70);
    QTest::newRow("centre to the far right") << QRect(300, 100, 200, 100) << QPoint(100, 50)
                                             << QPoint(600, 0) << QRect(615, 100, 200, 100);
    QTest::newRow("centre past top-left")
        << QRect(30, 20, 200, 100) << QPoint(100, 50) << QPoint(-80, -80) << QRect(0, 0, 200, 100);
    QTest::newRow("centre past the bottom") << QRect(30, 400, 200, 100) << QPoint(100, 50)
                                            << QPoint(0, 100) << QRect(30, 448, 200, 100);
    QTest::newRow("right edge past the canvas") << QRect(600, 100, 100, 100) << QPoint(95, 50)
                                                << QPoint(300, 0) << QRect(600, 100, 215, 100);
    QTest::newRow("left edge to -40")
        << QRect(20, 100, 100, 100) << QPoint(2, 50) << QPoint(-60, 0) << QRect(0, 100, 120, 100);
    QTest::newRow("bottom-right corner past the opposite edges")
        << QRect(100, 100, 200, 100) << QPoint(195, 95) << QPoint(-400, -300)
        << QRect(100, 100, 2, 2);
}

void TestLayoutItems::corner_and_edge_drags()
{
    QFETCH(QRect, start);
    QFETCH(QPoint, press);
    QFETCH(QPoint, by);
    QFETCH(QRect, after);
    itemBox *box = place_item(start);
    QVERIFY(box);
    QSignalSpy released(box, &itemBox::change_wins_size_signal);
    drag(box, press, by);
    QCOMPARE(box->geometry(), after);
    QCOMPARE(released.count(), 1);
}

void TestLayoutItems::click_without_movement_commits_once()
{
    itemBox *box = place_item({100, 50, 200, 100});
    QVERIFY(box);
    device_data.mode_data[0].win_in[0] = {5, 6, 7, 8};
    QSignalSpy released(box, &itemBox::change_wins_size_signal);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), 0);
    QCOMPARE(box->geometry(), QRect(100, 50, 200, 100));
    // Committed without a link: output pixels from the canvas, full-picture crop.
    QCOMPARE(device_data.mode_data[0].win_out[0], (DevRect{471, 197, 942, 394}));
    QCOMPARE(device_data.mode_data[0].win_in[0], (DevRect{0, 0, 3840, 2160}));
    // A release with no press in progress does nothing; a right press is no drag.
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(released.count(), 1);
}

void TestLayoutItems::press_on_label_acts_on_item()
{
    itemBox *box = place_item({100, 100, 200, 100});
    QVERIFY(box);
    QWidget *label = box->form().winlabel;
    const QPoint on_label = label->mapTo(box, label->rect().center());
    QCOMPARE(box->childAt(on_label), nullptr); // labels let the mouse through
    drag(box, on_label, {10, 20});
    QCOMPARE(box->geometry(), QRect(110, 120, 200, 100));
}

void TestLayoutItems::cursor_follows_zone()
{
    itemBox *box = place_item({100, 100, 100, 100});
    QVERIFY(box);
    // A bottom-edge press: horizontal moves leave the geometry alone.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(50, 95));
    QTest::mouseMove(box, QPoint(95, 95));
    QCOMPARE(box->cursor().shape(), Qt::SizeFDiagCursor);
    QTest::mouseMove(box, QPoint(5, 95));
    QCOMPARE(box->cursor().shape(), Qt::SizeBDiagCursor);
    QTest::mouseMove(box, QPoint(50, 95));
    QCOMPARE(box->cursor().shape(), Qt::SizeVerCursor);
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(50, 95));
    QCOMPARE(box->geometry(), QRect(100, 100, 100, 100));
}

void TestLayoutItems::right_click_on_label_opens_item_menu()
{
    itemBox *box = place_item({100, 100, 200, 100});
    QVERIFY(box);
    device_data.lang_english = 1;
    QWidget *label = box->form().sourcelabel;
    const QStringList texts = menu_texts(box, label->mapTo(box, label->rect().center()));
    QCOMPARE(texts, (QStringList{"New", "Trimming", "Delete", "Delete All", "Up", "Down",
                                 "Image Quality", "Sources"}));
    // An empty part of the canvas has its own menu.
    const QStringList canvas_texts = menu_texts(m_view->canvas(0), QPoint(810, 540));
    QCOMPARE(canvas_texts, (QStringList{"New", "Delete All"}));
}

void TestLayoutItems::sources_submenu_lists_fitted_cards_of_the_pair()
{
    itemBox *box = place_item({100, 100, 200, 100});
    QVERIFY(box);
    device_data.lang_english = 1;
    device_data.in_card_present[0] = 1;
    device_data.in_card_present[1] = 1;
    device_data.in_source[0] = 3;
    device_data.in_source[1] = 3;
    device_data.in_vga[1] = 1;
    device_data.in_source[2] = 6;
    device_data.in_source[3] = 7;
    // WIN1 shows InC or InD, neither fitted.
    QCOMPARE(menu_texts(box, QPoint(100, 50), "Sources"), QStringList());
    device_data.in_card_present[3] = 1;
    QCOMPARE(menu_texts(box, QPoint(100, 50), "Sources"), QStringList{"InD:DP-2"});

    box->set_window_number(2);
    QCOMPARE(menu_texts(box, QPoint(100, 50), "Sources"), (QStringList{"InA:HDMI-1", "InB:VGA-2"}));
}

void TestLayoutItems::create_fills_lowest_free_number()
{
    ModeData &m = device_data.mode_data[0];
    m.win_open[0] = m.win_open[1] = m.win_open[3] = 1;
    for (int w = 0; w < kWindowCount; ++w)
        m_view->to_canvas(0, w);
    m_view->rebuild_items(0);
    m_view->new_create();
    QVERIFY(m.win_open[2]);
    itemBox *win3 = item(2);
    QVERIFY(win3);
    QCOMPARE(win3->form().winlabel->text(), QStringLiteral("WIN3"));
    QCOMPARE(win3->form().sourcelabel->text(), QStringLiteral("source:InA"));
    // Default WIN3 (600, 1360, 800, 600) on the 815 x 548 canvas.
    QCOMPARE(win3->geometry(), QRect(127, 345, 169, 152));
    m_view->new_create(); // a fifth window is refused
    int shown = 0;
    for (itemBox *b : m_view->canvas(0)->findChildren<itemBox *>())
        shown += b->isVisible() ? 1 : 0;
    QCOMPARE(shown, 4);
    // The stacking order of the records: WIN4 on top of a 3, 2, 1, 0 list.
    QCOMPARE(m_view->canvas(0)->childAt(item(3)->geometry().center()), item(3));
}

void TestLayoutItems::colours_repeat_with_the_same_actions()
{
    const auto run = [this] {
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        qsrand(1); // what an unseeded generator starts from
        QT_WARNING_POP
        m_view->close_all_items();
        for (uint8_t &open : device_data.mode_data[0].win_open)
            open = 0;
        m_view->new_create();
        m_view->new_create();
        QStringList sheets;
        for (int w = 0; w < 2; ++w)
            sheets << item(w)->styleSheet();
        return sheets;
    };
    const QStringList first = run();
    const QStringList second = run();
    QCOMPARE(first, second);
    QVERIFY(first[0] != first[1]);
    QVERIFY(first[0].startsWith(QStringLiteral("QLineEdit{background-color: rgba(")));
    QVERIFY(first[0].endsWith(QStringLiteral(",150);}")));
}

QTEST_MAIN(TestLayoutItems)
#include "tst_layout_items.moc"
