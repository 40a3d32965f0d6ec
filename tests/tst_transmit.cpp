// The one transmit routine and the busy dialog's bound, against the simulated
// device on both links.

#include <QElapsedTimer>
#include <QtTest>

#include "device/device_data.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

const QString kNoAnswerZh = QStringLiteral("设备无响应！！");
constexpr int kBoundMs = 1500;

int &wait_code(bool serial)
{
    return serial ? device_data.serial_wait_code : device_data.net_wait_code;
}

TxWait busy(int code)
{
    return TxWait::busy(code, QStringLiteral("wait"));
}

} // namespace

class TestTransmit : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m.stop(); }

    void busy_dialog_ends_only_from_outside_data();
    void busy_dialog_ends_only_from_outside();
    void one_frame_per_command_data();
    void one_frame_per_command();
    void missing_ack_ends_at_bound();
    void nothing_without_link();
    void lost_link_sets_no_code();

private:
    bool connect_link(bool serial)
    {
        const bool open = m.start(serial) && m.connect_link();
        m.sim->clear_frame_log();
        return open;
    }

    SimSession m;
};

void TestTransmit::busy_dialog_ends_only_from_outside_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("escape");
    QTest::newRow("serial, Esc") << true << true;
    QTest::newRow("network, close request") << false << false;
}

void TestTransmit::busy_dialog_ends_only_from_outside()
{
    QFETCH(bool, serial);
    QFETCH(bool, escape);
    QVERIFY(connect_link(serial));
    m.view->set_busy_bound_ms(kBoundMs);
    // The operator tries to get rid of the dialog while the device is still busy;
    // the acknowledgement comes later and must be what closes it.
    m.sim->faults().delay_ms = 800;
    bool stayed = false;
    QTimer::singleShot(200, this, [&] {
        CCWaitDialog *dialog = m.view->busy_dialog();
        if (!dialog)
            return;
        if (escape) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            QCloseEvent request;
            QApplication::sendEvent(dialog, &request);
        }
        stayed = dialog->isVisible() && m.view->busy_dialog() == dialog;
    });
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m.view->transmit_short(proto::kCmdPipOnOff, 0, 1, busy(proto::kWaitPipOnOff)));
    QVERIFY(stayed);
    QVERIFY(clock.elapsed() >= 800);
    QVERIFY(!m.view->busy_dialog());

    // The next command's code must survive past the old dialog's bound.
    m.sim->faults().delay_ms = 0;
    QVERIFY(m.view->transmit(proto::kCmdLayerSelect, QByteArray::fromHex("0001"),
                             TxWait::delay(proto::kWaitLayerSelect, kBoundMs)));
    QCOMPARE(wait_code(serial), int(proto::kWaitLayerSelect));
    QVERIFY(boxes.texts.isEmpty());
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
    m.sim->image().pip_state[1] = 0;
    m.sim->faults().delay_ms = 300; // the window must be seen waiting
    bool disabled_while_waiting = false;
    QTimer::singleShot(
        100, this, [&] { disabled_while_waiting = !m.view->isEnabled() || m.view->busy_dialog(); });
    if (busy) {
        // PIP on for InB: acknowledged by the engine, which clears the code.
        QVERIFY(m.view->transmit_short(proto::kCmdPipOnOff, 1, 1, ::busy(proto::kWaitPipOnOff)));
        QCOMPARE(wait_code(serial), 0);
        QCOMPARE(m.sim->frame_log(), QStringList{QStringLiteral("3a01040100820a01013a")});
    } else {
        // Layer select of window 2: an ignored code stays set after the delay.
        QVERIFY(m.view->transmit(proto::kCmdLayerSelect, QByteArray::fromHex("0002"),
                                 TxWait::delay(proto::kWaitLayerSelect, 300)));
        QCOMPARE(wait_code(serial), int(proto::kWaitLayerSelect));
        QCOMPARE(m.sim->frame_log(), QStringList{QStringLiteral("3a01040100100a00023a")});
    }
    QVERIFY(disabled_while_waiting);
    QVERIFY(m.view->isEnabled());
    QCOMPARE(m.sim->image().pip_state[1] != 0, busy);
}

void TestTransmit::missing_ack_ends_at_bound()
{
    // Every other way a device can fail an acknowledgement is in the fault matrix.
    QVERIFY(connect_link(true));
    m.view->set_busy_bound_ms(kBoundMs);
    m.sim->faults().mute_commands.insert(proto::kCmdPipSource);
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m.view->transmit_short(proto::kCmdPipSource, 0, 4, busy(proto::kWaitPipSource)));
    QVERIFY(clock.elapsed() >= kBoundMs);
    QCOMPARE(boxes.texts, QStringList{kNoAnswerZh});
    QVERIFY(!m.view->busy_dialog());
    QVERIFY(m.view->isEnabled());
    QCOMPARE(device_data.serial_wait_code, 0);
}

void TestTransmit::nothing_without_link()
{
    QVERIFY(m.start(true));
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!m.view->transmit_short(proto::kCmdInputSource, 0, 3, busy(proto::kWaitInputSource)));
    QVERIFY(!m.view->transmit(proto::kCmdLayerSelect, QByteArray::fromHex("0001"),
                              TxWait::delay(proto::kWaitLayerSelect, 5000)));
    QVERIFY(!m.view->send_read_request(proto::kSelStatus, 0));
    QCOMPARE(m.view->direct_read(proto::kReadStatusBoot, 0), 0);
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
    QVERIFY(m.view->isEnabled());
    QVERIFY(boxes.texts.isEmpty());
    QVERIFY(m.sim->frame_log().isEmpty());
}

void TestTransmit::lost_link_sets_no_code()
{
    // The device goes away; the program does not notice until a write fails.
    QVERIFY(connect_link(false));
    m.sim.reset();
    QTRY_COMPARE(m.view->socket().state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(device_data.net_open, uint8_t(1));
    const int code_before = device_data.net_wait_code;
    ModalAnswerer boxes;
    QVERIFY(!m.view->transmit_short(proto::kCmdInputSource, 0, 3, busy(proto::kWaitInputSource)));
    QCOMPARE(device_data.net_wait_code, code_before);
    QVERIFY(!m.view->busy_dialog());
    QVERIFY(m.view->isEnabled());
    QVERIFY(boxes.texts.isEmpty());
}

QTEST_MAIN(TestTransmit)
#include "tst_transmit.moc"
