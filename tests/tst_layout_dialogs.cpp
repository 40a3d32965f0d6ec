// The window size and attribute dialogs: what can be typed, what Save takes.

#include <QtTest>

#include <QIntValidator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>

#include "app/tesselview.h"
#include "layout/itembox.h"

class TestLayoutDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crop_bounds_follow_the_other_edit();
    void output_width_bound();
    void trimming_save_moves_item();
    void trimming_save_refuses_incomplete_values();
    void border_size_cannot_exceed_127();
    void border_save_sends_open_flag_and_values();
    void texts_follow_language();

private:
    // Replaces an edit's text by typing, as an operator would.
    static QString type_into(QLineEdit *edit, const QString &text)
    {
        edit->clear();
        QTest::keyClicks(edit, text);
        return edit->text();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TesselView> m_view;
};

void TestLayoutDialogs::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_view = std::make_unique<TesselView>();
    device_data.reset_device_data();
    device_data.load_default_layouts();
}

void TestLayoutDialogs::cleanup()
{
    m_view.reset();
    m_dir.reset();
}

void TestLayoutDialogs::crop_bounds_follow_the_other_edit()
{
    trimmingDlg &dlg = m_view->trimming_dialog();
    auto &ui = dlg.form();
    dlg.fill(2); // WIN3: crop height 1080 of a 1080-line input
    QCOMPARE(ui.inhEdit->text(), QStringLiteral("1080"));
    QVERIFY(!ui.inxEdit->isEnabled());
    QVERIFY(!ui.inwEdit->isEnabled());
    QCOMPARE(type_into(ui.inyEdit, "1"), QString());
    QCOMPARE(type_into(ui.inyEdit, "0"), QStringLiteral("0"));
    type_into(ui.inhEdit, "1000");
    QCOMPARE(type_into(ui.inyEdit, "80"), QStringLiteral("80"));
    QCOMPARE(type_into(ui.inyEdit, "81"), QStringLiteral("8"));
    // Windows 1 and 2 crop inside 2160 lines.
    dlg.fill(0);
    type_into(ui.inhEdit, "2000");
    QCOMPARE(type_into(ui.inyEdit, "160"), QStringLiteral("160"));
}

void TestLayoutDialogs::output_width_bound()
{
    trimmingDlg &dlg = m_view->trimming_dialog();
    auto &ui = dlg.form();
    dlg.fill(0);
    type_into(ui.outwEdit, "100");
    type_into(ui.outxEdit, "3000");
    auto *v = qobject_cast<const QIntValidator *>(ui.outwEdit->validator());
    QVERIFY(v);
    QCOMPARE(v->bottom(), 8);
    QCOMPARE(v->top(), 840);
    QCOMPARE(type_into(ui.outwEdit, "841"), QStringLiteral("84"));
    QCOMPARE(type_into(ui.outwEdit, "840"), QStringLiteral("840"));
}

void TestLayoutDialogs::trimming_save_moves_item()
{
    m_view->build_canvases(0);
    device_data.mode_data[0].win_open[3] = 1;
    m_view->rebuild_items(0);
    trimmingDlg &dlg = m_view->trimming_dialog();
    auto &ui = dlg.form();
    dlg.fill(3);
    QCOMPARE(ui.lineEdit->text(), QStringLiteral("WIN:4"));
    type_into(ui.outwEdit, "8");
    type_into(ui.outhEdit, "8");
    type_into(ui.outxEdit, "1920");
    type_into(ui.outyEdit, "1080");
    type_into(ui.outwEdit, "1920");
    type_into(ui.outhEdit, "1080");
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);
    QCOMPARE(device_data.mode_data[0].win_out[3], (DevRect{1920, 1080, 1920, 1080}));
    QCOMPARE(m_view->window_item(0, 3)->geometry(), QRect(407, 274, 407, 274));
}

void TestLayoutDialogs::trimming_save_refuses_incomplete_values()
{
    trimmingDlg &dlg = m_view->trimming_dialog();
    auto &ui = dlg.form();
    dlg.show();
    dlg.fill(1);
    QSignalSpy saved(&dlg, &trimmingDlg::set_win_size_signal);
    type_into(ui.outhEdit, "5"); // below the minimum of 8
    type_into(ui.outyEdit, "");
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);
    QCOMPARE(saved.count(), 0);
    QCOMPARE(device_data.mode_data[0].win_out[1], (DevRect{600, 200, 2640, 600}));
    QCOMPARE(dlg.focusWidget(), ui.outyEdit); // the first bad edit in form order
    type_into(ui.outyEdit, "0");
    type_into(ui.outhEdit, "600");
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(device_data.mode_data[0].win_out[1], (DevRect{600, 0, 2640, 600}));
}

void TestLayoutDialogs::border_size_cannot_exceed_127()
{
    mulAttribute &dlg = m_view->attribute_dialog();
    auto &ui = dlg.form();
    dlg.fill(0);
    QCOMPARE(ui.sEdit->text(), QStringLiteral("3"));
    QCOMPARE(type_into(ui.sEdit, "128"), QStringLiteral("12"));
    QCOMPARE(type_into(ui.sEdit, "127"), QStringLiteral("127"));
    QCOMPARE(type_into(ui.rEdit, "256"), QStringLiteral("25"));
    QCOMPARE(type_into(ui.lEdit, "255"), QStringLiteral("255"));
}

void TestLayoutDialogs::border_save_sends_open_flag_and_values()
{
    mulAttribute &dlg = m_view->attribute_dialog();
    auto &ui = dlg.form();
    dlg.show();
    device_data.win_frame[2].on = 1;
    dlg.fill(2);
    QVERIFY(ui.checkBox->isChecked());
    QCOMPARE(ui.winlabel->text(), QStringLiteral("WINDOWS:WIN-3"));
    QSignalSpy frame(&dlg, &mulAttribute::clicked_frameBtn_signal);
    QSignalSpy gray(&dlg, &mulAttribute::clicked_lBtn_signal);
    ui.checkBox->setChecked(false);
    type_into(ui.rEdit, "10");
    type_into(ui.gEdit, "20");
    type_into(ui.bEdit, "30");
    type_into(ui.sEdit, "2"); // incomplete: below 3
    QTest::mouseClick(ui.frameBtn, Qt::LeftButton);
    QCOMPARE(frame.count(), 0);
    QCOMPARE(dlg.focusWidget(), ui.sEdit);
    type_into(ui.sEdit, "40");
    QTest::mouseClick(ui.frameBtn, Qt::LeftButton);
    QCOMPARE(frame.count(), 1);
    QCOMPARE(frame.at(0).at(0).toInt(), 2);
    const WinFrame &f = device_data.win_frame[2];
    QCOMPARE(int(f.on), 0);
    QCOMPARE(f.red, 10);
    QCOMPARE(f.green, 20);
    QCOMPARE(f.blue, 30);
    QCOMPARE(f.size, 40);
    QCOMPARE(gray.count(), 0);
    QVERIFY(dlg.isEnabled());
}

void TestLayoutDialogs::texts_follow_language()
{
    device_data.lang_english = 1;
    m_view->trimming_dialog().fill(0);
    QCOMPARE(m_view->trimming_dialog().windowTitle(),
             QStringLiteral("Window input and output size Settings"));
    m_view->attribute_dialog().fill(0);
    QCOMPARE(m_view->attribute_dialog().form().llabel->text(), QStringLiteral("Gray"));
    m_view->mode_copy_dialog().prepare(4);
    QCOMPARE(m_view->mode_copy_dialog().form().label->text(), QStringLiteral("Copy source mode:"));
    QCOMPARE(m_view->mode_copy_dialog().target_mode(), 0);
    device_data.lang_english = 0;
    m_view->attribute_dialog().fill(0);
    QCOMPARE(m_view->attribute_dialog().form().llabel->text(), QStringLiteral("低灰偏置"));
    QCOMPARE(m_view->attribute_dialog().form().groupBox_4->title(), QStringLiteral("边框"));
}

QTEST_MAIN(TestLayoutDialogs)
#include "tst_layout_dialogs.moc"
