#include "cli/cli_report.h"

#include <QJsonArray>

#include "device/codec.h"

namespace cli {

namespace {

const char *const kEffects[] = {"Cut", "Fade 1s", "Fade 2s", "Fade 3s"};

QString card_name(int card)
{
    return QStringLiteral("In%1").arg(QChar('A' + card));
}

QString output_name(int output)
{
    return QStringLiteral("Out%1").arg(QChar('A' + output));
}

QString window_name(int window)
{
    return QStringLiteral("WIN%1").arg(window + 1);
}

QString effect_name(int effect)
{
    return effect >= 0 && effect < 4 ? QString::fromLatin1(kEffects[effect])
                                     : QStringLiteral("effect %1").arg(effect);
}

QJsonObject rect_json(const DevRect &r)
{
    return {{"x", r.x}, {"y", r.y}, {"width", r.w}, {"height", r.h}};
}

QString rect_text(const DevRect &r)
{
    return QStringLiteral("(%1, %2, %3x%4)").arg(r.x).arg(r.y).arg(r.w).arg(r.h);
}

QJsonObject adjust_json(const Adjust &a)
{
    return {{"brightness", a.brightness}, {"contrast", a.contrast}, {"colour", a.colour}};
}

QString adjust_text(const Adjust &a)
{
    return QStringLiteral("brightness %1, contrast %2, colour %3")
        .arg(a.brightness)
        .arg(a.contrast)
        .arg(a.colour);
}

QString layers_text(const QVector<int32_t> &layers)
{
    QStringList names;
    for (int32_t w : layers)
        names.append(window_name(w));
    return names.join(QLatin1Char(' '));
}

} // namespace

QString connector_name(const DeviceData &d, int card)
{
    const int code = d.in_source[card];
    const bool vga = card < 2 && d.in_vga[card] != 0;
    // The captions of the input page's buttons, per card.
    static const char *const kAB[2][3] = {{"CVBS-1", "HDMI-1", "SDI-1"},
                                          {"CVBS-2", "HDMI-4", "SDI-2"}};
    static const char *const kCD[2][3] = {{"HDMI-2", "HDMI-3", "DP-1"},
                                          {"HDMI-5", "HDMI-6", "DP-2"}};
    if (card < 2) {
        if (code == 1)
            return QString::fromLatin1(kAB[card][0]);
        if (code == 3)
            return vga ? QStringLiteral("VGA-%1").arg(card + 1) : QString::fromLatin1(kAB[card][1]);
        if (code == 4)
            return QString::fromLatin1(kAB[card][2]);
    } else if (code >= 5 && code <= 7) {
        return QString::fromLatin1(kCD[card - 2][code - 5]);
    }
    return QStringLiteral("none (code %1)").arg(code);
}

QString resolution_text(const DeviceData &d)
{
    const codec::ResolutionPreset *p = codec::preset_for_code(d.out_format);
    if (!p)
        return QStringLiteral("unknown (code %1)").arg(d.out_format);
    if (p->code == codec::kCustomFormatCode)
        return QStringLiteral("%1x%2@%3Hz custom")
            .arg(d.custom_res_w)
            .arg(d.custom_res_h)
            .arg(d.out_rate_60hz ? 60 : 50);
    return QString::fromLatin1(p->text);
}

QStringList status_lines(const DeviceData &d)
{
    QStringList lines;
    for (int card = 0; card < kInputCardCount; ++card) {
        if (!d.in_card_present[card]) {
            lines.append(QStringLiteral("%1 not fitted").arg(card_name(card)));
            continue;
        }
        lines.append(QStringLiteral("%1 %2, %3")
                         .arg(card_name(card), connector_name(d, card),
                              d.in_signal_ok[card] ? QStringLiteral("signal")
                                                   : QStringLiteral("no signal")));
    }
    QStringList outputs;
    for (int o = 0; o < kOutputCardCount; ++o)
        outputs.append(QStringLiteral("%1 %2").arg(
            output_name(o),
            d.out_card_present[o] ? QStringLiteral("fitted") : QStringLiteral("not fitted")));
    lines.append(outputs.join(QStringLiteral(", ")));
    lines.append(QStringLiteral("display mode M%1, output mode M%2, switch effect %3")
                     .arg(d.cur_mul_mode)
                     .arg(d.cur_out_mode)
                     .arg(effect_name(d.switch_effect)));
    lines.append(QStringLiteral("output resolution %1%2")
                     .arg(resolution_text(d),
                          d.mosaic_on ? QStringLiteral(", four LED walls per mode") : QString()));
    return lines;
}

QJsonObject status_json(const DeviceData &d)
{
    QJsonArray inputs;
    for (int card = 0; card < kInputCardCount; ++card) {
        QJsonObject c{{"card", card_name(card)},
                      {"fitted", d.in_card_present[card] != 0},
                      {"signal", d.in_signal_ok[card] != 0},
                      {"source", d.in_source[card]},
                      {"connector", connector_name(d, card)}};
        if (card < 2) {
            c["vga"] = d.in_vga[card] != 0;
            c["pip"] = d.pip_state[card];
            c["pip_source"] = d.pip_param[card];
        }
        inputs.append(c);
    }
    QJsonArray outputs;
    for (int o = 0; o < kOutputCardCount; ++o)
        outputs.append(
            QJsonObject{{"card", output_name(o)}, {"fitted", d.out_card_present[o] != 0}});
    DeviceData sized = d;
    codec::apply_format_code(sized);
    return {{"input_cards", inputs},
            {"output_cards", outputs},
            {"display_mode", d.cur_mul_mode},
            {"output_mode", d.cur_out_mode},
            {"switch_effect", d.switch_effect},
            {"four_walls", d.mosaic_on != 0},
            {"output", QJsonObject{{"format", d.out_format},
                                   {"resolution", resolution_text(d)},
                                   {"width", sized.out_res_w},
                                   {"height", sized.out_res_h},
                                   {"rate_hz", d.out_rate_60hz ? 60 : 50},
                                   {"custom_width", d.custom_res_w},
                                   {"custom_height", d.custom_res_h}}}};
}

QStringList records_lines(const DeviceData &d)
{
    QStringList lines = status_lines(d);
    for (int card = 0; card < 2; ++card)
        lines.append(QStringLiteral("%1 %2; PIP main %3, sub %4")
                         .arg(card_name(card), adjust_text(d.in_adjust[card]),
                              rect_text(d.pip_rect[card].main), rect_text(d.pip_rect[card].sub)));
    for (int w = 0; w < kWindowCount; ++w) {
        const WinFrame &f = d.win_frame[w];
        lines.append(QStringLiteral("%1 %2; border %3, colour %4 %5 %6, width %7")
                         .arg(window_name(w), adjust_text(d.win_adjust[w]),
                              f.on ? QStringLiteral("on") : QStringLiteral("off"))
                         .arg(f.red)
                         .arg(f.green)
                         .arg(f.blue)
                         .arg(f.size));
    }
    lines.append(QStringLiteral("fifth window picture set %1").arg(adjust_text(d.win_adjust[4])));
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &md = d.mode_data[m];
        lines.append(QStringLiteral("M%1 layers %2 (code %3)")
                         .arg(m)
                         .arg(layers_text(md.win_layers))
                         .arg(md.layer_code));
        for (int w = 0; w < kWindowCount; ++w)
            lines.append(
                QStringLiteral("M%1 %2 %3 from %4, crop %5, output %6")
                    .arg(m)
                    .arg(window_name(w),
                         md.win_open[w] ? QStringLiteral("open") : QStringLiteral("closed"),
                         card_name(md.win_source[w]), rect_text(md.win_in[w]),
                         rect_text(md.win_out[w])));
        for (int o = 0; o < kOutputCardCount; ++o)
            for (int p = 0; p < kPortCount; ++p)
                lines.append(
                    QStringLiteral("M%1 %2 DVI-%3 input %4, output %5")
                        .arg(m)
                        .arg(output_name(o))
                        .arg(p + 1)
                        .arg(rect_text(md.led_in_rect[o][p]), rect_text(md.led_out_rect[o][p])));
    }
    for (int o = 0; o < kOutputCardCount; ++o) {
        lines.append(QStringLiteral("%1 %2").arg(output_name(o), adjust_text(d.out_light[o])));
        for (int p = 0; p < kPortCount; ++p) {
            QStringList q;
            for (int32_t v : d.port_quality[o][p])
                q.append(QString::number(v));
            lines.append(QStringLiteral("%1 DVI-%2 quality %3")
                             .arg(output_name(o))
                             .arg(p + 1)
                             .arg(q.join(QLatin1Char(' '))));
        }
    }
    return lines;
}

QJsonObject records_json(const DeviceData &d)
{
    QJsonArray inputs;
    for (int card = 0; card < 2; ++card) {
        QJsonObject c = adjust_json(d.in_adjust[card]);
        c["card"] = card_name(card);
        c["pip_main"] = rect_json(d.pip_rect[card].main);
        c["pip_sub"] = rect_json(d.pip_rect[card].sub);
        inputs.append(c);
    }
    QJsonArray windows;
    for (int w = 0; w < kWindowCount; ++w) {
        const WinFrame &f = d.win_frame[w];
        QJsonObject o = adjust_json(d.win_adjust[w]);
        o["window"] = window_name(w);
        o["border"] = QJsonObject{{"on", f.on != 0},
                                  {"red", f.red},
                                  {"green", f.green},
                                  {"blue", f.blue},
                                  {"width", f.size}};
        windows.append(o);
    }
    QJsonArray modes;
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &md = d.mode_data[m];
        QJsonArray wins;
        for (int w = 0; w < kWindowCount; ++w)
            wins.append(QJsonObject{{"window", window_name(w)},
                                    {"open", md.win_open[w] != 0},
                                    {"source", card_name(md.win_source[w])},
                                    {"crop", rect_json(md.win_in[w])},
                                    {"output", rect_json(md.win_out[w])}});
        QJsonArray layers;
        for (int32_t w : md.win_layers)
            layers.append(window_name(w));
        QJsonArray ports;
        for (int o = 0; o < kOutputCardCount; ++o)
            for (int p = 0; p < kPortCount; ++p)
                ports.append(QJsonObject{{"output", output_name(o)},
                                         {"port", QStringLiteral("DVI-%1").arg(p + 1)},
                                         {"input", rect_json(md.led_in_rect[o][p])},
                                         {"output_rect", rect_json(md.led_out_rect[o][p])}});
        modes.append(QJsonObject{{"mode", QStringLiteral("M%1").arg(m)},
                                 {"windows", wins},
                                 {"layers", layers},
                                 {"layer_code", md.layer_code},
                                 {"ports", ports}});
    }
    QJsonArray outputs;
    for (int o = 0; o < kOutputCardCount; ++o) {
        QJsonArray ports;
        for (int p = 0; p < kPortCount; ++p) {
            QJsonArray q;
            for (int32_t v : d.port_quality[o][p])
                q.append(v);
            ports.append(
                QJsonObject{{"port", QStringLiteral("DVI-%1").arg(p + 1)}, {"quality", q}});
        }
        QJsonObject out = adjust_json(d.out_light[o]);
        out["output"] = output_name(o);
        out["ports"] = ports;
        outputs.append(out);
    }
    return {{"status", status_json(d)}, {"input_adjust", inputs},
            {"windows", windows},       {"fifth_window_picture", adjust_json(d.win_adjust[4])},
            {"modes", modes},           {"outputs", outputs}};
}

QStringList diff_lines(const QVector<codec::ConfigChange> &changes, const QString &hint)
{
    const auto count_text = [](int count) {
        return QStringLiteral("%1 change%2").arg(count).arg(count == 1 ? "" : "s");
    };
    QStringList lines;
    for (const codec::AreaChanges &group : codec::changes_by_area(changes)) {
        lines.append(QStringLiteral("%1: %2").arg(codec::diff_area_name(group.area).en,
                                                   count_text(group.changes.size())));
        for (const codec::ConfigChange &c : group.changes)
            lines.append(QStringLiteral("  ") + c.line(true));
    }
    if (!hint.isEmpty())
        lines.append(QStringLiteral("an import would be refused: ") + hint);
    lines.append(changes.isEmpty() ? QStringLiteral("no changes")
                                   : count_text(changes.size()) + QStringLiteral(" in all"));
    return lines;
}

QJsonObject diff_json(const QVector<codec::ConfigChange> &changes, const QString &hint)
{
    QJsonArray areas;
    for (const codec::AreaChanges &group : codec::changes_by_area(changes))
        areas.append(QJsonObject{{"area", codec::diff_area_name(group.area).en},
                                 {"count", group.changes.size()}});
    QJsonArray list;
    for (const codec::ConfigChange &c : changes)
        list.append(QJsonObject{{"area", codec::diff_area_name(c.area).en},
                                {"place", c.place.en},
                                {"before", c.before.en},
                                {"after", c.after.en}});
    QJsonObject out{{"count", changes.size()}, {"areas", areas}, {"changes", list}};
    if (!hint.isEmpty())
        out["hint"] = hint;
    return out;
}

} // namespace cli
