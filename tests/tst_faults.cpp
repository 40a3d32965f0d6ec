// Fault matrix: every acknowledged command, every chain the reply engines
// continue, and every read of the read-back, against a simulated device that
// misbehaves in each way it can, on both links. Whatever the device does, the
// program must come back within the busy bound (plus a second) of the last
// frame it sent, with the window usable, the warning where the device did not
// answer, and the records either updated in full or left alone.
//
// CTest runs slices of the matrix in parallel, one test function each:
// TESSEL_FAULT_ROWS selects the rows whose tag starts with one of its
// comma-separated prefixes.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <algorithm>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "maintenance/maintenance_codec.h"
#include "sim_server.h"
#include "support/file_dialog_answerer.h"
#include "support/link_setup.h"
#include "support/modal_answerer.h"
#include "support/sim_session.h"

namespace {

constexpr int kBoundMs = 2000;
// The longest a direct read after an accepted reply may take: the longest
// first wait and the network's ten polls.
constexpr int kReadAllowanceMs = 1500 + 10 * 300;
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

enum class Fault {
    None,
    Silent,
    BadByte2,
    Split,
    Junk,
    Late,
    PastBound,
    Truncated,
    BadCommand,
    HangUp
};

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
    case Fault::HangUp: // placed by frame count, see acknowledgements()
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

// One acknowledged step: the command sent, the reply code it waits under, and
// how many times the step runs in a row.
struct Step {
    int code;
    uint8_t command;
    int repeat;
};

// What an accepted chain does to the records at its end.
enum class After { Nothing, StatusRead, Reset, ReadBack };

// How a chain begins: a short or a buffer command under a modal busy dialog,
// or the operator's import of a file.
struct Start {
    enum Kind { Short, Buffer, Import } kind;
    QByteArray payload;
    uint8_t a;
    uint8_t b;
};

Start short_form(uint8_t a, uint8_t b)
{
    return {Start::Short, {}, a, b};
}

Start buffer(const QByteArray &payload)
{
    return {Start::Buffer, payload, 0, 0};
}

Start import_file()
{
    return {Start::Import, {}, 0, 0};
}

// A command that waits for its acknowledgement, and the steps the reply
// engines send after it, named by the code of its first step.
struct Chain {
    Start start;
    QVector<Step> steps;
    After after;
    int code_left; // expected-reply code an accepted chain leaves behind

    int code() const { return steps.first().code; }
    bool import() const { return start.kind == Start::Import; }
    // Every command of the chain, in the order the device receives them.
    QList<int> commands() const
    {
        QList<int> sent;
        for (const Step &s : steps)
            for (int i = 0; i < s.repeat; ++i)
                sent.append(s.command);
        return sent;
    }
};

using namespace proto;

const Chain kChains[] = {
    {short_form(0, 3), {{kWaitInputSource, kCmdInputSource, 1}}, After::StatusRead, kWaitStatus},
    {short_form(1, 0), {{kWaitPipOnOff, kCmdPipOnOff, 1}}, After::Nothing, 0},
    {short_form(0, 4), {{kWaitPipSource, kCmdPipSource, 1}}, After::StatusRead, kWaitStatus},
    // Custom 1920 x 1080 at 60 Hz; the engine follows it with the preset command.
    {buffer(QByteArray("\x07\x80\x04\x38\x01", 5)),
     {{kWaitCustomResolution, kCmdCustomResolution, 1},
      {kWaitResolutionDone, kCmdPresetResolution, 1}},
     After::Reset,
     0},
    // Preset 1920 x 1080 at 60 Hz.
    {buffer(QByteArray("\x13\x06", 2)),
     {{kWaitPresetResolution, kCmdPresetResolution, 1}},
     After::Reset,
     0},
    {buffer({}), {{kWaitDeviceInit, kCmdDeviceInit, 1}}, After::Reset, 0},
    // Input block, global block, one block per mode, end; then the device is read back.
    {import_file(),
     {{kWaitImportInput, kCmdImportInput, 1},
      {kWaitImportGlobal, kCmdImportGlobal, 1},
      {kWaitImportMode, kCmdImportMode, kModeCount},
      {kWaitImportEnd, kCmdImportEnd, 1}},
     After::ReadBack,
     kWaitWindows},
};

const Chain *chain_of(int code)
{
    for (const Chain &c : kChains) {
        if (c.code() == code)
            return &c;
    }
    return nullptr;
}

// Imports a file that holds the records as they stand, which passes the
// resolution check, answering the question with Yes.
bool start_import(SimSession &s)
{
    QFile file(s.path(QStringLiteral("import.txt")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(codec::write_config_file(codec::export_values(device_data)));
    file.close();
    FileDialogAnswerer files(file.fileName());
    QTest::mouseClick(s.view->form().importBtn, Qt::LeftButton);
    return true;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_s.stop(); }

    void acknowledgements_data();
    void acknowledgements();
    void readback_data();
    void readback();
    void device_process_killed_data();
    void device_process_killed();

private:
    bool start(bool serial);

    SimSession m_s;
};

bool TestFaults::start(bool serial)
{
    if (!m_s.start(serial))
        return false;
    m_s.view->set_busy_bound_ms(kBoundMs);
    return true;
}

void TestFaults::acknowledgements_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<int>("chain");
    QTest::addColumn<int>("faulted");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("sent");       // commands the device receives
    QTest::addColumn<bool>("completed"); // no warning: the chain ran to its end

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
        // The device hangs up on the step's first frame, without answering it.
        {{"hang-up", Fault::HangUp}, false},
    };
    for (bool serial : {true, false}) {
        for (const Chain &c : kChains) {
            const QList<int> all = c.commands();
            for (const Step &step : c.steps) {
                const int first = all.indexOf(step.command);
                for (const auto &f : faults) {
                    if (f.fault.fault == Fault::HangUp && !c.import())
                        continue; // the killed device covers a lost link under a modal dialog
                    int sent = f.accepted ? all.size() : first + 1;
                    // Split on the network with a step to follow: decided by the tail.
                    if (!serial && f.fault.fault == Fault::Split && first + 1 < all.size())
                        sent = -1;
                    const QByteArray tag = QByteArray(serial ? "serial" : "network") + " " +
                                           QByteArray::number(step.code) + " " + f.fault.name;
                    if (selected(tag))
                        QTest::newRow(tag.constData()) << serial << c.code() << step.code
                                                       << int(f.fault.fault) << sent << f.accepted;
                }
            }
        }
    }
}

void TestFaults::acknowledgements()
{
    QFETCH(bool, serial);
    QFETCH(int, chain);
    QFETCH(int, faulted);
    QFETCH(int, fault);
    QFETCH(int, sent);
    QFETCH(bool, completed);
    const Chain &c = *chain_of(chain);

    if (!start(serial))
        QSKIP("no pseudo-terminal here");
    QVERIFY(m_s.connect_link());
    const Step &step = *std::find_if(c.steps.begin(), c.steps.end(),
                                     [faulted](const Step &s) { return s.code == faulted; });
    inject(m_s.sim->faults(), Fault(fault), step.command, false);
    if (Fault(fault) == Fault::HangUp)
        m_s.sim->faults().drop_after_frames = m_s.sim->frame_log().size() + sent;
    m_s.sim->clear_frame_log();
    // A record that only a reset would bring back to its default layout.
    device_data.mode_data[2].win_out[1] = DevRect{1, 2, 3, 4};

    QElapsedTimer clock;
    clock.start();
    qint64 last_frame_ms = 0;
    QObject scope; // ends the connection with this function
    connect(m_s.sim.get(), &sim::SimServer::frame_received, &scope,
            [&](const QByteArray &) { last_frame_ms = clock.elapsed(); });
    // Second pieces of the split replies, told by the size of their first.
    QList<QByteArray> tails;
    if (sent < 0) {
        const int head = sim::SimDevice::ack_length(step.command) / 2;
        connect(m_s.sim.get(), &sim::SimServer::reply_sent, &scope,
                [&tails, head, after_head = false](const QByteArray &piece) mutable {
                    if (after_head)
                        tails.append(piece);
                    after_head = !after_head && piece.size() == head;
                });
    }
    ModalAnswerer boxes(QMessageBox::Yes);
    if (c.import()) {
        QVERIFY(start_import(m_s));
    } else {
        const TxWait wait = TxWait::busy(c.code(), QStringLiteral("busy"));
        const Start &st = c.start;
        QVERIFY(st.kind == Start::Short
                    ? m_s.view->transmit_short(c.steps[0].command, st.a, st.b, wait)
                    : m_s.view->transmit(c.steps[0].command, st.payload, wait));
    }
    // A chain runs on under the non-modal dialog; a lone command has ended here.
    QTRY_VERIFY_WITH_TIMEOUT(!m_s.view->busy_dialog() && m_s.view->isEnabled(), 60000);
    const qint64 ended = clock.elapsed();
    if (sent < 0) {
        // The network engine judges a reply by the first block it gets: the tail
        // of a split one stands for the next step's reply, and a tail whose
        // byte 2 is not 4 ends the chain there.
        QVERIFY(!tails.isEmpty());
        completed = std::all_of(tails.begin(), tails.end(), [](const QByteArray &t) {
            return t.size() > 2 && uint8_t(t[2]) == proto::kByte2;
        });
        const int first = c.commands().indexOf(step.command);
        sent = completed ? c.commands().size() : first + tails.size() + 1;
    }
    // Reads after an accepted chain are bounded by their own polls: a reply split
    // on the network leaves its tail to spoil a read, which then runs them out.
    const bool reads = c.after == After::StatusRead || c.after == After::ReadBack;
    const int limit = kBoundMs + 1000 + (completed && reads ? kReadAllowanceMs : 0);
    QVERIFY2(ended - last_frame_ms < limit, qPrintable(QString::number(ended - last_frame_ms)));
    // The import asks first; then only the warning, where the device did not answer.
    QCOMPARE(boxes.texts.mid(c.import() ? 1 : 0),
             completed ? QStringList() : QStringList{kNoAnswer});
    int code_left = completed ? c.code_left : 0;
    // The tail of a split last acknowledgement spoils the network read-back's
    // first read, which stops the read-back there (records at their defaults).
    if (completed && !serial && Fault(fault) == Fault::Split && c.after == After::ReadBack &&
        step.code == c.steps.last().code)
        code_left = proto::kWaitStatus;
    QCOMPARE(serial ? device_data.serial_wait_code : device_data.net_wait_code, code_left);

    // A reply after the bound, or the rest of a split one, starts nothing more.
    if (!completed)
        QTest::qWait(1200);
    QCOMPARE(m_s.written_commands(), c.commands().mid(0, sent));
    QCOMPARE(m_s.sim->frame_log().contains(kStatusRead), completed && reads);
    // The import replaces the records from its file, whatever the device answers.
    if (!c.import()) {
        const bool reset = device_data.mode_data[2].win_out[1] == DevRect{1920, 0, 1920, 1080};
        QCOMPARE(reset, completed && c.after == After::Reset);
    }
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

    if (!start(serial))
        QSKIP("no pseudo-terminal here");
    inject(m_s.sim->faults(), Fault(fault), sim::kReadScope + selector, true);
    ModalAnswerer boxes;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_s.connect_link(), open);
    // The slowest honest outcome: every read's first wait, one of them running out
    // its ten polls, and a margin for a loaded machine.
    QVERIFY(clock.elapsed() < 800 + 800 + 1500 + 10 * 300 + 3000);
    QVERIFY(m_s.view->isEnabled());
    QVERIFY(!m_s.view->busy_dialog());
    QCOMPARE(boxes.texts, open ? QStringList() : QStringList{kConnectFailed});

    const sim::SimImage &s = m_s.sim->image();
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

    QVERIFY(start(false)); // the window only: the device is a process of its own
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
    QVERIFY(connect_view(*m_s.view, port, pty, serial));

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
    const bool sent = m_s.view->transmit_short(proto::kCmdInputSource, 0, 3,
                                               TxWait::busy(proto::kWaitInputSource, "busy"));
    QVERIFY(clock.elapsed() < kBoundMs + 1000);
    QVERIFY(!m_s.view->busy_dialog());
    QVERIFY(m_s.view->isEnabled());
    QCOMPARE(boxes.texts, sent ? QStringList{kNoAnswer} : QStringList());
    if (while_busy)
        QVERIFY(sent);
    device.waitForFinished();

    // The next command after the loss ends the same way.
    boxes.texts.clear();
    clock.restart();
    const bool again = m_s.view->transmit_short(proto::kCmdPipOnOff, 0, 1,
                                                TxWait::busy(proto::kWaitPipOnOff, "busy"));
    QVERIFY(clock.elapsed() < kBoundMs + 1000);
    QVERIFY(m_s.view->isEnabled());
    QCOMPARE(boxes.texts, again ? QStringList{kNoAnswer} : QStringList());
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
