// Connecting to the simulated device and the read-back, the settings file and
// the reply engines; the faults a device can make are in the fault matrix.

#include <QSettings>
#include <QTcpServer>
#include <QtTest>

#include <algorithm>

#include "device/device_data.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"
#include "widgets/qiplineedit.h"

namespace {

const QString kFailedZh = QStringLiteral("连接设备失败！！");
const QString kStatusRead = QStringLiteral("3a01040100fe0a00003a");

} // namespace

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m.stop(); }

    void connect_reads_device_back_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::newRow("network") << false;
        QTest::newRow("serial") << true;
    }
    void connect_reads_device_back();
    void connect_fails();
    void network_status_read_gives_up_after_ten_polls_data();
    void network_status_read_gives_up_after_ten_polls();
    void short_status_stops_the_read_back();
    void device_number_follows_radio();
    void settings_file_data();
    void settings_file();
    void page_buttons_and_tx_buf();

private:
    void new_view()
    {
        m.view.reset();
        m.view = std::make_unique<TesselView>();
        m.view->show();
    }

    SimSession m;
};

void TestLink::connect_reads_device_back()
{
    QFETCH(bool, serial);
    QVERIFY(m.start(serial));
    ModalAnswerer boxes;
    QVERIFY(m.connect_link());
    QVERIFY(boxes.texts.isEmpty());

    // One field per reply shows it decoded; the simulator's tests compare them all.
    const sim::SimImage &s = m.sim->image();
    const int mode = s.cur_mul_mode;
    QVERIFY(mode != 0);
    QCOMPARE(device_data.cur_mul_mode, mode);
    QCOMPARE(device_data.mode_data[7].layer_code, s.mode_data[7].layer_code);
    QCOMPARE(device_data.mode_data[mode].win_out[3].h, s.mode_data[mode].win_out[3].h);
    // Only the current mode's windows are read; the others keep the default layouts.
    QCOMPARE(device_data.mode_data[0].win_out[1], (DevRect{600, 200, 2640, 600}));
    const QString windows = QStringLiteral("3a01040100fe0a03%1").arg(mode, 2, 16, QLatin1Char('0'));
    QCOMPARE(m.sim->frame_log(),
             (QStringList{kStatusRead, "3a01040100fe0a09003a", windows + "3a"}));
    auto &ui = m.view->form();
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("断开连接"));

    // An acknowledgement that nobody expects stays where it is.
    QVERIFY(m.view->send_short_command(proto::kCmdPipOnOff, 0, 1));
    QIODevice &io = serial ? static_cast<QIODevice &>(m.view->serial_port())
                           : static_cast<QIODevice &>(m.view->socket());
    QTRY_COMPARE(io.bytesAvailable(), qint64(10));
    device_data.delay(100);
    QCOMPARE(io.bytesAvailable(), qint64(10));

    QSettings ini(m.path("ini/info.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/SeralFlag").toBool(), serial);
    // A port not named COMn is stored as number 0, its name beside it.
    if (serial)
        QCOMPARE(ini.value("SerialPort/PortName").toString(), m.sim->pty_path());
    else
        QCOMPARE(ini.value("SerialPort/IP").toString(), QStringLiteral("127.0.0.1"));

    // Disconnecting keeps the records.
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(device_data.serial_open + device_data.net_open, 0);
    QVERIFY(!m.view->serial_port().isOpen());
    QCOMPARE(m.view->socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("连接"));
    QCOMPARE(device_data.cur_mul_mode, mode);

    // The next start offers the same link again.
    device_data = DeviceData();
    new_view();
    QCOMPARE(m.view->form().serialradioBtn->isChecked(), serial);
    QCOMPARE(m.view->ip_editor()->isEnabled(), !serial);
    m.view->add_extra_serial_port(QStringLiteral("/dev/tessel-other"));
    m.view->add_extra_serial_port(m.sim->pty_path());
    if (serial)
        QCOMPARE(m.view->form().serialBox->currentText(), m.sim->pty_path());
    else
        QCOMPARE(m.view->ip_editor()->text(), QStringLiteral("127.0.0.1"));
}

// A silent device is in the fault matrix; here nothing listens at all.
void TestLink::connect_fails()
{
    QVERIFY(m.start(false));
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    ModalAnswerer boxes;
    QVERIFY(!connect_view(*m.view, port, QString(), false));
    QCOMPARE(boxes.titles, QStringList{QStringLiteral("警告")});
    QCOMPARE(boxes.texts, QStringList{kFailedZh});
    QCOMPARE(device_data.net_open, uint8_t(0));
    QCOMPARE(m.view->socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(m.view->form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
}

void TestLink::network_status_read_gives_up_after_ten_polls_data()
{
    // The status read looks after 800 ms and then at 300-ms polls, the tenth
    // and last at 3800 ms; fast replies end at the same deadline. An eleventh
    // poll (4100 ms) would take the reply at 3950 ms.
    QTest::addColumn<bool>("full_timing");
    QTest::addColumn<int>("reply_ms");
    QTest::addColumn<bool>("answered");
    QTest::newRow("fast, 400 ms before the last poll") << false << 3400 << true;
    QTest::newRow("full timing, 150 ms after the last poll") << true << 3950 << false;
}

void TestLink::network_status_read_gives_up_after_ten_polls()
{
    QFETCH(bool, full_timing);
    QFETCH(int, reply_ms);
    QFETCH(bool, answered);
    QVERIFY(m.start(false));
    m.view->form().fullTimingBox->setChecked(full_timing);
    m.sim->faults().delay_ms = reply_ms;
    // Only the status is late; the rest of the read-back comes at once.
    connect(m.sim.get(), &sim::SimServer::reply_sent, this,
            [this] { m.sim->faults().delay_ms = 0; });
    ModalAnswerer boxes;
    QCOMPARE(m.connect_link(), answered);
    QCOMPARE(boxes.texts, answered ? QStringList() : QStringList{kFailedZh});
    QCOMPARE(m.sim->frame_log().size(), answered ? 3 : 1);
}

void TestLink::short_status_stops_the_read_back()
{
    // The second half of the status comes long after the serial read: 13 bytes.
    QVERIFY(m.start(true));
    m.sim->faults().split_ms = 1500;
    ModalAnswerer boxes;
    QVERIFY(m.connect_link());
    QCOMPARE(m.view->status_length(), 13);
    // The link stays, but nothing more is asked and nothing decoded.
    QCOMPARE(m.sim->frame_log(), QStringList{kStatusRead});
    QVERIFY(boxes.texts.isEmpty());
    QCOMPARE(device_data.cur_mul_mode, 0);
    QCOMPARE(m.view->form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
}

void TestLink::device_number_follows_radio()
{
    QVERIFY(m.start(true));
    m.sim->device().set_device_id(3);
    auto &ui = m.view->form();
    ui.radio_3->setChecked(true);
    ModalAnswerer boxes;
    QVERIFY(m.connect_link());
    QCOMPARE(device_data.device_id, 3);
    QVERIFY(m.sim->frame_log().value(0).startsWith(QStringLiteral("3a03")));
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

void TestLink::settings_file_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("port"); // the serial port number read, 0: none
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("full_timing");
    static const char damaged[] = "[SerialPort\nCOM=twelve\n\0\xff\xfe=\nIP\n"
                                  "[SerialPort]\nSeralFlag=maybe\nFullTiming=yes\n";
    QTest::newRow("no file") << QByteArray() << 0 << "..." << false;
    QTest::newRow("damaged") << QByteArray(damaged, sizeof damaged - 1) << 0 << "..." << false;
    QTest::newRow("COM12") << QByteArray("[SerialPort]\nCOM=12\nSeralFlag=true\nIP=172.16.0.9\n"
                                         "FullTiming=true\n")
                           << 12 << "172.16.0.9" << true;
}

void TestLink::settings_file()
{
    QFETCH(QByteArray, file);
    QFETCH(int, port);
    QFETCH(QString, ip);
    QFETCH(bool, full_timing);
    QVERIFY(m.start(false));
    m.view.reset();
    if (!file.isEmpty()) {
        QDir(m.dir->path()).mkpath("ini");
        QFile ini(m.path("ini/info.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(file);
    }
    device_data.device_ip = QStringLiteral("10.0.0.1");
    device_data.serial_port_no = 4;
    new_view();
    auto &ui = m.view->form();
    QCOMPARE(ui.serialradioBtn->isChecked(), port != 0);
    QCOMPARE(!ui.serialBox->isEnabled(), port == 0);
    QCOMPARE(m.view->ip_editor()->text(), ip);
    QCOMPARE(device_data.serial_port_no, port);
    QCOMPARE(ui.fullTimingBox->isChecked(), full_timing);
    QCOMPARE(m.view->link().full_timing(), full_timing);
    for (const char *name : {"COM1", "COM12", "COM2"})
        m.view->add_extra_serial_port(QString::fromLatin1(name));
    QCOMPARE(device_data.serial_chosen, uint8_t(port != 0));
    if (port)
        QCOMPARE(ui.serialBox->currentText(), QStringLiteral("COM12"));

    // The next connection writes a good file. Octets typed with leading zeros
    // mean decimal, not octal.
    ui.webradioBtn->click();
    m.view->set_port_text(QString::number(m.sim->tcp_port()));
    m.view->ip_editor()->setText(QStringLiteral("127.000.000.001"));
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(device_data.net_open, uint8_t(1));
    QSettings ini(m.path("ini/info.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/IP").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(ini.value("SerialPort/FullTiming").toBool(), full_timing);

    // The operator's choice is kept at once and holds for the next command.
    ui.fullTimingBox->click();
    QCOMPARE(m.view->link().full_timing(), !full_timing);
    QSettings changed(m.path("ini/info.ini"), QSettings::IniFormat);
    QCOMPARE(changed.value("SerialPort/FullTiming").toBool(), !full_timing);
}

void TestLink::page_buttons_and_tx_buf()
{
    QVERIFY(m.start(true));
    QVERIFY(m.connect_link());
    auto &ui = m.view->form();
    m.sim->clear_frame_log();
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageInput));
    const sim::SimImage &s = m.sim->image();
    QCOMPARE(device_data.in_adjust[1].colour, s.in_adjust[1].colour);
    QCOMPARE(device_data.pip_rect[0].main.x, s.pip_rect[0].main.x);
    QCOMPARE(m.sim->frame_log(),
             (QStringList{kStatusRead, "3a01040100fe0a01003a", "3a01040100fe0a01013a"}));

    // The multi-window button runs a full read-back again.
    m.sim->clear_frame_log();
    QTest::mouseClick(ui.winsetBtn, Qt::LeftButton);
    QCOMPARE(ui.stackedWidget->currentIndex(), int(TesselView::kPageMultiWindow));
    QCOMPARE(m.sim->frame_log().size(), 3);

    m.sim->clear_frame_log();
    // Window colour values of entries 4, 0, 1, 2, 3: a 15-byte frame built in tx_buf.
    const QByteArray frame = QByteArray::fromHex("3a010401001b0f000f0a0b0c0d0e3a");
    QVERIFY(m.view->send_buffer_command(proto::kCmdColour, QByteArray::fromHex("000f0a0b0c0d0e")));
    QTRY_COMPARE(m.sim->frame_log(), QStringList{QString(frame.toHex())});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(device_data.tx_buf), 15), frame);
    QVERIFY(std::all_of(device_data.tx_buf + 15, device_data.tx_buf + kBufferSize,
                        [](uint8_t b) { return b == 0; }));

    // One byte more than tx_buf holds: refused whole, in every build.
    QVERIFY(!m.view->send_buffer_command(proto::kCmdImportGlobal, QByteArray(293, '\0')));
    QTest::qWait(100);
    QCOMPARE(m.sim->frame_log().size(), 1);
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
