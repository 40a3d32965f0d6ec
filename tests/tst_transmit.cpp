// The one transmit routine and the busy dialog, against the simulated device on
// both links; every way an acknowledgement can fail (also at the bound's end) and
// a device gone are in the fault matrix.

#include <QtTest>

#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

using namespace proto;

constexpr int kBoundMs = 1500;

class TestTransmit : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m.stop(); }

    void waits_data() { add_link_rows(); }
    // A busy command and a delayed one: one frame each, the window disabled while
    // it waits, and a busy dialog that only the acknowledgement closes.
    void waits()
    {
        QFETCH(bool, serial);
        QVERIFY(m.start(serial) && m.connect_link());
        m.sim->clear_frame_log();
        m.view->set_busy_bound_ms(kBoundMs);
        m.sim->image().pip_state[1] = 0;
        m.sim->faults().delay_ms = 800;
        bool stayed = false;
        QTimer::singleShot(200, this, [&] {
            CCWaitDialog *dialog = m.view->busy_dialog();
            if (!dialog || m.view->isEnabled())
                return;
            QTest::keyClick(dialog, Qt::Key_Escape);
            QCloseEvent request;
            QApplication::sendEvent(dialog, &request);
            stayed = dialog->isVisible() && m.view->busy_dialog() == dialog;
        });
        ModalAnswerer boxes;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(m.view->transmit_short(kCmdPipOnOff, 1, 1, TxWait::busy(kWaitPipOnOff, "wait")));
        QVERIFY(stayed && clock.elapsed() >= 800 && !m.view->busy_dialog());
        int &code = serial ? device_data.serial_wait_code : device_data.net_wait_code;
        QCOMPARE(code, 0);
        QVERIFY(m.sim->image().pip_state[1] != 0);

        // The engine ignores this code: it stays set, past the old dialog's bound.
        // Unacknowledged, the delay keeps its length, the window disabled throughout.
        m.sim->faults().delay_ms = 0;
        m.sim->faults().mute_commands = {kCmdLayerSelect};
        bool disabled = false;
        QTimer::singleShot(100, this, [&] { disabled = !m.view->isEnabled(); });
        clock.restart();
        QVERIFY(m.view->transmit(kCmdLayerSelect, QByteArray::fromHex("0002"),
                                 TxWait::delay(kWaitLayerSelect, kBoundMs)));
        QVERIFY(clock.elapsed() >= kBoundMs);
        QVERIFY(disabled && m.view->isEnabled());
        QCOMPARE(code, int(kWaitLayerSelect));

        // Acknowledged, the same delay ends with its acknowledgement.
        m.sim->faults().mute_commands.clear();
        clock.restart();
        QVERIFY(m.view->transmit(kCmdLayerSelect, QByteArray::fromHex("0003"),
                                 TxWait::delay(kWaitLayerSelect, 10 * kBoundMs)));
        QVERIFY(clock.elapsed() < 5 * kBoundMs);
        QCOMPARE(m.sim->frame_log(), (QStringList{"3a01040100820a01013a", "3a01040100100a00023a",
                                                  "3a01040100100a00033a"}));
        QVERIFY(boxes.texts.isEmpty());
    }

    // A write that fails, before the link is opened, sets no code and leaves the window usable; a
    // step of a chain that is not written ends the chain as the bound does.
    void failed_write_sets_no_code()
    {
        QVERIFY(m.start(false));
        ModalAnswerer boxes;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(
            !m.view->transmit_short(kCmdInputSource, 0, 3, TxWait::busy(kWaitInputSource, "wait")));
        QVERIFY(!m.view->transmit(kCmdLayerSelect, QByteArray::fromHex("0001"),
                                  TxWait::delay(kWaitLayerSelect, 5000)));
        QVERIFY(!m.view->send_read_request(kSelStatus, 0));
        QCOMPARE(m.view->direct_read(kReadStatusBoot, 0), 0);
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
        QVERIFY(m.sim->frame_log().isEmpty());
        m.view->setEnabled(false);
        m.view->show_busy_dialog(QStringLiteral("import"));
        QVERIFY(!m.view->upload_global_block());
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("设备无响应！！")});
        QVERIFY(m.view->isEnabled());
        QTRY_VERIFY(!m.view->busy_dialog());
        QVERIFY(!m.view->link().bound_running());
    }

private:
    SimSession m;
};

QTEST_MAIN(TestTransmit)
#include "tst_transmit.moc"
