#pragma once

// Shared by the maintenance tests: a main window linked to an in-process
// simulated device over either link, and the device fields the file carries.

#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "widgets/qiplineedit.h"

struct MaintenanceSession {
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<sim::SimServer> sim;
    std::unique_ptr<TesselView> view;
    bool serial = false;

    // False when the link kind cannot be offered here (no pseudo-terminal).
    bool start(bool serial_link, const sim::SimImage &image = sim::SimImage::demo())
    {
        serial = serial_link;
        device_data = DeviceData();
        dir = std::make_unique<QTemporaryDir>();
        qputenv("TESSEL_APP_DIR", dir->path().toUtf8());
        sim = std::make_unique<sim::SimServer>(image);
        if (!sim->listen_tcp())
            return false;
        if (serial && sim->open_pty().isEmpty())
            return false;
        view = std::make_unique<TesselView>();
        view->show();
        return true;
    }

    bool connect_link()
    {
        auto &ui = view->form();
        if (serial) {
            view->add_extra_serial_port(sim->pty_path());
            ui.serialradioBtn->click();
            ui.serialBox->setCurrentText(sim->pty_path());
        } else {
            ui.webradioBtn->click();
            view->set_port_text(QString::number(sim->tcp_port()));
            view->ip_editor()->setText(QStringLiteral("127.0.0.1"));
        }
        QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
        return device_data.serial_open || device_data.net_open;
    }

    QString path(const QString &name) const { return dir->filePath(name); }

    // Command bytes of the write frames the device received, in order.
    QList<int> written_commands() const
    {
        QList<int> commands;
        for (const QString &hex : sim->frame_log()) {
            const int command = hex.midRef(10, 2).toInt(nullptr, 16);
            if (command != proto::kCmdRead)
                commands.append(command);
        }
        return commands;
    }

    void stop()
    {
        view.reset();
        sim.reset();
        dir.reset();
    }
};

// Notes each new progress text of the busy dialog while long work runs.
class ProgressWatcher : public QObject
{
public:
    explicit ProgressWatcher(TesselView *view) : m_view(view)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            CCWaitDialog *dialog = m_view->busy_dialog();
            const QString text = dialog ? dialog->progress_text() : QString();
            if (!text.isEmpty() && (seen.isEmpty() || seen.last() != text))
                seen.append(text);
        });
        m_timer.start(20);
    }
    QStringList seen;

private:
    TesselView *m_view;
    QTimer m_timer;
};

// The first field the configuration file carries in which the two images
// differ, or an empty text when they agree on all of them.
inline QString carried_difference(const sim::SimImage &a, const sim::SimImage &b)
{
    const auto adjust = [](const sim::SimAdjust &x, const sim::SimAdjust &y) {
        return x.brightness == y.brightness && x.contrast == y.contrast && x.colour == y.colour;
    };
    for (int c = 0; c < sim::kAdjustCards; ++c) {
        if (!adjust(a.in_adjust[c], b.in_adjust[c]))
            return QStringLiteral("in_adjust %1").arg(c);
        if (a.pip_rect[c].main != b.pip_rect[c].main || a.pip_rect[c].sub != b.pip_rect[c].sub)
            return QStringLiteral("pip_rect %1").arg(c);
    }
    for (int e = 0; e < 5; ++e) {
        if (!adjust(a.win_adjust[e], b.win_adjust[e]))
            return QStringLiteral("win_adjust %1").arg(e);
    }
    for (int w = 0; w < sim::kWindows; ++w) {
        const sim::SimBorder &x = a.win_frame[w];
        const sim::SimBorder &y = b.win_frame[w];
        if (x.on != y.on || x.red != y.red || x.green != y.green || x.blue != y.blue ||
            x.size != y.size)
            return QStringLiteral("win_frame %1").arg(w);
    }
    if (a.switch_effect != b.switch_effect)
        return QStringLiteral("switch_effect");
    for (int o = 0; o < sim::kOutputCards; ++o) {
        if (!adjust(a.out_light[o], b.out_light[o]))
            return QStringLiteral("out_light %1").arg(o);
        for (int p = 0; p < sim::kPorts; ++p)
            for (int v = 0; v < sim::kQualityValues; ++v)
                if (a.port_quality[o][p][v] != b.port_quality[o][p][v])
                    return QStringLiteral("port_quality %1 %2 %3").arg(o).arg(p).arg(v);
    }
    for (int m = 0; m < sim::kModes; ++m) {
        const sim::SimMode &x = a.mode_data[m];
        const sim::SimMode &y = b.mode_data[m];
        if (x.layer_code != y.layer_code)
            return QStringLiteral("mode %1 layer_code").arg(m);
        for (int w = 0; w < sim::kWindows; ++w) {
            if (x.win_source[w] != y.win_source[w] || x.win_layers[w] != y.win_layers[w] ||
                x.win_open[w] != y.win_open[w])
                return QStringLiteral("mode %1 window %2 record").arg(m).arg(w);
            if (x.win_in[w] != y.win_in[w] || x.win_out[w] != y.win_out[w])
                return QStringLiteral("mode %1 window %2 rectangles").arg(m).arg(w);
            for (int o = 0; o < sim::kOutputCards; ++o)
                if (x.led_in_rect[o][w] != y.led_in_rect[o][w] ||
                    x.led_out_rect[o][w] != y.led_out_rect[o][w])
                    return QStringLiteral("mode %1 output %2 port %3").arg(m).arg(o).arg(w);
        }
    }
    return QString();
}
