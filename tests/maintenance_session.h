#pragma once

// Shared by the maintenance tests: the busy dialog's progress and the device
// fields the configuration file carries.

#include <QTimer>
#include <QtTest>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "sim_server.h"
#include "support/sim_session.h"

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
