#include "sim_image.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

namespace sim {

namespace {

const char kFormatName[] = "tessel-sim-image";
constexpr int kFormatVersion = 1;
constexpr int kMax16 = 65535;

// Orders of windows 3, 2, 1 (window 0 removed) by their code digit.
constexpr int32_t kOthersOrder[6][3] = {{3, 2, 1}, {2, 3, 1}, {3, 1, 2},
                                        {2, 1, 3}, {1, 3, 2}, {1, 2, 3}};

// ---- JSON leaves -------------------------------------------------------

QJsonValue to_value(int32_t v)
{
    return QJsonValue(int(v));
}
QJsonValue to_value(uint8_t v)
{
    return QJsonValue(int(v));
}
QJsonValue to_value(const SimRect &r)
{
    return QJsonArray{int(r.x), int(r.y), int(r.w), int(r.h)};
}
QJsonValue to_value(const SimSize &s)
{
    return QJsonArray{int(s.w), int(s.h)};
}
QJsonValue to_value(const SimAdjust &a)
{
    return QJsonArray{int(a.brightness), int(a.contrast), int(a.colour)};
}
QJsonValue to_value(const SimBorder &b)
{
    return QJsonArray{int(b.on), int(b.red), int(b.green), int(b.blue), int(b.size)};
}
QJsonValue to_value(const SimPip &p)
{
    return QJsonObject{{"main", to_value(p.main)}, {"sub", to_value(p.sub)}};
}
template <typename T, std::size_t N> QJsonValue to_value(const T (&a)[N])
{
    QJsonArray array;
    for (const T &e : a)
        array.append(to_value(e));
    return array;
}

bool int_from(const QJsonValue &v, int lo, int hi, int &out)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != std::floor(d) || d < lo || d > hi)
        return false;
    out = int(d);
    return true;
}

bool from_value(const QJsonValue &v, int lo, int hi, int32_t &out)
{
    int i = 0;
    if (!int_from(v, lo, hi, i))
        return false;
    out = i;
    return true;
}

bool from_value(const QJsonValue &v, int lo, int hi, uint8_t &out)
{
    int i = 0;
    if (!int_from(v, lo, hi, i))
        return false;
    out = uint8_t(i);
    return true;
}

// A fixed-length array of integers, each within lo..hi.
template <std::size_t N> bool ints_from(const QJsonValue &v, int lo, int hi, int32_t *(&out)[N])
{
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != int(N))
        return false;
    for (std::size_t i = 0; i < N; ++i)
        if (!from_value(a[int(i)], lo, hi, *out[i]))
            return false;
    return true;
}

bool from_value(const QJsonValue &v, int lo, int hi, SimRect &r)
{
    int32_t *parts[4] = {&r.x, &r.y, &r.w, &r.h};
    return ints_from(v, lo, hi, parts);
}

bool from_value(const QJsonValue &v, int lo, int hi, SimSize &s)
{
    int32_t *parts[2] = {&s.w, &s.h};
    return ints_from(v, lo, hi, parts);
}

bool from_value(const QJsonValue &v, int lo, int hi, SimAdjust &a)
{
    int32_t *parts[3] = {&a.brightness, &a.contrast, &a.colour};
    return ints_from(v, lo, hi, parts);
}

bool from_value(const QJsonValue &v, int lo, int hi, SimBorder &b)
{
    int32_t on = 0;
    int32_t *parts[5] = {&on, &b.red, &b.green, &b.blue, &b.size};
    if (!ints_from(v, lo, hi, parts))
        return false;
    b.on = on != 0 ? 1 : 0;
    return true;
}

bool from_value(const QJsonValue &v, int lo, int hi, SimPip &p)
{
    const QJsonObject o = v.toObject();
    return v.isObject() && from_value(o.value("main"), lo, hi, p.main) &&
           from_value(o.value("sub"), lo, hi, p.sub);
}

template <typename T, std::size_t N> bool from_value(const QJsonValue &v, int lo, int hi, T (&a)[N])
{
    const QJsonArray array = v.toArray();
    if (!v.isArray() || array.size() != int(N))
        return false;
    for (std::size_t i = 0; i < N; ++i)
        if (!from_value(array[int(i)], lo, hi, a[i]))
            return false;
    return true;
}

// ---- One walk over the fields serves both directions -------------------

struct Writer {
    QJsonObject object;
    template <typename T> void field(const char *key, const T &value, int, int)
    {
        object.insert(QLatin1String(key), to_value(value));
    }
};

struct Reader {
    QJsonObject object;
    QString section;
    QString error; // first failure
    template <typename T> void field(const char *key, T &value, int lo, int hi)
    {
        if (!error.isEmpty())
            return;
        if (!from_value(object.value(QLatin1String(key)), lo, hi, value))
            error = QStringLiteral("%1: '%2' is missing or out of range %3..%4")
                        .arg(section, QLatin1String(key))
                        .arg(lo)
                        .arg(hi);
    }
};

template <typename Io, typename Image> void walk_status(Io &io, Image &m)
{
    io.field("out_rate_60hz", m.out_rate_60hz, 0, 1);
    io.field("full_format_list", m.full_format_list, 0, 1);
    io.field("mosaic_on", m.mosaic_on, 0, 1);
    io.field("in_card_present", m.in_card_present, 0, 1);
    io.field("aux_card_present", m.aux_card_present, 0, 1);
    io.field("out_card_present", m.out_card_present, 0, 1);
    io.field("in_signal_ok", m.in_signal_ok, 0, 1);
    io.field("status_spare", m.status_spare, 0, 1);
    io.field("in_source", m.in_source, 0, 15);
    io.field("pip_param", m.pip_param, 0, 15);
    io.field("pip_state", m.pip_state, 0, 7);
    io.field("in_vga", m.in_vga, 0, 1);
    io.field("cur_mul_mode", m.cur_mul_mode, 0, kModes - 1);
    io.field("cur_out_mode", m.cur_out_mode, 0, kModes - 1);
    io.field("out_card_sel", m.out_card_sel, 0, 1);
    io.field("out_port_sel", m.out_port_sel, 0, 3);
    io.field("out_format", m.out_format, 0, 31);
    io.field("switch_effect", m.switch_effect, 0, 3);
    io.field("custom_res_w", m.custom_res_w, 0, kMax16);
    io.field("custom_res_h", m.custom_res_h, 0, kMax16);
}

template <typename Io, typename Image> void walk_tables(Io &io, Image &m)
{
    io.field("in_adjust", m.in_adjust, 0, 255);
    io.field("pip_rect", m.pip_rect, 0, kMax16);
    io.field("win_adjust", m.win_adjust, 0, 255);
    io.field("win_frame", m.win_frame, 0, 255);
    io.field("out_light", m.out_light, 0, 255);
    io.field("port_quality", m.port_quality, 0, 255);
}

template <typename Io, typename Mode> void walk_mode(Io &io, Mode &m)
{
    io.field("win_in", m.win_in, 0, kMax16);
    io.field("win_out", m.win_out, 0, kMax16);
    io.field("win_source", m.win_source, 0, 255);
    io.field("win_layers", m.win_layers, 0, 3);
    io.field("layer_code", m.layer_code, 0, 255);
    io.field("win_open", m.win_open, 0, 1);
    io.field("led_in_rect", m.led_in_rect, 0, kMax16);
    io.field("led_out_rect", m.led_out_rect, 0, kMax16);
    io.field("unit_rect", m.unit_rect, 0, kMax16);
    io.field("out_total_w", m.out_total_w, 0, kMax16);
    io.field("out_total_h", m.out_total_h, 0, kMax16);
    io.field("wall_size", m.wall_size, 0, kMax16);
}

void set_rect(SimRect &r, int x, int y, int w, int h)
{
    r.x = x;
    r.y = y;
    r.w = w;
    r.h = h;
}

// Windows 0 and 1 show InC/InD (3840 x 2160), windows 2 and 3 InA/InB (1920 x 1080).
int source_width(int window)
{
    return window < 2 ? 3840 : 1920;
}
int source_height(int window)
{
    return window < 2 ? 2160 : 1080;
}

} // namespace

// ---- Stacking code -----------------------------------------------------

int SimImage::layer_code_of(const int32_t (&layers)[kWindows])
{
    bool seen[kWindows] = {};
    int pos0 = -1;
    int32_t others[3] = {};
    int n_others = 0;
    for (int i = 0; i < kWindows; ++i) {
        const int32_t w = layers[i];
        if (w < 0 || w >= kWindows || seen[w])
            return -1;
        seen[w] = true;
        if (w == 0)
            pos0 = i;
        else
            others[n_others++] = w;
    }
    const int g = 3 - pos0; // last place 0, third 1, second 2, first 3
    for (int t = 0; t < 6; ++t)
        if (others[0] == kOthersOrder[t][0] && others[1] == kOthersOrder[t][1] &&
            others[2] == kOthersOrder[t][2])
            return 6 * g + t;
    return -1; // unreachable for a permutation
}

bool SimImage::layers_of_code(int code, int32_t (&layers)[kWindows])
{
    if (code < 0 || code > 23)
        return false;
    const int pos0 = 3 - code / 6;
    const int32_t *others = kOthersOrder[code % 6];
    int k = 0;
    for (int i = 0; i < kWindows; ++i)
        layers[i] = i == pos0 ? 0 : others[k++];
    return true;
}

// ---- Factory and demo images -------------------------------------------

SimImage SimImage::factory()
{
    SimImage m;
    m.out_rate_60hz = 1;
    m.full_format_list = 1;
    m.mosaic_on = 0;
    for (int c = 0; c < kInputCards; ++c) {
        m.in_card_present[c] = 1;
        m.in_signal_ok[c] = 1;
    }
    m.aux_card_present = 1;
    m.out_card_present[0] = m.out_card_present[1] = 1;
    m.status_spare[0] = m.status_spare[1] = 1;
    m.in_vga[0] = m.in_vga[1] = 1;

    m.in_source[0] = m.in_source[1] = 3; // HDMI/VGA
    m.in_source[2] = m.in_source[3] = 5; // first HDMI
    m.pip_param[0] = m.pip_param[1] = 3;
    m.pip_state[0] = m.pip_state[1] = 0;
    m.cur_mul_mode = 0;
    m.cur_out_mode = 0;
    m.out_card_sel = 0;
    m.out_port_sel = 0;
    m.out_format = 6; // 1920 x 1080 at 60 Hz
    m.switch_effect = 0;
    m.custom_res_w = 1920;
    m.custom_res_h = 1080;

    for (int c = 0; c < kAdjustCards; ++c) {
        m.in_adjust[c] = {50, 50, 50};
        set_rect(m.pip_rect[c].main, 0, 0, 1920, 1080);
        set_rect(m.pip_rect[c].sub, 1280, 720, 640, 360);
    }
    for (SimAdjust &a : m.win_adjust)
        a = {128, 128, 128};
    for (SimBorder &b : m.win_frame)
        b = {0, 128, 128, 128, 3};
    for (int o = 0; o < kOutputCards; ++o) {
        m.out_light[o] = {128, 128, 128};
        for (int p = 0; p < kPorts; ++p)
            for (int v = 0; v < kQualityValues; ++v)
                m.port_quality[o][p][v] = 128;
    }

    for (SimMode &md : m.mode_data) {
        for (int w = 0; w < kWindows; ++w) {
            set_rect(md.win_in[w], 0, 0, source_width(w), source_height(w));
            md.win_layers[w] = 3 - w;
            md.win_open[w] = w == 0 ? 1 : 0;
        }
        // Window 0 fills the 1920 x 1080 output, the others wait in its quarters.
        set_rect(md.win_out[0], 0, 0, 1920, 1080);
        set_rect(md.win_out[1], 960, 0, 960, 540);
        set_rect(md.win_out[2], 0, 540, 960, 540);
        set_rect(md.win_out[3], 960, 540, 960, 540);
        md.win_source[0] = 2;
        md.win_source[1] = 3;
        md.win_source[2] = 0;
        md.win_source[3] = 1;
        md.layer_code = 0;
        for (int c = 0; c < kOutputCards; ++c)
            for (int p = 0; p < kPorts; ++p) {
                set_rect(md.led_in_rect[c][p], 0, 0, 3840, 2160);
                set_rect(md.led_out_rect[c][p], 0, 0, 1920, 1080);
                set_rect(md.unit_rect[c][p], 0, 0, 1920, 1080);
            }
        md.out_total_w = 1920;
        md.out_total_h = 1080;
        for (SimSize &s : md.wall_size)
            s = {1920, 1080};
    }
    return m;
}

SimImage SimImage::demo()
{
    SimImage m = factory();
    m.mosaic_on = 1;
    m.in_source[0] = 3;
    m.in_source[1] = 4;
    m.in_source[2] = 6;
    m.in_source[3] = 7;
    m.pip_param[0] = 4;
    m.pip_param[1] = 1;
    m.pip_state[0] = 1;
    m.pip_state[1] = 1;
    m.cur_mul_mode = 3;
    m.cur_out_mode = 2;
    m.out_card_sel = 1;
    m.out_port_sel = 2;
    m.out_format = 6;
    m.switch_effect = 2;
    m.custom_res_w = 2048;
    m.custom_res_h = 1152;

    for (int c = 0; c < kAdjustCards; ++c) {
        m.in_adjust[c] = {61 + c, 72 + c, 83 + c};
        set_rect(m.pip_rect[c].main, 10 + c, 20 + c, 1600 - c, 900 - c);
        set_rect(m.pip_rect[c].sub, 1200 + c, 700 + c, 480 + c, 270 + c);
    }
    for (int e = 0; e < 5; ++e)
        m.win_adjust[e] = {100 + e, 140 + e, 180 + e};
    for (int w = 0; w < kWindows; ++w)
        m.win_frame[w] = {1, 10 + w, 20 + w, 30 + w, 4 + w};
    for (int o = 0; o < kOutputCards; ++o) {
        m.out_light[o] = {90 + o, 95 + o, 99 + o};
        for (int p = 0; p < kPorts; ++p)
            for (int v = 0; v < kQualityValues; ++v)
                m.port_quality[o][p][v] = 1 + 100 * o + 10 * p + v; // every value distinct
    }

    for (int md = 0; md < kModes; ++md) {
        SimMode &mode = m.mode_data[md];
        for (int w = 0; w < kWindows; ++w) {
            set_rect(mode.win_in[w], 4 + 2 * md + 8 * w, 2 + md + 4 * w, 1280 + 16 * md + 4 * w,
                     720 + 8 * md + 2 * w);
            set_rect(mode.win_out[w], 8 + 16 * md + 64 * w, 8 + 8 * md + 48 * w,
                     1600 + 8 * md + 32 * w, 900 + 4 * md + 24 * w);
            mode.win_open[w] = 1;
        }
        mode.win_source[0] = 2 + (md & 1);
        mode.win_source[1] = 3 - (md & 1);
        mode.win_source[2] = 1;
        mode.win_source[3] = 1;
        mode.layer_code = 1 + md % 23; // never 0, the reset order 3, 2, 1, 0
        layers_of_code(mode.layer_code, mode.win_layers);
        for (int c = 0; c < kOutputCards; ++c)
            for (int p = 0; p < kPorts; ++p) {
                set_rect(mode.led_in_rect[c][p], 10 + 400 * p + 20 * c + md, 12 + 500 * c + md,
                         800 + 10 * md + p, 600 + 10 * md + c);
                set_rect(mode.led_out_rect[c][p], 1 + md + p, 2 + c + md, 1900 - md - p,
                         1000 - md - c);
                set_rect(mode.unit_rect[c][p], 960 * p + 8 + md, 540 * c + 4 + md, 952 - p,
                         536 - c);
            }
        mode.out_total_w = 3840 + md;
        mode.out_total_h = 1080 + md;
        for (int k = 0; k < kWalls; ++k)
            mode.wall_size[k] = {1920 + 100 * k + md, 1080 + 50 * k + md};
    }
    return m;
}

void SimImage::reset_to_factory()
{
    const SimImage hardware = *this;
    *this = factory();
    std::copy(std::begin(hardware.in_card_present), std::end(hardware.in_card_present),
              in_card_present);
    std::copy(std::begin(hardware.out_card_present), std::end(hardware.out_card_present),
              out_card_present);
    std::copy(std::begin(hardware.in_signal_ok), std::end(hardware.in_signal_ok), in_signal_ok);
    std::copy(std::begin(hardware.status_spare), std::end(hardware.status_spare), status_spare);
    std::copy(std::begin(hardware.in_vga), std::end(hardware.in_vga), in_vga);
    aux_card_present = hardware.aux_card_present;
    full_format_list = hardware.full_format_list;
}

// ---- JSON --------------------------------------------------------------

QJsonObject SimImage::to_json() const
{
    QJsonObject root;
    root.insert("format", QLatin1String(kFormatName));
    root.insert("version", kFormatVersion);
    Writer status;
    walk_status(status, *this);
    root.insert("status", status.object);
    Writer tables;
    walk_tables(tables, *this);
    root.insert("tables", tables.object);
    QJsonArray modes;
    for (const SimMode &mode : mode_data) {
        Writer w;
        walk_mode(w, mode);
        modes.append(w.object);
    }
    root.insert("modes", modes);
    return root;
}

bool SimImage::from_json(const QJsonObject &root, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (root.value("format").toString() != QLatin1String(kFormatName) ||
        root.value("version").toInt(-1) != kFormatVersion)
        return fail(QStringLiteral("not a simulator image of version %1").arg(kFormatVersion));

    SimImage next = *this;
    Reader status{root.value("status").toObject(), QStringLiteral("status"), {}};
    walk_status(status, next);
    if (!status.error.isEmpty())
        return fail(status.error);
    Reader tables{root.value("tables").toObject(), QStringLiteral("tables"), {}};
    walk_tables(tables, next);
    if (!tables.error.isEmpty())
        return fail(tables.error);
    const QJsonArray modes = root.value("modes").toArray();
    if (modes.size() != kModes)
        return fail(QStringLiteral("modes: expected %1 entries").arg(kModes));
    for (int md = 0; md < kModes; ++md) {
        Reader r{modes[md].toObject(), QStringLiteral("mode %1").arg(md), {}};
        walk_mode(r, next.mode_data[md]);
        if (!r.error.isEmpty())
            return fail(r.error);
    }
    *this = next;
    return true;
}

bool SimImage::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(QJsonDocument(to_json()).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool SimImage::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = parse.error != QJsonParseError::NoError ? parse.errorString()
                                                             : QStringLiteral("not an object");
        return false;
    }
    return from_json(doc.object(), error);
}

bool operator==(const SimImage &a, const SimImage &b)
{
    return a.to_json() == b.to_json();
}

} // namespace sim
