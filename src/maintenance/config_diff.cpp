#include "maintenance/config_diff.h"

#include <algorithm>
#include <initializer_list>
#include <memory>

#include <QStringList>

#include "device/codec.h"

namespace codec {

namespace {

constexpr int32_t kWordMax = 65535;
constexpr int kExtraAdjustEntry = 4; // the fifth window picture set, never edited

// port_quality slots named all, red, green, blue (the record keeps blue before green).
constexpr int kGreySlots[4] = {0, 1, 3, 2};
constexpr int kBrightnessSlots[4] = {4, 5, 7, 6};
constexpr int kColourSlot = 8;

const BiText kSeparator{QStringLiteral(" · "), QStringLiteral(" · ")};

BiText same(const QString &text)
{
    return {text, text};
}

BiText tr2(const char *english, const char *chinese)
{
    return {QString::fromUtf8(english), QString::fromUtf8(chinese)};
}

BiText join(std::initializer_list<BiText> parts)
{
    BiText out;
    for (const BiText &part : parts) {
        if (!out.en.isEmpty()) {
            out.en += kSeparator.en;
            out.zh += kSeparator.zh;
        }
        out.en += part.en;
        out.zh += part.zh;
    }
    return out;
}

BiText mode_name(int m)
{
    return same(QStringLiteral("M%1").arg(m));
}

BiText window_name(int w)
{
    return same(QStringLiteral("WIN%1").arg(w + 1));
}

BiText card_name(int card)
{
    return same(QStringLiteral("In%1").arg(QChar('A' + card)));
}

BiText output_name(int o)
{
    return same(QStringLiteral("Out%1").arg(QChar('A' + o)));
}

BiText port_name(int o, int p)
{
    return same(QStringLiteral("Out%1 DVI-%2").arg(QChar('A' + o)).arg(p + 1));
}

// As the device will hold the value after the upload.
int32_t as_byte(int32_t v)
{
    return v & 0xFF;
}

DevRect as_words(const DevRect &r)
{
    const auto word = [](int32_t v) { return std::clamp(v, 0, kWordMax); };
    return {word(r.x), word(r.y), word(r.w), word(r.h)};
}

QString list_text(const QVector<int32_t> &values)
{
    QStringList parts;
    for (int32_t v : values)
        parts << QString::number(v);
    return QStringLiteral("(%1)").arg(parts.join(QStringLiteral(", ")));
}

// Shown x, y, width, height, as an operator reads a rectangle.
QString rect_text(const DevRect &r)
{
    return list_text({r.x, r.y, r.w, r.h});
}

BiText source_text(int32_t code)
{
    return code >= 0 && code < kInputCardCount ? card_name(code) : same(QString::number(code));
}

BiText resolution_text(const ImportPending &res)
{
    if (res.format == kCustomFormatCode)
        return {QStringLiteral("%1x%2 (custom)").arg(res.custom_w).arg(res.custom_h),
                QStringLiteral("%1x%2（自定义）").arg(res.custom_w).arg(res.custom_h)};
    if (const ResolutionPreset *row = preset_for_code(res.format))
        return same(QString::fromLatin1(row->text));
    return {QStringLiteral("format %1").arg(res.format),
            QStringLiteral("格式 %1").arg(res.format)};
}

// Collects the changes of one comparison, one call per meaning.
class Differ
{
public:
    explicit Differ(QVector<ConfigChange> &out) : m_out(out) {}

    void area(DiffArea a) { m_area = a; }

    void byte(const BiText &place, int32_t device, int32_t file)
    {
        device = as_byte(device);
        file = as_byte(file);
        if (device != file)
            add(place, same(QString::number(device)), same(QString::number(file)));
    }

    void bytes(const BiText &place, std::initializer_list<int32_t> device,
               std::initializer_list<int32_t> file)
    {
        QVector<int32_t> a, b;
        for (int32_t v : device)
            a << as_byte(v);
        for (int32_t v : file)
            b << as_byte(v);
        if (a != b)
            add(place, same(list_text(a)), same(list_text(b)));
    }

    void rect(const BiText &place, const DevRect &device, const DevRect &file)
    {
        const DevRect a = as_words(device);
        const DevRect b = as_words(file);
        if (a != b)
            add(place, same(rect_text(a)), same(rect_text(b)));
    }

    void flag(const BiText &place, int32_t device, int32_t file, const BiText &on,
              const BiText &off)
    {
        if ((device != 0) != (file != 0))
            add(place, device ? on : off, file ? on : off);
    }

    void add(const BiText &place, const BiText &before, const BiText &after)
    {
        m_out.append({m_area, place, before, after});
    }

private:
    QVector<ConfigChange> &m_out;
    DiffArea m_area = DiffArea::InputCards;
};

void compare_input_cards(Differ &diff, const DeviceData &a, const DeviceData &b)
{
    diff.area(DiffArea::InputCards);
    const BiText picture = tr2("picture", "画质");
    const BiText pip = tr2("picture-in-picture", "画中画");
    for (int card = 0; card < 2; ++card) {
        const Adjust &x = a.in_adjust[card];
        const Adjust &y = b.in_adjust[card];
        const BiText in = card_name(card);
        diff.byte(join({in, picture, tr2("brightness", "亮度")}), x.brightness, y.brightness);
        diff.byte(join({in, picture, tr2("contrast", "对比度")}), x.contrast, y.contrast);
        diff.byte(join({in, picture, tr2("colour", "颜色")}), x.colour, y.colour);
        diff.rect(join({in, pip, tr2("main rectangle", "主画面区域")}), a.pip_rect[card].main,
                  b.pip_rect[card].main);
        diff.rect(join({in, pip, tr2("sub rectangle", "子画面区域")}), a.pip_rect[card].sub,
                  b.pip_rect[card].sub);
    }
}

// The window dialog's labels: brightness is "Gray", contrast "Brightness".
void compare_adjust(Differ &diff, const BiText &owner, const Adjust &x, const Adjust &y)
{
    diff.byte(join({owner, tr2("grey level", "低灰偏置")}), x.brightness, y.brightness);
    diff.byte(join({owner, tr2("brightness", "亮度")}), x.contrast, y.contrast);
    diff.byte(join({owner, tr2("colour", "颜色")}), x.colour, y.colour);
}

void compare_window_picture(Differ &diff, const DeviceData &a, const DeviceData &b)
{
    diff.area(DiffArea::WindowPicture);
    for (int w = 0; w < kWindowCount; ++w)
        compare_adjust(diff, window_name(w), a.win_adjust[w], b.win_adjust[w]);
    compare_adjust(diff, tr2("fifth set", "第五组"), a.win_adjust[kExtraAdjustEntry],
                   b.win_adjust[kExtraAdjustEntry]);
}

void compare_borders(Differ &diff, const DeviceData &a, const DeviceData &b)
{
    diff.area(DiffArea::Borders);
    for (int w = 0; w < kWindowCount; ++w) {
        const WinFrame &x = a.win_frame[w];
        const WinFrame &y = b.win_frame[w];
        const BiText win = window_name(w);
        diff.flag(join({win, tr2("border", "边框")}), x.on, y.on, tr2("on", "开"),
                  tr2("off", "关"));
        diff.bytes(join({win, tr2("border colour", "边框颜色")}), {x.red, x.green, x.blue},
                   {y.red, y.green, y.blue});
        diff.byte(join({win, tr2("border size", "边框宽度")}), x.size, y.size);
    }
}

void compare_display_modes(Differ &diff, const DeviceData &a, const DeviceData &b)
{
    diff.area(DiffArea::DisplayModes);
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &x = a.mode_data[m];
        const ModeData &y = b.mode_data[m];
        const BiText mode = mode_name(m);
        for (int w = 0; w < kWindowCount; ++w) {
            const BiText win = join({mode, window_name(w)});
            diff.flag(win, x.win_open[w], y.win_open[w], tr2("open", "开启"),
                      tr2("closed", "关闭"));
            if (as_byte(x.win_source[w]) != as_byte(y.win_source[w]))
                diff.add(join({win, tr2("source", "信号源")}),
                         source_text(as_byte(x.win_source[w])),
                         source_text(as_byte(y.win_source[w])));
            diff.rect(join({win, tr2("input rectangle", "输入区域")}), x.win_in[w], y.win_in[w]);
            diff.rect(join({win, tr2("output rectangle", "输出区域")}), x.win_out[w],
                      y.win_out[w]);
        }
        diff.bytes(join({mode, tr2("layer order", "图层顺序")}),
                   {x.win_layers.value(0), x.win_layers.value(1), x.win_layers.value(2),
                    x.win_layers.value(3)},
                   {y.win_layers.value(0), y.win_layers.value(1), y.win_layers.value(2),
                    y.win_layers.value(3)});
        diff.byte(join({mode, tr2("layer code", "图层代码")}), x.layer_code, y.layer_code);
    }
    diff.byte(tr2("switch effect", "切换效果"), a.switch_effect, b.switch_effect);
}

void compare_outputs(Differ &diff, const DeviceData &a, const DeviceData &b)
{
    diff.area(DiffArea::OutputPorts);
    const BiText grey = tr2("grey level", "低灰偏置");
    const BiText bright = tr2("brightness", "亮度");
    const BiText channels[4] = {tr2("all", "全部"), tr2("red", "红"), tr2("green", "绿"),
                                tr2("blue", "蓝")};
    const auto with_channel = [](const BiText &value, const BiText &channel) {
        return BiText{value.en + ' ' + channel.en, value.zh + ' ' + channel.zh};
    };
    for (int o = 0; o < kOutputCardCount; ++o) {
        compare_adjust(diff, output_name(o), a.out_light[o], b.out_light[o]);
        for (int p = 0; p < kPortCount; ++p) {
            const int32_t *x = a.port_quality[o][p];
            const int32_t *y = b.port_quality[o][p];
            const BiText port = port_name(o, p);
            for (int i = 0; i < 4; ++i)
                diff.byte(join({port, with_channel(grey, channels[i])}), x[kGreySlots[i]],
                          y[kGreySlots[i]]);
            for (int i = 0; i < 4; ++i)
                diff.byte(join({port, with_channel(bright, channels[i])}),
                          x[kBrightnessSlots[i]], y[kBrightnessSlots[i]]);
            diff.byte(join({port, tr2("colour", "颜色")}), x[kColourSlot], y[kColourSlot]);
        }
    }
}

void compare_led_walls(Differ &diff, const DeviceData &a, const DeviceData &b)
{
    diff.area(DiffArea::LedWalls);
    for (int m = 0; m < kModeCount; ++m) {
        for (int o = 0; o < kOutputCardCount; ++o) {
            for (int p = 0; p < kPortCount; ++p) {
                const BiText port = join({mode_name(m), port_name(o, p)});
                diff.rect(join({port, tr2("LED input rectangle", "LED输入区域")}),
                          a.mode_data[m].led_in_rect[o][p], b.mode_data[m].led_in_rect[o][p]);
                diff.rect(join({port, tr2("LED output rectangle", "LED输出区域")}),
                          a.mode_data[m].led_out_rect[o][p], b.mode_data[m].led_out_rect[o][p]);
            }
        }
    }
}

} // namespace

QString ConfigChange::line(bool english) const
{
    return QStringLiteral("%1 %2 → %3")
        .arg(place.pick(english), before.pick(english), after.pick(english));
}

QVector<ConfigChange> compare_config(const ConfigValues &device, const ConfigValues &file)
{
    // Both sides go through the import's own reader, so the layout lives in one
    // place and each side is seen exactly as the import would store it.
    auto a = std::make_unique<DeviceData>();
    auto b = std::make_unique<DeviceData>();
    const ImportPending device_res = parse_import_values(device, *a);
    const ImportPending file_res = parse_import_values(file, *b);

    QVector<ConfigChange> changes;
    Differ diff(changes);
    compare_input_cards(diff, *a, *b);
    compare_window_picture(diff, *a, *b);
    compare_borders(diff, *a, *b);
    compare_display_modes(diff, *a, *b);
    compare_outputs(diff, *a, *b);
    compare_led_walls(diff, *a, *b);

    a->out_format = device_res.format;
    a->custom_res_w = device_res.custom_w;
    a->custom_res_h = device_res.custom_h;
    if (!import_resolution_matches(file_res, *a)) {
        diff.area(DiffArea::Resolution);
        diff.add(tr2("output resolution", "输出分辨率"), resolution_text(device_res),
                 resolution_text(file_res));
    }
    return changes;
}

BiText diff_area_name(DiffArea area)
{
    switch (area) {
    case DiffArea::InputCards:
        return tr2("Input cards", "输入卡");
    case DiffArea::WindowPicture:
        return tr2("Window picture", "窗口画质");
    case DiffArea::Borders:
        return tr2("Borders", "边框");
    case DiffArea::DisplayModes:
        return tr2("Display modes", "显示模式");
    case DiffArea::OutputPorts:
        return tr2("Output modes and ports", "输出模式与端口");
    case DiffArea::LedWalls:
        return tr2("LED walls", "LED拼接");
    case DiffArea::Resolution:
        return tr2("Resolution", "分辨率");
    }
    return {};
}

BiText resolution_hint(const ImportPending &file)
{
    const QSize size = import_hint_size(file);
    return {
        QStringLiteral("First change the resolution to %1x%2").arg(size.width()).arg(size.height()),
        QStringLiteral("请先将分辨率切换至%1x%2！！").arg(size.width()).arg(size.height())};
}

BiText refusal_hint(const QVector<ConfigChange> &changes, const ConfigValues &file)
{
    // compare_config reports the resolution only when the import's check would refuse it.
    return count_changes(changes, DiffArea::Resolution) > 0
               ? resolution_hint(config_resolution(file))
               : BiText{};
}

int count_changes(const QVector<ConfigChange> &changes, DiffArea area)
{
    return static_cast<int>(std::count_if(changes.begin(), changes.end(),
                                          [area](const ConfigChange &c) { return c.area == area; }));
}

QVector<AreaChanges> changes_by_area(const QVector<ConfigChange> &changes)
{
    QVector<AreaChanges> groups;
    for (int a = 0; a < kDiffAreaCount; ++a) {
        AreaChanges group{static_cast<DiffArea>(a), {}};
        for (const ConfigChange &c : changes)
            if (c.area == group.area)
                group.changes.append(c);
        if (!group.changes.isEmpty())
            groups.append(group);
    }
    return groups;
}

} // namespace codec
