// The program's link against the simulated device, in-process: connecting and
// the full read-back over TCP and over the serial pseudo-terminal, failures,
// the settings file, the reply engines and the cooperative delay.

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "support/modal_answerer.h"
#include "widgets/qiplineedit.h"

namespace {

// The rows of a test that runs once per link.
void add_link_rows()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("network") << false;
    QTest::newRow("serial") << true;
}

bool same(const DevRect &a, const sim::SimRect &b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// Every status field the program keeps.
void compare_status(const sim::SimImage &s, const DeviceData &d)
{
    QCOMPARE(d.out_rate_60hz, s.out_rate_60hz);
    QCOMPARE(d.full_format_list, s.full_format_list);
    QCOMPARE(d.mosaic_on, s.mosaic_on);
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(d.in_card_present[c], s.in_card_present[c]);
        QCOMPARE(d.in_signal_ok[c], s.in_signal_ok[c]);
        QCOMPARE(d.in_source[c], s.in_source[c]);
    }
    QCOMPARE(d.aux_card_present, s.aux_card_present);
    QCOMPARE(d.out_card_present[0], s.out_card_present[0]);
    QCOMPARE(d.out_card_present[1], s.out_card_present[1]);
    for (int c = 0; c < 2; ++c) {
        QCOMPARE(d.pip_param[c], s.pip_param[c]);
        QCOMPARE(d.pip_state[c], s.pip_state[c]);
        QCOMPARE(d.in_vga[c] != 0, s.in_vga[c] != 0);
    }
    QCOMPARE(d.cur_mul_mode, s.cur_mul_mode);
    QCOMPARE(d.cur_out_mode, s.cur_out_mode);
    QCOMPARE(d.switch_effect, s.switch_effect);
    QCOMPARE(d.out_format, s.out_format);
    QCOMPARE(d.out_port_sel, s.out_port_sel);
    QCOMPARE(d.out_card_sel, s.out_card_sel);
    QCOMPARE(d.custom_res_w, s.custom_res_w);
    QCOMPARE(d.custom_res_h, s.custom_res_h);
}

// What the mode table carries, for all sixteen modes and both outputs.
void compare_mode_table(const sim::SimImage &s, const DeviceData &d)
{
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &dm = d.mode_data[m];
        const sim::SimMode &sm = s.mode_data[m];
        QCOMPARE(dm.win_layers.size(), 4);
        for (int w = 0; w < 4; ++w) {
            QCOMPARE(dm.win_source[w], sm.win_source[w]);
            QCOMPARE(dm.win_layers[w], sm.win_layers[w]);
            QCOMPARE(dm.win_open[w] != 0, sm.win_open[w] != 0);
        }
        QCOMPARE(dm.layer_code, sm.layer_code);
    }
    for (int o = 0; o < 2; ++o) {
        QCOMPARE(d.out_light[o].brightness, s.out_light[o].brightness);
        QCOMPARE(d.out_light[o].contrast, s.out_light[o].contrast);
        QCOMPARE(d.out_light[o].colour, s.out_light[o].colour);
        for (int p = 0; p < 4; ++p) {
            for (int v = 0; v < 9; ++v)
                QCOMPARE(d.port_quality[o][p][v], s.port_quality[o][p][v]);
        }
    }
}

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connect_network_reads_device_back();
    void connect_serial_reads_device_back();
    void disconnect_keeps_records();
    void address_with_leading_zeros();
    void nothing_listening_fails();
    void silent_device_fails_data();
    void silent_device_fails();
    void status_with_wrong_command_byte_keeps_link();
    void device_number_follows_radio();
    void settings_without_file();
    void settings_round_trip();
    void settings_preselect_port();
    void settings_damaged_file();
    void page_buttons_read_input_cards();

    void buffer_command_goes_through_tx_buf();
    void nothing_is_sent_without_link();

    void engine_ignores_data_without_code_data();
    void engine_ignores_data_without_code();
    void engine_accepts_ack_and_refreshes_status_data();
    void engine_accepts_ack_and_refreshes_status();
    void busy_bound_on_bad_or_missing_ack_data();
    void busy_bound_on_bad_or_missing_ack();
    void network_split_reply_judged_by_first_piece();
    void network_junk_before_ack_is_rejected();

    void delay_zero_returns_at_once();
    void delay_handles_reply_arriving_meanwhile();

private:
    void make_view();
    bool connect_network();
    bool connect_serial();
    // Sends a short command, expects its reply code and waits in the busy dialog;
    // returns how long the dialog stayed.
    qint64 busy_command(uint8_t command, uint8_t a, uint8_t b, int code, const QString &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<TesselView> m_view;
};

void TestLink::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
    QVERIFY(m_sim->listen_tcp());
}

void TestLink::cleanup()
{
    m_view.reset();
    m_sim.reset();
    m_dir.reset();
}

void TestLink::make_view()
{
    m_view = std::make_unique<TesselView>();
    m_view->show();
}

bool TestLink::connect_network()
{
    if (!m_view)
        make_view();
    auto &ui = m_view->form();
    ui.webradioBtn->click();
    m_view->set_port_text(QString::number(m_sim->tcp_port()));
    m_view->ip_editor()->setText(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    return device_data.net_open == 1;
}

bool TestLink::connect_serial()
{
    const QString path = m_sim->open_pty();
    if (path.isEmpty())
        return false;
    if (!m_view)
        make_view();
    auto &ui = m_view->form();
    m_view->add_extra_serial_port(path);
    ui.serialradioBtn->click();
    ui.serialBox->setCurrentText(path);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    return device_data.serial_open == 1;
}

qint64 TestLink::busy_command(uint8_t command, uint8_t a, uint8_t b, int code, const QString &text)
{
    if (!m_view->send_short_command(command, a, b))
        return -1;
    m_view->set_wait_code(code);
    QElapsedTimer clock;
    clock.start();
    m_view->run_busy_dialog(text);
    return clock.elapsed();
}

void TestLink::connect_network_reads_device_back()
{
    ModalAnswerer boxes;
    QVERIFY(connect_network());
    QVERIFY(boxes.texts.isEmpty());
    const sim::SimImage &s = m_sim->image();
    compare_status(s, device_data);
    compare_mode_table(s, device_data);

    // The windows of the current mode are read; the others keep the default layouts.
    const int mode = s.cur_mul_mode;
    QVERIFY(mode != 0);
    for (int w = 0; w < 4; ++w) {
        QVERIFY(same(device_data.mode_data[mode].win_in[w], s.mode_data[mode].win_in[w]));
        QVERIFY(same(device_data.mode_data[mode].win_out[w], s.mode_data[mode].win_out[w]));
    }
    QCOMPARE(device_data.mode_data[0].win_out[1], (DevRect{600, 200, 2640, 600}));

    // The read-back asks for status, mode table and the current mode's windows, in order.
    const QStringList log = m_sim->frame_log();
    QCOMPARE(log.size(), 3);
    QCOMPARE(log[0], QStringLiteral("3a01040100fe0a00003a"));
    QCOMPARE(log[1], QStringLiteral("3a01040100fe0a09003a"));
    QCOMPARE(log[2], QStringLiteral("3a01040100fe0a03%1 3a")
                         .arg(mode, 2, 16, QLatin1Char('0'))
                         .remove(QLatin1Char(' ')));

    auto &ui = m_view->form();
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("断开连接"));
    QVERIFY(m_view->isEnabled());
    QCOMPARE(m_view->status_length(), 26);
    QCOMPARE(device_data.device_ip, QStringLiteral("127.0.0.1"));
    QCOMPARE(device_data.serial_chosen, uint8_t(0));
}

void TestLink::connect_serial_reads_device_back()
{
    ModalAnswerer boxes;
    if (!connect_serial())
        QSKIP("no pseudo-terminal here");
    QVERIFY(boxes.texts.isEmpty());
    compare_status(m_sim->image(), device_data);
    compare_mode_table(m_sim->image(), device_data);
    QCOMPARE(m_view->form().stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(device_data.serial_chosen, uint8_t(1));
    // A port not named COMn is stored as number 0; its name is kept beside it.
    QSettings ini(m_dir->path() + "/ini/info.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/COM").toInt(), 0);
    QCOMPARE(ini.value("SerialPort/SeralFlag").toBool(), true);
    QCOMPARE(ini.value("SerialPort/PortName").toString(), m_sim->pty_path());
}

void TestLink::disconnect_keeps_records()
{
    QVERIFY(connect_network());
    auto &ui = m_view->form();
    ui.inputBtn->click();
    const DeviceData before = device_data;
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(device_data.net_open, uint8_t(0));
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("连接"));
    QCOMPARE(device_data.cur_mul_mode, before.cur_mul_mode);
    QCOMPARE(device_data.in_adjust[1].colour, before.in_adjust[1].colour);
    QCOMPARE(device_data.mode_data[before.cur_mul_mode].win_out[2],
             before.mode_data[before.cur_mul_mode].win_out[2]);
    QCOMPARE(device_data.port_quality[1][3][8], before.port_quality[1][3][8]);
}

void TestLink::address_with_leading_zeros()
{
    // Octets typed with leading zeros mean decimal, not octal.
    make_view();
    auto &ui = m_view->form();
    ui.webradioBtn->click();
    m_view->set_port_text(QString::number(m_sim->tcp_port()));
    m_view->ip_editor()->setText(QStringLiteral("127.000.000.001"));
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(device_data.net_open, uint8_t(1));
    QCOMPARE(device_data.device_ip, QStringLiteral("127.0.0.1"));
}

void TestLink::nothing_listening_fails()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 dead = probe.serverPort();
    probe.close();

    make_view();
    ModalAnswerer boxes;
    auto &ui = m_view->form();
    ui.webradioBtn->click();
    m_view->set_port_text(QString::number(dead));
    m_view->ip_editor()->setText(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("连接设备失败！！")});
    QCOMPARE(boxes.titles, QStringList{QStringLiteral("警告")});
    QCOMPARE(device_data.net_open, uint8_t(0));
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QVERIFY(m_view->isEnabled());
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("连接"));
}

void TestLink::silent_device_fails_data()
{
    add_link_rows();
}

void TestLink::silent_device_fails()
{
    QFETCH(bool, serial);
    m_sim->faults().mute_reads.insert(0);
    make_view();
    m_view->form().eradioBtn->click();
    ModalAnswerer boxes;
    const bool open = serial ? connect_serial() : connect_network();
    if (serial && m_sim->pty_path().isEmpty())
        QSKIP("no pseudo-terminal here");
    QVERIFY(!open);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Connect Device Failed!!")});
    QCOMPARE(device_data.net_open, uint8_t(0));
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(m_view->status_length(), 0);
    QVERIFY(m_view->isEnabled());
    QVERIFY(!m_view->serial_port().isOpen());
    QCOMPARE(m_view->socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(m_view->form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
}

void TestLink::status_with_wrong_command_byte_keeps_link()
{
    m_sim->faults().bad_command_byte = true;
    ModalAnswerer boxes;
    QVERIFY(connect_network());
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(m_view->status_length(), 26);
    // Counted as an answer, but nothing decoded: the reset values stand.
    QCOMPARE(device_data.cur_mul_mode, 0);
    QCOMPARE(device_data.out_format, 0);
    QCOMPARE(device_data.in_adjust[0].brightness, 50);
    // Only the lengths steer the read-back: the mode table and the windows are still
    // asked for, and refused by their decoders too.
    QCOMPARE(m_sim->frame_log().size(), 3);
    QCOMPARE(device_data.mode_data[0].win_layers, (QVector<int32_t>{3, 2, 1, 0}));
    QCOMPARE(device_data.mode_data[0].win_out[0], (DevRect{0, 0, 3840, 2160}));
}

void TestLink::device_number_follows_radio()
{
    m_sim->device().set_device_id(3);
    make_view();
    auto &ui = m_view->form();
    ui.radio_3->setChecked(true);
    ModalAnswerer boxes;
    if (!connect_serial())
        QSKIP("no pseudo-terminal here");
    QCOMPARE(device_data.device_id, 3);
    QVERIFY(m_sim->frame_log().value(0).startsWith(QStringLiteral("3a03")));
    // Changing the radio while connected changes nothing until the next connection.
    ui.radio_1->setChecked(true);
    QCOMPARE(device_data.device_id, 3);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);

    // Device 1 does not answer: this simulator is device 3.
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(device_data.device_id, 1);
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("连接设备失败！！")});
}

void TestLink::settings_without_file()
{
    device_data.device_ip = QStringLiteral("10.0.0.1");
    make_view();
    auto &ui = m_view->form();
    QVERIFY(ui.webradioBtn->isChecked());
    QVERIFY(m_view->ip_editor()->isEnabled());
    QVERIFY(!ui.getBtn->isEnabled());
    QVERIFY(!ui.serialBox->isEnabled());
    QCOMPARE(device_data.device_ip, QString());
    QCOMPARE(m_view->ip_editor()->text(), QStringLiteral("..."));
    QCOMPARE(device_data.serial_port_no, 0);
}

void TestLink::settings_round_trip()
{
    if (!connect_serial())
        QSKIP("no pseudo-terminal here");
    m_view.reset();
    device_data = DeviceData();

    make_view();
    auto &ui = m_view->form();
    QVERIFY(ui.serialradioBtn->isChecked());
    QVERIFY(!m_view->ip_editor()->isEnabled());
    QVERIFY(ui.getBtn->isEnabled());
    QVERIFY(ui.serialBox->isEnabled());
    m_view->add_extra_serial_port(QStringLiteral("/dev/tessel-other"));
    m_view->add_extra_serial_port(m_sim->pty_path());
    QCOMPARE(ui.serialBox->currentText(), m_sim->pty_path());
    QCOMPARE(device_data.serial_chosen, uint8_t(1));

    // A network connection stores the address typed in the editor.
    QVERIFY(connect_network());
    QSettings ini(m_dir->path() + "/ini/info.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/IP").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(ini.value("SerialPort/SeralFlag").toBool(), false);
}

void TestLink::settings_preselect_port()
{
    QDir(m_dir->path()).mkpath("ini");
    {
        QSettings ini(m_dir->path() + "/ini/info.ini", QSettings::IniFormat);
        ini.setValue("SerialPort/COM", 12);
        ini.setValue("SerialPort/SeralFlag", true);
        ini.setValue("SerialPort/IP", "172.16.0.9");
    }
    make_view();
    m_view->add_extra_serial_port(QStringLiteral("COM1"));
    m_view->add_extra_serial_port(QStringLiteral("COM12"));
    m_view->add_extra_serial_port(QStringLiteral("COM2"));
    QCOMPARE(m_view->form().serialBox->currentText(), QStringLiteral("COM12"));
    QCOMPARE(device_data.device_ip, QStringLiteral("172.16.0.9"));
    QCOMPARE(m_view->ip_editor()->text(), QStringLiteral("172.16.0.9"));
}

void TestLink::settings_damaged_file()
{
    QDir(m_dir->path()).mkpath("ini");
    QFile file(m_dir->path() + "/ini/info.ini");
    QVERIFY(file.open(QIODevice::WriteOnly));
    static const char garbage[] = "[SerialPort\nCOM=twelve\n\x00\xff\xfe=\nIP\n"
                                  "[SerialPort]\nSeralFlag=maybe\n";
    file.write(garbage, sizeof garbage - 1);
    file.close();
    make_view();
    // Unreadable values read as their defaults; the file is rewritten by the next connection.
    QCOMPARE(device_data.serial_port_no, 0);
    QCOMPARE(device_data.serial_chosen, uint8_t(0));
    QVERIFY(m_view->form().webradioBtn->isChecked());
    QVERIFY(connect_network());
    QSettings ini(m_dir->path() + "/ini/info.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/IP").toString(), QStringLiteral("127.0.0.1"));
}

void TestLink::page_buttons_read_input_cards()
{
    QVERIFY(connect_network());
    auto &ui = m_view->form();
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageInput));
    const sim::SimImage &s = m_sim->image();
    for (int card = 0; card < 2; ++card) {
        QCOMPARE(device_data.in_adjust[card].brightness, s.in_adjust[card].brightness);
        QCOMPARE(device_data.in_adjust[card].contrast, s.in_adjust[card].contrast);
        QCOMPARE(device_data.in_adjust[card].colour, s.in_adjust[card].colour);
        QVERIFY(same(device_data.pip_rect[card].main, s.pip_rect[card].main));
        QVERIFY(same(device_data.pip_rect[card].sub, s.pip_rect[card].sub));
    }
    QCOMPARE(m_sim->frame_log(),
             (QStringList{"3a01040100fe0a00003a", "3a01040100fe0a01003a", "3a01040100fe0a01013a"}));

    // The multi-window button runs a full read-back again.
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.winsetBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(m_sim->frame_log().size(), 3);
}

void TestLink::buffer_command_goes_through_tx_buf()
{
    QVERIFY(connect_network());
    m_sim->clear_frame_log();
    // Window colour values of entries 4, 0, 1, 2, 3: a 15-byte frame built in tx_buf.
    QVERIFY(m_view->send_buffer_command(proto::kCmdColour, QByteArray::fromHex("000f0a0b0c0d0e")));
    QTRY_COMPARE(m_sim->frame_log(), QStringList{"3a010401001b0f000f0a0b0c0d0e3a"});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(device_data.tx_buf), 16),
             QByteArray::fromHex("3a010401001b0f000f0a0b0c0d0e3a00"));
    QVERIFY(std::all_of(device_data.tx_buf + 15, device_data.tx_buf + kBufferSize,
                        [](uint8_t b) { return b == 0; }));
    QTRY_COMPARE(m_sim->image().win_adjust[4].colour, 0x0a);
    QCOMPARE(m_sim->image().win_adjust[3].colour, 0x0e);
}

void TestLink::nothing_is_sent_without_link()
{
    make_view();
    QVERIFY(!m_view->send_short_command(proto::kCmdInputSource, 0, 3));
    QVERIFY(!m_view->send_read_request(proto::kSelStatus, 0));
    QVERIFY(!m_view->send_buffer_command(proto::kCmdOpenMask, QByteArray(1, 0x0f)));
    m_view->set_wait_code(proto::kWaitInputSource);
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
    QCOMPARE(m_view->direct_read(proto::kReadStatusBoot, 0), 0);
    device_data.delay(50);
    QVERIFY(m_sim->frame_log().isEmpty());
}

void TestLink::engine_ignores_data_without_code_data()
{
    add_link_rows();
}

void TestLink::engine_ignores_data_without_code()
{
    QFETCH(bool, serial);
    if (!(serial ? connect_serial() : connect_network()))
        QSKIP("link not available");
    // An acknowledgement that nobody expects stays where it is.
    QVERIFY(m_view->send_short_command(proto::kCmdPipOnOff, 0, 1));
    QIODevice &io = serial ? static_cast<QIODevice &>(m_view->serial_port())
                           : static_cast<QIODevice &>(m_view->socket());
    QTRY_COMPARE(io.bytesAvailable(), qint64(10));
    device_data.delay(100);
    QCOMPARE(io.bytesAvailable(), qint64(10));
}

void TestLink::engine_accepts_ack_and_refreshes_status_data()
{
    add_link_rows();
}

void TestLink::engine_accepts_ack_and_refreshes_status()
{
    QFETCH(bool, serial);
    if (!(serial ? connect_serial() : connect_network()))
        QSKIP("link not available");
    ModalAnswerer boxes;
    // The simulator changes its source; the engine re-reads the status after the ack.
    const qint64 shown = busy_command(proto::kCmdInputSource, 2, 6, proto::kWaitInputSource,
                                      QStringLiteral("Switching input signal...."));
    QVERIFY(shown >= 0 && shown < 3000);
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(device_data.in_source[2], 6);
    QCOMPARE(m_sim->image().in_source[2], 6);
    // The status re-read leaves its own read code behind, as every direct read does.
    QCOMPARE(serial ? device_data.serial_wait_code : device_data.net_wait_code,
             int(proto::kWaitStatus));
    QVERIFY(!m_view->busy_dialog());
}

void TestLink::busy_bound_on_bad_or_missing_ack_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("missing");
    QTest::newRow("network, rejected") << false << false;
    QTest::newRow("serial, missing") << true << true;
}

void TestLink::busy_bound_on_bad_or_missing_ack()
{
    QFETCH(bool, serial);
    QFETCH(bool, missing);
    if (!(serial ? connect_serial() : connect_network()))
        QSKIP("link not available");
    if (missing)
        m_sim->faults().mute_commands.insert(proto::kCmdPipOnOff);
    else
        m_sim->faults().bad_ack = true;
    ModalAnswerer boxes;
    m_view->setEnabled(false);
    const qint64 shown = busy_command(proto::kCmdPipOnOff, 1, 1, proto::kWaitPipOnOff,
                                      QStringLiteral("Open the PIP, please wait a moment...."));
    QVERIFY(shown >= proto::kBusyBoundMs);
    QVERIFY(shown < proto::kBusyBoundMs + 5000);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("设备无响应！！")});
    QVERIFY(m_view->isEnabled());
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
}

void TestLink::network_split_reply_judged_by_first_piece()
{
    QVERIFY(connect_network());
    m_sim->faults().split_ms = 400;
    ModalAnswerer boxes;
    const qint64 shown = busy_command(proto::kCmdPipOnOff, 0, 0, proto::kWaitPipOnOff,
                                      QStringLiteral("Close the PIP, please wait a moment...."));
    // Accepted on the first five bytes; the other five arrive later and stay unread.
    QVERIFY(shown >= 0 && shown < 400);
    QVERIFY(boxes.texts.isEmpty());
    QTRY_COMPARE(m_view->socket().bytesAvailable(), qint64(5));
}

void TestLink::network_junk_before_ack_is_rejected()
{
    QVERIFY(connect_network());
    m_sim->faults().junk = QByteArray::fromHex("0102");
    ModalAnswerer boxes;
    QVERIFY(m_view->send_short_command(proto::kCmdPipOnOff, 0, 1));
    m_view->set_wait_code(proto::kWaitPipOnOff);
    // The junk moves the acknowledgement's byte 2: the block is refused and the code gone.
    QTRY_COMPARE(device_data.net_wait_code, 0);
    QCOMPARE(m_view->socket().bytesAvailable(), qint64(0));
}

void TestLink::delay_zero_returns_at_once()
{
    bool ran = false;
    QTimer::singleShot(0, this, [&ran] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(device_data.delay(0));
    QVERIFY(clock.elapsed() < 50);
    QVERIFY(!ran);
    QTRY_VERIFY(ran);
}

void TestLink::delay_handles_reply_arriving_meanwhile()
{
    QVERIFY(connect_network());
    m_sim->faults().delay_ms = 100;
    QVERIFY(m_view->send_short_command(proto::kCmdPipOnOff, 0, 1));
    m_view->set_wait_code(proto::kWaitPipOnOff);
    QElapsedTimer clock;
    clock.start();
    device_data.delay(300);
    QVERIFY(clock.elapsed() >= 300);
    QCOMPARE(device_data.net_wait_code, 0); // the engine took the reply inside the delay
    QCOMPARE(m_view->socket().bytesAvailable(), qint64(0));
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
