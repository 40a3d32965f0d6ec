// The program's link against the simulated device, in-process: connecting and
// the full read-back, failures and their bounds, the settings file and the
// reply engines. Cases that only wait use the serial link, the faster one.

#include <QSettings>
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

const QString kFailedZh = QStringLiteral("连接设备失败！！");
const QString kStatusRead = QStringLiteral("3a01040100fe0a00003a");

void add_link_rows()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("network") << false;
    QTest::newRow("serial") << true;
}

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connect_reads_device_back_data();
    void connect_reads_device_back();
    void disconnect_keeps_records();
    void address_with_leading_zeros();
    void connect_fails_data();
    void connect_fails();
    void network_status_read_gives_up_after_ten_polls_data();
    void network_status_read_gives_up_after_ten_polls();
    void short_status_stops_the_read_back();
    void status_with_wrong_command_byte_keeps_link();
    void device_number_follows_radio();
    void damaged_or_missing_settings_read_as_defaults_data();
    void damaged_or_missing_settings_read_as_defaults();
    void settings_round_trip();
    void settings_preselect_port();
    void page_buttons_read_input_cards();

    void buffer_command_goes_through_tx_buf();
    void nothing_is_sent_without_link();

    void engine_ignores_data_without_code_data();
    void engine_ignores_data_without_code();
    void engine_accepts_ack_and_refreshes_status_data();
    void engine_accepts_ack_and_refreshes_status();
    void serial_engine_takes_a_split_reply_once_data();
    void serial_engine_takes_a_split_reply_once();
    void network_split_reply_judged_by_first_piece();
    void network_junk_before_ack_is_rejected();

    void delay_zero_returns_at_once();
    void delay_handles_reply_arriving_meanwhile();

private:
    void make_view();
    bool connect_network(const QString &address = QStringLiteral("127.0.0.1"), int port = -1);
    bool connect_serial();
    bool connect_link(bool serial) { return serial ? connect_serial() : connect_network(); }
    void busy_command(uint8_t command, uint8_t a, uint8_t b, int code);

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

bool TestLink::connect_network(const QString &address, int port)
{
    if (!m_view)
        make_view();
    auto &ui = m_view->form();
    ui.webradioBtn->click();
    m_view->set_port_text(QString::number(port < 0 ? m_sim->tcp_port() : port));
    m_view->ip_editor()->setText(address);
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

void TestLink::busy_command(uint8_t command, uint8_t a, uint8_t b, int code)
{
    QVERIFY(m_view->send_short_command(command, a, b));
    m_view->set_wait_code(code);
    m_view->run_busy_dialog(QStringLiteral("wait"));
}

void TestLink::connect_reads_device_back_data()
{
    add_link_rows();
}

void TestLink::connect_reads_device_back()
{
    QFETCH(bool, serial);
    ModalAnswerer boxes;
    QVERIFY(connect_link(serial));
    QVERIFY(boxes.texts.isEmpty());

    // The demo image differs from every reset value: a sample shows each reply decoded.
    const sim::SimImage &s = m_sim->image();
    const int mode = s.cur_mul_mode;
    QVERIFY(mode != 0);
    QCOMPARE(device_data.cur_mul_mode, mode);
    QCOMPARE(device_data.out_format, s.out_format);
    QCOMPARE(device_data.custom_res_h, s.custom_res_h);
    QCOMPARE(device_data.in_source[3], s.in_source[3]);
    for (int m = 0; m < kModeCount; ++m)
        QCOMPARE(device_data.mode_data[m].layer_code, s.mode_data[m].layer_code);
    QCOMPARE(device_data.port_quality[1][3][8], s.port_quality[1][3][8]);
    QCOMPARE(device_data.mode_data[mode].win_out[3].h, s.mode_data[mode].win_out[3].h);
    // Only the current mode's windows are read; the others keep the default layouts.
    QCOMPARE(device_data.mode_data[0].win_out[1], (DevRect{600, 200, 2640, 600}));

    // Status, mode table, windows of the current mode, in that order.
    QCOMPARE(m_sim->frame_log(),
             (QStringList{kStatusRead, "3a01040100fe0a09003a",
                          QStringLiteral("3a01040100fe0a03%1 3a")
                              .arg(mode, 2, 16, QLatin1Char('0'))
                              .remove(QLatin1Char(' '))}));
    auto &ui = m_view->form();
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("断开连接"));
    QVERIFY(m_view->isEnabled());
    QCOMPARE(m_view->status_length(), 26);

    QSettings ini(m_dir->path() + "/ini/info.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/SeralFlag").toBool(), serial);
    if (serial) {
        // A port not named COMn is stored as number 0; its name is kept beside it.
        QCOMPARE(ini.value("SerialPort/COM").toInt(), 0);
        QCOMPARE(ini.value("SerialPort/PortName").toString(), m_sim->pty_path());
    } else {
        QCOMPARE(ini.value("SerialPort/IP").toString(), QStringLiteral("127.0.0.1"));
    }
}

void TestLink::disconnect_keeps_records()
{
    QVERIFY(connect_serial());
    auto &ui = m_view->form();
    ui.inputBtn->click();
    const DeviceData before = device_data;
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("连接"));
    QCOMPARE(device_data.cur_mul_mode, before.cur_mul_mode);
    QCOMPARE(device_data.in_adjust[1].colour, before.in_adjust[1].colour);
    QCOMPARE(device_data.port_quality[1][3][8], before.port_quality[1][3][8]);
}

void TestLink::address_with_leading_zeros()
{
    // Octets typed with leading zeros mean decimal, not octal.
    QVERIFY(connect_network(QStringLiteral("127.000.000.001")));
    QCOMPARE(device_data.device_ip, QStringLiteral("127.0.0.1"));
}

void TestLink::connect_fails_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("listening");
    QTest::newRow("nothing listening") << false << false;
    QTest::newRow("network, silent device") << false << true;
    QTest::newRow("serial, silent device") << true << true;
}

void TestLink::connect_fails()
{
    QFETCH(bool, serial);
    QFETCH(bool, listening);
    m_sim->faults().mute_reads.insert(0);
    int port = -1;
    if (!listening) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    make_view();
    ModalAnswerer boxes;
    QVERIFY(!(serial ? connect_serial() : connect_network(QStringLiteral("127.0.0.1"), port)));
    QCOMPARE(boxes.titles, QStringList{QStringLiteral("警告")});
    QCOMPARE(boxes.texts, QStringList{kFailedZh});
    QCOMPARE(device_data.net_open, uint8_t(0));
    QCOMPARE(device_data.serial_open, uint8_t(0));
    QVERIFY(m_view->isEnabled());
    QVERIFY(!m_view->serial_port().isOpen());
    QCOMPARE(m_view->socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(m_view->form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(m_view->form().connectBtn->text(), QStringLiteral("连接"));
}

void TestLink::network_status_read_gives_up_after_ten_polls_data()
{
    // The status read takes its block after 800 ms and then at 300-ms polls, the
    // tenth and last at 3800 ms. Margins of 400 ms keep a busy machine out of it.
    QTest::addColumn<int>("reply_ms");
    QTest::addColumn<bool>("answered");
    QTest::newRow("400 ms before the last poll") << 3400 << true;
    QTest::newRow("400 ms after the last poll") << 4200 << false;
}

void TestLink::network_status_read_gives_up_after_ten_polls()
{
    QFETCH(int, reply_ms);
    QFETCH(bool, answered);
    m_sim->faults().delay_ms = reply_ms;
    // Only the status is late; the rest of the read-back comes at once.
    connect(m_sim.get(), &sim::SimServer::reply_sent, this, [this] { m_sim->faults().delay_ms = 0; });
    ModalAnswerer boxes;
    QCOMPARE(connect_network(), answered);
    QCOMPARE(boxes.texts, answered ? QStringList() : QStringList{kFailedZh});
    QCOMPARE(m_sim->frame_log().size(), answered ? 3 : 1);
}

void TestLink::short_status_stops_the_read_back()
{
    // The second half of the status comes long after the serial read: 13 bytes.
    m_sim->faults().split_ms = 1500;
    ModalAnswerer boxes;
    QVERIFY(connect_serial());
    QCOMPARE(m_view->status_length(), 13);
    // The link stays, but nothing more is asked and nothing decoded.
    QCOMPARE(m_sim->frame_log(), QStringList{kStatusRead});
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(device_data.cur_mul_mode, 0);
    QCOMPARE(m_view->form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
}

void TestLink::status_with_wrong_command_byte_keeps_link()
{
    m_sim->faults().bad_command_byte = true;
    ModalAnswerer boxes;
    QVERIFY(connect_serial());
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(m_view->status_length(), 26);
    // Counted as an answer, but nothing decoded: the reset values stand. Only the
    // lengths steer the read-back, so the other replies are asked for, and refused too.
    QCOMPARE(device_data.cur_mul_mode, 0);
    QCOMPARE(device_data.in_adjust[0].brightness, 50);
    QCOMPARE(m_sim->frame_log().size(), 3);
    QCOMPARE(device_data.mode_data[0].win_layers, (QVector<int32_t>{3, 2, 1, 0}));
}

void TestLink::device_number_follows_radio()
{
    m_sim->device().set_device_id(3);
    make_view();
    auto &ui = m_view->form();
    ui.radio_3->setChecked(true);
    ModalAnswerer boxes;
    QVERIFY(connect_serial());
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
    QCOMPARE(boxes.texts, QStringList{kFailedZh});
}

void TestLink::damaged_or_missing_settings_read_as_defaults_data()
{
    QTest::addColumn<QByteArray>("file");
    static const char damaged[] = "[SerialPort\nCOM=twelve\n\0\xff\xfe=\nIP\n"
                                  "[SerialPort]\nSeralFlag=maybe\n";
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("damaged") << QByteArray(damaged, sizeof damaged - 1);
}

void TestLink::damaged_or_missing_settings_read_as_defaults()
{
    QFETCH(QByteArray, file);
    if (!file.isEmpty()) {
        QDir(m_dir->path()).mkpath("ini");
        QFile ini(m_dir->path() + "/ini/info.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(file);
    }
    device_data.device_ip = QStringLiteral("10.0.0.1");
    device_data.serial_port_no = 4;
    make_view();
    auto &ui = m_view->form();
    QVERIFY(ui.webradioBtn->isChecked());
    QVERIFY(m_view->ip_editor()->isEnabled());
    QVERIFY(!ui.serialBox->isEnabled());
    QCOMPARE(device_data.device_ip, QString());
    QCOMPARE(m_view->ip_editor()->text(), QStringLiteral("..."));
    QCOMPARE(device_data.serial_port_no, 0);
    QCOMPARE(device_data.serial_chosen, uint8_t(0));
    // The next connection writes a good file.
    QVERIFY(connect_network());
    QSettings ini(m_dir->path() + "/ini/info.ini", QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/IP").toString(), QStringLiteral("127.0.0.1"));
}

void TestLink::settings_round_trip()
{
    QVERIFY(connect_serial());
    m_view.reset();
    device_data = DeviceData();

    make_view();
    auto &ui = m_view->form();
    QVERIFY(ui.serialradioBtn->isChecked());
    QVERIFY(!m_view->ip_editor()->isEnabled());
    QVERIFY(ui.getBtn->isEnabled());
    m_view->add_extra_serial_port(QStringLiteral("/dev/tessel-other"));
    m_view->add_extra_serial_port(m_sim->pty_path());
    QCOMPARE(ui.serialBox->currentText(), m_sim->pty_path());
    QCOMPARE(device_data.serial_chosen, uint8_t(1));
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
    for (const char *name : {"COM1", "COM12", "COM2"})
        m_view->add_extra_serial_port(QString::fromLatin1(name));
    QCOMPARE(m_view->form().serialBox->currentText(), QStringLiteral("COM12"));
    QCOMPARE(m_view->ip_editor()->text(), QStringLiteral("172.16.0.9"));
}

void TestLink::page_buttons_read_input_cards()
{
    QVERIFY(connect_serial());
    auto &ui = m_view->form();
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageInput));
    const sim::SimImage &s = m_sim->image();
    QCOMPARE(device_data.in_adjust[1].colour, s.in_adjust[1].colour);
    QCOMPARE(device_data.pip_rect[1].sub.h, s.pip_rect[1].sub.h);
    QCOMPARE(device_data.pip_rect[0].main.x, s.pip_rect[0].main.x);
    QCOMPARE(m_sim->frame_log(),
             (QStringList{kStatusRead, "3a01040100fe0a01003a", "3a01040100fe0a01013a"}));

    // The multi-window button runs a full read-back again.
    m_sim->clear_frame_log();
    QTest::mouseClick(ui.winsetBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(m_sim->frame_log().size(), 3);
}

void TestLink::buffer_command_goes_through_tx_buf()
{
    QVERIFY(connect_serial());
    m_sim->clear_frame_log();
    // Window colour values of entries 4, 0, 1, 2, 3: a 15-byte frame built in tx_buf.
    QVERIFY(m_view->send_buffer_command(proto::kCmdColour, QByteArray::fromHex("000f0a0b0c0d0e")));
    QTRY_COMPARE(m_sim->frame_log(), QStringList{"3a010401001b0f000f0a0b0c0d0e3a"});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(device_data.tx_buf), 15),
             QByteArray::fromHex("3a010401001b0f000f0a0b0c0d0e3a"));
    QVERIFY(std::all_of(device_data.tx_buf + 15, device_data.tx_buf + kBufferSize,
                        [](uint8_t b) { return b == 0; }));
    QTRY_COMPARE(m_sim->image().win_adjust[4].colour, 0x0a);

    // One byte more than tx_buf holds: refused whole, in every build.
    QVERIFY(!m_view->send_buffer_command(proto::kCmdImportGlobal, QByteArray(293, '\0')));
    QTest::qWait(100);
    QCOMPARE(m_sim->frame_log().size(), 1);
}

void TestLink::nothing_is_sent_without_link()
{
    make_view();
    QVERIFY(!m_view->send_short_command(proto::kCmdInputSource, 0, 3));
    QVERIFY(!m_view->send_read_request(proto::kSelStatus, 0));
    QCOMPARE(m_view->direct_read(proto::kReadStatusBoot, 0), 0);
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
    QVERIFY(m_sim->frame_log().isEmpty());
}

void TestLink::engine_ignores_data_without_code_data()
{
    add_link_rows();
}

void TestLink::engine_ignores_data_without_code()
{
    QFETCH(bool, serial);
    QVERIFY(connect_link(serial));
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
    QVERIFY(connect_link(serial));
    ModalAnswerer boxes;
    // The simulator changes its source; the engine re-reads the status after the ack.
    busy_command(proto::kCmdInputSource, 2, 6, proto::kWaitInputSource);
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(device_data.in_source[2], 6);
    // The status re-read leaves its own read code behind, as every direct read does.
    QCOMPARE(serial ? device_data.serial_wait_code : device_data.net_wait_code,
             int(proto::kWaitStatus));
    QVERIFY(!m_view->busy_dialog());
}

void TestLink::serial_engine_takes_a_split_reply_once_data()
{
    // Acknowledgements in two halves 50 ms apart, well inside the engine's 200-ms wait.
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("frames"); // sent in all, the command included
    QTest::addColumn<int>("left");   // code afterwards: what the action set, if anything
    QTest::newRow("PIP on: close only")
        << int(proto::kCmdPipOnOff) << int(proto::kWaitPipOnOff) << 1 << 0;
    QTest::newRow("input source: one status re-read")
        << int(proto::kCmdInputSource) << int(proto::kWaitInputSource) << 2
        << int(proto::kWaitStatus);
}

void TestLink::serial_engine_takes_a_split_reply_once()
{
    QFETCH(int, command);
    QFETCH(int, code);
    QFETCH(int, frames);
    QFETCH(int, left);
    QVERIFY(connect_serial());
    m_sim->clear_frame_log();
    m_sim->faults().split_ms = 50;
    ModalAnswerer boxes;
    busy_command(uint8_t(command), 0, 1, code);
    QVERIFY(boxes.texts.isEmpty());
    // Read after the wait, the whole reply is taken, and taken once: the code is
    // cleared before anything else, so only what the action set stays behind.
    QTest::qWait(300);
    QCOMPARE(m_view->serial_port().bytesAvailable(), qint64(0));
    QCOMPARE(m_sim->frame_log().size(), frames);
    QCOMPARE(device_data.serial_wait_code, left);
}

void TestLink::network_split_reply_judged_by_first_piece()
{
    QVERIFY(connect_network());
    m_sim->faults().split_ms = 1500;
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    busy_command(proto::kCmdPipOnOff, 0, 0, proto::kWaitPipOnOff);
    // Accepted on the first five bytes; the other five arrive later and stay unread.
    QVERIFY(clock.elapsed() < 1500);
    QVERIFY(boxes.texts.isEmpty());
    QTRY_COMPARE(m_view->socket().bytesAvailable(), qint64(5));
}

void TestLink::network_junk_before_ack_is_rejected()
{
    QVERIFY(connect_network());
    m_sim->faults().junk = QByteArray::fromHex("0102");
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
    device_data.delay(1000);
    QVERIFY(clock.elapsed() >= 1000);
    QCOMPARE(device_data.net_wait_code, 0); // the engine took the reply inside the delay
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
