#include "device/codec.h"

#include <algorithm>
#include <limits>

#include "device/protocol.h"

namespace codec {

namespace {

// Header positions shared by every frame.
constexpr int kPosStart = 0;
constexpr int kPosLengthHigh = 4;
constexpr int kPosCommand = 5;
constexpr int kPosLengthLow = 6;

// A data reply repeats the selector and index in bytes 7 and 8; data start at 9.
constexpr int kData = 9;

// Status reply.
constexpr int kStatusFlags = 9;
constexpr int kStatusCards = 10;
constexpr int kStatusSignals = 11;
constexpr int kStatusSourceCD = 12;
constexpr int kStatusSourceAB = 13;
constexpr int kStatusPipParam = 14;
constexpr int kStatusPipState = 15;
constexpr int kStatusModes = 16;
constexpr int kStatusOutput = 19;
constexpr int kStatusEffect = 20;
constexpr int kStatusCustomW = 21;
constexpr int kStatusCustomH = 23;

// Input card reply.
constexpr int kCardAdjust = 9;
constexpr int kCardMainRect = 12;
constexpr int kCardSubRect = 20;

// Windows reply: win_in then win_out, 16 bytes per window.
constexpr int kWindowStride = 16;
constexpr int kRectBytes = 8;

// Mode table reply.
constexpr int kModeRecords = 44;
constexpr int kModeStride = 10;
constexpr int kModeLayers = 4;
constexpr int kModeLayerCode = 8;
constexpr int kModeOpenBits = 9;
constexpr int kOutputBlocks = 204;
constexpr int kOutputStride = 39;
constexpr int kPortValues = 4;      // bytes per port in the brightness and contrast runs
constexpr int kBlockBrightness = 0; // then 4 bytes per port
constexpr int kBlockContrast = 17;  // then 4 bytes per port
constexpr int kBlockColour = 34;    // then 1 byte per port
// port_quality slots in wire order: the third and fourth values travel swapped.
constexpr int kBrightnessSlots[kPortValues] = {0, 1, 3, 2};
constexpr int kContrastSlots[kPortValues] = {4, 5, 7, 6};
constexpr int kColourSlot = 8;

// Window adjustment reply: five entries per value, entry 4 first.
constexpr int kAdjustEntries = 5;
constexpr int kAdjustWireEntry[kAdjustEntries] = {4, 0, 1, 2, 3};

// Window border reply.
constexpr int kBorderStride = 5;

// Unit rectangles and LED rectangles.
constexpr int kUnitCardStride = 32;
constexpr int kLedRects = 73;
constexpr int kLedCardStride = 64;
constexpr int kLedPortStride = 16;

// LED totals and wall sizes: width then height, 16 bits each.
constexpr int kSizeBytes = 4;
constexpr int kWallCount = 4;

uint8_t byte_at(const QByteArray &in, int pos)
{
    return static_cast<uint8_t>(in.at(pos));
}

int bit(uint8_t value, int n)
{
    return (value >> n) & 1;
}

// Bits first..first+count-1 of value.
int bits(uint8_t value, int first, int count)
{
    return (value >> first) & ((1 << count) - 1);
}

void append_header(QByteArray &out, int device_id, uint8_t command, int length)
{
    out.append(static_cast<char>(proto::kDelimiter));
    out.append(static_cast<char>(device_id & 0xff));
    out.append(static_cast<char>(proto::kByte2));
    out.append(static_cast<char>(proto::kByte3));
    out.append(static_cast<char>((length >> 8) & 0xff));
    out.append(static_cast<char>(command));
    out.append(static_cast<char>(length & 0xff));
}

bool valid_mode(int mode)
{
    return mode >= 0 && mode < kModeCount;
}


constexpr ResolutionPreset kPresets[kPresetCount] = {
    {0, 1, "1440x1440@60Hz", 1440, 1440},
    {1, 6, "1920x1080@60Hz", 1920, 1080},
    {kCustomFormatIndex, kCustomFormatCode, "Custom Resolution", 0, 0},
    {3, 10, "2160x960@60Hz", 2160, 960},
    {4, 11, "1200x1600@60Hz", 1200, 1600},
    {5, 12, "1600x1344@60Hz", 1600, 1344},
    {6, 16, "2160x1160@50Hz", 2160, 1160},
    {7, 17, "2048x1200@50Hz", 2048, 1200},
    {8, 19, "1920x1200@50Hz", 1920, 1200},
    {9, 20, "1920x1080@50Hz", 1920, 1080},
    {10, 21, "1680x1440@50Hz", 1680, 1440},
    {11, 23, "1440x1680@50Hz", 1440, 1680},
    {12, 24, "1200x1960@50Hz", 1200, 1960},
};

} // namespace

// ---- Frames ---------------------------------------------------------------

QByteArray build_frame(int device_id, uint8_t command, const QByteArray &payload)
{
    // No assertion on the length: a frame too long for tx_buf is the sender's to
    // refuse, and it must refuse it in every build.
    const int length = payload.size() + proto::kMinFrameLength;
    QByteArray out;
    out.reserve(length);
    append_header(out, device_id, command, length);
    out.append(payload);
    out.append(static_cast<char>(proto::kDelimiter));
    return out;
}

QByteArray read_request(int device_id, uint8_t selector, uint8_t index)
{
    return short_command(device_id, proto::kCmdRead, selector, index);
}

QByteArray short_command(int device_id, uint8_t command, uint8_t a, uint8_t b)
{
    QByteArray payload;
    payload.append(static_cast<char>(a));
    payload.append(static_cast<char>(b));
    return build_frame(device_id, command, payload);
}

void put16(QByteArray &out, int32_t value)
{
    const int32_t v = std::clamp<int32_t>(value, 0, 0xffff);
    out.append(static_cast<char>(v >> 8));
    out.append(static_cast<char>(v & 0xff));
}

void put_rect(QByteArray &out, const DevRect &r)
{
    put16(out, r.x);
    put16(out, r.w);
    put16(out, r.y);
    put16(out, r.h);
}

int32_t get16(const QByteArray &in, int pos)
{
    if (pos < 0 || pos + 1 >= in.size())
        return 0;
    return (byte_at(in, pos) << 8) | byte_at(in, pos + 1);
}

DevRect get_rect(const QByteArray &in, int pos)
{
    DevRect r;
    r.x = get16(in, pos);
    r.w = get16(in, pos + 2);
    r.y = get16(in, pos + 4);
    r.h = get16(in, pos + 6);
    return r;
}

int frame_length(const QByteArray &frame)
{
    if (frame.size() < proto::kHeaderLength)
        return 0;
    return byte_at(frame, kPosLengthHigh) * 256 + byte_at(frame, kPosLengthLow);
}

bool is_data_reply(const QByteArray &reply, int length)
{
    // The size test comes first: every decoder reads up to length - 1 unchecked.
    return length >= proto::kMinFrameLength && reply.size() >= length &&
           byte_at(reply, kPosStart) == proto::kDelimiter &&
           byte_at(reply, kPosCommand) == proto::kCmdRead && frame_length(reply) == length;
}

// ---- Decoders -------------------------------------------------------------

bool decode_status(const QByteArray &reply, DeviceData &d)
{
    if (!is_data_reply(reply, proto::kStatusReplyLength))
        return false;

    const uint8_t flags = byte_at(reply, kStatusFlags);
    d.out_rate_60hz = bit(flags, 0);
    d.full_format_list = bit(flags, 1);
    d.mosaic_on = bit(flags, 2);

    const uint8_t cards = byte_at(reply, kStatusCards);
    for (int c = 0; c < kInputCardCount; ++c)
        d.in_card_present[c] = bit(cards, c);
    d.aux_card_present = bit(cards, 4);
    for (int o = 0; o < kOutputCardCount; ++o)
        d.out_card_present[o] = bit(cards, 5 + o);

    const uint8_t signals = byte_at(reply, kStatusSignals);
    for (int c = 0; c < kInputCardCount; ++c)
        d.in_signal_ok[c] = bit(signals, 3 + c);

    const uint8_t source_cd = byte_at(reply, kStatusSourceCD);
    const uint8_t source_ab = byte_at(reply, kStatusSourceAB);
    d.in_source[0] = bits(source_ab, 0, 4);
    d.in_source[1] = bits(source_ab, 4, 4);
    d.in_source[2] = bits(source_cd, 0, 4);
    d.in_source[3] = bits(source_cd, 4, 4);

    const uint8_t pip_param = byte_at(reply, kStatusPipParam);
    d.pip_param[0] = bits(pip_param, 0, 4);
    d.pip_param[1] = bits(pip_param, 4, 4);

    const uint8_t pip = byte_at(reply, kStatusPipState);
    d.pip_state[0] = bits(pip, 0, 3);
    d.in_vga[0] = bit(pip, 3);
    d.pip_state[1] = bits(pip, 4, 3);
    d.in_vga[1] = bit(pip, 7);

    const uint8_t modes = byte_at(reply, kStatusModes);
    d.cur_mul_mode = bits(modes, 4, 4);
    d.cur_out_mode = bits(modes, 0, 4);

    const uint8_t output = byte_at(reply, kStatusOutput);
    d.out_card_sel = bit(output, 0);
    d.out_port_sel = bits(output, 1, 2);
    d.out_format = bits(output, 3, 5);

    d.switch_effect = bits(byte_at(reply, kStatusEffect), 4, 4);
    d.custom_res_w = get16(reply, kStatusCustomW);
    d.custom_res_h = get16(reply, kStatusCustomH);
    return true;
}

bool decode_input_card(const QByteArray &reply, int card, DeviceData &d)
{
    constexpr int kAdjustableCards = 2; // only InA and InB carry picture values and PIP
    if (card < 0 || card >= kAdjustableCards || !is_data_reply(reply, proto::kInputCardReplyLength))
        return false;

    Adjust &a = d.in_adjust[card];
    a.brightness = byte_at(reply, kCardAdjust);
    a.contrast = byte_at(reply, kCardAdjust + 1);
    a.colour = byte_at(reply, kCardAdjust + 2);
    d.pip_rect[card].main = get_rect(reply, kCardMainRect);
    d.pip_rect[card].sub = get_rect(reply, kCardSubRect);
    return true;
}

bool decode_windows(const QByteArray &reply, int mode, int canvas_w, int canvas_h, DeviceData &d)
{
    if (!valid_mode(mode) || !is_data_reply(reply, proto::kWindowsReplyLength))
        return false;

    ModeData &m = d.mode_data[mode];
    for (int w = 0; w < kWindowCount; ++w) {
        const int pos = kData + kWindowStride * w;
        m.win_in[w] = get_rect(reply, pos);
        m.win_out[w] = get_rect(reply, pos + kRectBytes);
        m.win_canvas[w] =
            to_canvas_rect(m.win_out[w], canvas_w, canvas_h, d.canvas_ref_w, d.canvas_ref_h);
    }
    return true;
}

bool decode_mode_table(const QByteArray &reply, DeviceData &d)
{
    if (!is_data_reply(reply, proto::kModeTableReplyLength))
        return false;

    for (int mode = 0; mode < kModeCount; ++mode) {
        ModeData &m = d.mode_data[mode];
        const int pos = kModeRecords + kModeStride * mode;
        // A reset leaves four entries; a list that was never reset must not be overrun.
        if (m.win_layers.size() < kWindowCount)
            m.win_layers.resize(kWindowCount);
        const uint8_t open = byte_at(reply, pos + kModeOpenBits);
        for (int w = 0; w < kWindowCount; ++w) {
            m.win_source[w] = byte_at(reply, pos + w);
            m.win_layers[w] = byte_at(reply, pos + kModeLayers + w);
            m.win_open[w] = bit(open, w);
        }
        m.layer_code = byte_at(reply, pos + kModeLayerCode);
    }

    for (int o = 0; o < kOutputCardCount; ++o) {
        const int b = kOutputBlocks + kOutputStride * o;
        const int brightness = b + kBlockBrightness;
        const int contrast = b + kBlockContrast;
        const int colour = b + kBlockColour;
        d.out_light[o].brightness = byte_at(reply, brightness);
        d.out_light[o].contrast = byte_at(reply, contrast);
        d.out_light[o].colour = byte_at(reply, colour);
        for (int p = 0; p < kPortCount; ++p) {
            int32_t *q = d.port_quality[o][p];
            for (int i = 0; i < kPortValues; ++i) {
                q[kBrightnessSlots[i]] = byte_at(reply, brightness + 1 + kPortValues * p + i);
                q[kContrastSlots[i]] = byte_at(reply, contrast + 1 + kPortValues * p + i);
            }
            q[kColourSlot] = byte_at(reply, colour + 1 + p);
        }
    }
    return true;
}

bool decode_win_adjust(const QByteArray &reply, DeviceData &d)
{
    if (!is_data_reply(reply, proto::kWinAdjustReplyLength))
        return false;

    constexpr int kBrightness = kData;
    constexpr int kContrast = kBrightness + kAdjustEntries;
    constexpr int kColour = kContrast + kAdjustEntries;
    for (int i = 0; i < kAdjustEntries; ++i) {
        Adjust &a = d.win_adjust[kAdjustWireEntry[i]];
        a.brightness = byte_at(reply, kBrightness + i);
        a.contrast = byte_at(reply, kContrast + i);
        a.colour = byte_at(reply, kColour + i);
    }
    return true;
}

bool decode_win_borders(const QByteArray &reply, DeviceData &d)
{
    if (!is_data_reply(reply, proto::kWinBordersReplyLength))
        return false;

    for (int w = 0; w < kWindowCount; ++w) {
        const int pos = kData + kBorderStride * w;
        WinFrame &f = d.win_frame[w];
        f.on = byte_at(reply, pos) != 0 ? 1 : 0;
        f.red = byte_at(reply, pos + 1);
        f.green = byte_at(reply, pos + 2);
        f.blue = byte_at(reply, pos + 3);
        f.size = byte_at(reply, pos + 4);
    }
    return true;
}

bool decode_unit_rects(const QByteArray &reply, int mode, DeviceData &d)
{
    if (!valid_mode(mode) || !is_data_reply(reply, proto::kUnitRectsReplyLength))
        return false;

    ModeData &m = d.mode_data[mode];
    for (int c = 0; c < kOutputCardCount; ++c) {
        for (int p = 0; p < kPortCount; ++p)
            m.unit_rect[c][p] = get_rect(reply, kData + kUnitCardStride * c + kRectBytes * p);
    }
    return true;
}

bool decode_led_rects(const QByteArray &reply, int mode, DeviceData &d)
{
    if (!valid_mode(mode) || !is_data_reply(reply, proto::kLedRectsReplyLength))
        return false;

    ModeData &m = d.mode_data[mode];
    for (int c = 0; c < kOutputCardCount; ++c) {
        for (int p = 0; p < kPortCount; ++p) {
            const int pos = kLedRects + kLedCardStride * c + kLedPortStride * p;
            m.led_in_rect[c][p] = get_rect(reply, pos);
            m.led_out_rect[c][p] = get_rect(reply, pos + kRectBytes);
        }
    }
    return true;
}

bool decode_led_totals(const QByteArray &reply, DeviceData &d)
{
    if (!is_data_reply(reply, proto::kLedTotalsReplyLength))
        return false;

    for (int mode = 0; mode < kModeCount; ++mode) {
        const int pos = kData + kSizeBytes * mode;
        d.mode_data[mode].out_total_w = get16(reply, pos);
        d.mode_data[mode].out_total_h = get16(reply, pos + 2);
    }
    return true;
}

bool decode_wall_sizes(const QByteArray &reply, DeviceData &d)
{
    if (!is_data_reply(reply, proto::kWallSizesReplyLength))
        return false;

    for (int mode = 0; mode < kModeCount; ++mode) {
        for (int k = 0; k < kWallCount; ++k) {
            const int pos = kData + kSizeBytes * (kWallCount * mode + k);
            d.mode_data[mode].wall_size[k].w = get16(reply, pos);
            d.mode_data[mode].wall_size[k].h = get16(reply, pos + 2);
        }
    }
    return true;
}

// ---- Canvas conversion ----------------------------------------------------

int32_t scale(int32_t value, int num, int den)
{
    if (den == 0)
        return 0;
    const double r = static_cast<double>(value) * num / den;
    // Keep the conversion defined for absurd inputs instead of overflowing int.
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(r, lo, hi));
}

DevRect to_canvas_rect(const DevRect &out, int canvas_w, int canvas_h, int ref_w, int ref_h)
{
    DevRect r;
    r.x = scale(out.x, canvas_w, ref_w);
    r.y = scale(out.y, canvas_h, ref_h);
    r.w = scale(out.w, canvas_w, ref_w);
    r.h = scale(out.h, canvas_h, ref_h);
    return r;
}

// ---- Output resolution presets -------------------------------------------

const ResolutionPreset &preset_at(int index)
{
    // Clamped rather than asserted: a stray combo index must not read past the table.
    return kPresets[std::clamp(index, 0, kPresetCount - 1)];
}

const ResolutionPreset *preset_for_code(int code)
{
    for (const ResolutionPreset &p : kPresets) {
        if (p.code == code)
            return &p;
    }
    return nullptr;
}

int apply_format_code(DeviceData &d)
{
    const ResolutionPreset *p = preset_for_code(d.out_format);
    if (!p)
        return -1;
    if (p->code == kCustomFormatCode) {
        d.out_res_w = d.custom_res_w;
        d.out_res_h = d.custom_res_h;
    } else {
        d.out_res_w = p->width;
        d.out_res_h = p->height;
    }
    return p->index;
}

void derive_led_defaults(DeviceData &d)
{
    apply_format_code(d);
    const DevRect output{0, 0, d.out_res_w, d.out_res_h};
    const DevRect input{0, 0, d.in_frame_w, d.in_frame_h};
    for (ModeData &m : d.mode_data) {
        for (int c = 0; c < kOutputCardCount; ++c) {
            for (int p = 0; p < kPortCount; ++p) {
                m.unit_rect[c][p] = output;
                m.led_in_rect[c][p] = input;
                m.led_out_rect[c][p] = output;
            }
        }
    }
}

} // namespace codec
