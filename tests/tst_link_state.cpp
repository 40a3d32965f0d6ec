// The link as the operator sees it, against tessel-sim: the status line in
// both languages, a device that goes away in the middle of every kind of wait,
// and a read-only connection clicked through every page and dialog that sends.

// Mouse events through the window system: drags keep their button and grab.
#define QTEST_QPA_MOUSE_HANDLING
#include <QtTest>

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <functional>

#include "import_preview_answerer.h"
#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"
#include "layout/itembox.h"
#include "output/mosaic/winclass.h"
#include "support/file_dialog_answerer.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_process.h"
#include "support/sim_session.h"
#include "support/when_shown.h"
#include "widgets/group_styles.h"

namespace {

using namespace proto;

const QString kLost = QStringLiteral("与设备的连接已断开！");
const QString kRefused = QStringLiteral("Read-only connection: nothing was sent.");

QString state_text(const TesselView &view)
{
    return view.findChild<QLabel *>(QStringLiteral("linkStateLabel"))->text();
}

QString last_reply_text(const TesselView &view)
{
    return view.findChild<QLabel *>(QStringLiteral("lastReplyLabel"))->text();
}

// Calls `act` once, as soon as `ready` holds (checked from the event loop).
void once(const std::function<bool()> &ready, const std::function<void()> &act)
{
    auto *timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, act] {
        if (!ready())
            return;
        timer->deleteLater();
        timer->stop();
        act();
    });
    timer->start(5);
}

// Radio buttons take clicks on their indicator, not on the empty rest.
void click_radio(QRadioButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

QRadioButton *unchecked_enabled(const QList<QRadioButton *> &buttons)
{
    for (QRadioButton *b : buttons)
        if (b->isEnabled() && !b->isChecked())
            return b;
    return nullptr;
}

void trigger_menu_entry(winClass *unit, const QString &path)
{
    QMenu menu;
    unit->fill_menu(menu);
    for (QAction *a : menu.actions()) {
        for (QAction *sub : a->menu() ? a->menu()->actions() : QList<QAction *>()) {
            if (a->text() + ">" + sub->text() == path)
                sub->trigger();
        }
    }
}

// What the operator is doing when the device goes away.
enum class Doing { Idle, BusyDialog, Delay, Export, Import, ReadBack, PageRead };

} // namespace

Q_DECLARE_METATYPE(Doing)

class TestLinkState : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void status_line_texts();
    void read_only_choice_is_kept();
    void lost_link_data();
    void lost_link();
    void pty_closed_under_serial_link_data();
    void pty_closed_under_serial_link();
    void read_only_sends_nothing_data();
    void read_only_sends_nothing();

private:
    void check_closed_after_loss(const ModalAnswerer &boxes);
    SimSession m_s;
    QProcess m_device;
};

void TestLinkState::cleanup()
{
    m_s.stop();
    if (m_device.state() != QProcess::NotRunning) {
        m_device.kill();
        m_device.waitForFinished();
    }
}

void TestLinkState::status_line_texts()
{
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    TesselView &view = *m_s.view;
    auto &ui = view.form();
    QCOMPARE(state_text(view), QStringLiteral("未连接"));
    QCOMPARE(last_reply_text(view), QStringLiteral("最后应答：—"));

    QVERIFY(m_s.connect_link());
    const QString pty = m_s.sim->pty_path();
    QCOMPARE(state_text(view), QStringLiteral("串口 %1 · 设备 1").arg(pty));
    QVERIFY2(QRegularExpression(QStringLiteral("^最后应答：\\d\\d:\\d\\d:\\d\\d$"))
                 .match(last_reply_text(view))
                 .hasMatch(),
             qPrintable(last_reply_text(view)));
    ui.eradioBtn->click();
    QCOMPARE(state_text(view), QStringLiteral("Serial %1 · device 1").arg(pty));
    QVERIFY(last_reply_text(view).startsWith(QStringLiteral("Last reply: ")));
    QCOMPARE(ui.readOnlyBox->text(), QStringLiteral("Read only"));
    QVERIFY(!ui.readOnlyBox->isEnabled());

    // Disconnect, choose read-only and device 3, connect over the network.
    QTest::mouseClick(ui.cmclBtn, Qt::LeftButton);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(state_text(view), QStringLiteral("Not connected"));
    QVERIFY(ui.readOnlyBox->isEnabled());
    ui.readOnlyBox->click();
    QCOMPARE(state_text(view), QStringLiteral("Not connected"));
    ui.radio_3->click();
    m_s.sim->device().set_device_id(3);
    QVERIFY(connect_view(view, m_s.sim->tcp_port(), QString(), false));
    const QString where = QStringLiteral("127.0.0.1:%1").arg(m_s.sim->tcp_port());
    QCOMPARE(state_text(view), QStringLiteral("Network %1 · device 3 · Read only").arg(where));
    ui.cradioBtn->click();
    QCOMPARE(state_text(view), QStringLiteral("网口 %1 · 设备 3 · 只读").arg(where));
    QCOMPARE(ui.readOnlyBox->text(), QStringLiteral("只读"));

    // Offline, still read-only: the device inside the program is not changed either.
    QTest::mouseClick(ui.cmclBtn, Qt::LeftButton);
    {
        ModalAnswerer boxes(QMessageBox::RestoreDefaults);
        QTest::mouseClick(ui.offlineBtn, Qt::LeftButton);
    }
    QCOMPARE(state_text(view), QStringLiteral("离线：出厂设置 · 只读"));
    {
        ModalAnswerer boxes;
        QCOMPARE(view.link().transmit_short(kCmdInputSource, 0, 3, LinkWait{}),
                 DeviceLink::Outcome::NotSent);
        QTRY_COMPARE(boxes.texts, QStringList{QStringLiteral("只读连接：未发送任何命令。")});
    }
    QVERIFY(!view.link().offline_changed());
    ui.eradioBtn->click();
    QCOMPARE(state_text(view), QStringLiteral("Offline: factory values · Read only"));
    QTest::mouseClick(ui.cmclBtn, Qt::LeftButton);
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    QCOMPARE(state_text(view), QStringLiteral("Not connected"));
}

void TestLinkState::read_only_choice_is_kept()
{
    QVERIFY(m_s.start(false));
    auto &ui = m_s.view->form();
    const QList<QWidget *> writing = m_s.view->writing_controls();
    QVERIFY(writing.contains(ui.importBtn) && writing.contains(ui.initdevBtn) &&
            writing.contains(ui.inALDButton) && writing.contains(ui.setButton_size));
    for (QWidget *w : writing)
        QVERIFY(w->isEnabled());
    ui.readOnlyBox->click();
    for (QWidget *w : writing)
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QSettings ini(m_s.path("ini/info.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("SerialPort/ReadOnly").toString(), QStringLiteral("true"));

    // The next start reads the choice back.
    m_s.view = std::make_unique<TesselView>();
    QVERIFY(m_s.view->form().readOnlyBox->isChecked());
    QVERIFY(m_s.view->link().read_only());
    QVERIFY(!m_s.view->form().importBtn->isEnabled());
}

void TestLinkState::lost_link_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<Doing>("doing");
    const struct {
        const char *name;
        Doing doing;
    } rows[] = {
        {"idle", Doing::Idle},
        {"busy dialog", Doing::BusyDialog},
        {"delay", Doing::Delay},
        {"export", Doing::Export},
        {"import", Doing::Import},
        {"read-back", Doing::ReadBack},
        {"output page read", Doing::PageRead},
    };
    for (bool serial : {false, true})
        for (const auto &r : rows)
            QTest::addRow("%s, %s", serial ? "serial" : "network", r.name) << serial << r.doing;
}

// The device's process is killed while the program waits on it in each way it
// can; the link closes itself and the window tells it once.
void TestLinkState::lost_link()
{
    QFETCH(bool, serial);
    QFETCH(Doing, doing);
    QVERIFY(m_s.start(false)); // the window only: the device is a process of its own
    TesselView &view = *m_s.view;
    QStringList mute;
    if (doing == Doing::BusyDialog || doing == Doing::Delay)
        mute = QStringList{"--mute-commands", QString::number(kCmdInputSource)};
    else if (doing == Doing::Import)
        mute = QStringList{"--mute-commands", QString::number(kCmdImportMode)};
    else if (doing == Doing::Export)
        mute = QStringList{"--mute-reads", QString::number(kSelWindows)};
    else if (doing == Doing::PageRead)
        mute = QStringList{"--mute-reads", QString::number(kSelLedRects)};
    else if (doing == Doing::ReadBack)
        mute = QStringList{"--mute-reads", QString::number(kSelWindows)};
    quint16 port = 0;
    QString pty;
    QVERIFY(start_sim_process(m_device, TESSEL_SIM_PATH, sim_on_both_links(mute), port, &pty));

    QElapsedTimer clock;
    clock.start();
    qint64 killed_ms = -1;
    qint64 lost_ms = -1;
    connect(&view.link(), &DeviceLink::link_lost, &view, [&] { lost_ms = clock.elapsed(); });
    const auto kill = [&] {
        killed_ms = clock.elapsed();
        m_device.kill();
    };
    const auto waiting = [&view] { return view.link().is_open() && !view.isEnabled(); };
    ModalAnswerer boxes;
    const QString backup = m_s.path(QStringLiteral("backup.txt"));

    if (doing == Doing::ReadBack) {
        // The windows, the read-back's last read, never come: it waits on them.
        once(
            [] { return device_data.serial_wait_code + device_data.net_wait_code == kWaitWindows; },
            kill);
        connect_view(view, port, pty, serial);
    } else {
        QVERIFY(connect_view(view, port, pty, serial));
        const int mode = device_data.cur_mul_mode;
        const DevRect window = device_data.mode_data[mode].win_out[1];
        switch (doing) {
        case Doing::Idle:
            kill();
            break;
        case Doing::BusyDialog:
            once([&view] { return view.busy_dialog() != nullptr; }, kill);
            view.transmit_short(kCmdInputSource, 0, 3, TxWait::busy(kWaitInputSource, "busy"));
            break;
        case Doing::Delay:
            once(waiting, kill);
            view.transmit_short(kCmdInputSource, 0, 3, TxWait::delay(kWaitInputSource, 8000));
            break;
        case Doing::Export: {
            FileDialogAnswerer files(backup);
            once([&view] { return view.busy_dialog() != nullptr; }, kill);
            QTest::mouseClick(view.form().exportBtn, Qt::LeftButton);
            break;
        }
        case Doing::Import: {
            QFile file(m_s.path(QStringLiteral("import.txt")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(codec::write_config_file(codec::export_values(device_data)));
            file.close();
            PreviewAnswerer preview(true);
            FileDialogAnswerer files(file.fileName());
            // The preview reads under the busy dialog first: lose the link in the chain.
            once([&view] { return view.link().upload_state() == DeviceLink::UploadState::Running; },
                 kill);
            QTest::mouseClick(view.form().importBtn, Qt::LeftButton);
            break;
        }
        case Doing::PageRead:
            once(
                [] {
                    return device_data.serial_wait_code + device_data.net_wait_code ==
                           kWaitLedRectsRead;
                },
                kill);
            QTest::mouseClick(view.form().outBtn, Qt::LeftButton);
            break;
        case Doing::ReadBack:
            break;
        }
        QTRY_VERIFY(lost_ms >= 0);
        // The records stay as they were read.
        QCOMPARE(device_data.cur_mul_mode, mode);
        QVERIFY(device_data.mode_data[mode].win_out[1] == window);
    }
    QTRY_VERIFY(lost_ms >= 0);
    QVERIFY2(lost_ms - killed_ms < 1000, qPrintable(QString::number(lost_ms - killed_ms)));
    QTRY_VERIFY(!boxes.texts.isEmpty());
    check_closed_after_loss(boxes);
    // An export cut short writes no file.
    QVERIFY(!QFile::exists(backup));

    // A new device: Connect reads it back again.
    m_device.waitForFinished();
    QVERIFY(start_sim_process(m_device, TESSEL_SIM_PATH, sim_on_both_links(), port, &pty));
    QVERIFY(connect_view(view, port, pty, serial));
    QVERIFY(view.form().stackedWidget->currentIndex() == TesselView::kPageMultiWindow);
    QVERIFY(
        state_text(view).startsWith(serial ? QStringLiteral("串口 ") : QStringLiteral("网口 ")));
}

void TestLinkState::check_closed_after_loss(const ModalAnswerer &boxes)
{
    TesselView &view = *m_s.view;
    // One message; nothing else comes later (no bound, no failed connect).
    QTest::qWait(300);
    QCOMPARE(boxes.texts, QStringList{kLost});
    QVERIFY(view.isEnabled());
    QVERIFY(!view.busy_dialog());
    QVERIFY(!view.link().is_open());
    QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
    QCOMPARE(state_text(view), QStringLiteral("未连接"));
    QCOMPARE(view.form().connectBtn->text(), QStringLiteral("连接"));
    QCOMPARE(view.form().stackedWidget->currentIndex(), int(TesselView::kPageCommunication));
    QVERIFY(view.form().cmclBtn->styleSheet().contains(QStringLiteral("rgb(255, 223, 58)")));
    QVERIFY(view.form().readOnlyBox->isEnabled());
    // Nothing is written after the loss.
    QVERIFY(!view.transmit_short(kCmdPipOnOff, 0, 3, TxWait::busy(kWaitPipOnOff, "busy")));
    QCOMPARE(view.direct_read(kReadStatusInput, 0), 0);
}

void TestLinkState::pty_closed_under_serial_link_data()
{
    QTest::addColumn<bool>("busy");
    QTest::newRow("idle") << false;
    QTest::newRow("busy dialog") << true;
}

// The adapter pulled out: the pseudo-terminal goes away under an open port.
void TestLinkState::pty_closed_under_serial_link()
{
    QFETCH(bool, busy);
    if (!m_s.start(true))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    TesselView &view = *m_s.view;
    ModalAnswerer boxes;
    if (busy) {
        m_s.sim->faults().mute_commands = {kCmdInputSource};
        once([&view] { return view.busy_dialog() != nullptr; }, [this] { m_s.sim->close_pty(); });
        view.transmit_short(kCmdInputSource, 0, 3, TxWait::busy(kWaitInputSource, "busy"));
    } else {
        m_s.sim->close_pty();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!boxes.texts.isEmpty(), 1000);
    check_closed_after_loss(boxes);

    m_s.sim->faults().mute_commands.clear();
    QVERIFY(!m_s.sim->open_pty().isEmpty());
    QVERIFY(m_s.connect_link());
}

void TestLinkState::read_only_sends_nothing_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial") << true;
    QTest::newRow("network") << false;
}

// Every page and dialog that sends, clicked through on a read-only connection:
// each action is refused once, the page shows the device's values again, and
// the device receives read requests only. An export still works.
void TestLinkState::read_only_sends_nothing()
{
    QFETCH(bool, serial);
    if (!m_s.start(serial))
        QSKIP("no pseudo-terminal here");
    TesselView &view = *m_s.view;
    auto &ui = view.form();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    ui.eradioBtn->click();
    ui.readOnlyBox->click();
    QVERIFY(m_s.connect_link());
    QVERIFY(state_text(view).endsWith(QStringLiteral(" · Read only")));
    const sim::SimImage &s = m_s.sim->image();
    const int mode = s.cur_mul_mode;
    const auto item = [&view](int win) { return view.window_item(device_data.cur_mul_mode, win); };
    const auto page = [&ui](QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); };

    const struct {
        const char *name;
        std::function<void()> act;
        std::function<bool()> restored; // the page shows the device again
    } actions[] = {
        // Multi-window page
        {"mode button", [&] { page(ui.m5Btn); },
         [&] {
             return device_data.cur_mul_mode == mode &&
                    view.mode_buttons()[mode]->styleSheet().startsWith(group_style::on());
         }},
        {"window drag",
         [&] {
             itemBox *win = item(0);
             const QPoint grip(win->width() / 2, win->height() / 2);
             QTest::mousePress(win, Qt::LeftButton, {}, grip);
             QTest::mouseMove(win, grip + QPoint(15, 0));
             QTest::mouseMove(win, grip + QPoint(60, 40));
             QTest::mouseRelease(win, Qt::LeftButton, {}, grip + QPoint(60, 40));
         },
         [&] {
             const sim::SimRect &r = s.mode_data[mode].win_out[0];
             return device_data.mode_data[mode].win_out[0] == DevRect{r.x, r.y, r.w, r.h};
         }},
        {"window menu: source", [&] { item(2)->triggered_inB(); },
         [&] {
             return device_data.mode_data[mode].win_source[2] == s.mode_data[mode].win_source[2];
         }},
        {"window menu: close", [&] { item(1)->mul_del_select_win(); },
         [&] { return item(1) != nullptr; }},
        {"window attributes",
         [&] {
             when_shown<mulAttribute>([](mulAttribute *d) {
                 d->form().lEdit->setText(QStringLiteral("77"));
                 QTest::mouseClick(d->form().lBtn, Qt::LeftButton);
                 d->reject();
             });
             item(1)->mul_attribute_triggered();
         },
         {}},
        // Video input page
        {"input connector",
         [&] {
             page(ui.inputBtn);
             click_radio(unchecked_enabled({ui.cvbs1radioBtn, ui.hdmi1radioBtn, ui.sdi1radioBtn}));
         },
         [&] { return device_data.in_source[0] == s.in_source[0]; }},
        {"PIP switch",
         [&] {
             click_radio(unchecked_enabled({ui.inAOpenradioBtn, ui.inACloseradioBtn,
                                            ui.inBOpenradioBtn, ui.inBCloseradioBtn}));
         },
         [&] {
             return device_data.pip_state[0] == s.pip_state[0] &&
                    device_data.pip_state[1] == s.pip_state[1];
         }},
        {"PIP dialog",
         [&] {
             when_shown<pipclass>([](pipclass *d) {
                 QTest::mouseClick(d->form().mainsetBtn, Qt::LeftButton);
                 d->reject();
             });
             page(ui.pip1Btn->isEnabled() ? ui.pip1Btn : ui.pip2Btn);
         },
         {}},
        // Output page
        {"output mode button",
         [&] {
             page(ui.outBtn);
             page(ui.m0Btn_out);
         },
         [&] { return device_data.cur_out_mode == s.cur_out_mode; }},
        {"picture quality",
         [&] {
             when_shown<ImageQuality>([](ImageQuality *d) {
                 QTest::mouseClick(d->form().btn_LD_set, Qt::LeftButton);
                 d->reject();
             });
             page(ui.Btn_picture);
         },
         {}},
        {"output brightness",
         [&] {
             when_shown<light>([](light *d) {
                 QTest::mouseClick(d->form().btn_set, Qt::LeftButton);
                 d->reject();
             });
             page(ui.pushBtn_LD);
         },
         {}},
        {"LED mosaic",
         [&] {
             when_shown<mosaic>([](mosaic *editor) {
                 editor->create_led_copy(1920, 1080);
                 trigger_menu_entry(editor->copy_units().last().item,
                                    "Output card: OutB>Output port: DVI-3");
                 editor->accept();
             });
             page(ui.btn_fast_splicing);
         },
         {}},
    };

    ModalAnswerer boxes;
    for (const auto &a : actions) {
        a.act();
        QTRY_VERIFY2(!boxes.texts.isEmpty(), a.name);
        QTest::qWait(200);
        // A page's own question before it sends (the overlap a mosaic unit makes) comes first.
        if (boxes.texts.size() > 1 && boxes.texts.first().endsWith(QStringLiteral("Send anyway?")))
            boxes.texts.removeFirst();
        QVERIFY2(boxes.texts == QStringList{kRefused}, qPrintable(boxes.texts.join('|')));
        boxes.texts.clear();
        if (a.restored)
            QVERIFY2(a.restored(), a.name);
        QVERIFY(view.isEnabled());
    }
    // The buttons that only write cannot be pressed at all.
    for (QWidget *w : view.writing_controls())
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));

    // Data Export only reads: it works, with the real mouse.
    const QString backup = m_s.path(QStringLiteral("backup.txt"));
    FileDialogAnswerer files(backup);
    page(ui.exportBtn);
    QVERIFY(QFile(backup).size() > 0);
    QVERIFY(boxes.texts.isEmpty());

    QVERIFY(!m_s.sim->frame_log().isEmpty());
    QCOMPARE(m_s.written_commands(), QList<int>());
}

QTEST_MAIN(TestLinkState)
#include "tst_link_state.moc"
