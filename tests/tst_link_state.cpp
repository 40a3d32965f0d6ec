// The link as the operator sees it, against tessel-sim: connecting, the status line,
// the settings file, a device that goes away in every kind of wait, and a read-only
// connection clicked through every page and dialog that sends.

// Mouse events through the window system: drags keep their button and grab.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QMenu>
#include <QTcpServer>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "import_preview_answerer.h"
#include "layout/itembox.h"
#include "output/mosaic/winclass.h"
#include "support/file_dialog_answerer.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_process.h"
#include "support/sim_session.h"
#include "support/when_shown.h"
#include "widgets/group_styles.h"
#include "widgets/qiplineedit.h"

namespace {

using namespace proto;

const QString kFailed = QStringLiteral("连接设备失败！！");
const QString kLost = QStringLiteral("与设备的连接已断开！");
const QString kRefused = QStringLiteral("Read-only connection: nothing was sent.");
const QString kStatusRead = QStringLiteral("3a01040100fe0a00003a");

// Calls `act` once, as soon as `ready` holds (checked from the event loop).
void once(const std::function<bool()> &ready, const std::function<void()> &act)
{
    QTimer::singleShot(5, qApp, [=] { ready() ? act() : once(ready, act); });
}

// Clicks the first enabled, unchecked one, on its indicator (not on the empty rest).
void click_other_radio(const QList<QRadioButton *> &buttons)
{
    for (QRadioButton *b : buttons) {
        if (b->isEnabled() && !b->isChecked())
            return QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    QFAIL("no radio button to click");
}

// Opens a dialog with `opener`, presses the button `pick` names in it, closes it.
template <typename D, typename Pick> void press_in(QPushButton *opener, Pick pick)
{
    when_shown<D>([pick](D *d) {
        QTest::mouseClick(pick(d->form()), Qt::LeftButton);
        d->reject();
    });
    QTest::mouseClick(opener, Qt::LeftButton);
}

} // namespace

class TestLinkState : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        m_s.stop();
        m_device.kill();
        m_device.waitForFinished();
    }
    void connect_reads_device_back_data() { add_link_rows(); }
    void connect_reads_device_back();
    void late_status();
    void settings_file_data();
    void settings_file();
    void lost_link();
    void read_only_sends_nothing_data() { connect_reads_device_back_data(); }
    void read_only_sends_nothing();

private:
    TesselView &v() { return *m_s.view; }
    QString label(const char *name) { return v().findChild<QLabel *>(name)->text(); }
    QString state_text() { return label("linkStateLabel"); }
    int page() { return v().form().stackedWidget->currentIndex(); }
    void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    void input_source(const TxWait &wait) { v().transmit_short(kCmdInputSource, 0, 3, wait); }
    QVariant ini(const QString &key)
    {
        return QSettings(m_s.path("ini/info.ini"), QSettings::IniFormat).value("SerialPort/" + key);
    }
    void check_disconnected();

    SimSession m_s;
    QProcess m_device;
};

// What the window shows without a link, after Disconnect as after a loss.
void TestLinkState::check_disconnected()
{
    auto &ui = v().form();
    QCOMPARE(device_data.serial_open + device_data.net_open, 0);
    QVERIFY(!v().serial_port().isOpen() && !v().link().is_open());
    QCOMPARE(v().socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(page(), int(TesselView::kPageCommunication));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("连接"));
    QCOMPARE(state_text(), QStringLiteral("未连接"));
    QVERIFY(ui.cmclBtn->styleSheet().contains(QStringLiteral("rgb(255, 223, 58)")));
    QVERIFY(ui.readOnlyBox->isEnabled());
}

// A refused connection first; then the read-back, the status line in both
// languages, the settings kept, page reads and the transmit buffer, Disconnect.
void TestLinkState::connect_reads_device_back()
{
    QFETCH(bool, serial);
    QVERIFY(m_s.start(serial));
    auto &ui = v().form();
    QCOMPARE(state_text(), QStringLiteral("未连接"));
    QCOMPARE(label("lastReplyLabel"), QStringLiteral("最后应答：—"));
    ModalAnswerer boxes;
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    QVERIFY(!connect_view(v(), closed, QString(), false));
    QCOMPARE(boxes.titles + boxes.texts, (QStringList{QStringLiteral("警告"), kFailed}));
    check_disconnected();

    QVERIFY(m_s.connect_link());
    QCOMPARE(boxes.texts.size(), 1);
    const int mode = m_s.sim->image().cur_mul_mode;
    QVERIFY(mode != 0);
    // Only the current mode's windows are read; the others keep the default layouts.
    QCOMPARE(device_data.mode_data[0].win_out[1], (DevRect{600, 200, 2640, 600}));
    QCOMPARE(page(), int(TesselView::kPageMultiWindow));
    QCOMPARE(ui.connectBtn->text(), QStringLiteral("断开连接"));
    const QString where =
        serial ? m_s.sim->pty_path() : QStringLiteral("127.0.0.1:%1").arg(m_s.sim->tcp_port());
    QCOMPARE(state_text(), QString(serial ? "串口 %1 · 设备 1" : "网口 %1 · 设备 1").arg(where));
    const QRegularExpression time(QStringLiteral("^最后应答：\\d\\d:\\d\\d:\\d\\d$"));
    QVERIFY2(time.match(label("lastReplyLabel")).hasMatch(), qPrintable(label("lastReplyLabel")));
    ui.eradioBtn->click();
    QCOMPARE(state_text(),
             QString(serial ? "Serial %1 · device 1" : "Network %1 · device 1").arg(where));
    QVERIFY(label("lastReplyLabel").startsWith(QStringLiteral("Last reply: ")));
    QCOMPARE(ui.readOnlyBox->text(), QStringLiteral("Read only"));
    QVERIFY(!ui.readOnlyBox->isEnabled()); // the kind of a link is chosen before it opens
    ui.cradioBtn->click();

    // An acknowledgement that nobody expects stays where it is.
    QVERIFY(v().send_short_command(kCmdPipOnOff, 0, 1));
    QIODevice &io = serial ? v().serial_port() : static_cast<QIODevice &>(v().socket());
    QTRY_COMPARE(io.bytesAvailable(), qint64(10));
    device_data.delay(100);
    QCOMPARE(io.bytesAvailable(), qint64(10));

    // A port not named COMn is stored as number 0, its name beside it.
    QCOMPARE(ini("SeralFlag").toBool(), serial);
    QCOMPARE(ini(serial ? "PortName" : "IP").toString(),
             serial ? m_s.sim->pty_path() : QStringLiteral("127.0.0.1"));

    m_s.sim->clear_frame_log();
    click(ui.inputBtn);
    QCOMPARE(page(), int(TesselView::kPageInput));
    const sim::SimImage &s = m_s.sim->image();
    QCOMPARE(device_data.in_adjust[1].colour, s.in_adjust[1].colour);
    QCOMPARE(device_data.pip_rect[0].main.x, s.pip_rect[0].main.x);
    QCOMPARE(m_s.sim->frame_log(),
             (QStringList{kStatusRead, "3a01040100fe0a01003a", "3a01040100fe0a01013a"}));
    // The multi-window button runs a full read-back again.
    m_s.sim->clear_frame_log();
    click(ui.winsetBtn);
    QCOMPARE(page(), int(TesselView::kPageMultiWindow));
    QCOMPARE(m_s.sim->frame_log().size(), 3);

    // Window colour values of entries 4, 0, 1, 2, 3: a 15-byte frame built in tx_buf.
    m_s.sim->clear_frame_log();
    const QByteArray frame = QByteArray::fromHex("3a010401001b0f000f0a0b0c0d0e3a");
    QVERIFY(v().send_buffer_command(kCmdColour, QByteArray::fromHex("000f0a0b0c0d0e")));
    QTRY_COMPARE(m_s.sim->frame_log(), QStringList{QString(frame.toHex())});
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(device_data.tx_buf), kBufferSize),
             frame + QByteArray(kBufferSize - frame.size(), '\0'));
    // One byte more than tx_buf holds: refused whole, in every build.
    QVERIFY(!v().send_buffer_command(kCmdImportGlobal, QByteArray(293, '\0')));
    QTest::qWait(100);
    QCOMPARE(m_s.sim->frame_log().size(), 1);

    // Disconnecting keeps the records.
    click(ui.cmclBtn);
    click(ui.connectBtn);
    check_disconnected();
    QCOMPARE(device_data.cur_mul_mode, mode);
}

// A late status. The network read looks at 800 ms, then every 300 ms up to the tenth
// poll at 3800 ms (fast replies end there too; an eleventh would take a reply at 3950
// ms). The serial read takes what came by its end: 13 bytes when the rest is late.
void TestLinkState::late_status()
{
    // clang-format off
    const struct {
        const char *name;
        bool serial, full_timing;
        int delay_ms, split_ms, status_length, reads;
    } rows[] = {
        {"network, fast, 400 ms before poll 10", false, false, 3400, -1, kStatusReplyLength, 3},
        {"network, full timing, 150 ms after poll 10", false, true, 3950, -1, 0, 1},
        {"serial, the second half 1.5 s late", true, false, 0, 1500, 13, 1},
    };
    // clang-format on
    for (const auto &r : rows) {
        QVERIFY(m_s.start(r.serial));
        v().form().fullTimingBox->setChecked(r.full_timing);
        m_s.sim->faults().delay_ms = r.delay_ms;
        m_s.sim->faults().split_ms = r.split_ms;
        // Only the status is late; the rest of the read-back comes at once.
        connect(m_s.sim.get(), &sim::SimServer::reply_sent, this,
                [this] { m_s.sim->faults().delay_ms = 0; });
        ModalAnswerer boxes;
        // A short status keeps the link, but nothing more is asked and nothing decoded.
        QVERIFY2(m_s.connect_link() == (r.status_length != 0), r.name);
        QCOMPARE(v().status_length(), r.status_length);
        QCOMPARE(boxes.texts, r.status_length ? QStringList() : QStringList{kFailed});
        QCOMPARE(m_s.sim->frame_log().value(0), kStatusRead);
        QCOMPARE(m_s.sim->frame_log().size(), r.reads);
        QCOMPARE(device_data.cur_mul_mode != 0, r.reads == 3);
        QCOMPARE(page(),
                 int(r.reads == 3 ? TesselView::kPageMultiWindow : TesselView::kPageCommunication));
        m_s.stop();
    }
}

void TestLinkState::settings_file_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("chosen"); // the serial port offered; empty: the network
    QTest::addColumn<int>("port");       // the serial port number read
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("full_timing");
    static const char damaged[] = "[SerialPort\nCOM=twelve\n\0\xff\xfe=\nIP\n"
                                  "[SerialPort]\nSeralFlag=maybe\nFullTiming=yes\n";
    QTest::newRow("no file") << QByteArray() << "" << 0 << "..." << false;
    QTest::newRow("damaged") << QByteArray(damaged, sizeof damaged - 1) << "" << 0 << "..."
                             << false;
    QTest::newRow("COM12") << QByteArray("[SerialPort]\nCOM=12\nSeralFlag=true\nIP=172.16.0.9\n"
                                         "FullTiming=true\n")
                           << "COM12" << 12 << "172.16.0.9" << true;
    // A port not named COMn is kept by its name.
    QTest::newRow("port name") << QByteArray("[SerialPort]\nSeralFlag=true\nPortName=/dev/tessel-b")
                               << "/dev/tessel-b" << 0 << "..." << false;
}

void TestLinkState::settings_file()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, chosen);
    QFETCH(int, port);
    QFETCH(QString, ip);
    QFETCH(bool, full_timing);
    QVERIFY(m_s.start(false));
    m_s.view.reset();
    QDir(m_s.dir->path()).mkpath("ini");
    QFile ini_file(m_s.path("ini/info.ini"));
    QVERIFY(file.isEmpty() || (ini_file.open(QIODevice::WriteOnly) && ini_file.write(file) > 0));
    ini_file.close();
    device_data.device_ip = QStringLiteral("10.0.0.1");
    device_data.serial_port_no = 4;
    m_s.view = std::make_unique<TesselView>();
    v().show();
    auto &ui = v().form();
    const bool serial = !chosen.isEmpty();
    QCOMPARE((QVector<bool>{ui.serialradioBtn->isChecked(), ui.serialBox->isEnabled(),
                            !v().ip_editor()->isEnabled(), device_data.serial_chosen == 1}),
             QVector<bool>(4, serial));
    QCOMPARE(v().ip_editor()->text(), ip);
    QCOMPARE(device_data.serial_port_no, port);
    QCOMPARE(ui.fullTimingBox->isChecked(), full_timing);
    QCOMPARE(v().link().full_timing(), full_timing);
    for (const char *name : {"COM1", "/dev/tessel-a", "COM12", "/dev/tessel-b", "COM2"})
        v().add_extra_serial_port(QString::fromLatin1(name));
    if (serial)
        QCOMPARE(ui.serialBox->currentText(), chosen);

    // The next connection writes a good file. Octets typed with leading zeros
    // mean decimal, not octal.
    ui.webradioBtn->click();
    v().set_port_text(QString::number(m_s.sim->tcp_port()));
    v().ip_editor()->setText(QStringLiteral("127.000.000.001"));
    click(ui.connectBtn);
    QCOMPARE(device_data.net_open, uint8_t(1));
    QCOMPARE(ini("IP").toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(ini("FullTiming").toBool(), full_timing);
    // The operator's choice is kept at once and holds for the next command.
    ui.fullTimingBox->click();
    QCOMPARE(v().link().full_timing(), !full_timing);
    QCOMPARE(ini("FullTiming").toBool(), !full_timing);
}

// The device's process is killed (on the serial link its pseudo-terminal goes as with
// an adapter pulled out) while the program waits on it in each way it can; the link
// closes itself and the window tells it once.
void TestLinkState::lost_link()
{
    const auto busy = [this] { return v().busy_dialog() != nullptr; };
    const auto waiting_for = [](int code) {
        return [code] { return device_data.serial_wait_code + device_data.net_wait_code == code; };
    };
    const QStringList mute_source{"--mute-commands", QString::number(kCmdInputSource)};
    const QStringList mute_windows{"--mute-reads", QString::number(kSelWindows)};
    // clang-format off
    const struct {
        const char *name;
        QStringList mute; // what the device leaves unanswered
        std::function<bool()> ready;
        std::function<void()> act; // none: the read-back is what waits
    } rows[] = {
        {"idle", {}, [] { return true; }, [] {}},
        {"busy dialog", mute_source, busy,
         [this] { input_source(TxWait::busy(kWaitInputSource, "busy")); }},
        {"delay", mute_source, [this] { return v().link().is_open() && !v().isEnabled(); },
         [this] { input_source(TxWait::delay(kWaitInputSource, 8000)); }},
        {"export", mute_windows, busy, [&] {
             FileDialogAnswerer files(m_s.path("backup.txt"));
             click(v().form().exportBtn);
         }},
        // The preview reads under the busy dialog first: lose the link in the chain.
        {"import", {"--mute-commands", QString::number(kCmdImportMode)},
         [this] { return v().link().upload_state() == DeviceLink::UploadState::Running; },
         [this] {
             QFile file(m_s.path(QStringLiteral("import.txt")));
             QVERIFY(file.open(QIODevice::WriteOnly));
             file.write(codec::write_config_file(codec::export_values(device_data)));
             file.close();
             PreviewAnswerer preview(true);
             FileDialogAnswerer files(file.fileName());
             click(v().form().importBtn);
         }},
        // The windows, the read-back's last read, never come.
        {"read-back", mute_windows, waiting_for(kWaitWindows), {}},
        {"output page read", {"--mute-reads", QString::number(kSelLedRects)},
         waiting_for(kWaitLedRectsRead), [this] { click(v().form().outBtn); }},
    };
    // clang-format on
    for (bool serial : {false, true}) {
        for (const auto &r : rows) {
            qInfo("%s, %s", serial ? "serial" : "network", r.name);
            QVERIFY(m_s.start(false)); // the window only: the device is a process of its own
            quint16 port = 0;
            QString pty;
            QVERIFY(start_sim_process(m_device, TESSEL_SIM_PATH, sim_on_both_links(r.mute), port,
                                      &pty));
            QElapsedTimer since_kill;
            qint64 lost_ms = -1; // after the kill
            connect(&v().link(), &DeviceLink::link_lost, &v(),
                    [&] { lost_ms = since_kill.elapsed(); });
            const auto kill = [&] {
                since_kill.start();
                m_device.kill();
            };
            ModalAnswerer boxes;
            QVERIFY(!r.act || connect_view(v(), port, pty, serial));
            const int mode = device_data.cur_mul_mode;
            const DevRect window = device_data.mode_data[mode].win_out[1];
            once(r.ready, kill);
            r.act ? r.act() : void(connect_view(v(), port, pty, serial));
            QTRY_VERIFY(lost_ms >= 0);
            QVERIFY2(lost_ms < 1000, qPrintable(QString::number(lost_ms)));
            // The records stay as they were read.
            QVERIFY(!r.act || (device_data.cur_mul_mode == mode &&
                               device_data.mode_data[mode].win_out[1] == window));
            // One message; nothing else comes later (no bound, no failed connect).
            QTRY_VERIFY(!boxes.texts.isEmpty());
            QTest::qWait(300);
            QCOMPARE(boxes.texts, QStringList{kLost});
            QVERIFY(v().isEnabled() && !v().busy_dialog());
            QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
            check_disconnected();
            // Nothing is written after the loss, and an export cut short writes no file.
            QVERIFY(!v().transmit_short(kCmdPipOnOff, 0, 3, TxWait::busy(kWaitPipOnOff, "busy")));
            QCOMPARE(v().direct_read(kReadStatusInput, 0), 0);
            QVERIFY(!QFile::exists(m_s.path("backup.txt")));

            // A new device: Connect reads it back again.
            m_device.waitForFinished();
            QVERIFY(start_sim_process(m_device, TESSEL_SIM_PATH, sim_on_both_links(), port, &pty));
            QVERIFY(connect_view(v(), port, pty, serial));
            QCOMPARE(page(), int(TesselView::kPageMultiWindow));
            cleanup();
        }
    }
}

// Every page and dialog that sends, on a read-only connection to device 3: each action
// is refused once, the page shows the device's values again, the device receives read
// requests only. An export still works; the choice is kept for the next start.
void TestLinkState::read_only_sends_nothing()
{
    QFETCH(bool, serial);
    if (!m_s.start(serial))
        QSKIP("no pseudo-terminal here");
    auto &ui = v().form();
    QVERIFY(QTest::qWaitForWindowExposed(&v()));
    const QList<QWidget *> writing = v().writing_controls();
    QVERIFY(writing.contains(ui.importBtn) && writing.contains(ui.initdevBtn) &&
            writing.contains(ui.inALDButton) && writing.contains(ui.setButton_size));
    for (QWidget *w : writing)
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    ui.eradioBtn->click();
    ui.readOnlyBox->click();
    for (QWidget *w : writing)
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QCOMPARE(state_text(), QStringLiteral("Not connected")); // nothing is open to be read-only
    QCOMPARE(ini("ReadOnly").toString(), QStringLiteral("true"));
    ui.radio_3->click();
    m_s.sim->device().set_device_id(3);
    QVERIFY(m_s.connect_link());
    QVERIFY(m_s.sim->frame_log().value(0).startsWith(QStringLiteral("3a03")));
    // Another number chosen while connected waits for the next connection.
    ui.radio_1->click();
    const QString where =
        serial ? m_s.sim->pty_path() : QStringLiteral("127.0.0.1:%1").arg(m_s.sim->tcp_port());
    QCOMPARE(state_text(), QString(serial ? "Serial %1 · device 3 · Read only"
                                          : "Network %1 · device 3 · Read only")
                               .arg(where));
    const sim::SimImage &s = m_s.sim->image();
    const int mode = s.cur_mul_mode;
    const auto item = [this](int win) { return v().window_item(device_data.cur_mul_mode, win); };
    // What the actions below change, in the records or on the device.
    const auto values = [mode](const auto &d) {
        const auto &m = d.mode_data[mode];
        const auto &r = m.win_out[0];
        return QList<int>() << d.cur_mul_mode << r.x << r.y << r.w << r.h << m.win_source[2]
                            << d.in_source[0] << d.pip_state[0] << d.pip_state[1] << d.cur_out_mode;
    };

    const auto drag = [&] {
        itemBox *win = item(0);
        const QPoint grip(win->width() / 2, win->height() / 2);
        QTest::mousePress(win, Qt::LeftButton, {}, grip);
        QTest::mouseMove(win, grip + QPoint(15, 0));
        QTest::mouseMove(win, grip + QPoint(60, 40));
        QTest::mouseRelease(win, Qt::LeftButton, {}, grip + QPoint(60, 40));
    };
    const auto attributes = [&] {
        when_shown<mulAttribute>([](mulAttribute *d) {
            d->form().lEdit->setText(QStringLiteral("77"));
            QTest::mouseClick(d->form().lBtn, Qt::LeftButton);
            d->reject();
        });
        item(1)->mul_attribute_triggered();
    };
    // A new LED unit moved to output card OutB, port DVI-3, from its menu.
    const auto led_mosaic = [&] {
        when_shown<mosaic>([](mosaic *editor) {
            editor->create_led_copy(1920, 1080);
            QMenu menu;
            editor->copy_units().last().item->fill_menu(menu);
            for (QAction *a : menu.actions())
                for (QAction *sub : a->menu() ? a->menu()->actions() : QList<QAction *>())
                    if (a->text() + ">" + sub->text() == "Output card: OutB>Output port: DVI-3")
                        sub->trigger();
            editor->accept();
        });
        click(ui.btn_fast_splicing);
    };
    // The multi-window page, the video input page, the output page.
    // clang-format off
    const struct {
        const char *name;
        std::function<void()> act;
    } actions[] = {
        {"mode button", [&] { click(ui.m5Btn); }},
        {"window drag", drag},
        {"window menu: source", [&] { item(2)->triggered_inB(); }},
        {"window menu: close", [&] { item(1)->mul_del_select_win(); }},
        {"window attributes", attributes},
        {"input connector", [&] {
             click(ui.inputBtn);
             click_other_radio({ui.cvbs1radioBtn, ui.hdmi1radioBtn, ui.sdi1radioBtn});
         }},
        {"PIP switch", [&] { click_other_radio({ui.inAOpenradioBtn, ui.inACloseradioBtn,
                                                ui.inBOpenradioBtn, ui.inBCloseradioBtn}); }},
        {"PIP dialog", [&] { press_in<pipclass>(ui.pip1Btn->isEnabled() ? ui.pip1Btn : ui.pip2Btn,
                                                [](auto &f) { return f.mainsetBtn; }); }},
        {"output mode button", [&] { click(ui.outBtn); click(ui.m0Btn_out); }},
        {"picture quality",
         [&] { press_in<ImageQuality>(ui.Btn_picture, [](auto &f) { return f.btn_LD_set; }); }},
        {"output brightness",
         [&] { press_in<light>(ui.pushBtn_LD, [](auto &f) { return f.btn_set; }); }},
        {"LED mosaic", led_mosaic},
    };
    // clang-format on
    {
        ModalAnswerer boxes;
        for (const auto &a : actions) {
            a.act();
            QTRY_VERIFY2(!boxes.texts.isEmpty(), a.name);
            QTest::qWait(200);
            // A page's own question before it sends (a mosaic unit's overlap) comes first.
            if (boxes.texts.size() > 1 && boxes.texts.first().endsWith("Send anyway?"))
                boxes.texts.removeFirst();
            QVERIFY2(boxes.texts == QStringList{kRefused}, qPrintable(boxes.texts.join('|')));
            boxes.texts.clear();
            // The page shows the device again, a closed window too.
            QCOMPARE(values(device_data), values(s));
            QVERIFY2(item(1) && v().isEnabled(), a.name);
            QVERIFY2(v().mode_buttons()[mode]->styleSheet().startsWith(group_style::on()), a.name);
        }
        // A refused action's page read enables no button that only writes.
        for (QWidget *w : writing)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));

        // Data Export only reads: it works, with the real mouse.
        FileDialogAnswerer files(m_s.path(QStringLiteral("backup.txt")));
        click(ui.exportBtn);
        QVERIFY(QFile(files.path).size() > 0);
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(!m_s.sim->frame_log().isEmpty());
        QCOMPARE(m_s.written_commands(), QList<int>());
    }
    ui.cradioBtn->click();
    QCOMPARE(state_text(),
             QString(serial ? "串口 %1 · 设备 3 · 只读" : "网口 %1 · 设备 3 · 只读").arg(where));
    QCOMPARE(ui.readOnlyBox->text(), QStringLiteral("只读"));

    // Offline, as the device now chosen and still read-only: nothing inside changes either.
    click(ui.cmclBtn);
    {
        ModalAnswerer reset(QMessageBox::RestoreDefaults);
        click(ui.offlineBtn);
    }
    QCOMPARE(state_text(), QStringLiteral("离线：出厂设置 · 只读"));
    QCOMPARE(device_data.device_id, 1);
    ModalAnswerer boxes;
    const int waiting = device_data.net_wait_code;
    QCOMPARE(v().link().transmit_short(kCmdInputSource, 0, 3, LinkWait{kWaitInputSource}),
             DeviceLink::Outcome::NotSent);
    QCOMPARE(device_data.net_wait_code, waiting); // a refused write expects no reply
    QTRY_COMPARE(boxes.texts, QStringList{QStringLiteral("只读连接：未发送任何命令。")});
    QVERIFY(!v().link().offline_changed());
    ui.eradioBtn->click();
    QCOMPARE(state_text(), QStringLiteral("Offline: factory values · Read only"));
    click(ui.cmclBtn);
    click(ui.connectBtn);
    QCOMPARE(state_text(), QStringLiteral("Not connected"));

    // The next start reads the choice back.
    m_s.view = std::make_unique<TesselView>();
    QVERIFY(v().form().readOnlyBox->isChecked() && v().link().read_only());
    QVERIFY(!v().form().importBtn->isEnabled());
}

QTEST_MAIN(TestLinkState)
#include "tst_link_state.moc"
