// The link alone, in an executable without widgets: a read-back and a backup
// restored through the upload chain, on both links and in both timings, an
// acknowledgement awaited without a dialog, and how the link ends a chain.

#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "device/device_data.h"
#include "link/device_link.h"
#include "maintenance/maintenance_codec.h"
#include "sim_server.h"

namespace {

using namespace proto;
using Outcome = DeviceLink::Outcome;

const QSize kCanvas(815, 548);
// One acknowledged command, as a command-line client sends it.
const LinkWait kAckWait{kWaitPipOnOff, 0, true};

} // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT

private slots:
    void init() { device_data = DeviceData(); }
    void cleanup()
    {
        m_link.reset();
        m_sim.reset();
    }
    void read_back_and_restore_data();
    void read_back_and_restore();
    void acknowledgement();
    void chain_ends_at_a_failed_write();
    void lost_link_ends_the_wait();

private:
    bool open(bool serial)
    {
        cleanup();
        m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
        if (!m_sim->listen_tcp() || (serial && m_sim->open_pty().isEmpty()))
            return false;
        m_link = std::make_unique<DeviceLink>();
        m_link->set_bound_ms(1000);
        return serial ? m_link->open_serial(m_sim->pty_path(), 1)
                      : m_link->open_network(QStringLiteral("127.0.0.1"), m_sim->tcp_port(), 1);
    }

    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<DeviceLink> m_link;
};

void TestDeviceLink::read_back_and_restore_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("full_timing");
    for (bool serial : {true, false})
        for (bool full : {false, true})
            QTest::addRow("%s, %s", serial ? "serial" : "network", full ? "full timing" : "fast")
                << serial << full;
}

// A read-back in the row's timing; then a backup of the device, through the
// file format, restored into a factory-fresh device by the upload chain.
void TestDeviceLink::read_back_and_restore()
{
    QFETCH(bool, serial);
    QFETCH(bool, full_timing);
    if (!open(serial))
        QSKIP("no pseudo-terminal here");
    QCOMPARE(m_link->description(),
             serial ? "serial " + m_sim->pty_path()
                    : QStringLiteral("network 127.0.0.1:%1").arg(m_sim->tcp_port()));
    m_link->set_full_timing(full_timing);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_link->read_back(kCanvas));
    // The specified waits: 300 + 500 + 600 ms serial, 800 + 800 + 1500 ms network.
    QVERIFY(!full_timing || clock.elapsed() >= (serial ? 1400 : 3100));

    const sim::SimImage original = m_sim->image();
    const int shown = original.cur_mul_mode;
    QCOMPARE(m_link->status_length(), kStatusReplyLength);
    const auto sample = [shown](const auto &d) {
        const auto &r = d.mode_data[shown].win_out[3];
        return QList<int>() << d.cur_mul_mode << d.custom_res_w << d.mode_data[7].layer_code
                            << d.out_light[1].colour << r.x << r.y << r.w << r.h;
    };
    QCOMPARE(sample(device_data), sample(original));
    // The LED defaults follow the output size the status named.
    QVERIFY(device_data.out_res_w > 0);
    QCOMPARE(device_data.mode_data[4].led_out_rect[1][2].w, device_data.out_res_w);
    // The same three requests in both timings.
    const QString windows = QStringLiteral("3a01040100fe0a03%1").arg(shown, 2, 16, QChar('0'));
    QCOMPARE(m_sim->frame_log(),
             (QStringList{"3a01040100fe0a00003a", "3a01040100fe0a09003a", windows + "3a"}));
    QCOMPARE(m_link->wait_code(), int(kWaitWindows));

    // The rest of a backup, read fast: what the pages read, then every mode.
    m_link->set_full_timing(false);
    QVERIFY(m_link->read_input_card(0) && m_link->read_input_card(1));
    QVERIFY(m_link->read_win_adjust() && m_link->read_win_borders());
    for (int mode = 0; mode < kModeCount; ++mode)
        QVERIFY(m_link->read_windows(mode, kCanvas) && m_link->read_led_rects(mode));
    const QByteArray backup = codec::write_config_file(codec::export_values(device_data));

    m_sim->image().reset_to_factory();
    m_sim->clear_frame_log();
    // Nothing but the file fills the records; the link keeps its state.
    DeviceData fresh;
    fresh.serial_open = device_data.serial_open;
    fresh.net_open = device_data.net_open;
    device_data = fresh;
    m_link->set_full_timing(full_timing);
    codec::parse_import_values(codec::read_config_file(backup), device_data);

    QSignalSpy steps(m_link.get(), &DeviceLink::upload_step);
    QSignalSpy finished(m_link.get(), &DeviceLink::upload_finished);
    QSignalSpy expired(m_link.get(), &DeviceLink::bound_expired);
    QVERIFY(m_link->start_upload());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.first(), QVariantList{true});
    QCOMPARE(m_link->upload_state(), DeviceLink::UploadState::Finished);
    QCOMPARE(m_link->upload_index(), 0);
    QCOMPARE(steps.size(), DeviceLink::kUploadSteps);
    QCOMPARE(steps.last(), (QVariantList{DeviceLink::kUploadSteps, DeviceLink::kUploadSteps}));
    QVERIFY(expired.isEmpty() && !m_link->bound_running());
    // Input, global, one block per mode, end.
    QString commands;
    for (const QString &frame : m_sim->frame_log())
        commands += frame.mid(10, 2);
    QCOMPARE(commands, "c0c1" + QString("c2").repeated(kModeCount) + "c3");

    const sim::SimImage &s = m_sim->image();
    QCOMPARE(s.in_adjust[1].contrast, original.in_adjust[1].contrast);
    QCOMPARE(s.out_light[0].brightness, original.out_light[0].brightness);
    QCOMPARE(s.port_quality[1][3][8], original.port_quality[1][3][8]);
    for (int mode = 0; mode < kModeCount; ++mode) {
        QCOMPARE(s.mode_data[mode].win_out[2], original.mode_data[mode].win_out[2]);
        QCOMPARE(s.mode_data[mode].led_out_rect[1][3], original.mode_data[mode].led_out_rect[1][3]);
        QCOMPARE(s.mode_data[mode].layer_code, original.mode_data[mode].layer_code);
    }
}

// What a command-line client gets: the outcome of one acknowledged command,
// within the bound, with both codes clear afterwards unless it was accepted.
void TestDeviceLink::acknowledgement()
{
    using F = sim::SimFaults;
    // clang-format off
    const struct {
        const char *name;
        std::function<void(F &)> fault;
        Outcome outcome;
        QList<int> signals_; // accepted, rejected, bound expired
    } rows[] = {
        {"accepted", [](F &) {}, Outcome::Accepted, {1, 0, 0}},
        {"in two pieces", [](F &f) { f.split_ms = 100; }, Outcome::Accepted, {1, 0, 0}},
        {"byte 2 not 4", [](F &f) { f.bad_ack = true; }, Outcome::Rejected, {0, 1, 1}},
        {"silent", [](F &f) { f.mute_commands = {kCmdPipOnOff}; }, Outcome::NoAnswer, {0, 0, 1}},
        {"cut short", [](F &f) { f.truncate_to = 5; }, Outcome::NoAnswer, {0, 0, 1}},
    };
    // clang-format on
    for (bool serial : {false, true}) {
        for (const auto &r : rows) {
            if (!open(serial))
                QSKIP("no pseudo-terminal here");
            r.fault(m_sim->faults());
            m_sim->image().pip_state[1] = 0; // the demo has it on; the command turns it on
            QSignalSpy accepted(m_link.get(), &DeviceLink::reply_accepted);
            QSignalSpy rejected(m_link.get(), &DeviceLink::reply_rejected);
            QSignalSpy expired(m_link.get(), &DeviceLink::bound_expired);
            QVERIFY2(m_link->transmit_short(kCmdPipOnOff, 1, 1, kAckWait) == r.outcome, r.name);
            QCOMPARE(QList<int>({accepted.size(), rejected.size(), expired.size()}), r.signals_);
            QVERIFY2(!m_link->bound_running() && m_link->wait_code() == 0, r.name);
            QVERIFY2(m_sim->image().pip_state[1] != 0, r.name);
        }
    }
}

// A chain step that is not written ends the chain at once, as the bound would.
void TestDeviceLink::chain_ends_at_a_failed_write()
{
    DeviceLink link;
    QSignalSpy finished(&link, &DeviceLink::upload_finished);
    QSignalSpy expired(&link, &DeviceLink::bound_expired);
    QVERIFY(!link.start_upload());
    QCOMPARE(expired.size(), 1);
    QCOMPARE(finished, QList<QVariantList>{{false}});
    QCOMPARE(link.upload_state(), DeviceLink::UploadState::Failed);
    QVERIFY(!link.bound_running());
    // Plain commands without a link fail silently.
    QCOMPARE(link.transmit_short(kCmdPipOnOff, 1, 1, kAckWait), Outcome::NotSent);
    QCOMPARE(expired.size(), 1);
}

void TestDeviceLink::lost_link_ends_the_wait()
{
    QVERIFY(open(false));
    m_link->set_bound_ms(60000);
    m_sim->faults().mute_commands.insert(kCmdPipOnOff);
    QSignalSpy lost(m_link.get(), &DeviceLink::link_lost);
    QSignalSpy changed(m_link.get(), &DeviceLink::state_changed);
    QTimer::singleShot(200, this, [this] { m_sim.reset(); });
    QCOMPARE(m_link->transmit_short(kCmdPipOnOff, 1, 1, kAckWait), Outcome::NoAnswer);
    QVERIFY(!m_link->bound_running() && !m_link->is_open());
    QCOMPARE(device_data.net_wait_code, 0);
    // Closed by the loss itself: a read afterwards writes nothing, and the
    // owner's close changes nothing more.
    QCOMPARE(QList<int>({lost.size(), changed.size()}), QList<int>({1, 1}));
    QCOMPARE(m_link->direct_read(kReadStatusInput, 0), 0);
    m_link->close();
    QCOMPARE(QList<int>({lost.size(), changed.size()}), QList<int>({1, 1}));
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
