// Figures an operator feels, each the median of several runs on loopback
// against the simulated device, printed beside the floor that the protocol's
// fixed waits impose: what lies above the floor is the program's own work.
//
//   tessel_bench [--markdown FILE]   all figures; the table also goes to FILE
//   tessel_bench --startup-child     one start-up, printed as "ms rss_kib"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/tesselview.h"
#include "device/ccwaitdialog.h"
#include "device/device_data.h"
#include "device/protocol.h"
#include "import_preview_answerer.h"
#include "maintenance/config_diff.h"
#include "sim_server.h"
#include "support/file_dialog_answerer.h"
#include "support/modal_answerer.h"
#include "widgets/qiplineedit.h"

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

namespace {

constexpr int kRuns = 5;
// Export and import last seconds each: fewer runs keep the whole run short.
constexpr int kLongRuns = 3;
constexpr int kOverheadTargetMs = 100;
// The export's pauses before each read (the maintenance code's pacing).
constexpr int kExportWindowsPauseMs = 200;
constexpr int kExportLedPauseMs = 300;
const QString kNoTarget = QStringLiteral("no target");

struct Row {
    QString what;
    qint64 floor_ms = 0;
    qint64 median_ms = -1;
    QString extra;  // a figure that has no floor (memory)
    QString target; // the required figure, where one is set
    int runs = kRuns;
};

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

void measure_startup(const QString &self, std::vector<Row> &rows)
{
    std::vector<qint64> times;
    std::vector<qint64> memory;
    for (int i = 0; i < kRuns; ++i) {
        QProcess child;
        child.start(self, {QStringLiteral("--startup-child")});
        child.waitForFinished(30000);
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        times.push_back(parts.size() == 2 ? parts[0].toLongLong() : -1);
        memory.push_back(parts.size() == 2 ? parts[1].toLongLong() : -1);
    }
    Row row{QStringLiteral("start to first window shown"), 0, median(times), {}, kNoTarget};
    row.extra = QStringLiteral("resident memory %1 MiB").arg(median(memory) / 1024.0, 0, 'f', 1);
    rows.push_back(row);
}

// Times an action; where it waits for the operator first (the file dialog of
// export and import, the import preview), the clock starts when the last of those
// dialogs closes, so the answerers' polling is not counted as the program's work.
class AnswerClock : public QObject
{
public:
    AnswerClock() { qApp->installEventFilter(this); }
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
             qobject_cast<ImportPreview *>(watched)))
            m_answered_at = m_clock.elapsed();
        return false;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_answered_at = 0;
};

class Bench
{
public:
    Bench()
    {
        qputenv("TESSEL_APP_DIR", m_dir.path().toUtf8());
        m_sim.listen_tcp();
        m_pty = m_sim.open_pty();
        m_view.show();
        if (!m_pty.isEmpty())
            m_view.add_extra_serial_port(m_pty);
    }

    bool connect_link(bool serial)
    {
        auto &ui = m_view.form();
        if (device_data.serial_open || device_data.net_open)
            ui.connectBtn->click();
        if (serial) {
            ui.serialradioBtn->click();
            ui.serialBox->setCurrentText(m_pty);
        } else {
            ui.webradioBtn->click();
            m_view.set_port_text(QString::number(m_sim.tcp_port()));
            m_view.ip_editor()->setText(QStringLiteral("127.0.0.1"));
        }
        ui.connectBtn->click();
        return ui.stackedWidget->currentIndex() == TesselView::kPageMultiWindow &&
               (serial ? device_data.serial_open : device_data.net_open);
    }

    void disconnect_link()
    {
        if (device_data.serial_open || device_data.net_open)
            m_view.form().connectBtn->click();
    }

    // Mode button 0 or 1, from press to the window enabled again.
    bool select_mode(int mode)
    {
        (mode == 0 ? m_view.form().m0Btn : m_view.form().m1Btn)->click();
        return m_view.isEnabled() && device_data.cur_mul_mode == mode;
    }

    bool refresh_output_page()
    {
        m_view.form().outBtn->click();
        return m_view.isEnabled() &&
               m_view.form().stackedWidget->currentIndex() == TesselView::kPageOutput;
    }

    // The whole export: the reads of every mode, then the file written.
    bool export_file()
    {
        QFile::remove(file_path());
        FileDialogAnswerer files(file_path());
        m_view.form().exportBtn->click();
        // The closed dialog goes later (deleteLater), so ask whether it is still shown.
        const CCWaitDialog *busy = m_view.busy_dialog();
        return QFile::exists(file_path()) && m_view.isEnabled() && !(busy && busy->isVisible());
    }

    // What the import preview does before it shows: read every value of the
    // file from the device and compare it with the last export.
    bool compare_file()
    {
        QFile file(file_path());
        const std::optional<codec::ConfigValues> device = m_view.read_configuration();
        if (!device || !file.open(QIODevice::ReadOnly))
            return false;
        ImportPreview preview(true, &m_view);
        preview.set_changes(codec::compare_config(*device, codec::read_config_file(file.readAll())));
        return true;
    }

    // The whole import of the last export, from the preview to the end of the read-back.
    bool import_file()
    {
        FileDialogAnswerer files(file_path());
        ModalAnswerer boxes(QMessageBox::Yes);
        PreviewAnswerer preview(true);
        m_view.form().importBtn->click();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
            if (!m_view.busy_dialog() && m_view.isEnabled())
                loop.quit();
        });
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        poll.start(5);
        loop.exec();
        // No box at all: a warning would mean the device was not heard.
        return preview.seen.size() == 1 && boxes.texts.isEmpty() && !m_view.busy_dialog() &&
               m_view.isEnabled();
    }

    bool has_serial() const { return !m_pty.isEmpty(); }
    TesselView &view() { return m_view; }
    sim::SimServer &sim() { return m_sim; }
    QString file_path() const { return m_dir.filePath(QStringLiteral("bench.txt")); }

private:
    QTemporaryDir m_dir;
    sim::SimServer m_sim;
    QString m_pty;
    TesselView m_view;
};

int floor_of(std::initializer_list<proto::ReadSpec> reads, bool serial)
{
    int total = 0;
    for (const proto::ReadSpec &r : reads)
        total += serial ? r.serial_wait_ms : r.net_first_wait_ms;
    return total;
}

int wait_of(int code, bool serial)
{
    const proto::EngineCase *c = proto::engine_case(code);
    return serial && c ? c->wait_ms : 0;
}

std::vector<qint64> repeat(int runs, const std::function<bool()> &action)
{
    AnswerClock clock;
    std::vector<qint64> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(clock.timed(action));
    return times;
}

// Every figure that needs a link, on each link in turn.
void measure_links(Bench &bench, std::vector<Row> &rows)
{
    for (const bool serial : {true, false}) {
        if (serial && !bench.has_serial())
            continue;
        const QString link = serial ? QStringLiteral("serial") : QStringLiteral("network");
        const auto wait = [serial](const proto::ReadSpec &r) {
            return serial ? r.serial_wait_ms : r.net_first_wait_ms;
        };
        const int readback =
            floor_of({proto::kReadStatusBoot, proto::kReadModeTable, proto::kReadWindows}, serial);

        // The disconnect before each run stays off the clock.
        std::vector<qint64> connect;
        AnswerClock clock;
        for (int i = 0; i < kRuns; ++i) {
            bench.disconnect_link();
            connect.push_back(clock.timed([&] { return bench.connect_link(serial); }));
        }
        rows.push_back({QStringLiteral("Connect to multi-window page, %1").arg(link),
                        readback,
                        median(connect),
                        {},
                        QStringLiteral("at least %1 s (read-back)").arg(readback / 1000.0)});

        // Alternating modes, so that every click is a change.
        int mode = 0;
        rows.push_back({QStringLiteral("mode selection, %1").arg(link),
                        wait(proto::kReadWindows) + 1200,
                        median(repeat(kRuns, [&] { return bench.select_mode(mode ^= 1); })),
                        {},
                        kNoTarget});

        const proto::ReadSpec &sizes =
            device_data.mosaic_on ? proto::kReadWallSizes : proto::kReadLedTotals;
        rows.push_back({QStringLiteral("output page refresh, %1").arg(link),
                        wait(proto::kReadLedRects) + wait(sizes) + wait(proto::kReadUnitRects),
                        median(repeat(kRuns, [&] { return bench.refresh_output_page(); })),
                        {},
                        kNoTarget});

        rows.push_back({QStringLiteral("export, %1").arg(link),
                        kModeCount * (kExportWindowsPauseMs + wait(proto::kReadWindows) +
                                      kExportLedPauseMs + wait(proto::kReadLedRects)),
                        median(repeat(kLongRuns, [&] { return bench.export_file(); })),
                        {},
                        kNoTarget,
                        kLongRuns});

        rows.push_back({QStringLiteral("import preview reads and comparison, %1").arg(link),
                        wait(proto::kReadStatusInput) + wait(proto::kReadModeTable) +
                            2 * wait(proto::kReadInputCard) + wait(proto::kReadWinAdjust) +
                            wait(proto::kReadWinBorders) +
                            kModeCount * (wait(proto::kReadWindows) + wait(proto::kReadLedRects)),
                        median(repeat(kLongRuns, [&] { return bench.compare_file(); })),
                        {},
                        kNoTarget,
                        kLongRuns});

        // The serial engine reads each acknowledgement after its fixed wait.
        const int chain = wait_of(proto::kWaitImportInput, serial) +
                          wait_of(proto::kWaitImportGlobal, serial) +
                          kModeCount * wait_of(proto::kWaitImportMode, serial) +
                          wait_of(proto::kWaitImportEnd, serial);
        rows.push_back({QStringLiteral("import, %1").arg(link),
                        chain + readback,
                        median(repeat(kLongRuns, [&] { return bench.import_file(); })),
                        {},
                        kNoTarget,
                        kLongRuns});
        bench.disconnect_link();
    }
}

QString table(const std::vector<Row> &rows, bool *all_met)
{
    QString out;
    QTextStream s(&out);
    s << "| what | floor | measured (median) | the program's own work | required |\n"
      << "|---|---|---|---|---|\n";
    *all_met = true;
    for (const Row &r : rows) {
        const QString what = QStringLiteral("%1 (%2 runs)").arg(r.what).arg(r.runs);
        if (r.median_ms < 0) {
            s << "| " << what << " | | failed | | " << r.target << " |\n";
            *all_met = false;
            continue;
        }
        if (r.floor_ms == 0) {
            s << "| " << what << " | - | " << r.median_ms << " ms | " << r.extra << " | "
              << r.target << " |\n";
            continue;
        }
        const qint64 overhead = r.median_ms - r.floor_ms;
        const bool met = overhead < kOverheadTargetMs;
        *all_met = *all_met && met;
        s << "| " << what << " | " << r.floor_ms << " ms | " << r.median_ms << " ms | " << overhead
          << " ms (< " << kOverheadTargetMs << (met ? ")" : ": MISSED)") << " | " << r.target
          << " |\n";
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

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--startup-child") == 0)
            return startup_child(argc, argv);
    }
    QApplication app(argc, argv);
    QString markdown;
    const QStringList args = QCoreApplication::arguments();
    const int at = args.indexOf(QStringLiteral("--markdown"));
    if (at > 0 && at + 1 < args.size())
        markdown = args[at + 1];

    const QString load_before = load_average();
    std::vector<Row> rows;
    measure_startup(QCoreApplication::applicationFilePath(), rows);
    {
        Bench bench;
        measure_links(bench, rows);
    }

    bool all_met = false;
    const QString text =
        table(rows, &all_met) +
        QStringLiteral("\n%1 build; load average %2 at the start, %3 at the end.\n")
            .arg(QStringLiteral(TESSEL_BUILD_TYPE), load_before, load_average());
    QTextStream(stdout) << text;
    if (!markdown.isEmpty()) {
        QFile file(markdown);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write(text.toUtf8());
    }
    return all_met ? 0 : 2;
}
