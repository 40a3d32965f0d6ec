// Fault matrix: every acknowledged command, the engines' chains and each read of the read-back,
// against a device misbehaving in each way it can, on both links. TESSEL_FAULT_ROWS picks rows
// by tag prefixes (a CTest slice); TESSEL_FULL_TIMING=1 runs them with the specified waits.

#include <QtTest>

#include "import_preview_answerer.h"
#include "support/file_dialog_answerer.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_process.h"
#include "support/sim_session.h"

namespace {

using namespace proto;

// Short, so that every fault that ends at the bound ends soon; a late reply
// still comes well inside it, after the longest engine wait.
constexpr int kBoundMs = 1200;
constexpr int kLateMs = 700;
constexpr int kPastBoundMs = kBoundMs + 800;
// The longest a direct read after an accepted reply may take: the longest
// first wait and the network's ten polls.
constexpr int kReadAllowanceMs = 1500 + 10 * 300;
const QString kLinkLost = QStringLiteral("与设备的连接已断开！");

// Adds the row "<link> <rest>" when TESSEL_FAULT_ROWS selects it (unset, it selects all).
template <typename... Values>
void add_row(bool serial, const QByteArray &rest, const Values &...values)
{
    const QByteArray tag = (serial ? "serial " : "network ") + rest;
    const QByteArrayList prefixes = qgetenv("TESSEL_FAULT_ROWS").split(',');
    if (std::any_of(prefixes.begin(), prefixes.end(),
                    [&](const QByteArray &p) { return tag.startsWith(p); }))
        ((QTest::newRow(tag.constData()) << serial) << ... << values);
}

struct Step {
    int code;
    uint8_t command;
    int repeat = 1;
};

// What an accepted chain does to the records at its end.
enum class After { Nothing, StatusRead, Reset, ReadBack };

// A command awaiting its acknowledgement under a modal busy dialog, short (payload
// a, b) or buffered, or the operator's import of a file; then the engines' steps.
struct Chain {
    enum Kind { Short, Buffer, Import } kind;
    const char *payload; // hex
    QVector<Step> steps;
    After after;
    int code_left; // expected-reply code an accepted chain leaves behind
};

// clang-format off
enum Fault { None, Silent, BadByte2, Split, Junk, Late, PastBound, Truncated, BadCommand, HangUp,
             AtBoundEnd };
const char *const kFaultNames[] = {"none", "silent", "byte 2 not 4", "split in two", "junk first",
    "late", "past the bound", "wrong length", "wrong command byte", "hang-up", "at the bound's end"};

const Chain kChains[] = {
    {Chain::Short, "0003", {{kWaitInputSource, kCmdInputSource}}, After::StatusRead, kWaitStatus},
    {Chain::Short, "0100", {{kWaitPipOnOff, kCmdPipOnOff}}, After::Nothing, 0},
    {Chain::Short, "0004", {{kWaitPipSource, kCmdPipSource}}, After::StatusRead, kWaitStatus},
    // Custom 1920 x 1080 at 60 Hz; the engine follows it with the preset command.
    {Chain::Buffer, "0780043801", {{kWaitCustomResolution, kCmdCustomResolution},
                                   {kWaitResolutionDone, kCmdPresetResolution}}, After::Reset, 0},
    // Preset 1920 x 1080 at 60 Hz.
    {Chain::Buffer, "1306", {{kWaitPresetResolution, kCmdPresetResolution}}, After::Reset, 0},
    {Chain::Buffer, "", {{kWaitDeviceInit, kCmdDeviceInit}}, After::Reset, 0},
    {Chain::Import, "", {{kWaitImportInput, kCmdImportInput}, {kWaitImportGlobal, kCmdImportGlobal},
                         {kWaitImportMode, kCmdImportMode, kModeCount},
                         {kWaitImportEnd, kCmdImportEnd}}, After::ReadBack, kWaitWindows},
};
// clang-format on

// Each fault damages only the replies of one command code or read selector
// (sim::kReadScope + selector); the hang-up is placed by frame count.
void inject(sim::SimFaults &f, int fault, int key)
{
    f.scope = {key};
    if (fault == Silent)
        (key < sim::kReadScope ? f.mute_commands : f.mute_reads).insert(key % sim::kReadScope);
    f.bad_ack = fault == BadByte2;
    f.split_ms = fault == Split ? 100 : -1;
    f.junk = fault == Junk ? QByteArrayLiteral("xyz") : QByteArray();
    f.delay_ms = fault == Late ? kLateMs : fault == PastBound ? kPastBoundMs : 0;
    if (fault == AtBoundEnd)
        f.delay_ms = kBoundMs - 400;
    f.truncate_to = fault == Truncated ? 2 : -1;
    f.bad_command_byte = fault == BadCommand;
}

// The reads of the import preview, which come before the chain's first frame.
constexpr int kPreviewReads = 38;

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }

    void acknowledgements_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<int>("chain");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("fault");
        // The hang-up (on the step's first frame) is for the import; the killed
        // device covers a lost link under a modal dialog. Only the serial engine
        // waits out its full wait after a reply, so the bound can end inside it.
        for (bool serial : {true, false}) {
            for (int c = 0; c < int(std::size(kChains)); ++c) {
                const bool import = kChains[c].kind == Chain::Import;
                for (int st = 0; st < kChains[c].steps.size(); ++st) {
                    const QByteArray code = QByteArray::number(kChains[c].steps[st].code) + ' ';
                    for (int f = None; f <= AtBoundEnd; ++f) {
                        if (f == AtBoundEnd ? serial && import && st == 0
                                            : f != BadCommand && (f != HangUp || import))
                            add_row(serial, code + kFaultNames[f], c, st, f);
                    }
                }
            }
        }
    }
    void acknowledgements()
    {
        QFETCH(bool, serial);
        QFETCH(int, chain);
        QFETCH(int, step);
        QFETCH(int, fault);
        const Chain &c = kChains[chain];
        QList<int> all; // every command of the chain, in the order the device receives them
        for (const Step &s : c.steps)
            all += QVector<int>(s.repeat, s.command).toList();
        const bool import = c.kind == Chain::Import;
        // Whether the faulted step still counts as acknowledged (no warning: the
        // chain runs to its end), and the commands the device receives. Replies are
        // taken whole: one in two pieces is as good as one in one.
        const bool completed = QList<int>{None, Split, Late, AtBoundEnd}.contains(fault);
        const int sent = completed ? all.size() : all.indexOf(c.steps[step].command) + 1;

        if (!start(serial))
            QSKIP("no pseudo-terminal here");
        QVERIFY(m_s.connect_link());
        // The acknowledgement comes in the bound's last moments, and the engine's
        // full wait runs past it: the bound stops when the engine takes the reply.
        if (fault == AtBoundEnd)
            m_s.view->link().set_full_timing(true);
        inject(m_s.sim->faults(), fault, c.steps[step].command);
        if (fault == HangUp)
            m_s.sim->faults().drop_after_frames =
                m_s.sim->frame_log().size() + sent + (import ? kPreviewReads : 0);
        m_s.sim->clear_frame_log();
        // A record that only a reset would bring back to its default layout.
        device_data.mode_data[2].win_out[1] = DevRect{1, 2, 3, 4};

        QElapsedTimer since_frame; // restarted by every frame the device receives
        since_frame.start();
        QObject scope; // ends the connection with this function
        connect(m_s.sim.get(), &sim::SimServer::frame_received, &scope,
                [&] { since_frame.restart(); });
        ModalAnswerer boxes(QMessageBox::Yes);
        if (import) {
            // A file of the records as they stand passes the resolution check.
            QFile file(m_s.path(QStringLiteral("import.txt")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            file.write(codec::write_config_file(codec::export_values(device_data)));
            FileDialogAnswerer files(file.fileName());
            PreviewAnswerer preview(true);
            QTest::mouseClick(m_s.view->form().importBtn, Qt::LeftButton);
            QCOMPARE(preview.seen.size(), 1);
        } else {
            const QByteArray payload = QByteArray::fromHex(c.payload);
            const TxWait wait = TxWait::busy(c.steps[0].code, QStringLiteral("busy"));
            QVERIFY(c.kind == Chain::Short
                        ? m_s.view->transmit_short(c.steps[0].command, payload[0], payload[1], wait)
                        : m_s.view->transmit(c.steps[0].command, payload, wait));
        }
        // A chain runs on under the non-modal dialog; a lone command has ended here.
        QTRY_VERIFY_WITH_TIMEOUT(!m_s.view->busy_dialog() && m_s.view->isEnabled(), 60000);
        const qint64 quiet = since_frame.elapsed();
        // Reads after an accepted chain are bounded by their own waits.
        const bool reads = c.after == After::StatusRead || c.after == After::ReadBack;
        const int limit = kBoundMs + 1000 + (completed && reads ? kReadAllowanceMs : 0);
        QVERIFY2(quiet < limit, qPrintable(QString::number(quiet)));
        // Only the warning, where the device did not answer. A network hang-up
        // closes the connection: a lost link, told as such.
        const QString warning =
            fault == HangUp && !serial ? kLinkLost : QStringLiteral("设备无响应！！");
        QCOMPARE(boxes.texts, completed ? QStringList() : QStringList{warning});
        QCOMPARE(serial ? device_data.serial_wait_code : device_data.net_wait_code,
                 completed ? c.code_left : 0);
        if (completed) {
            // Each engine takes the whole reply, once; the import's read-back decoded the status.
            QCOMPARE(m_s.view->serial_port().bytesAvailable() + m_s.view->socket().bytesAvailable(),
                     qint64(0));
            if (import) {
                QCOMPARE(device_data.cur_mul_mode, m_s.sim->image().cur_mul_mode);
                QCOMPARE(m_s.view->link().upload_state(), DeviceLink::UploadState::Finished);
            }
            QVERIFY(!m_s.view->link().bound_running());
        } else {
            // A reply after the bound starts nothing more; nor does anything else late.
            QTest::qWait(fault == PastBound ? kPastBoundMs - kBoundMs + 400 : 200);
        }
        QCOMPARE(m_s.written_commands(), all.mid(0, sent));
        // The import preview reads the status once before the chain.
        QCOMPARE(m_s.sim->frame_log().count(QStringLiteral("3a01040100fe0a00003a")),
                 (import ? 1 : 0) + (completed && reads));
        // The import replaces the records from its file, whatever the device answers.
        if (!import)
            QCOMPARE(device_data.mode_data[2].win_out[1] == (DevRect{1920, 0, 1920, 1080}),
                     completed && c.after == After::Reset);
    }

    void readback_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<int>("selector");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("open");    // the link stays open
        QTest::addColumn<bool>("decoded"); // the faulty reply was decoded
        // What each fault does to one read, by the read's own waits: the serial link takes what is
        // in by the end of its wait, up to the reply's length; the network link takes the reply's
        // length or nothing, polling for a while. Only a status read that fails closes the link.
        const struct {
            int fault;
            bool serial_decoded, net_decoded, status_serial_open, status_net_open;
        } rows[] = {
            {Silent, false, false, false, false}, {Truncated, false, false, true, false},
            {Junk, false, false, true, true},     {Split, true, true, true, true},
            {Late, false, true, false, true},     {BadCommand, false, false, true, true},
        };
        for (bool serial : {true, false}) {
            for (int selector : {kSelStatus, kSelModeTable, kSelWindows}) {
                for (const auto &r : rows)
                    add_row(serial,
                            "read " + QByteArray::number(selector) + ' ' + kFaultNames[r.fault],
                            selector, r.fault,
                            selector != kSelStatus ||
                                (serial ? r.status_serial_open : r.status_net_open),
                            serial ? r.serial_decoded : r.net_decoded);
            }
        }
    }
    void readback()
    {
        QFETCH(bool, serial);
        QFETCH(int, selector);
        QFETCH(int, fault);
        QFETCH(bool, open);
        QFETCH(bool, decoded);
        if (!start(serial))
            QSKIP("no pseudo-terminal here");
        inject(m_s.sim->faults(), fault, sim::kReadScope + selector);
        ModalAnswerer boxes;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(m_s.connect_link(), open);
        // The slowest honest outcome: every read's first wait, one of them running out
        // its ten polls, and a margin for a loaded machine.
        QVERIFY(clock.elapsed() < 800 + 800 + 1500 + 10 * 300 + 3000);
        QVERIFY(m_s.view->isEnabled() && !m_s.view->busy_dialog());
        QCOMPARE(boxes.texts,
                 open ? QStringList() : QStringList{QStringLiteral("连接设备失败！！")});

        const sim::SimImage &s = m_s.sim->image();
        const int mode = s.cur_mul_mode;
        if (selector == kSelStatus) {
            QCOMPARE(device_data.cur_mul_mode == mode, decoded);
            QCOMPARE(device_data.custom_res_w == s.custom_res_w, decoded);
        } else if (selector == kSelModeTable) {
            for (int m = 0; m < kModeCount; ++m) {
                for (int w = 0; w < kWindowCount; ++w)
                    QCOMPARE(device_data.mode_data[m].win_source[w],
                             decoded ? s.mode_data[m].win_source[w] : 0);
            }
        } else {
            const sim::SimRect &r = s.mode_data[mode].win_out[1];
            const DevRect &got = device_data.mode_data[mode].win_out[1];
            QCOMPARE(got == (DevRect{r.x, r.y, r.w, r.h}), decoded);
            QCOMPARE(got == (DevRect{600, 200, 2640, 600}), !decoded);
        }
    }

    void device_process_killed_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<bool>("while_busy");
        for (bool serial : {true, false}) {
            add_row(serial, "killed while idle", false);
            add_row(serial, "killed during a busy dialog", true);
        }
    }
    void device_process_killed()
    {
        QFETCH(bool, serial);
        QFETCH(bool, while_busy);
        QVERIFY(start(false)); // the window only: the device is a process of its own
        QProcess device;
        quint16 port = 0;
        QString pty;
        const QStringList mute{"--mute-commands", QString::number(kCmdInputSource)};
        QVERIFY(start_sim_process(device, QStringLiteral(TESSEL_SIM_PATH),
                                  sim_on_both_links(while_busy ? mute : QStringList()), port,
                                  &pty));
        QVERIFY(connect_view(*m_s.view, port, pty, serial));
        if (while_busy) {
            QTimer::singleShot(300, &device, [&device] { device.kill(); });
        } else {
            device.kill();
            QVERIFY(device.waitForFinished());
            // A peer gone closes the network link as it goes, before any write.
            if (!serial)
                QTRY_VERIFY(!m_s.view->link().is_open());
        }
        // The first command after the kill ends with the loss (or is not written
        // at all); either way the window says so once, and the next one is not sent.
        ModalAnswerer boxes;
        m_s.view->transmit_short(kCmdInputSource, 0, 3, TxWait::busy(kWaitInputSource, "busy"));
        QTRY_COMPARE(boxes.texts, QStringList{kLinkLost});
        QVERIFY(!m_s.view->busy_dialog() && m_s.view->isEnabled() && !m_s.view->link().is_open());
        QVERIFY(!m_s.view->transmit_short(kCmdPipOnOff, 0, 3, TxWait::busy(kWaitPipOnOff, "busy")));
        QCOMPARE(boxes.texts, QStringList{kLinkLost});
        QCOMPARE(device_data.serial_wait_code + device_data.net_wait_code, 0);
        device.waitForFinished();
    }

private:
    bool start(bool serial)
    {
        if (!m_s.start(serial))
            return false;
        m_s.view->set_busy_bound_ms(kBoundMs);
        m_s.view->link().set_full_timing(qgetenv("TESSEL_FULL_TIMING") == "1");
        return true;
    }

    SimSession m_s;
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
