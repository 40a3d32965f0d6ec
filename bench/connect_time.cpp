// Time from pressing Connect to the multi-window page being shown, on both
// links, against the floor that the fixed reply waits impose. The simulated
// device runs in-process and answers at once, so what lies above the floor is
// the program's own work.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "widgets/qiplineedit.h"

namespace {

constexpr int kRuns = 5;
constexpr int kOverheadTargetMs = 100;

int floor_ms(bool serial)
{
    const proto::ReadSpec reads[] = {proto::kReadStatusBoot, proto::kReadModeTable,
                                     proto::kReadWindows};
    int total = 0;
    for (const proto::ReadSpec &r : reads)
        total += serial ? r.serial_wait_ms : r.net_first_wait_ms;
    return total;
}

// Milliseconds from the click to the multi-window page, or -1 on failure.
qint64 connect_once(TesselView &view, sim::SimServer &sim, bool serial)
{
    auto &ui = view.form();
    if (serial) {
        ui.serialradioBtn->click();
        ui.serialBox->setCurrentText(sim.pty_path());
    } else {
        ui.webradioBtn->click();
        view.set_port_text(QString::number(sim.tcp_port()));
        view.ip_editor()->setText(QStringLiteral("127.0.0.1"));
    }
    QElapsedTimer clock;
    clock.start();
    ui.connectBtn->click();
    const qint64 elapsed = clock.elapsed();
    const bool shown = ui.stackedWidget->currentIndex() == TesselView::kPageMultiWindow &&
                       (device_data.serial_open || device_data.net_open);
    ui.connectBtn->click(); // disconnect for the next run
    return shown ? elapsed : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("TESSEL_APP_DIR", dir.path().toUtf8());

    sim::SimServer sim;
    if (!sim.listen_tcp()) {
        std::fprintf(stderr, "cannot listen\n");
        return 1;
    }
    const QString pty = sim.open_pty();
    TesselView view;
    view.show();
    if (!pty.isEmpty())
        view.add_extra_serial_port(pty);

    QTextStream out(stdout);
    out << "link     floor ms  median ms  worst ms  overhead ms  target\n";
    bool ok = true;
    for (const bool serial : {true, false}) {
        if (serial && pty.isEmpty())
            continue;
        std::vector<qint64> times;
        for (int i = 0; i < kRuns; ++i)
            times.push_back(connect_once(view, sim, serial));
        std::sort(times.begin(), times.end());
        if (times.front() < 0) {
            out << (serial ? "serial" : "network") << "  connection failed\n";
            ok = false;
            continue;
        }
        const int floor = floor_ms(serial);
        const qint64 median = times[times.size() / 2];
        const qint64 overhead = median - floor;
        out << qSetFieldWidth(9) << Qt::left << (serial ? "serial" : "network") << qSetFieldWidth(0)
            << qSetFieldWidth(10) << floor << qSetFieldWidth(11) << median << qSetFieldWidth(10)
            << times.back() << qSetFieldWidth(13) << overhead << qSetFieldWidth(0) << "< "
            << kOverheadTargetMs << (overhead < kOverheadTargetMs ? "  met" : "  MISSED") << "\n";
        ok = ok && overhead < kOverheadTargetMs;
    }
    out.flush();
    return ok ? 0 : 2;
}
