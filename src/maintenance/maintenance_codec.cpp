#include "maintenance/maintenance_codec.h"

#include <QTextCodec>

#include <algorithm>
#include <cstring>

#include "device/codec.h"

namespace codec {

namespace {

// ---- File layout (line numbers) ---------------------------------------------
constexpr int kLineInputCards = 0; // eleven lines per card
constexpr int kInputCardLines = 11;
constexpr int kLineWinAdjustExtra = 22; // win_adjust entry 4, then entries 0..3 from line 25
constexpr int kLineBorders = 38;        // five lines per window
constexpr int kLineModeRecords = 60;    // seventeen lines per mode
constexpr int kModeRecordLines = 17;
constexpr int kEffectCopies = 4;
// The two outputs are not laid out alike: their zero gaps differ.
constexpr int kLineOutBrightness[kOutputCardCount] = {335, 381};
constexpr int kLineOutContrast[kOutputCardCount] = {356, 400};
constexpr int kLineOutColour[kOutputCardCount] = {376, 420};
constexpr int kLineRectBlocks = 426; // 96 lines per mode, 24 per index
constexpr int kRectModeLines = 96;
constexpr int kRectIndexLines = 24;

// port_quality slots in file and wire order; the third and fourth of each group swap.
constexpr int kBrightnessSlots[kPortCount] = {0, 1, 3, 2};
constexpr int kContrastSlots[kPortCount] = {4, 5, 7, 6};
constexpr int kColourSlot = 8;

// win_adjust entries in file and wire order: the fifth set travels first.
constexpr int kAdjustOrder[5] = {4, 0, 1, 2, 3};

// ---- Upload blocks (frame byte positions) ------------------------------------
constexpr int kInputPayloadLength = 46 - 8;
constexpr int kGlobalPayloadLength = 281 - 8;
constexpr int kModePayloadLength = 201 - 8;
constexpr int kEffectWeight = 240; // switch_effect x 240 + open mask, low 8 bits

const char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr int kUtf8Mib = 106;

// Reads and writes one value at a running line position, so that the export
// and the import walk the same layout.
template <typename Value> class Cursor
{
public:
    Cursor(Value *values, int line) : m_values(values), m_line(line) {}
    Value &next() { return m_values[m_line++]; }

private:
    Value *m_values;
    int m_line;
};
using WriteCursor = Cursor<int32_t>;
using ReadCursor = Cursor<const int32_t>;

void put_rect_lines(WriteCursor &c, const DevRect &r)
{
    c.next() = r.x;
    c.next() = r.w;
    c.next() = r.y;
    c.next() = r.h;
}

DevRect get_rect_lines(ReadCursor &c)
{
    DevRect r;
    r.x = c.next();
    r.w = c.next();
    r.y = c.next();
    r.h = c.next();
    return r;
}

void put8(QByteArray &out, int32_t value)
{
    out.append(static_cast<char>(value & 0xFF));
}

void put_output_block(QByteArray &out, const DeviceData &d, int o)
{
    put8(out, d.out_light[o].brightness);
    for (int p = 0; p < kPortCount; ++p) {
        for (int slot : kBrightnessSlots)
            put8(out, d.port_quality[o][p][slot]);
    }
    put8(out, d.out_light[o].contrast);
    for (int p = 0; p < kPortCount; ++p) {
        for (int slot : kContrastSlots)
            put8(out, d.port_quality[o][p][slot]);
    }
    put8(out, d.out_light[o].colour);
    for (int p = 0; p < kPortCount; ++p)
        put8(out, d.port_quality[o][p][kColourSlot]);
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int32_t parse_config_line(const char *begin, const char *end)
{
    constexpr int64_t kLimit = int64_t(1) << 31; // magnitude of the smallest int32
    while (begin != end && is_blank(*begin))
        ++begin;
    while (end != begin && is_blank(end[-1]))
        --end;
    bool negative = false;
    if (begin != end && (*begin == '+' || *begin == '-')) {
        negative = *begin == '-';
        ++begin;
    }
    int64_t magnitude = 0;
    bool digits = false;
    for (; begin != end && is_digit(*begin); ++begin) {
        digits = true;
        magnitude = std::min(magnitude * 10 + (*begin - '0'), kLimit);
    }
    if (begin != end && *begin == '.') {
        for (++begin; begin != end && is_digit(*begin); ++begin)
            digits = true;
    }
    if (!digits || begin != end)
        return 0;
    if (negative)
        return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(std::min(magnitude, kLimit - 1));
}

ConfigValues read_config_file(const QByteArray &raw)
{
    // A file re-saved as "Unicode" by another editor carries a UTF-16 or UTF-32
    // byte-order mark; the numbers are the same once it is read as text.
    const QTextCodec *unicode = QTextCodec::codecForUtfText(raw, nullptr);
    const QByteArray bytes =
        unicode && unicode->mibEnum() != kUtf8Mib ? unicode->toUnicode(raw).toUtf8() : raw;
    ConfigValues values{};
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    if (bytes.startsWith(kUtf8Bom))
        p += std::strlen(kUtf8Bom);
    for (int line = 0; line < kConfigLineCount && p != end; ++line) {
        const void *found = std::memchr(p, '\n', static_cast<size_t>(end - p));
        const char *eol = found ? static_cast<const char *>(found) : end;
        values[line] = parse_config_line(p, eol);
        p = found ? eol + 1 : end;
    }
    return values;
}

QByteArray write_config_file(const ConfigValues &values)
{
    QByteArray out;
    out.reserve(kConfigLineCount * 5);
    for (int32_t v : values) {
        out.append(QByteArray::number(v));
        out.append('\n');
    }
    return out;
}

ConfigValues export_values(const DeviceData &d)
{
    ConfigValues values{};
    int32_t *v = values.data();

    for (int card = 0; card < 2; ++card) {
        WriteCursor c(v, kLineInputCards + kInputCardLines * card);
        c.next() = d.in_adjust[card].brightness;
        c.next() = d.in_adjust[card].contrast;
        c.next() = d.in_adjust[card].colour;
        put_rect_lines(c, d.pip_rect[card].main);
        put_rect_lines(c, d.pip_rect[card].sub);
    }
    {
        WriteCursor c(v, kLineWinAdjustExtra);
        for (int entry : kAdjustOrder) {
            c.next() = d.win_adjust[entry].brightness;
            c.next() = d.win_adjust[entry].contrast;
            c.next() = d.win_adjust[entry].colour;
        }
    }
    {
        WriteCursor c(v, kLineBorders);
        for (const WinFrame &f : d.win_frame) {
            c.next() = f.on ? 1 : 0;
            c.next() = f.red;
            c.next() = f.green;
            c.next() = f.blue;
            c.next() = f.size;
        }
    }
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &md = d.mode_data[m];
        WriteCursor c(v, kLineModeRecords + kModeRecordLines * m);
        for (int w = 0; w < kWindowCount; ++w)
            c.next() = md.win_source[w];
        for (int i = 0; i < kWindowCount; ++i)
            c.next() = md.win_layers.value(i);
        c.next() = md.layer_code;
        for (int i = 0; i < kEffectCopies; ++i)
            c.next() = d.switch_effect;
        for (int w = 0; w < kWindowCount; ++w)
            c.next() = md.win_open[w] ? 1 : 0;
    }
    for (int o = 0; o < kOutputCardCount; ++o) {
        WriteCursor b(v, kLineOutBrightness[o]);
        b.next() = d.out_light[o].brightness;
        WriteCursor k(v, kLineOutContrast[o]);
        k.next() = d.out_light[o].contrast;
        WriteCursor l(v, kLineOutColour[o]);
        l.next() = d.out_light[o].colour;
        for (int p = 0; p < kPortCount; ++p) {
            for (int i = 0; i < 4; ++i) {
                b.next() = d.port_quality[o][p][kBrightnessSlots[i]];
                k.next() = d.port_quality[o][p][kContrastSlots[i]];
            }
            l.next() = d.port_quality[o][p][kColourSlot];
        }
    }
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &md = d.mode_data[m];
        for (int k = 0; k < kPortCount; ++k) {
            WriteCursor c(v, kLineRectBlocks + kRectModeLines * m + kRectIndexLines * k);
            put_rect_lines(c, md.win_in[k]);
            put_rect_lines(c, md.win_out[k]);
            for (int o = 0; o < kOutputCardCount; ++o) {
                put_rect_lines(c, md.led_in_rect[o][k]);
                put_rect_lines(c, md.led_out_rect[o][k]);
            }
        }
    }
    values[kLineCustomW] = d.custom_res_w;
    values[kLineCustomH] = d.custom_res_h;
    values[kLineFormat] = d.out_format;
    return values;
}

ImportPending parse_import_values(const ConfigValues &values, DeviceData &d)
{
    const int32_t *v = values.data();

    for (int card = 0; card < 2; ++card) {
        ReadCursor c(v, kLineInputCards + kInputCardLines * card);
        d.in_adjust[card].brightness = c.next();
        d.in_adjust[card].contrast = c.next();
        d.in_adjust[card].colour = c.next();
        d.pip_rect[card].main = get_rect_lines(c);
        d.pip_rect[card].sub = get_rect_lines(c);
    }
    {
        ReadCursor c(v, kLineWinAdjustExtra);
        for (int entry : kAdjustOrder) {
            d.win_adjust[entry].brightness = c.next();
            d.win_adjust[entry].contrast = c.next();
            d.win_adjust[entry].colour = c.next();
        }
    }
    {
        ReadCursor c(v, kLineBorders);
        for (WinFrame &f : d.win_frame) {
            f.on = c.next() != 0 ? 1 : 0;
            f.red = c.next();
            f.green = c.next();
            f.blue = c.next();
            f.size = c.next();
        }
    }
    for (int m = 0; m < kModeCount; ++m) {
        ModeData &md = d.mode_data[m];
        ReadCursor c(v, kLineModeRecords + kModeRecordLines * m);
        for (int w = 0; w < kWindowCount; ++w)
            md.win_source[w] = c.next();
        // A reset always leaves four entries; never write past a shorter list.
        if (md.win_layers.size() < kWindowCount)
            md.win_layers.resize(kWindowCount);
        for (int i = 0; i < kWindowCount; ++i)
            md.win_layers[i] = c.next();
        md.layer_code = c.next();
        for (int i = 0; i < kEffectCopies; ++i)
            d.switch_effect = c.next();
        for (int w = 0; w < kWindowCount; ++w)
            md.win_open[w] = c.next() != 0 ? 1 : 0;
    }
    for (int o = 0; o < kOutputCardCount; ++o) {
        ReadCursor b(v, kLineOutBrightness[o]);
        d.out_light[o].brightness = b.next();
        ReadCursor k(v, kLineOutContrast[o]);
        d.out_light[o].contrast = k.next();
        ReadCursor l(v, kLineOutColour[o]);
        d.out_light[o].colour = l.next();
        for (int p = 0; p < kPortCount; ++p) {
            for (int i = 0; i < 4; ++i) {
                d.port_quality[o][p][kBrightnessSlots[i]] = b.next();
                d.port_quality[o][p][kContrastSlots[i]] = k.next();
            }
            d.port_quality[o][p][kColourSlot] = l.next();
        }
    }
    for (int m = 0; m < kModeCount; ++m) {
        ModeData &md = d.mode_data[m];
        for (int k = 0; k < kPortCount; ++k) {
            ReadCursor c(v, kLineRectBlocks + kRectModeLines * m + kRectIndexLines * k);
            md.win_in[k] = get_rect_lines(c);
            md.win_out[k] = get_rect_lines(c);
            for (int o = 0; o < kOutputCardCount; ++o) {
                md.led_in_rect[o][k] = get_rect_lines(c);
                md.led_out_rect[o][k] = get_rect_lines(c);
            }
        }
    }
    ImportPending pending;
    pending.custom_w = values[kLineCustomW];
    pending.custom_h = values[kLineCustomH];
    pending.format = values[kLineFormat];
    return pending;
}

bool import_resolution_matches(const ImportPending &pending, const DeviceData &d)
{
    if (pending.format == kCustomFormatCode)
        return pending.custom_w == d.custom_res_w && pending.custom_h == d.custom_res_h;
    return pending.format == d.out_format;
}

QSize import_hint_size(const ImportPending &pending)
{
    if (pending.format == kCustomFormatCode)
        return QSize(pending.custom_w, pending.custom_h);
    const ResolutionPreset *row = preset_for_code(pending.format);
    return row ? QSize(row->width, row->height) : QSize(0, 0);
}

QByteArray upload_input_payload(const DeviceData &d)
{
    QByteArray out;
    out.reserve(kInputPayloadLength);
    for (int card = 0; card < 2; ++card) {
        put8(out, d.in_adjust[card].brightness);
        put8(out, d.in_adjust[card].contrast);
        put8(out, d.in_adjust[card].colour);
        put_rect(out, d.pip_rect[card].main);
        put_rect(out, d.pip_rect[card].sub);
    }
    return out;
}

QByteArray upload_global_payload(const DeviceData &d)
{
    QByteArray out;
    out.reserve(kGlobalPayloadLength);
    for (int entry : kAdjustOrder)
        put8(out, d.win_adjust[entry].brightness);
    for (int entry : kAdjustOrder)
        put8(out, d.win_adjust[entry].contrast);
    for (int entry : kAdjustOrder)
        put8(out, d.win_adjust[entry].colour);
    for (const WinFrame &f : d.win_frame) {
        put8(out, f.on);
        put8(out, f.red);
        put8(out, f.green);
        put8(out, f.blue);
        put8(out, f.size);
    }
    for (const ModeData &md : d.mode_data) {
        for (int w = 0; w < kWindowCount; ++w)
            put8(out, md.win_source[w]);
        for (int i = 0; i < kWindowCount; ++i)
            put8(out, md.win_layers.value(i));
        put8(out, md.layer_code);
        int32_t mask = 0;
        for (int w = 0; w < kWindowCount; ++w)
            mask |= (md.win_open[w] ? 1 : 0) << w;
        // Computed in 64 bits: an imported effect may be any 32-bit value.
        put8(out, static_cast<int32_t>((int64_t(d.switch_effect) * kEffectWeight + mask) & 0xFF));
    }
    for (int o = 0; o < kOutputCardCount; ++o)
        put_output_block(out, d, o);
    return out;
}

QByteArray upload_mode_payload(const DeviceData &d, int mode)
{
    QByteArray out;
    out.reserve(kModePayloadLength);
    const ModeData &md = d.mode_data[std::clamp(mode, 0, kModeCount - 1)];
    put8(out, mode);
    for (int w = 0; w < kWindowCount; ++w) {
        put_rect(out, md.win_in[w]);
        put_rect(out, md.win_out[w]);
    }
    for (int o = 0; o < kOutputCardCount; ++o) {
        for (int p = 0; p < kPortCount; ++p) {
            put_rect(out, md.led_in_rect[o][p]);
            put_rect(out, md.led_out_rect[o][p]);
        }
    }
    return out;
}

} // namespace codec
