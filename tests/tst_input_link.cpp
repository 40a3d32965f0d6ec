// The Video Input page against the simulated device: the connector switch on
// both links, the bytes of every input and PIP command, refreshes, and a
// device that never acknowledges.

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

#include "app/tesselview.h"
#include "device/ccwaitdialog.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "support/modal_answerer.h"
#include "widgets/qiplineedit.h"

namespace {

// Records every busy dialog that runs modally: its text and its parent.
class BusyProbe : public QObject
{
public:
    BusyProbe()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *busy = qobject_cast<CCWaitDialog *>(QApplication::activeModalWidget());
            if (busy && busy != m_last) {
                m_last = busy;
                texts.append(busy->message());
                parents.append(busy->parentWidget());
            }
        });
        m_timer.start(10);
    }
    QStringList texts;
    QList<QWidget *> parents;

private:
    QTimer m_timer;
    CCWaitDialog *m_last = nullptr;
};

bool is_green(const QRadioButton *b)
{
    return b->styleSheet().contains(QStringLiteral("background-color:green;"));
}

bool is_red(const QRadioButton *b)
{
    return b->styleSheet().contains(QStringLiteral("background-color:red;"));
}

void click_radio(QRadioButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TestInputLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connector_switch_road_data();
    void connector_switch_road();
    void command_bytes_data();
    void command_bytes();
    void refresh_shows_saved_values_and_device_changes();
    void unanswered_switch_ends_at_the_bound_data();
    void unanswered_switch_ends_at_the_bound();

private:
    bool connect_link(bool serial);
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<TesselView> m_view;
};

void TestInputLink::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
    QVERIFY(m_sim->listen_tcp());
    m_view = std::make_unique<TesselView>();
    m_view->show();
}

void TestInputLink::cleanup()
{
    m_view.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestInputLink::connect_link(bool serial)
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
    if (!device_data.serial_open && !device_data.net_open)
        return false;
    QTest::mouseClick(ui.inputBtn, Qt::LeftButton);
    return ui.stackedWidget->currentIndex() == TesselView::kPageInput;
}

void TestInputLink::connector_switch_road_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("network") << false;
    QTest::newRow("serial") << true;
}

void TestInputLink::connector_switch_road()
{
    QFETCH(bool, serial);
    QVERIFY(connect_link(serial));
    auto &ui = m_view->form();
    QVERIFY(ui.hdmi1radioBtn->isChecked() && is_green(ui.hdmi1radioBtn));

    // The SDI connector of InA carries no signal: only the status read after
    // the acknowledgement can tell the page so.
    m_sim->image().in_signal_ok[0] = 0;
    m_sim->clear_frame_log();
    BusyProbe probe;
    ModalAnswerer boxes;
    click_radio(ui.sdi1radioBtn);

    QCOMPARE(probe.texts, QStringList{QStringLiteral("切换输入信号。。。")});
    QCOMPARE(probe.parents.value(0), m_view.get());
    QVERIFY(boxes.texts.isEmpty()); // closed by the engine, not by the bound
    QVERIFY(!m_view->busy_dialog());
    QVERIFY(m_view->isEnabled());
    QCOMPARE(m_sim->frame_log(), (QStringList{"3a01040100810a00043a", "3a01040100fe0a00003a"}));
    QCOMPARE(m_sim->image().in_source[0], 4);
    QCOMPARE(device_data.in_source[0], 4);
    QCOMPARE(device_data.in_signal_ok[0], uint8_t(0));
    QVERIFY(ui.sdi1radioBtn->isChecked());
    QVERIFY(is_red(ui.sdi1radioBtn));
    QVERIFY(!is_red(ui.hdmi1radioBtn) && !is_green(ui.hdmi1radioBtn));
}

void TestInputLink::command_bytes_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("frame");
    // Spin boxes hold 50 - 1 = 49 (0x31) when saved; the demo device's PIP
    // rectangles are InA main (10, 20, 1600, 900), sub (1200, 700, 480, 270),
    // InB each + 1.
    QTest::newRow("InA brightness") << "inALDButton"
                                    << "3a01040100080a00313a";
    QTest::newRow("InA contrast") << "inACTButton"
                                  << "3a01040100090a00313a";
    QTest::newRow("InA colour") << "inAColorButton"
                                << "3a010401000a0a00313a";
    QTest::newRow("InB brightness") << "inBLDButton"
                                    << "3a01040100080a01313a";
    QTest::newRow("InB contrast") << "inBCTButton"
                                  << "3a01040100090a01313a";
    QTest::newRow("InB colour") << "inBColorButton"
                                << "3a010401000a0a01313a";
    QTest::newRow("InA PIP off") << "inACloseradioBtn"
                                 << "3a01040100820a00003a";
    QTest::newRow("InB PIP off") << "inBCloseradioBtn"
                                 << "3a01040100820a01003a";
    QTest::newRow("InA auto") << "auto1Btn"
                              << "3a010401000d09003a";
    QTest::newRow("InB auto") << "auto2Btn"
                              << "3a010401000d09013a";
    QTest::newRow("InA main rect") << "0:mainsetBtn"
                                   << "3a01040100061101000a0640001403843a";
    QTest::newRow("InA sub rect") << "0:sonsetBtn"
                                  << "3a0104010006110004b001e002bc010e3a";
    QTest::newRow("InB main rect") << "1:mainsetBtn"
                                   << "3a01040100061103000b063f001503833a";
    QTest::newRow("InB sub rect") << "1:sonsetBtn"
                                  << "3a0104010006110204b101e102bd010f3a";
    QTest::newRow("InA PIP CVBS") << "0:cvbs1Btn"
                                  << "3a01040100830a00013a";
    QTest::newRow("InA PIP HDMI") << "0:hdmi1Btn"
                                  << "3a01040100830a00033a";
    QTest::newRow("InB PIP SDI") << "1:sdi2Btn"
                                 << "3a01040100830a01043a";
    QTest::newRow("InC first HDMI") << "hdmi2radioBtn"
                                    << "3a01040100810a02053a";
    QTest::newRow("InD DP") << "dp2radioBtn"
                            << "3a01040100810a03073a";
}

void TestInputLink::command_bytes()
{
    QFETCH(QString, action);
    QFETCH(QString, frame);
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    for (QSpinBox *spin : {ui.inAspinLDBox, ui.inAspinCTBox, ui.inAspinColorBox, ui.inBspinLDBox,
                           ui.inBspinCTBox, ui.inBspinColorBox})
        spin->setValue(49);
    m_sim->clear_frame_log();
    BusyProbe probe;

    pipclass &dlg = m_view->pip_dialog();
    QWidget *target = nullptr;
    if (action.contains(':')) {
        // The dialog's own buttons, with the dialog shown as the PIP button would.
        const int card = action.section(':', 0, 0).toInt();
        dlg.setup_for_card(card);
        dlg.show();
        target = dlg.findChild<QWidget *>(action.section(':', 1));
    } else {
        target = m_view->findChild<QWidget *>(action);
    }
    QVERIFY(target);
    if (auto *radio = qobject_cast<QRadioButton *>(target))
        click_radio(radio);
    else
        QTest::mouseClick(target, Qt::LeftButton);
    QTRY_VERIFY(!m_sim->frame_log().isEmpty());
    QCOMPARE(m_sim->frame_log().first(), frame);
    QVERIFY(m_view->isEnabled());
    QVERIFY(!m_view->busy_dialog());

    const sim::SimImage &s = m_sim->image();
    if (action == "inBColorButton")
        QCOMPARE(s.in_adjust[1].colour, 49);
    if (action == "inBCloseradioBtn")
        QCOMPARE(s.pip_state[1], 0);
    if (action == "1:sdi2Btn") {
        // Busy dialog over the PIP dialog; the record and the device take the code.
        QCOMPARE(probe.parents.value(0), &dlg);
        QCOMPARE(probe.texts.value(0), QStringLiteral("切换PIP信号。。。"));
        QCOMPARE(s.pip_param[1], 4);
        QCOMPARE(device_data.pip_param[1], 4);
    }
    if (action == "1:mainsetBtn")
        QVERIFY(dlg.isEnabled());
    dlg.hide();
}

void TestInputLink::refresh_shows_saved_values_and_device_changes()
{
    // Serial: every send clears the port, so the unread acknowledgement of a
    // Save cannot be taken for the next command's.
    QVERIFY(connect_link(true));
    auto &ui = m_view->form();
    ui.inAspinCTBox->setValue(12);
    QTest::mouseClick(ui.inACTButton, Qt::LeftButton);
    QTRY_COMPARE(m_sim->image().in_adjust[0].contrast, 12);
    ui.inACTSlider->setValue(90); // moved, not saved
    click_radio(ui.inBCloseradioBtn);
    QCOMPARE(m_sim->image().pip_state[1], 0);

    sim::SimImage &s = m_sim->image();
    s.in_card_present[3] = 0; // InD pulled out
    s.in_signal_ok[2] = 0;    // InC lost its signal
    s.in_source[1] = 1;       // InB switched elsewhere
    s.in_adjust[1].brightness = 3;
    QTest::mouseClick(ui.updata_btn, Qt::LeftButton);

    QCOMPARE(ui.inAspinCTBox->value(), 12);
    QCOMPARE(ui.inACTSlider->value(), 12);
    QCOMPARE(ui.inBspinLDBox->value(), 3);
    QVERIFY(ui.inBCloseradioBtn->isChecked());
    QVERIFY(!ui.pip2Btn->isEnabled() && ui.pip1Btn->isEnabled());
    QVERIFY(!ui.inDBox->isEnabled());
    QVERIFY(!is_green(ui.dp2radioBtn) && !is_red(ui.dp2radioBtn));
    QVERIFY(is_red(ui.hdmi3radioBtn));
    QVERIFY(ui.cvbs2radioBtn->isChecked() && is_green(ui.cvbs2radioBtn));
    QVERIFY(!is_green(ui.sdi2radioBtn));
}

void TestInputLink::unanswered_switch_ends_at_the_bound_data()
{
    connector_switch_road_data();
}

void TestInputLink::unanswered_switch_ends_at_the_bound()
{
    QFETCH(bool, serial);
    QVERIFY(connect_link(serial));
    auto &ui = m_view->form();
    m_sim->faults().mute_commands.insert(proto::kCmdInputSource);
    m_view->set_busy_bound_ms(800);
    device_data.lang_english = 1;
    BusyProbe probe;
    ModalAnswerer boxes;
    click_radio(ui.dp1radioBtn);
    QCOMPARE(probe.texts, QStringList{QStringLiteral("Switching input signal....")});
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("The device did not respond!!")});
    QVERIFY(m_view->isEnabled());
    QVERIFY(!m_view->busy_dialog());
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
    // Stored before sending, and the device took it although it stayed silent.
    QCOMPARE(device_data.in_source[2], 7);
    QCOMPARE(m_sim->image().in_source[2], 7);

    // The window is usable again: the next switch goes through.
    m_sim->faults().mute_commands.clear();
    click_radio(ui.hdmi2radioBtn);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(m_sim->image().in_source[2], 5);
    QVERIFY(ui.hdmi2radioBtn->isChecked());
}

QTEST_MAIN(TestInputLink)
#include "tst_input_link.moc"
