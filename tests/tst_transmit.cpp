// The one transmit routine and the busy dialog's bound, against the simulated
// device on both links.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"

namespace {

const QString kNoAnswerZh = QStringLiteral("设备无响应！！");
constexpr int kShortBoundMs = 600;

int &wait_code(bool serial)
{
    return serial ? device_data.serial_wait_code : device_data.net_wait_code;
}

} // namespace

class TestTransmit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void busy_dialog_ignores_operator_data();
    void busy_dialog_ignores_operator();
    void one_frame_per_command_data();
    void one_frame_per_command();
    void bound_ends_with_the_dialog_data();
    void bound_ends_with_the_dialog();
    void missing_ack_ends_at_bound_data();
    void missing_ack_ends_at_bound();
    void nothing_without_link();
    void lost_link_sets_no_code();

private:
    bool connect_link(bool serial);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<TesselView> m_view;
};

void TestTransmit::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
    QVERIFY(m_sim->listen_tcp());
    m_view = std::make_unique<TesselView>();
    m_view->show();
}

void TestTransmit::cleanup()
{
    m_view.reset();
    m_sim.reset();
    m_dir.reset();
}

bool TestTransmit::connect_link(bool serial)
{
    const bool open =
        connect_view(*m_view, m_sim->tcp_port(), serial ? m_sim->open_pty() : QString(), serial);
    m_sim->clear_frame_log();
    return open;
}

void TestTransmit::busy_dialog_ignores_operator_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Esc") << true;
    QTest::newRow("close request") << false;
}

void TestTransmit::busy_dialog_ignores_operator()
{
    QFETCH(bool, escape);
    QVERIFY(connect_link(true));
    m_view->set_busy_bound_ms(3000);
    bool stayed = false;
    // The operator tries to get rid of the dialog while the device is still busy;
    // the acknowledgement comes later and must be what closes it.
    m_sim->faults().delay_ms = 800;
    QTimer::singleShot(200, this, [&] {
        CCWaitDialog *dialog = m_view->busy_dialog();
        if (!dialog)
            return;
        if (escape) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            QCloseEvent request;
            QApplication::sendEvent(dialog, &request);
        }
        stayed = dialog->isVisible() && m_view->busy_dialog() == dialog;
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_view->transmit_short(130, 0, 1,
                                   TxWait::busy(proto::kWaitPipOnOff, QStringLiteral("wait"))));
    QVERIFY(stayed);
    QVERIFY(clock.elapsed() >= 800);
    QVERIFY(!m_view->busy_dialog());
}

void TestTransmit::one_frame_per_command_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("busy");
    QTest::newRow("serial delay") << true << false;
    QTest::newRow("serial busy") << true << true;
    QTest::newRow("network delay") << false << false;
    QTest::newRow("network busy") << false << true;
}

void TestTransmit::one_frame_per_command()
{
    QFETCH(bool, serial);
    QFETCH(bool, busy);
    QVERIFY(connect_link(serial));
    m_sim->image().pip_state[1] = 0;
    m_sim->faults().delay_ms = 300; // the window must be seen waiting
    bool disabled_while_waiting = false;
    QTimer::singleShot(
        100, this, [&] { disabled_while_waiting = !m_view->isEnabled() || m_view->busy_dialog(); });
    if (busy) {
        // PIP on for InB: acknowledged by the engine, which clears the code.
        QVERIFY(m_view->transmit_short(
            130, 1, 1, TxWait::busy(proto::kWaitPipOnOff, QStringLiteral("Open the PIP"))));
        QCOMPARE(wait_code(serial), 0);
        QCOMPARE(m_sim->frame_log(), QStringList{QStringLiteral("3a01040100820a01013a")});
    } else {
        // Layer select of window 2: an ignored code stays set after the delay.
        QVERIFY(m_view->transmit(16, QByteArray::fromHex("0002"),
                                 TxWait::delay(proto::kWaitLayerSelect, 300)));
        QCOMPARE(wait_code(serial), int(proto::kWaitLayerSelect));
        QCOMPARE(m_sim->frame_log(), QStringList{QStringLiteral("3a01040100100a00023a")});
    }
    QVERIFY(disabled_while_waiting);
    QVERIFY(m_view->isEnabled());
    QCOMPARE(m_sim->image().pip_state[1] != 0, busy);
}

void TestTransmit::bound_ends_with_the_dialog_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial") << true;
    QTest::newRow("network") << false;
}

void TestTransmit::bound_ends_with_the_dialog()
{
    QFETCH(bool, serial);
    QVERIFY(connect_link(serial));
    m_view->set_busy_bound_ms(kShortBoundMs);
    ModalAnswerer boxes;
    QVERIFY(m_view->transmit_short(130, 0, 1,
                                   TxWait::busy(proto::kWaitPipOnOff, QStringLiteral("wait"))));
    // The next command's code must survive past the old dialog's bound.
    QVERIFY(m_view->transmit(16, QByteArray::fromHex("0001"),
                             TxWait::delay(proto::kWaitLayerSelect, kShortBoundMs + 400)));
    QCOMPARE(wait_code(serial), int(proto::kWaitLayerSelect));
    QVERIFY(boxes.texts.isEmpty());
}

void TestTransmit::missing_ack_ends_at_bound_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("reject");
    QTest::newRow("serial silent") << true << false;
    QTest::newRow("serial rejected") << true << true;
    QTest::newRow("network silent") << false << false;
    QTest::newRow("network rejected") << false << true;
}

void TestTransmit::missing_ack_ends_at_bound()
{
    QFETCH(bool, serial);
    QFETCH(bool, reject);
    QVERIFY(connect_link(serial));
    m_view->set_busy_bound_ms(kShortBoundMs);
    if (reject)
        m_sim->faults().bad_ack = true;
    else
        m_sim->faults().mute_commands.insert(131);
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_view->transmit_short(131, 0, 4,
                                   TxWait::busy(proto::kWaitPipSource, QStringLiteral("wait"))));
    QVERIFY(clock.elapsed() >= kShortBoundMs);
    QVERIFY(clock.elapsed() < kShortBoundMs + 5000);
    QCOMPARE(boxes.texts, QStringList{kNoAnswerZh});
    QVERIFY(!m_view->busy_dialog());
    QVERIFY(m_view->isEnabled());
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
}

void TestTransmit::nothing_without_link()
{
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!m_view->transmit_short(129, 0, 3,
                                    TxWait::busy(proto::kWaitInputSource, QStringLiteral("wait"))));
    QVERIFY(!m_view->transmit(16, QByteArray::fromHex("0001"),
                              TxWait::delay(proto::kWaitLayerSelect, 5000)));
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(device_data.serial_wait_code, 0);
    QCOMPARE(device_data.net_wait_code, 0);
    QVERIFY(m_view->isEnabled());
    QVERIFY(boxes.texts.isEmpty());

    // A frame longer than the transmit buffer is refused, not truncated.
    QVERIFY(!m_view->transmit(21, QByteArray(400, '\0'), TxWait::none(4)));
}

void TestTransmit::lost_link_sets_no_code()
{
    // The device goes away; the program does not notice until a write fails.
    QVERIFY(connect_link(false));
    m_sim.reset();
    QTRY_COMPARE(m_view->socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(device_data.net_open, uint8_t(1));
    const int code_before = device_data.net_wait_code;
    ModalAnswerer boxes;
    QVERIFY(!m_view->transmit_short(129, 0, 3,
                                    TxWait::busy(proto::kWaitInputSource, QStringLiteral("wait"))));
    QCOMPARE(device_data.net_wait_code, code_before);
    QVERIFY(!m_view->busy_dialog());
    QVERIFY(m_view->isEnabled());
    QVERIFY(boxes.texts.isEmpty());
}

QTEST_MAIN(TestTransmit)
#include "tst_transmit.moc"
