// The output page against the simulated device: the page refresh, the
// resolution change on both links, manual port rectangles, unit screens and
// wall sizes, and the output picture dialogs; plus the parts that need no link
// (resolution lists, the custom-size bound, the settings keys, the texts).

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "support/modal_answerer.h"
#include "widgets/qiplineedit.h"

namespace {

bool same(const DevRect &a, const sim::SimRect &b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

bool highlighted(const QWidget *button)
{
    return button->styleSheet().contains(QStringLiteral("255, 223, 58"));
}

// Frames of one command byte in the simulator's log.
QStringList frames_of(const QStringList &log, int command)
{
    QStringList out;
    for (const QString &f : log)
        if (f.mid(10, 2) == QString::asprintf("%02x", command))
            out.append(f);
    return out;
}

} // namespace

class TestOutputPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void page_shows_device_state();
    void resolution_lists_and_codes();
    void custom_size_bound();
    void resolution_change_data();
    void resolution_change();
    void resolution_question_no_changes_nothing();
    void port_rectangle_round_trip();
    void unit_screen_single_wall();
    void wall_size_four_walls();
    void copy_output_mode();
    void led_screen_settings();
    void english_texts();
    void image_quality_coupling();
    void image_quality_saves();
    void brightness_both_cards();

private:
    bool connect_link(bool serial);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<TesselView> m_view;
};

void TestOutputPage::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
    QVERIFY(m_sim->listen_tcp());
    m_view = std::make_unique<TesselView>();
    m_view->show();
}

void TestOutputPage::cleanup()
{
    m_view.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestOutputPage::connect_link(bool serial)
{
    auto &ui = m_view->form();
    if (serial) {
        const QString path = m_sim->open_pty();
        if (path.isEmpty())
            return false;
        m_view->add_extra_serial_port(path);
        ui.serialradioBtn->click();
        ui.serialBox->setCurrentText(path);
    } else {
        ui.webradioBtn->click();
        m_view->set_port_text(QString::number(m_sim->tcp_port()));
        m_view->ip_editor()->setText(QStringLiteral("127.0.0.1"));
    }
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    return device_data.serial_open || device_data.net_open;
}

void TestOutputPage::page_shows_device_state()
{
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageOutput));

    // The demo device: code 6, mode 2, OutB DVI-3, four walls.
    const sim::SimMode &m = m_sim->image().mode_data[2];
    QCOMPARE(ui.formatBox->currentText(), QStringLiteral("1920x1080@60Hz"));
    QVERIFY(!ui.RowEdit->isEnabled());
    QVERIFY(!ui.hzBox->isEnabled());
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("2048"));
    QVERIFY(highlighted(ui.m2Btn_out));
    QVERIFY(!highlighted(ui.m0Btn_out));
    QVERIFY(highlighted(ui.btn_outB_dvi3));
    QVERIFY(!highlighted(ui.btn_outA_dvi3));
    QCOMPARE(ui.in_size_label->text(), QStringLiteral("W_H:(3840,2160)"));
    QCOMPARE(ui.out_size_label->text(), QStringLiteral("W_H:(1920,1080)"));

    const sim::SimRect &in = m.led_in_rect[1][2];
    QCOMPARE(ui.inputEdit_x->text().toInt(), in.x);
    QCOMPARE(ui.inputEdit_h->text().toInt(), in.h);
    QCOMPARE(ui.outputEdit_w->text().toInt(), m.led_out_rect[1][2].w);
    QCOMPARE(ui.inxEdit->text().toInt(), m.unit_rect[1][2].x);
    QCOMPARE(ui.inhEdit->text().toInt(), m.unit_rect[1][2].h);
    QCOMPARE(ui.in_pos_labe_2->text(), QStringLiteral("X_Y:(%1, %2)").arg(in.x).arg(in.y));
    // Four walls: the selector is on, wall 1's size is shown.
    QVERIFY(ui.comboBo_select->isEnabled());
    QCOMPARE(ui.comboBo_select->currentIndex(), 0);
    QCOMPARE(ui.wEdit->text().toInt(), m.wall_size[0].w);

    // The preview is the port's share of the group box, truncated.
    const QRect box = ui.groupBox_in->rect();
    QCOMPARE(ui.frame_in->geometry(),
             QRect(int(double(in.x) * box.width() / 3840), int(double(in.y) * box.height() / 2160),
                   int(double(in.w) * box.width() / 3840),
                   int(double(in.h) * box.height() / 2160)));

    // Another port: new fields, new highlight, nothing sent.
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.btn_outA_dvi1, Qt::LeftButton);
    QCOMPARE(ui.inputEdit_w->text().toInt(), m.led_in_rect[0][0].w);
    QVERIFY(highlighted(ui.btn_outA_dvi1));
    QVERIFY(!highlighted(ui.btn_outB_dvi3));
    QCOMPARE(ui.Input_lable->text(), QStringLiteral("输入截取大小：OutA:DVI-1"));
    QVERIFY(m_sim->frame_log().isEmpty());
}

void TestOutputPage::resolution_lists_and_codes()
{
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    struct Case {
        uint8_t full;
        int code;
        int count;
        QString shown;
    };
    // A code without a row leaves the list where the previous code put it.
    const Case cases[] = {
        {0, 6, 5, QStringLiteral("1920x1080@60Hz")},
        {1, 20, 13, QStringLiteral("1920x1080@50Hz")},
        {1, 2, 13, QStringLiteral("1920x1080@50Hz")},
        {1, 25, 13, QStringLiteral("1920x1080@50Hz")},
        {1, 24, 13, QStringLiteral("1200x1960@50Hz")},
    };
    for (const Case &c : cases) {
        device_data.full_format_list = c.full;
        device_data.out_format = c.code;
        QTest::mouseClick(ui.outBtn, Qt::LeftButton);
        QCOMPARE(ui.formatBox->count(), c.count);
        QCOMPARE(ui.formatBox->currentText(), c.shown);
    }
    device_data.full_format_list = 0;
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QStringList items;
    for (int i = 0; i < ui.formatBox->count(); ++i)
        items << ui.formatBox->itemText(i);
    QCOMPARE(items, (QStringList{"1440x1440@60Hz", "1920x1080@60Hz", "自定义分辨率",
                                 "2160x960@60Hz", "1200x1600@60Hz"}));
    QCOMPARE(ui.hzBox->count(), 2);
}

void TestOutputPage::custom_size_bound()
{
    auto &ui = m_view->form();
    emit ui.formatBox->activated(2);
    QVERIFY(ui.RowEdit->isEnabled());
    QVERIFY(ui.ColumnEdit->isEnabled());
    QVERIFY(ui.hzBox->isEnabled());

    // Without a height nothing bounds the width but the plain range.
    retype(ui.ColumnEdit, QString());
    retype(ui.RowEdit, QStringLiteral("2160"));
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("2160"));
    retype(ui.RowEdit, QStringLiteral("21601"));
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("2160"));

    retype(ui.RowEdit, QString());
    retype(ui.ColumnEdit, QStringLiteral("1920"));
    device_data.out_rate_60hz = 1; // the stored rate: 2 475 000 / 1920 = 1289
    retype(ui.RowEdit, QStringLiteral("1290"));
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("129"));
    retype(ui.RowEdit, QStringLiteral("1289"));
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("1289"));
    device_data.out_rate_60hz = 0; // 2 970 000 / 1920 = 1546
    retype(ui.RowEdit, QStringLiteral("1547"));
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("154"));
    retype(ui.RowEdit, QStringLiteral("1546"));
    QCOMPARE(ui.RowEdit->text(), QStringLiteral("1546"));

    emit ui.formatBox->activated(0);
    QVERIFY(!ui.RowEdit->isEnabled());
    QVERIFY(!ui.ColumnEdit->isEnabled());
    QVERIFY(!ui.hzBox->isEnabled());
}

void TestOutputPage::resolution_change_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("custom");
    QTest::newRow("network preset") << false << false;
    QTest::newRow("network custom") << false << true;
    QTest::newRow("serial preset") << true << false;
    QTest::newRow("serial custom") << true << true;
}

void TestOutputPage::resolution_change()
{
    QFETCH(bool, serial);
    QFETCH(bool, custom);
    m_sim->image().full_format_list = 1;
    m_sim->image().out_rate_60hz = 0;
    QVERIFY(connect_link(serial));
    auto &ui = m_view->form();
    ui.eradioBtn->click();
    m_view->store_led_screen(3, 5);
    device_data.mode_data[3].led_screen[5] = 2;
    m_view->store_led_screen(3, 5);
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);

    if (custom) {
        ui.formatBox->setCurrentIndex(2);
        emit ui.formatBox->activated(2);
        ui.hzBox->setCurrentIndex(1);
        retype(ui.ColumnEdit, QStringLiteral("1152"));
        retype(ui.RowEdit, QStringLiteral("2048"));
        m_sim->image().custom_res_w = 1000;
    } else {
        ui.formatBox->setCurrentIndex(9); // "1920x1080@50Hz", code 20
    }
    m_sim->clear_frame_log();
    ModalAnswerer answerer(QMessageBox::Yes);
    QTest::mouseClick(ui.btn_dpi, Qt::LeftButton);

    QCOMPARE(answerer.texts.value(0), QStringLiteral("Whether to switch resolution?"));
    QCOMPARE(answerer.texts.value(1), QStringLiteral("Please restart the device!!"));
    QCOMPARE(answerer.texts.size(), 2); // no "did not respond"
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(device_data.net_open, uint8_t(0));
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QVERIFY(m_view->isEnabled());

    const sim::SimImage &s = m_sim->image();
    const QStringList log = m_sim->frame_log();
    if (custom) {
        // 158 with the size at 60 Hz, then 159 carrying code 9 from the engine.
        QCOMPARE(frames_of(log, 158), QStringList{"3a010401009e0d08000480013a"});
        QCOMPARE(frames_of(log, 159), QStringList{"3a010401009f0a13093a"});
        QCOMPARE(s.custom_res_w, 2048);
        QCOMPARE(s.custom_res_h, 1152);
        QCOMPARE(s.out_format, 9);
        QCOMPARE(s.out_rate_60hz, 1);
    } else {
        // 50 Hz on the device: rate byte 34.
        QCOMPARE(frames_of(log, 159), QStringList{"3a010401009f0a22143a"});
        QCOMPARE(s.out_format, 20);
    }
    // The walls of the units were reset in the settings file.
    QSettings settings(tessel_settings_path(), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("M3/LED5Screen")).toInt(), 0);
    QCOMPARE(settings.value(QStringLiteral("M15/LED7Screen"), -1).toInt(), 0);
}

void TestOutputPage::resolution_question_no_changes_nothing()
{
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    m_sim->clear_frame_log();
    ModalAnswerer answerer(QMessageBox::No);
    QTest::mouseClick(ui.btn_dpi, Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(m_sim->frame_log().isEmpty());
    QCOMPARE(device_data.serial_open, uint8_t(1));
    QCOMPARE(device_data.out_format, 6);
}

void TestOutputPage::port_rectangle_round_trip()
{
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QTest::mouseClick(ui.btn_outB_dvi3, Qt::LeftButton);
    retype(ui.inputEdit_x, QStringLiteral("0"));
    retype(ui.inputEdit_w, QStringLiteral("3000"));
    retype(ui.inputEdit_x, QStringLiteral("900")); // at most 3840 - 3000
    QCOMPARE(ui.inputEdit_x->text(), QStringLiteral("90"));
    retype(ui.inputEdit_x, QStringLiteral("840"));
    retype(ui.inputEdit_y, QStringLiteral("100"));
    retype(ui.inputEdit_h, QStringLiteral("2000"));
    retype(ui.outputEdit_x, QStringLiteral("0"));
    retype(ui.outputEdit_y, QStringLiteral("0"));
    retype(ui.outputEdit_w, QStringLiteral("1920"));
    retype(ui.outputEdit_h, QStringLiteral("1080"));
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.pushBtn_set, Qt::LeftButton);
    // Selector 128 + 64 + 32 + mode 2 = 226.
    QCOMPARE(frames_of(m_sim->frame_log(), 21), QStringList{"3a0104010015"
                                                            "19e2"
                                                            "03480bb8006407d0"
                                                            "0000078000000438"
                                                            "3a"});
    QCOMPARE(ui.in_size_label_2->text(), QStringLiteral("W_H:(3000,2000)"));

    // Read back through another mode and back again.
    QTest::mouseClick(ui.m0Btn_out, Qt::LeftButton);
    QCOMPARE(m_sim->image().cur_out_mode, 0);
    QVERIFY(ui.inputEdit_w->text() != QStringLiteral("3000"));
    device_data.mode_data[2] = ModeData(); // nothing left over in the records
    QTest::mouseClick(ui.m2Btn_out, Qt::LeftButton);
    QCOMPARE(ui.inputEdit_x->text(), QStringLiteral("840"));
    QCOMPARE(ui.inputEdit_w->text(), QStringLiteral("3000"));
    QCOMPARE(ui.inputEdit_h->text(), QStringLiteral("2000"));
    QCOMPARE(ui.outputEdit_h->text(), QStringLiteral("1080"));

    // A width below 8 is not sent: the field gets the focus.
    m_sim->clear_frame_log();
    retype(ui.outputEdit_w, QStringLiteral("5"));
    QTest::mouseClick(ui.pushBtn_set, Qt::LeftButton);
    QVERIFY(m_sim->frame_log().isEmpty());
    QVERIFY(ui.outputEdit_w->hasFocus());
}

void TestOutputPage::unit_screen_single_wall()
{
    m_sim->image().mosaic_on = 0;
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    QVERIFY(!ui.comboBo_select->isEnabled());
    retype(ui.wEdit, QStringLiteral("3840"));
    retype(ui.hEdit, QStringLiteral("1080"));
    QTest::mouseClick(ui.setButton_size, Qt::LeftButton);
    QCOMPARE(m_sim->image().mode_data[2].out_total_w, 3840);
    QCOMPARE(m_sim->image().mode_data[2].out_total_h, 1080);

    QTest::mouseClick(ui.btn_outA_dvi2, Qt::LeftButton);
    retype(ui.inwEdit, QStringLiteral("1920"));
    retype(ui.inhEdit, QStringLiteral("1080"));
    retype(ui.inxEdit, QStringLiteral("1920"));
    retype(ui.inyEdit, QStringLiteral("0"));
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.pushButton, Qt::LeftButton);

    const QStringList log = m_sim->frame_log();
    QCOMPARE(log.size(), 2);
    QVERIFY(log[0].startsWith(QStringLiteral("3a01040100a248")));
    // Selector 128 + 16 + mode 2; input (1920, 0, 1920, 2160), output (0, 0, 1920, 1080).
    QCOMPARE(log[1], QStringLiteral("3a0104010095"
                                    "1992"
                                    "0780078000000870"
                                    "0000078000000438"
                                    "3a"));
    const sim::SimMode &m = m_sim->image().mode_data[2];
    QVERIFY(same(DevRect{1920, 0, 1920, 1080}, m.unit_rect[0][1]));
    QVERIFY(same(DevRect{1920, 0, 1920, 2160}, m.led_in_rect[0][1]));
    QCOMPARE(ui.inputEdit_w->text(), QStringLiteral("1920"));
    QCOMPARE(ui.inputEdit_h->text(), QStringLiteral("2160"));

    // Positions stay inside the wall: x at most 3840 - 1920.
    retype(ui.inxEdit, QStringLiteral("1921"));
    QCOMPARE(ui.inxEdit->text(), QStringLiteral("192"));
}

void TestOutputPage::wall_size_four_walls()
{
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    QTest::mouseClick(ui.outBtn, Qt::LeftButton);
    ui.comboBo_select->setCurrentIndex(2);
    emit ui.comboBo_select->activated(2);
    QCOMPARE(ui.wEdit->text().toInt(), m_sim->image().mode_data[2].wall_size[2].w);
    retype(ui.wEdit, QStringLiteral("3840"));
    retype(ui.hEdit, QStringLiteral("2160"));
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.setButton_size, Qt::LeftButton);
    QCOMPARE(m_sim->frame_log(), QStringList{"3a01040100200d0f00087002"
                                             "3a"});
    QCOMPARE(m_sim->image().mode_data[2].wall_size[2].h, 2160);
    QCOMPARE(device_data.mode_data[2].wall_size[2].w, 3840);
}

void TestOutputPage::copy_output_mode()
{
    QVERIFY(connect_link(true));
    for (int i = 0; i < 8; ++i) {
        device_data.mode_data[2].led_screen[i] = i % 4;
        m_view->store_led_screen(2, i);
    }
    m_sim->clear_frame_log();
    m_view->copy_out_mode(2, 7);
    QCOMPARE(m_sim->frame_log(), QStringList{"3a0104010012"
                                             "0b800207"
                                             "3a"});
    QVERIFY(m_sim->image().mode_data[7].unit_rect[1][3] ==
            m_sim->image().mode_data[2].unit_rect[1][3]);
    QSettings settings(tessel_settings_path(), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("M7/LED6Screen")).toInt(), 2);
    QCOMPARE(settings.value(QStringLiteral("M2/LED6Screen")).toInt(), 2);
    QCOMPARE(device_data.mode_data[7].led_screen[3], 3);
}

void TestOutputPage::led_screen_settings()
{
    {
        QSettings settings(tessel_settings_path(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("M12/LED6Screen"), 3);
        settings.setValue(QStringLiteral("M12/LED0Screen"), QStringLiteral("junk"));
    }
    m_view->load_led_screen(12);
    QCOMPARE(device_data.mode_data[12].led_screen[6], 3);
    QCOMPARE(device_data.mode_data[12].led_screen[0], 0);
    QCOMPARE(device_data.mode_data[12].led_screen[7], 0); // missing key

    device_data.mode_data[12].led_screen[1] = 2;
    m_view->store_led_screen(12, 1);
    m_view->reset_led_screen();
    QCOMPARE(device_data.mode_data[12].led_screen[6], 0);
    QSettings settings(tessel_settings_path(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("M12"));
    QCOMPARE(settings.childKeys().size(), 8);
    QCOMPARE(settings.value(QStringLiteral("LED6Screen")).toInt(), 0);
}

void TestOutputPage::english_texts()
{
    auto &ui = m_view->form();
    QCOMPARE(ui.comboBo_select->itemText(0), QStringLiteral("拼接屏 1"));
    ui.eradioBtn->click();
    QCOMPARE(ui.comboBo_select->count(), 4);
    QCOMPARE(ui.comboBo_select->itemText(3), QStringLiteral("LED Wall 4"));
    QCOMPARE(ui.Input_lable->text(), QStringLiteral("Input capture size: OutA:DVI-1"));
    QCOMPARE(ui.output_lable->text(), QStringLiteral("Output size: OutA:DVI-1"));
}

void TestOutputPage::image_quality_coupling()
{
    ImageQuality &dialog = m_view->image_quality_dialog();
    dialog.prepare();
    auto &f = dialog.form();
    f.inBLDSlider_RGB->setValue(90);
    for (QSpinBox *spin :
         {f.inBspinLDBox_RGB, f.inBspinLDBox_R, f.inBspinLDBox_G, f.inBspinLDBox_B})
        QCOMPARE(spin->value(), 90);
    QCOMPARE(f.inBLDSlider_B->value(), 90);
    f.inBLDSlider_R->setValue(40);
    QCOMPARE(f.inBspinLDBox_R->value(), 40);
    QCOMPARE(f.inBspinLDBox_RGB->value(), 90);
    QCOMPARE(f.inBspinLDBox_G->value(), 90);

    f.CTSlider->setValue(200);
    for (QSlider *s : {f.inBCTSlider_RGB, f.inBCTSlider_R, f.inBCTSlider_G, f.inBCTSlider_B})
        QCOMPARE(s->value(), 200);
    QCOMPARE(f.inBspinCTBox_G->value(), 200);
    QCOMPARE(f.inBspinLDBox_RGB->value(), 90); // gray untouched
    f.spinColorBox->setValue(7);
    QCOMPARE(f.inBColorSlider->value(), 7);
    // Out of range values clamp.
    f.spinLDBox->setValue(300);
    QCOMPARE(f.LDSlider->value(), 255);
}

void TestOutputPage::image_quality_saves()
{
    QVERIFY(connect_link(true));
    ImageQuality &dialog = m_view->image_quality_dialog();
    device_data.out_card_sel = 1;
    device_data.out_port_sel = 2;
    dialog.prepare();
    auto &f = dialog.form();
    QCOMPARE(f.label_out->text(), QStringLiteral("OutB"));
    QVERIFY(f.radioBtn_dvi3->isChecked());
    // Shown from the records of OutB DVI-3: gray green is record value 3.
    QCOMPARE(f.inBspinLDBox_G->value(), m_sim->image().port_quality[1][2][3]);
    QCOMPARE(f.spinCTBox->value(), m_sim->image().out_light[1].contrast);

    f.spinColorBox->setValue(17);
    f.inBspinColorBox->setValue(18);
    m_sim->clear_frame_log();
    QTest::mouseClick(f.btn_Color_set, Qt::LeftButton);
    const sim::SimImage &s = m_sim->image();
    QCOMPARE(m_sim->frame_log().value(0).left(20), QStringLiteral("3a010401001b0fc00f11"));
    QCOMPARE(s.out_light[1].colour, 17);
    QCOMPARE(s.port_quality[1][2][8], 18);
    QCOMPARE(s.port_quality[1][1][8], device_data.port_quality[1][1][8]);

    f.inBspinLDBox_RGB->setValue(60);
    f.inBspinLDBox_B->setValue(61);
    QTest::mouseClick(f.btn_LD_set, Qt::LeftButton);
    QCOMPARE(s.port_quality[1][2][0], 60);
    QCOMPARE(s.port_quality[1][2][2], 61); // blue is record value 2
    QCOMPARE(s.port_quality[1][2][3], 60);

    f.inBspinCTBox_G->setValue(201);
    QTest::mouseClick(f.btn_set_ld, Qt::LeftButton); // the card-wide Save of Brightness
    QCOMPARE(s.port_quality[1][2][7], 201);
    QCOMPARE(frames_of(m_sim->frame_log(), 26).size(), 1);
}

void TestOutputPage::brightness_both_cards()
{
    auto &ui = m_view->form();
    // No link: the button does nothing (no modal dialog to wait for).
    QTest::mouseClick(ui.pushBtn_LD, Qt::LeftButton);
    QVERIFY(!m_view->light_dialog().isVisible());

    QVERIFY(connect_link(true));
    light &dialog = m_view->light_dialog();
    dialog.prepare();
    dialog.form().LDSlider->setValue(128);
    QCOMPARE(dialog.form().spinLDBox->value(), 128);
    m_sim->clear_frame_log();
    QTest::mouseClick(dialog.form().btn_set, Qt::LeftButton);
    const QStringList frames = frames_of(m_sim->frame_log(), 26);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0], QStringLiteral("3a010401001a1b800f") + QString("80").repeated(17) + "3a");
    QCOMPARE(frames[1], QStringLiteral("3a010401001a1bc00f") + QString("80").repeated(17) + "3a");
    // Code 60 resets the records as after a resolution change; the values stay.
    QCOMPARE(device_data.out_light[0].contrast, 128);
    QCOMPARE(device_data.port_quality[1][3][6], 128);
    QCOMPARE(m_sim->image().port_quality[1][3][5], 128);
    QCOMPARE(device_data.mode_data[0].win_layers.size(), 4);
}

QTEST_MAIN(TestOutputPage)
#include "tst_output_page.moc"
