// Figures an operator feels, each the median of several runs on loopback
// against a separate tessel-sim process that paces its lines to 115200 baud,
// in both timing modes of the program:
// - fast replies (the default): each figure beside its target and beside the
//   time the line itself needs for the bytes of that action, both ways (the
//   physical limit), counted from the simulator's logs;
// - full protocol timing: each figure beside the floor that the specified
//   waits impose and the line time they cannot cover (an acknowledgement's
//   wait starts only once its request has crossed the line); what lies above
//   both is the program's own work.
//
//   tessel_bench [--markdown FILE] [--mode fast|full|both] [--runs N]
//                                    all figures; the tables also go to FILE;
//                                    N runs of every line instead of 5 (3 for
//                                    the long full-timing lines)
//   tessel_bench --startup-child     one start-up, printed as "ms rss_kib"
//
// The mode is the settings file's FullTiming key, written before the window is
// made, and the fullTimingBox check box where the build has one. A build
// without the box has no fast replies: "both" then measures full timing only.

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/tesselview.h"
#include "device/ccwaitdialog.h"
#include "device/device_data.h"
#include "device/protocol.h"
#include "import_preview_answerer.h"
#include "maintenance/config_diff.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "widgets/qiplineedit.h"

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace {

constexpr int kBaud = 115200;
// Runs of each line; export and import last seconds each with full timing,
// so fewer runs there. --runs sets both.
int runs = 5;
int long_runs = 3;
constexpr int kOverheadTargetMs = 100;
constexpr double kRatioAim = 2.0;
// Every action is given up after this long (the longest, an export, takes 45 s).
constexpr int kActionLimitMs = 120000;

struct Row {
    QString what;
    int runs = 0;
    qint64 median_ms = -1;
    qint64 floor_ms = -1;  // full timing: the specified waits; -1 none
    qint64 target_ms = -1; // fast replies: the required figure; -1 none
    // Bytes of the frames to the device and of its replies in one run; -1 not counted.
    qint64 bytes_in = -1;
    qint64 bytes_out = -1;
    // Full timing: line time that the specified waits cannot cover.
    double uncovered_ms = 0;

    qint64 bytes() const { return bytes_in < 0 ? -1 : bytes_in + bytes_out; }
    QString note;
};

// How long the line takes for this many bytes, 10 bits each.
double line_ms(qint64 bytes)
{
    return bytes * 10 * 1000.0 / kBaud;
}

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() || v.front() < 0 ? -1 : v[v.size() / 2];
}

#ifdef Q_OS_LINUX
// Milliseconds since this process was started by the kernel (10 ms resolution).
qint64 ms_since_process_start()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    // Field 22 (start time in clock ticks) counts from after the command name,
    // which may itself contain spaces.
    const QByteArray s = stat.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double start_s = fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    const double now_s = uptime.readAll().split(' ').value(0).toDouble();
    return qint64((now_s - start_s) * 1000.0);
}

qint64 rss_kib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
#endif

// What main() does up to the first exposed window, then the figures.
int startup_child(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("windows")));
    TesselView view;
    view.show();
    while (!view.windowHandle() || !view.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
#ifdef Q_OS_LINUX
    std::printf("%lld %lld\n", static_cast<long long>(ms_since_process_start()),
                static_cast<long long>(rss_kib()));
#else
    std::printf("-1 -1\n");
#endif
    return 0;
}

// The simulated device as its own process, its lines paced to kBaud. Its
// logs hold every frame it received and every reply it sent, in hex.
class SimProcess
{
public:
    bool start()
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TESSEL_SIM_PATH),
                        {QStringLiteral("--baud"), QString::number(kBaud),
                         QStringLiteral("--tcp-port"), QStringLiteral("0"),
                         QStringLiteral("--serial"), QStringLiteral("--log"), log(kFrames),
                         QStringLiteral("--reply-log"), log(kReplies)});
        // It names its TCP port, then its pseudo-terminal, one line each.
        QByteArray out;
        while (out.count('\n') < 2 && m_process.waitForReadyRead(10000))
            out += m_process.readAllStandardOutput();
        for (const QByteArray &line : out.split('\n')) {
            if (line.startsWith("tcp "))
                m_port = quint16(line.mid(line.lastIndexOf(':') + 1).toUInt());
            else if (line.startsWith("serial "))
                m_pty = QString::fromLocal8Bit(line.mid(7).trimmed());
        }
        return m_port != 0;
    }

    ~SimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    quint16 tcp_port() const { return m_port; }
    QString pty() const { return m_pty; }

    // Bytes of every frame to the device, and of every reply, so far.
    qint64 bytes_in() const { return hex_bytes(log(kFrames)); }
    qint64 bytes_out() const { return hex_bytes(log(kReplies)); }

private:
    static constexpr const char *kFrames = "frames.log";
    static constexpr const char *kReplies = "replies.log";

    QString log(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    static qint64 hex_bytes(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        qint64 bytes = 0;
        for (const QByteArray &line : file.readAll().split('\n'))
            bytes += line.trimmed().size() / 2;
        return bytes;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_pty;
};

// An application directory whose settings file holds the timing mode.
std::unique_ptr<QTemporaryDir> app_dir_for(bool full_timing)
{
    auto dir = std::make_unique<QTemporaryDir>();
    QSettings settings(dir->filePath(QStringLiteral("ini/info.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("SerialPort/FullTiming"), full_timing);
    settings.sync();
    qputenv("TESSEL_APP_DIR", dir->path().toUtf8());
    return dir;
}

Row measure_startup(const QString &self)
{
    std::vector<qint64> times;
    std::vector<qint64> memory;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.start(self, {QStringLiteral("--startup-child")});
        child.waitForFinished(30000);
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        times.push_back(parts.size() == 2 ? parts[0].toLongLong() : -1);
        memory.push_back(parts.size() == 2 ? parts[1].toLongLong() : -1);
    }
    Row row;
    row.what = QStringLiteral("start to first window shown");
    row.runs = runs;
    row.median_ms = median(times);
    row.note = QStringLiteral("%1 MiB resident").arg(median(memory) / 1024.0, 0, 'f', 1);
    return row;
}

// Runs the event loop until done() holds, at most kActionLimitMs.
bool wait_until(const std::function<bool()> &done)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(kActionLimitMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}

// Times an action; where it waits for the operator first (the file dialog of
// export and import, the import preview), the clock starts when the last of those
// dialogs closes, so the answerers' polling is not counted as the program's work.
class AnswerClock : public QObject
{
public:
    // answered() runs when the operator's last answer closes, so that what is
    // counted with the clock can start there too.
    explicit AnswerClock(std::function<void()> answered) : m_answered(std::move(answered))
    {
        qApp->installEventFilter(this);
    }
    ~AnswerClock() override { qApp->removeEventFilter(this); }

    qint64 timed(const std::function<bool()> &action)
    {
        m_clock.start();
        m_answered_at = 0;
        const bool ok = action();
        return ok ? m_clock.elapsed() - m_answered_at : -1;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide &&
            (qobject_cast<QFileDialog *>(watched) || qobject_cast<QMessageBox *>(watched) ||
             qobject_cast<ImportPreview *>(watched))) {
            m_answered_at = m_clock.elapsed();
            m_answered();
        }
        return false;
    }

private:
    std::function<void()> m_answered;
    QElapsedTimer m_clock;
    qint64 m_answered_at = 0;
};

// One main window in one timing mode, driven as an operator would.
class Bench
{
public:
    Bench(SimProcess &sim, bool full_timing) : m_sim(sim), m_dir(app_dir_for(full_timing))
    {
        m_view = std::make_unique<TesselView>();
        m_view->show();
        if (QCheckBox *box = timing_box(*m_view))
            box->setChecked(full_timing);
        if (!m_sim.pty().isEmpty())
            m_view->add_extra_serial_port(m_sim.pty());
    }

    static QCheckBox *timing_box(const TesselView &view)
    {
        return view.findChild<QCheckBox *>(QStringLiteral("fullTimingBox"));
    }

    // Each action returns why it failed, or nothing. A message box (the device
    // not heard) is a failure; it is answered, so that it cannot hang the bench.
    QString connect_link(bool serial)
    {
        ModalAnswerer boxes;
        auto &ui = m_view->form();
        if (serial) {
            ui.serialradioBtn->click();
            ui.serialBox->setCurrentText(m_sim.pty());
        } else {
            ui.webradioBtn->click();
            m_view->set_port_text(QString::number(m_sim.tcp_port()));
            m_view->ip_editor()->setText(QStringLiteral("127.0.0.1"));
        }
        ui.connectBtn->click();
        return outcome(wait_until([&] {
                           return ui.stackedWidget->currentIndex() ==
                                      TesselView::kPageMultiWindow &&
                                  (serial ? device_data.serial_open : device_data.net_open) &&
                                  idle();
                       }),
                       boxes);
    }

    void disconnect_link()
    {
        if (device_data.serial_open || device_data.net_open)
            m_view->form().connectBtn->click();
    }

    // Mode button 0 or 1, from press to the window enabled again.
    QString select_mode(int mode)
    {
        ModalAnswerer boxes;
        (mode == 0 ? m_view->form().m0Btn : m_view->form().m1Btn)->click();
        return outcome(wait_until([&] { return idle() && device_data.cur_mul_mode == mode; }),
                       boxes);
    }

    QString refresh_output_page()
    {
        ModalAnswerer boxes;
        m_view->form().outBtn->click();
        return outcome(wait_until([&] {
                           return idle() && m_view->form().stackedWidget->currentIndex() ==
                                                TesselView::kPageOutput;
                       }),
                       boxes);
    }

    // The whole export: the reads of every mode, then the file written.
    QString export_file()
    {
        QFile::remove(file_path());
        FileDialogAnswerer files(file_path());
        ModalAnswerer boxes;
        m_view->form().exportBtn->click();
        return outcome(wait_until([&] { return QFile::exists(file_path()) && idle(); }), boxes);
    }

    // What the import preview does before it shows: read every value of the
    // file from the device and compare it with the last export.
    QString compare_file()
    {
        QFile file(file_path());
        const std::optional<codec::ConfigValues> device = m_view->read_configuration();
        if (!device)
            return QStringLiteral("the device's configuration was not read");
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("no export to compare with");
        ImportPreview preview(true, m_view.get());
        preview.set_changes(
            codec::compare_config(*device, codec::read_config_file(file.readAll())));
        return QString();
    }

    // The whole import of the last export, from the preview to the end of the
    // read-back.
    QString import_file()
    {
        FileDialogAnswerer files(file_path());
        ModalAnswerer boxes(QMessageBox::Yes);
        PreviewAnswerer preview(true);
        m_view->form().importBtn->click();
        const QString why = outcome(wait_until([&] { return idle(); }), boxes);
        return why.isEmpty() && preview.seen.size() != 1 ? QStringLiteral("no preview shown") : why;
    }

private:
    // Reached the end, and no message box came.
    static QString outcome(bool reached, const ModalAnswerer &boxes)
    {
        if (!boxes.texts.isEmpty())
            return QStringLiteral("\"%1\"").arg(boxes.texts.join("\", \""));
        return reached ? QString()
                       : QStringLiteral("no end within %1 s").arg(kActionLimitMs / 1000);
    }

    // The window enabled and no busy dialog shown (a closed one goes later,
    // by deleteLater, so ask whether it is still visible).
    bool idle() const
    {
        const CCWaitDialog *busy = m_view->busy_dialog();
        return m_view->isEnabled() && !(busy && busy->isVisible());
    }

    QString file_path() const { return m_dir->filePath(QStringLiteral("bench.txt")); }

    SimProcess &m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TesselView> m_view;
};

int wait_of(int code, bool serial)
{
    const proto::EngineCase *c = proto::engine_case(code);
    return serial && c ? c->wait_ms : 0;
}

// Runs an action several times; before() goes off the clock ahead of each run.
// The row gets the median time and the median bytes both ways, and the first
// reason for a failed run.
Row measured(const QString &what, int count, SimProcess &sim,
             const std::function<QString()> &action, const std::function<void()> &before = {})
{
    Row row;
    // Bytes count from where the clock starts: the preview's reads before an
    // import are not the import's.
    qint64 in = 0;
    qint64 out = 0;
    const auto count_from_here = [&] {
        in = sim.bytes_in();
        out = sim.bytes_out();
    };
    AnswerClock clock(count_from_here);
    std::vector<qint64> times;
    std::vector<qint64> bytes_in;
    std::vector<qint64> bytes_out;
    for (int i = 0; i < count; ++i) {
        if (before)
            before();
        count_from_here();
        QString why;
        times.push_back(clock.timed([&] { return (why = action()).isEmpty(); }));
        if (row.note.isEmpty())
            row.note = why;
        bytes_in.push_back(sim.bytes_in() - in);
        bytes_out.push_back(sim.bytes_out() - out);
    }
    row.what = what;
    row.runs = count;
    row.median_ms = median(times);
    row.bytes_in = median(bytes_in);
    row.bytes_out = median(bytes_out);
    return row;
}

// Every figure that needs a link, on each link in turn.
void measure_links(Bench &bench, SimProcess &sim, bool full_timing, std::vector<Row> &rows)
{
    const int long_count = full_timing ? long_runs : runs;
    for (const bool serial : {true, false}) {
        if (serial && sim.pty().isEmpty())
            continue;
        const QString link = serial ? QStringLiteral("serial") : QStringLiteral("network");
        const auto wait = [serial](const proto::ReadSpec &r) {
            return serial ? r.serial_wait_ms : r.net_first_wait_ms;
        };
        const int readback = wait(proto::kReadStatusBoot) + wait(proto::kReadModeTable) +
                             wait(proto::kReadWindows);

        Row row = measured(
            QStringLiteral("Connect to multi-window page, %1").arg(link), runs, sim,
            [&] { return bench.connect_link(serial); }, [&] { bench.disconnect_link(); });
        row.floor_ms = readback;
        row.target_ms = 100;
        rows.push_back(row);
        const Row connect = row;

        // Alternating modes, so that every click is a change.
        int mode = 0;
        row = measured(QStringLiteral("mode selection, %1").arg(link), runs, sim,
                       [&] { return bench.select_mode(mode ^= 1); });
        row.floor_ms = wait(proto::kReadWindows) + 1200;
        row.target_ms = 50;
        rows.push_back(row);

        const proto::ReadSpec &sizes =
            device_data.mosaic_on ? proto::kReadWallSizes : proto::kReadLedTotals;
        row = measured(QStringLiteral("output page refresh, %1").arg(link), runs, sim,
                       [&] { return bench.refresh_output_page(); });
        row.floor_ms = wait(proto::kReadLedRects) + wait(sizes) + wait(proto::kReadUnitRects);
        row.target_ms = 50;
        rows.push_back(row);

        // The export and the preview read every mode's rectangles with the same pauses.
        const int rect_reads =
            kModeCount * (DeviceLink::kWindowsReadPauseMs + wait(proto::kReadWindows) +
                          DeviceLink::kLedReadPauseMs + wait(proto::kReadLedRects));
        row = measured(QStringLiteral("export, %1").arg(link), long_count, sim,
                       [&] { return bench.export_file(); });
        row.floor_ms = rect_reads;
        row.target_ms = 1000;
        rows.push_back(row);

        row = measured(QStringLiteral("import preview reads and comparison, %1").arg(link),
                       long_count, sim, [&] { return bench.compare_file(); });
        row.floor_ms = wait(proto::kReadStatusInput) + wait(proto::kReadModeTable) +
                       2 * wait(proto::kReadInputCard) + wait(proto::kReadWinAdjust) +
                       wait(proto::kReadWinBorders) + rect_reads;
        rows.push_back(row);

        // The serial engine reads each acknowledgement after its fixed wait.
        const int chain = wait_of(proto::kWaitImportInput, serial) +
                          wait_of(proto::kWaitImportGlobal, serial) +
                          kModeCount * wait_of(proto::kWaitImportMode, serial) +
                          wait_of(proto::kWaitImportEnd, serial);
        row = measured(QStringLiteral("import to the end of its read-back, %1").arg(link),
                       long_count, sim, [&] { return bench.import_file(); });
        row.floor_ms = chain + readback;
        row.target_ms = 1000;
        // The chain's own bytes are what the read-back does not have. Each serial
        // wait starts at the first byte of its acknowledgement, so the request's
        // bytes and that byte come on top; the network engine sends the next
        // step once the whole acknowledgement is in.
        const qint64 chain_in = row.bytes_in - connect.bytes_in;
        const qint64 chain_out = row.bytes_out - connect.bytes_out;
        if (row.bytes_in >= 0 && connect.bytes_in >= 0)
            row.uncovered_ms =
                line_ms(serial ? chain_in + DeviceLink::kUploadSteps : chain_in + chain_out);
        rows.push_back(row);
        bench.disconnect_link();
    }
}

// tessel-cli status, process start to exit, on each link; only where the
// build has the command-line program.
void measure_cli(SimProcess &sim, std::vector<Row> &rows)
{
    const QString cli = QStringLiteral(TESSEL_CLI_PATH);
    if (!QFileInfo(cli).isExecutable())
        return;
    for (const bool serial : {true, false}) {
        if (serial && sim.pty().isEmpty())
            continue;
        const QStringList args =
            serial ? QStringList{QStringLiteral("--serial"), sim.pty(), QStringLiteral("status")}
                   : QStringList{QStringLiteral("--host"),
                                 QStringLiteral("127.0.0.1:%1").arg(sim.tcp_port()),
                                 QStringLiteral("status")};
        Row row = measured(
            QStringLiteral("tessel-cli status, process start to exit, %1")
                .arg(serial ? QStringLiteral("serial") : QStringLiteral("network")),
            runs, sim, [&] {
                QProcess process;
                process.setStandardOutputFile(QProcess::nullDevice());
                process.start(cli, args);
                if (!process.waitForFinished(kActionLimitMs))
                    return QStringLiteral("no end within %1 s").arg(kActionLimitMs / 1000);
                if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
                    return QStringLiteral("exit status %1: %2")
                        .arg(process.exitCode())
                        .arg(QString::fromLocal8Bit(process.readAllStandardError().trimmed()));
                return QString();
            });
        row.target_ms = 150;
        rows.push_back(row);
    }
}

QString runs_text(const Row &r)
{
    return r.runs == 1 ? QStringLiteral("1 run") : QStringLiteral("%1 runs").arg(r.runs);
}

QString ms(qint64 v)
{
    return QStringLiteral("%1 ms").arg(v);
}

// Fast replies: each figure beside its target and the line's own time.
QString fast_table(const std::vector<Row> &rows, bool *all_met)
{
    QString out;
    QTextStream s(&out);
    s << "| what | measured (median) | target | bytes both ways | their line time at " << kBaud
      << " baud | ratio (aim <= " << kRatioAim << "x) |\n"
      << "|---|---|---|---|---|---|\n";
    for (const Row &r : rows) {
        s << "| " << r.what << " (" << runs_text(r) << ") | ";
        if (r.median_ms < 0) {
            s << "failed: " << r.note << " | | | | |\n";
            *all_met = false;
            continue;
        }
        s << ms(r.median_ms) << (r.note.isEmpty() ? QString() : QStringLiteral(", ") + r.note)
          << " | ";
        if (r.target_ms >= 0) {
            const bool met = r.median_ms < r.target_ms;
            *all_met = *all_met && met;
            s << "< " << ms(r.target_ms) << (met ? "" : ": MISSED");
        } else {
            s << "-";
        }
        s << " | ";
        if (r.bytes() > 0) {
            const double line = line_ms(r.bytes());
            const double ratio = r.median_ms / line;
            s << r.bytes() << " | " << QString::number(line, 'f', 1) << " ms | "
              << QString::number(ratio, 'f', 2) << "x" << (ratio <= kRatioAim ? "" : " (above)");
        } else {
            s << "- | - | -";
        }
        s << " |\n";
    }
    return out;
}

// Full timing: each figure beside the floor of the specified waits and the
// line time they cannot cover.
QString full_table(const std::vector<Row> &rows, bool *all_met)
{
    QString out;
    QTextStream s(&out);
    s << "| what | floor (specified waits) | line time the waits do not cover | measured (median) "
         "| overhead (< "
      << kOverheadTargetMs << " ms) |\n"
      << "|---|---|---|---|---|\n";
    for (const Row &r : rows) {
        s << "| " << r.what << " (" << runs_text(r) << ") | ";
        if (r.median_ms < 0) {
            s << "| | failed: " << r.note << " | |\n";
            *all_met = false;
            continue;
        }
        if (r.floor_ms < 0) {
            s << "- | - | " << ms(r.median_ms) << (r.note.isEmpty() ? "" : ", ") << r.note
              << " | - |\n";
            continue;
        }
        const qint64 overhead = r.median_ms - r.floor_ms - qRound64(r.uncovered_ms);
        const bool met = overhead < kOverheadTargetMs;
        *all_met = *all_met && met;
        s << ms(r.floor_ms) << " | " << (r.uncovered_ms > 0 ? ms(qRound64(r.uncovered_ms)) : "-")
          << " | " << ms(r.median_ms) << " | " << ms(overhead) << (met ? "" : ": MISSED") << " |\n";
    }
    return out;
}

// The one-minute load average: figures from a busy machine say so.
QString load_average()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll().split(' ').value(0));
}

// All rows of one timing mode, the window made afresh for it.
std::vector<Row> measure_mode(SimProcess &sim, bool full_timing)
{
    std::vector<Row> rows;
    {
        // The start-up child reads the same settings file.
        const auto dir = app_dir_for(full_timing);
        rows.push_back(measure_startup(QCoreApplication::applicationFilePath()));
    }
    device_data = DeviceData();
    Bench bench(sim, full_timing);
    measure_links(bench, sim, full_timing, rows);
    if (!full_timing)
        measure_cli(sim, rows);
    return rows;
}

bool has_fast_replies()
{
    const auto dir = app_dir_for(false);
    TesselView view;
    return Bench::timing_box(view) != nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--startup-child") == 0)
            return startup_child(argc, argv);
    }
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto option = [&args](const char *name) {
        const int at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : QString();
    };
    const QString markdown = option("--markdown");
    const QString mode = option("--mode").isEmpty() ? QStringLiteral("both") : option("--mode");
    if (mode != QLatin1String("both") && mode != QLatin1String("fast") &&
        mode != QLatin1String("full")) {
        std::fputs("tessel_bench: --mode is fast, full or both\n", stderr);
        return 2;
    }
    if (!option("--runs").isEmpty()) {
        runs = long_runs = option("--runs").toInt();
        if (runs < 1) {
            std::fputs("tessel_bench: --runs needs a positive number\n", stderr);
            return 2;
        }
    }

    SimProcess sim;
    if (!sim.start()) {
        std::fputs("tessel_bench: tessel-sim did not start\n", stderr);
        return 2;
    }
    const QString load_before = load_average();
    const bool fast_here = has_fast_replies();
    bool all_met = true;
    QString text;
    if (mode != QLatin1String("full")) {
        if (!fast_here && mode == QLatin1String("both")) {
            text += QStringLiteral("Fast replies (the default): not measured, this build has no "
                                   "`fullTimingBox` and so no fast replies.\n");
        } else {
            text +=
                QStringLiteral("Fast replies (the default), against `tessel-sim --baud %1`:\n\n")
                    .arg(kBaud);
            text += fast_table(measure_mode(sim, false), &all_met);
            if (!fast_here)
                text += QStringLiteral("\nThis build has no `fullTimingBox` and so no fast "
                                       "replies: the lines above ran with the specified waits.\n");
        }
        text += QLatin1Char('\n');
    }
    if (mode != QLatin1String("fast")) {
        text +=
            QStringLiteral("Full protocol timing, against `tessel-sim --baud %1`:\n\n").arg(kBaud);
        text += full_table(measure_mode(sim, true), &all_met) + QLatin1Char('\n');
    }
    text += QStringLiteral("%1 build; load average %2 at the start, %3 at the end.\n")
                .arg(QStringLiteral(TESSEL_BUILD_TYPE), load_before, load_average());
    QTextStream(stdout) << text;
    if (!markdown.isEmpty()) {
        QFile file(markdown);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write(text.toUtf8());
    }
    return all_met ? 0 : 2;
}
