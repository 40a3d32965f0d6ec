// Fault matrix: every acknowledged command and every read of the read-back,
// against a simulated device that misbehaves in each way it can, on both
// links. Whatever the device does, the program must come back within the busy
// bound (plus a second), with the window usable, the warning where the device
// did not answer, and the records either decoded in full or left alone.
//
// CTest runs slices of the matrix in parallel, one test function each:
// TESSEL_FAULT_ROWS selects the rows whose tag starts with one of its
// comma-separated prefixes.

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"

namespace {

constexpr int kBoundMs = 2000;
const QString kNoAnswer = QStringLiteral("设备无响应！！");
const QString kConnectFailed = QStringLiteral("连接设备失败！！");
const QString kStatusRead = QStringLiteral("3a01040100fe0a00003a");

// Whether a row belongs to this process's slice of the matrix.
bool selected(const QByteArray &tag)
{
    const QByteArray filter = qgetenv("TESSEL_FAULT_ROWS");
    if (filter.isEmpty())
        return true;
    for (const QByteArray &prefix : filter.split(',')) {
        if (tag.startsWith(prefix))
            return true;
    }
    return false;
}

enum class Fault { None, Silent, BadByte2, Split, Junk, Late, PastBound, Truncated, BadCommand };

struct FaultCase {
    const char *name;
    Fault fault;
};

// Applies one fault to the replies of one command code or read selector only.
void inject(sim::SimFaults &f, Fault fault, int scope_key, bool read)
{
    f.scope = {scope_key};
    switch (fault) {
    case Fault::None:
        break;
    case Fault::Silent:
        if (read)
            f.mute_reads.insert(scope_key - sim::kReadScope);
        else
            f.mute_commands.insert(scope_key);
        break;
    case Fault::BadByte2:
        f.bad_ack = true;
        break;
    case Fault::Split:
        f.split_ms = 100;
        break;
    case Fault::Junk:
        f.junk = QByteArrayLiteral("xyz");
        break;
    case Fault::Late:
        f.delay_ms = 1000;
        break;
    case Fault::PastBound:
        f.delay_ms = kBoundMs + 800;
        break;
    case Fault::Truncated:
        f.truncate_to = 2;
        break;
    case Fault::BadCommand:
        f.bad_command_byte = true;
        break;
    }
}

// An acknowledged command as its sender sends it.
struct AckCommand {
    int code;
    uint8_t command;
    bool short_form; // ten-byte short form with a, b; else a buffer command
    QByteArray payload;
    uint8_t a;
    uint8_t b;
    bool resets; // the accepted reply reloads the records
    bool rereads_status;
};

const AckCommand kAckCommands[] = {
    {proto::kWaitInputSource, proto::kCmdInputSource, true, {}, 0, 3, false, true},
    {proto::kWaitPipOnOff, proto::kCmdPipOnOff, true, {}, 1, 0, false, false},
    {proto::kWaitPipSource, proto::kCmdPipSource, true, {}, 0, 4, false, true},
    // Preset 1920 x 1080 at 60 Hz.
    {proto::kWaitPresetResolution, proto::kCmdPresetResolution, false, QByteArray("\x13\x06", 2), 0,
     0, true, false},
    {proto::kWaitDeviceInit, proto::kCmdDeviceInit, false, {}, 0, 0, true, false},
};

const AckCommand *ack_command(int code)
{
    for (const AckCommand &c : kAckCommands) {
        if (c.code == code)
            return &c;
    }
    return nullptr;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void acknowledgements_data();
    void acknowledgements();
    void readback_data();
    void readback();
    void device_process_killed_data();
    void device_process_killed();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<sim::SimServer> m_sim;
    std::unique_ptr<TesselView> m_view;
};

void TestFaults::init()
{
    device_data = DeviceData();
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSEL_APP_DIR", m_dir->path().toUtf8());
    m_sim = std::make_unique<sim::SimServer>(sim::SimImage::demo());
    QVERIFY(m_sim->listen_tcp());
    m_view = std::make_unique<TesselView>();
    m_view->set_busy_bound_ms(kBoundMs);
    m_view->show();
}

void TestFaults::cleanup()
{
    m_view.reset();
    m_sim.reset();
    m_dir.reset();
}

void TestFaults::acknowledgements_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("accepted");

    const struct {
        FaultCase fault;
        bool accepted;
    } faults[] = {
        {{"none", Fault::None}, true},
        {{"silent", Fault::Silent}, false},
        {{"byte 2 not 4", Fault::BadByte2}, false},
        {{"split in two", Fault::Split}, true},
        {{"junk first", Fault::Junk}, false},
        {{"late", Fault::Late}, true},
        {{"past the bound", Fault::PastBound}, false},
        {{"wrong length", Fault::Truncated}, false},
    };
    for (bool serial : {true, false}) {
        for (const AckCommand &c : kAckCommands) {
            for (const auto &f : faults) {
                const QByteArray tag = QByteArray(serial ? "serial" : "network") + " " +
                                       QByteArray::number(c.code) + " " + f.fault.name;
                if (selected(tag))
                    QTest::newRow(tag.constData())
                        << serial << c.code << int(f.fault.fault) << f.accepted;
            }
        }
    }
}

void TestFaults::acknowledgements()
{
    QFETCH(bool, serial);
    QFETCH(int, code);
    QFETCH(int, fault);
    QFETCH(bool, accepted);
    const AckCommand &c = *ack_command(code);

    QVERIFY(
        connect_view(*m_view, m_sim->tcp_port(), serial ? m_sim->open_pty() : QString(), serial));
    inject(m_sim->faults(), Fault(fault), c.command, false);
    m_sim->clear_frame_log();
    // A record that only a reset would bring back to its default layout.
    device_data.mode_data[2].win_out[1] = DevRect{1, 2, 3, 4};

    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    const QString text = QStringLiteral("busy");
    const TxWait wait = TxWait::busy(c.code, text);
    const bool sent = c.short_form ? m_view->transmit_short(c.command, c.a, c.b, wait)
                                   : m_view->transmit(c.command, c.payload, wait);
    QVERIFY(sent);
    // A status re-read inside the dialog is bounded by its own polls: a reply split
    // on the network leaves its tail to spoil the re-read, which then runs them out.
    const int limit = kBoundMs + 1000 + (c.rereads_status ? 500 + 10 * 300 : 0);
    QVERIFY2(clock.elapsed() < limit, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!m_view->busy_dialog());
    QVERIFY(m_view->isEnabled());
    QCOMPARE(boxes.texts, accepted ? QStringList() : QStringList{kNoAnswer});
    // Only the status read that follows an accepted switch leaves its code behind.
    const int code_left = accepted && c.rereads_status ? int(proto::kWaitStatus) : 0;
    QCOMPARE(serial ? device_data.serial_wait_code : device_data.net_wait_code, code_left);

    const bool reset = device_data.mode_data[2].win_out[1] == DevRect{1920, 0, 1920, 1080};
    QCOMPARE(reset, accepted && c.resets);
    if (accepted && c.rereads_status)
        QVERIFY(m_sim->frame_log().contains(kStatusRead));
    if (!accepted)
        QVERIFY(!m_sim->frame_log().contains(kStatusRead));
}

void TestFaults::readback_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("open");    // the link stays open
    QTest::addColumn<bool>("decoded"); // the faulty reply was decoded

    // What each fault does to one read, by the read's own waits: the serial
    // link reads once after its wait; the network link takes whole blocks of
    // exactly the reply's length, polling for a while.
    const struct Row {
        int selector;
        FaultCase fault;
        bool serial_open, serial_decoded, net_open, net_decoded;
    } rows[] = {
        {proto::kSelStatus, {"silent", Fault::Silent}, false, false, false, false},
        {proto::kSelStatus, {"wrong length", Fault::Truncated}, true, false, false, false},
        {proto::kSelStatus, {"junk first", Fault::Junk}, true, false, false, false},
        {proto::kSelStatus, {"split in two", Fault::Split}, true, true, true, true},
        {proto::kSelStatus, {"late", Fault::Late}, false, false, true, true},
        {proto::kSelStatus, {"wrong command byte", Fault::BadCommand}, true, false, true, false},
        {proto::kSelModeTable, {"silent", Fault::Silent}, true, false, true, false},
        {proto::kSelModeTable, {"wrong length", Fault::Truncated}, true, false, true, false},
        {proto::kSelModeTable, {"junk first", Fault::Junk}, true, false, true, false},
        {proto::kSelModeTable, {"split in two", Fault::Split}, true, true, true, true},
        {proto::kSelModeTable, {"late", Fault::Late}, true, false, true, true},
        {proto::kSelModeTable, {"wrong command byte", Fault::BadCommand}, true, false, true, false},
        {proto::kSelWindows, {"silent", Fault::Silent}, true, false, true, false},
        {proto::kSelWindows, {"wrong length", Fault::Truncated}, true, false, true, false},
        {proto::kSelWindows, {"junk first", Fault::Junk}, true, false, true, false},
        {proto::kSelWindows, {"split in two", Fault::Split}, true, true, true, true},
        {proto::kSelWindows, {"late", Fault::Late}, true, false, true, true},
        {proto::kSelWindows, {"wrong command byte", Fault::BadCommand}, true, false, true, false},
    };
    for (bool serial : {true, false}) {
        for (const Row &r : rows) {
            const QByteArray tag = QByteArray(serial ? "serial" : "network") + " read " +
                                   QByteArray::number(r.selector) + " " + r.fault.name;
            if (selected(tag))
                QTest::newRow(tag.constData()) << serial << r.selector << int(r.fault.fault)
                                               << (serial ? r.serial_open : r.net_open)
                                               << (serial ? r.serial_decoded : r.net_decoded);
        }
    }
}

void TestFaults::readback()
{
    QFETCH(bool, serial);
    QFETCH(int, selector);
    QFETCH(int, fault);
    QFETCH(bool, open);
    QFETCH(bool, decoded);

    inject(m_sim->faults(), Fault(fault), sim::kReadScope + selector, true);
    const QString pty = serial ? m_sim->open_pty() : QString();
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(connect_view(*m_view, m_sim->tcp_port(), pty, serial), open);
    // The slowest honest outcome: every read's first wait, one of them running out
    // its ten polls, and a margin for a loaded machine.
    QVERIFY(clock.elapsed() < 800 + 800 + 1500 + 10 * 300 + 3000);
    QVERIFY(m_view->isEnabled());
    QVERIFY(!m_view->busy_dialog());
    QCOMPARE(boxes.texts, open ? QStringList() : QStringList{kConnectFailed});

    const sim::SimImage &s = m_sim->image();
    const int mode = s.cur_mul_mode;
    switch (selector) {
    case proto::kSelStatus:
        QCOMPARE(device_data.cur_mul_mode == mode, decoded);
        QCOMPARE(device_data.custom_res_w == s.custom_res_w, decoded);
        break;
    case proto::kSelModeTable:
        for (int m = 0; m < kModeCount; ++m) {
            for (int w = 0; w < kWindowCount; ++w) {
                QCOMPARE(device_data.mode_data[m].win_source[w],
                         decoded ? s.mode_data[m].win_source[w] : 0);
            }
        }
        break;
    case proto::kSelWindows: {
        const sim::SimRect &r = s.mode_data[mode].win_out[1];
        const DevRect device{r.x, r.y, r.w, r.h};
        QCOMPARE(device_data.mode_data[mode].win_out[1] == device, decoded);
        QCOMPARE(device_data.mode_data[mode].win_out[1] == (DevRect{600, 200, 2640, 600}),
                 !decoded);
        break;
    }
    }
}

void TestFaults::device_process_killed_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("while_busy");
    for (bool serial : {true, false}) {
        for (bool busy : {false, true}) {
            const QByteArray tag = QByteArray(serial ? "serial" : "network") + " killed " +
                                   (busy ? "during a busy dialog" : "while idle");
            if (selected(tag))
                QTest::newRow(tag.constData()) << serial << busy;
        }
    }
}

void TestFaults::device_process_killed()
{
    QFETCH(bool, serial);
    QFETCH(bool, while_busy);

    QProcess device;
    QStringList args{QStringLiteral("--tcp-port"), QStringLiteral("0"), QStringLiteral("--serial")};
    if (while_busy)
        args << QStringLiteral("--mute-commands") << QString::number(proto::kCmdInputSource);
    device.start(QStringLiteral(TESSEL_SIM_PATH), args);
    QVERIFY(device.waitForStarted());
    quint16 port = 0;
    QString pty;
    QElapsedTimer started;
    started.start();
    while ((port == 0 || pty.isEmpty()) && started.elapsed() < 10000) {
        if (!device.canReadLine() && !device.waitForReadyRead(500))
            continue;
        while (device.canReadLine()) {
            const QString line = QString::fromUtf8(device.readLine()).trimmed();
            if (line.startsWith(QLatin1String("tcp ")))
                port = quint16(line.section(QLatin1Char(':'), -1).toUInt());
            else if (line.startsWith(QLatin1String("serial ")))
                pty = line.section(QLatin1Char(' '), 1, 1);
        }
    }
    QVERIFY(port != 0 && !pty.isEmpty());
    QVERIFY(connect_view(*m_view, port, pty, serial));

    if (while_busy) {
        QTimer::singleShot(300, &device, [&device] { device.kill(); });
    } else {
        device.kill();
        QVERIFY(device.waitForFinished());
    }
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    // Whether the write still succeeds depends on the transport; either way the
    // command ends within the bound and the window is usable.
    const bool sent = m_view->transmit_short(proto::kCmdInputSource, 0, 3,
                                             TxWait::busy(proto::kWaitInputSource, "busy"));
    QVERIFY(clock.elapsed() < kBoundMs + 1000);
    QVERIFY(!m_view->busy_dialog());
    QVERIFY(m_view->isEnabled());
    QCOMPARE(boxes.texts, sent ? QStringList{kNoAnswer} : QStringList());
    if (while_busy)
        QVERIFY(sent);
    device.waitForFinished();

    // The next command after the loss ends the same way.
    boxes.texts.clear();
    clock.restart();
    const bool again = m_view->transmit_short(proto::kCmdPipOnOff, 0, 1,
                                              TxWait::busy(proto::kWaitPipOnOff, "busy"));
    QVERIFY(clock.elapsed() < kBoundMs + 1000);
    QVERIFY(m_view->isEnabled());
    QCOMPARE(boxes.texts, again ? QStringList{kNoAnswer} : QStringList());
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
