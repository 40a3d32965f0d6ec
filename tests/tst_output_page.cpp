// The output page against the simulated device, on both links.

#include <QSettings>
#include <QtTest>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "device/device_data.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

using Typed = QList<QPair<QLineEdit *, const char *>>;

// Types each text over what its field held, as an operator would.
void fill(const Typed &typed)
{
    for (const auto &t : typed) {
        t.first->selectAll();
        QTest::keyClick(t.first, Qt::Key_Backspace);
        QTest::keyClicks(t.first, QString::fromLatin1(t.second));
    }
}

int led_screen_in_file(const char *key)
{
    return QSettings(tessel_settings_path(), QSettings::IniFormat).value(key, -1).toInt();
}

} // namespace

class TestOutputPage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }
    void page();
    void resolution_change();

private:
    // Clicks the buttons in turn: the commands the device was sent meanwhile.
    QList<int> click(std::initializer_list<QWidget *> buttons)
    {
        m_s.sim->clear_frame_log();
        for (QWidget *b : buttons)
            QTest::mouseClick(b, Qt::LeftButton);
        return m_s.written_commands();
    }
    SimSession m_s;
};

void TestOutputPage::page()
{
    QVERIFY(m_s.start(true) && m_s.connect_link()); // the demo over the serial link
    auto &ui = m_s.view->form();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    const sim::SimImage &s = m_s.sim->image();
    m_s.view->image_quality_dialog().prepare(); // for OutB DVI-3, the demo's port
    auto &f = m_s.view->image_quality_dialog().form();
    QVERIFY(f.radioBtn_dvi3->isChecked());
    QCOMPARE(f.inBspinLDBox_G->value(), s.port_quality[1][2][3]); // gray green: value 3
    // RGB drives red, green, blue, which move alone; a card value drives its quantity.
    f.inBLDSlider_RGB->setValue(90);
    f.inBLDSlider_R->setValue(40);
    f.inBspinLDBox_B->setValue(61);
    f.CTSlider->setValue(200);
    QCOMPARE(QList<int>({f.inBspinLDBox_RGB->value(), f.inBspinLDBox_G->value(),
                         f.inBspinCTBox_B->value(), f.inBspinLDBox_R->value()}),
             QList<int>({90, 90, 200, 40}));
    f.spinColorBox->setValue(7);
    f.inBspinColorBox->setValue(18);
    // The last is the card-wide Save of Brightness.
    QCOMPARE(click({f.btn_Color_set, f.btn_LD_set, f.btn_set_ld}), (QList<int>{27, 25, 26}));
    // Records: gray all, red, blue, green; brightness green; colour; card values.
    const int32_t *v = s.port_quality[1][2];
    QCOMPARE(QList<int>({v[0], v[1], v[2], v[3], v[7], v[8], s.out_light[1].contrast,
                         s.out_light[1].colour}),
             QList<int>({90, 40, 61, 90, 200, 18, 200, 7}));
    QCOMPARE(s.port_quality[1][1][8], device_data.port_quality[1][1][8]); // other ports kept

    // Both cards' brightness: a frame each; code 60 reloads the records, values stay.
    light &both = m_s.view->light_dialog();
    both.prepare();
    both.form().LDSlider->setValue(128);
    QCOMPARE(click({both.form().btn_set}), (QList<int>{26, 26}));
    QCOMPARE(QList<int>({s.out_light[0].contrast, s.port_quality[0][3][5], s.out_light[1].contrast,
                         s.port_quality[1][3][5], device_data.port_quality[1][3][6]}),
             QList<int>({128, 128, 128, 128, 128}));
    QCOMPARE(device_data.mode_data[0].win_layers.size(), 4);

    // The demo device: code 6, mode 2, OutB DVI-3.
    QCOMPARE(ui.formatBox->currentText(), QStringLiteral("1920x1080@60Hz"));
    // The chosen button of a group yellow, the others grey.
    const QString look(
        "QPushButton{background-color:rgb(%1);border-style:outset;border-width:2px;"
        "border-radius:10px;border-color:rgb(0, 255, 0);font:15px;color:rgb(0, 0, 0);}");
    for (QPushButton *b : {ui.m2Btn_out, ui.btn_outB_dvi3, ui.m0Btn_out, ui.btn_outA_dvi3}) {
        const bool chosen = b == ui.m2Btn_out || b == ui.btn_outB_dvi3;
        const QString expected = look.arg(chosen ? "255, 223, 58" : "189, 189, 189");
        QVERIFY2(b->styleSheet().startsWith(expected), qPrintable(b->objectName()));
    }
    device_data.full_format_list = 0;
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QStringList items;
    for (int i = 0; i < ui.formatBox->count(); ++i)
        items << ui.formatBox->itemText(i);
    QCOMPARE(items, (QStringList{"1440x1440@60Hz", "1920x1080@60Hz", "自定义分辨率",
                                 "2160x960@60Hz", "1200x1600@60Hz"}));
    // A code without a row (25) leaves the list where the previous code put it.
    device_data.full_format_list = 1;
    for (int code : {20, 25}) {
        device_data.out_format = code;
        QTest::mouseClick(ui.outBtn, Qt::LeftButton);
        QCOMPARE(ui.formatBox->count(), 13);
        QCOMPARE(ui.formatBox->currentText(), QStringLiteral("1920x1080@50Hz"));
    }
    ui.eradioBtn->click();
    QCOMPARE((QStringList{ui.formatBox->itemText(2), ui.comboBo_select->itemText(3),
                          ui.Input_lable->text()}),
             (QStringList{"Custom Resolution", "LED Wall 4", "Input capture size: OutB:DVI-3"}));

    emit ui.formatBox->activated(2);
    QVERIFY(ui.RowEdit->isEnabled() && ui.ColumnEdit->isEnabled() && ui.hzBox->isEnabled());
    // {height, 60 Hz, width typed, kept}: at most 2 475 000 pixels (2 970 000 at 50 Hz).
    const char *cases[][4] = {{"", "1", "21601", "2160"},
                              {"1920", "1", "1290", "129"},
                              {"1920", "1", "1289", "1289"},
                              {"1920", "0", "1547", "154"},
                              {"1920", "0", "1546", "1546"}};
    for (const auto &c : cases) {
        fill({{ui.RowEdit, ""}, {ui.ColumnEdit, c[0]}});
        device_data.out_rate_60hz = uint8_t(*c[1] == '1');
        fill({{ui.RowEdit, c[2]}});
        QCOMPARE(ui.RowEdit->text(), QString::fromLatin1(c[3]));
    }
    emit ui.formatBox->activated(0);
    QVERIFY(!ui.RowEdit->isEnabled() && !ui.ColumnEdit->isEnabled() && !ui.hzBox->isEnabled());

    fill({{ui.inputEdit_x, "0"}, {ui.inputEdit_w, "3000"}, {ui.inputEdit_x, "900"}});
    QCOMPARE(ui.inputEdit_x->text(), QStringLiteral("90")); // at most 3840 - 3000
    const Typed typed = {{ui.inputEdit_x, "840"},  {ui.inputEdit_y, "100"},
                         {ui.inputEdit_h, "2000"}, {ui.outputEdit_x, "0"},
                         {ui.outputEdit_y, "0"},   {ui.outputEdit_w, "1920"},
                         {ui.outputEdit_h, "1080"}};
    fill(typed);
    QCOMPARE(click({ui.pushBtn_set}), QList<int>{21});
    // Read back from the device through another mode.
    QTest::mouseClick(ui.m0Btn_out, Qt::LeftButton);
    QCOMPARE(s.cur_out_mode, 0);
    QVERIFY(ui.inputEdit_w->text() != QStringLiteral("3000"));
    device_data.mode_data[2] = ModeData(); // nothing left over in the records
    QTest::mouseClick(ui.m2Btn_out, Qt::LeftButton);
    for (const auto &t : typed + Typed{{ui.inputEdit_w, "3000"}})
        QCOMPARE(t.first->text(), QString::fromLatin1(t.second));

    // Copying the mode copies the device's rectangles and the file's walls.
    device_data.mode_data[2].led_screen[6] = 3;
    m_s.view->store_led_screen(2, 6);
    copymode &copy = m_s.view->output_copy_dialog();
    QTimer::singleShot(0, &copy, [&copy] {
        QCOMPARE(copy.form().comboBox->currentIndex(), 2);
        QTest::mouseClick(copy.form().btn_m7, Qt::LeftButton);
        QTest::mouseClick(copy.form().pushButton, Qt::LeftButton);
        copy.close();
    });
    click({ui.copyBtn_out, ui.m7Btn_out});
    QCOMPARE(ui.inputEdit_w->text(), QStringLiteral("3000"));
    QCOMPARE(led_screen_in_file("M7/LED6Screen"), 3);

    // A width below 8 is not sent.
    fill({{ui.outputEdit_w, "5"}});
    QCOMPARE(click({ui.pushBtn_set}), QList<int>());
    QCOMPARE(m_s.view->focusWidget(), ui.outputEdit_w);
    QTest::mouseClick(ui.m2Btn_out, Qt::LeftButton);

    const sim::SimMode &m = m_s.sim->image().mode_data[2];
    // Four walls: the selector shows each wall's size; Save sends the chosen wall's.
    ui.comboBo_select->setCurrentIndex(2);
    emit ui.comboBo_select->activated(2);
    QCOMPARE(ui.wEdit->text().toInt(), m.wall_size[2].w);
    fill({{ui.wEdit, "3840"}, {ui.hEdit, "1080"}});
    QTest::mouseClick(ui.setButton_size, Qt::LeftButton);
    QCOMPARE(QList<int>({m.wall_size[2].w, m.wall_size[2].h}), QList<int>({3840, 1080}));

    // A unit screen in that wall: all unit rectangles, then the port's derived ones.
    QTest::mouseClick(ui.btn_outA_dvi2, Qt::LeftButton);
    fill({{ui.inwEdit, "1920"}, {ui.inhEdit, "1080"}, {ui.inxEdit, "1920"}, {ui.inyEdit, "0"}});
    ModalAnswerer send_anyway(QMessageBox::Yes); // the unit now overlaps OutB:DVI-2
    QCOMPARE(click({ui.pushButton}), (QList<int>{162, 149}));
    QCOMPARE(
        (QList<sim::SimRect>{m.unit_rect[0][1], m.led_in_rect[0][1], m.led_out_rect[0][1]}),
        (QList<sim::SimRect>{{1920, 0, 1920, 1080}, {1920, 0, 1920, 2160}, {0, 0, 1920, 1080}}));
    // The input preview shows the right half of the frame.
    const QRect box = ui.groupBox_in->rect();
    QCOMPARE(ui.frame_in->geometry(), QRect(box.width() / 2, 0, box.width() / 2, box.height()));
    fill({{ui.inxEdit, "1921"}}); // x at most 3840 - 1920
    QCOMPARE(ui.inxEdit->text(), QStringLiteral("192"));

    // The unit limits follow the wall shown: x 1920 is outside wall 1, inside wall 3.
    device_data.mode_data[2].wall_size[0] = {1920, 1080};
    device_data.mode_data[2].unit_rect[0][0] = {0, 0, 1920, 1080};
    emit ui.comboBo_select->activated(0);
    click({ui.btn_outA_dvi1, ui.btn_outA_dvi2});
    QVERIFY(!ui.inxEdit->hasAcceptableInput());
    ui.comboBo_select->setCurrentIndex(2);
    emit ui.comboBo_select->activated(2);
    QCOMPARE(click({ui.pushButton}), (QList<int>{162, 149}));

    // One wall: no selector; Save sends the totals.
    m_s.sim->image().mosaic_on = device_data.mosaic_on = 0;
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QVERIFY(!ui.comboBo_select->isEnabled());
    fill({{ui.wEdit, "7680"}});
    QTest::mouseClick(ui.setButton_size, Qt::LeftButton);
    QCOMPARE(QList<int>({m.out_total_w, m.wall_size[0].w}), QList<int>({7680, 1922}));
}

// Preset over serial, custom over the network: No sends nothing, Yes sends,
// disconnects and resets the file's wall assignments.
void TestOutputPage::resolution_change()
{
    const auto check = [this](bool custom) {
        m_s.stop();
        QVERIFY(m_s.start(!custom));
        sim::SimImage &s = m_s.sim->image();
        s.full_format_list = 1;
        s.out_rate_60hz = 0;
        QVERIFY(m_s.connect_link());
        auto &ui = m_s.view->form();
        device_data.mode_data[3].led_screen[5] = 2;
        m_s.view->store_led_screen(3, 5);
        QTest::mouseClick(ui.outBtn, Qt::LeftButton);
        if (custom) {
            ui.formatBox->setCurrentIndex(2);
            emit ui.formatBox->activated(2);
            ui.hzBox->setCurrentIndex(1);
            fill({{ui.ColumnEdit, "1152"}, {ui.RowEdit, "2048"}});
        } else {
            ui.formatBox->setCurrentIndex(9); // "1920x1080@50Hz", code 20
        }
        ModalAnswerer boxes(QMessageBox::No);
        QCOMPARE(click({ui.btn_dpi}), QList<int>());
        boxes.answer = QMessageBox::Yes;
        const QList<int> sent = click({ui.btn_dpi});
        QCOMPARE(boxes.texts,
                 (QStringList{"是否切换分辨率?", "是否切换分辨率?", "请重启设备！！"}));
        QCOMPARE(device_data.serial_open + device_data.net_open, 0);
        QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
        // The reply engine follows the custom size (158) with the preset command (159).
        QCOMPARE(sent, (custom ? QList<int>{158, 159} : QList<int>{159}));
        const QList<int> format{s.out_format, s.out_rate_60hz, s.custom_res_w, s.custom_res_h};
        QCOMPARE(format.mid(0, custom ? 4 : 2),
                 custom ? QList<int>({9, 1, 2048, 1152}) : QList<int>({20, 0}));
        QCOMPARE(led_screen_in_file("M3/LED5Screen") + led_screen_in_file("M15/LED7Screen"), 0);
    };
    check(false);
    check(true);
}

QTEST_MAIN(TestOutputPage)
#include "tst_output_page.moc"
