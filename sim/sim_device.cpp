#include "sim_device.h"

#include "device/protocol.h"

namespace sim {

namespace {

// Read-only view of a received frame; bytes past its end read as 0 so a
// handler can never index outside it, and need() guards the payload length.
class In
{
public:
    explicit In(const QByteArray &f) : f_(f) {}
    bool need(int length) const { return f_.size() >= length; }
    int u8(int pos) const { return pos >= 0 && pos < f_.size() ? uint8_t(f_[pos]) : 0; }
    int u16(int pos) const { return (u8(pos) << 8) | u8(pos + 1); }
    SimRect rect(int pos) const // wire order x, width, y, height
    {
        SimRect r;
        r.x = u16(pos);
        r.w = u16(pos + 2);
        r.y = u16(pos + 4);
        r.h = u16(pos + 6);
        return r;
    }

private:
    const QByteArray &f_;
};

class Out
{
public:
    // A reply frame of `length` bytes, all payload bytes 0.
    Out(uint8_t id, uint8_t command, int length) : f_(length, '\0')
    {
        f_[0] = char(proto::kDelimiter);
        f_[1] = char(id);
        f_[2] = char(proto::kByte2);
        f_[3] = char(proto::kByte3);
        f_[4] = char(length >> 8);
        f_[5] = char(command);
        f_[6] = char(length & 0xFF);
        f_[length - 1] = char(proto::kDelimiter);
    }
    void u8(int pos, int v) { f_[pos] = char(v & 0xFF); }
    void u16(int pos, int v)
    {
        f_[pos] = char((v >> 8) & 0xFF);
        f_[pos + 1] = char(v & 0xFF);
    }
    void rect(int pos, const SimRect &r)
    {
        u16(pos, r.x);
        u16(pos + 2, r.w);
        u16(pos + 4, r.y);
        u16(pos + 6, r.h);
    }
    QByteArray bytes() const { return f_; }

private:
    QByteArray f_;
};

constexpr int kData = 9; // first data byte of a read reply

// port_quality record positions in the order the wire carries them: each group
// of four is all, red, green, blue while the record keeps all, red, blue, green.
constexpr int kBrightnessWire[4] = {0, 1, 3, 2};
constexpr int kContrastWire[4] = {4, 5, 7, 6};
constexpr int kColourValue = 8;
// The fifth window adjustment set travels first.
constexpr int kAdjustWire[5] = {4, 0, 1, 2, 3};

// Mode table and import: the open mask shares its byte with the switch effect
// the import stored (effect x 240 + mask, modulo 256); the device keeps it
// that way, so a reader has to mask bits 0..3.
int open_byte(const SimMode &m, int switch_effect)
{
    int mask = 0;
    for (int w = 0; w < kWindows; ++w)
        if (m.win_open[w])
            mask |= 1 << w;
    return (switch_effect * 240 + mask) % 256;
}

int effect_of_open_byte(int byte)
{
    // 240 * e mod 256 leaves 16 - e in the high nibble (0 for e = 0).
    return (16 - (byte >> 4)) & 0x0F;
}

// The 39-byte output block of the mode table and of the import global block.
void put_output_block(Out &o, int base, const SimImage &m, int card)
{
    o.u8(base, m.out_light[card].brightness);
    o.u8(base + 17, m.out_light[card].contrast);
    o.u8(base + 34, m.out_light[card].colour);
    for (int p = 0; p < kPorts; ++p) {
        for (int i = 0; i < 4; ++i) {
            o.u8(base + 1 + 4 * p + i, m.port_quality[card][p][kBrightnessWire[i]]);
            o.u8(base + 18 + 4 * p + i, m.port_quality[card][p][kContrastWire[i]]);
        }
        o.u8(base + 35 + p, m.port_quality[card][p][kColourValue]);
    }
}

void get_output_block(const In &in, int base, SimImage &m, int card)
{
    m.out_light[card].brightness = in.u8(base);
    m.out_light[card].contrast = in.u8(base + 17);
    m.out_light[card].colour = in.u8(base + 34);
    for (int p = 0; p < kPorts; ++p) {
        for (int i = 0; i < 4; ++i) {
            m.port_quality[card][p][kBrightnessWire[i]] = in.u8(base + 1 + 4 * p + i);
            m.port_quality[card][p][kContrastWire[i]] = in.u8(base + 18 + 4 * p + i);
        }
        m.port_quality[card][p][kColourValue] = in.u8(base + 35 + p);
    }
}

// Port selector byte: bit 6 card, bits 5..4 port, bits 3..0 mode.
struct PortSel {
    int card;
    int port;
    int mode;
};
PortSel port_sel(int byte)
{
    return {(byte >> 6) & 1, (byte >> 4) & 3, byte & 0x0F};
}

bool is_mode(int v)
{
    return v >= 0 && v < kModes;
}

} // namespace

// ---- Frame assembler ---------------------------------------------------

void FrameAssembler::feed(const QByteArray &bytes)
{
    buffer_.append(bytes);
}

void FrameAssembler::drop(int count)
{
    skipped_ += count;
    buffer_.remove(0, count);
}

bool FrameAssembler::next(QByteArray &frame)
{
    for (;;) {
        const int start = buffer_.indexOf(char(proto::kDelimiter));
        if (start < 0) {
            drop(buffer_.size());
            return false;
        }
        if (start > 0)
            drop(start);
        if (buffer_.size() < proto::kHeaderLength)
            return false; // length bytes not here yet
        const int length = uint8_t(buffer_[4]) * 256 + uint8_t(buffer_[6]);
        if (length < proto::kMinFrameLength || length > proto::kMaxFrameLength) {
            drop(1);
            continue;
        }
        if (buffer_.size() < length)
            return false;
        if (buffer_[length - 1] != char(proto::kDelimiter)) {
            drop(1);
            continue;
        }
        frame = buffer_.left(length);
        buffer_.remove(0, length);
        return true;
    }
}

void FrameAssembler::skip_partial()
{
    if (!buffer_.isEmpty())
        drop(1);
}

void FrameAssembler::clear()
{
    buffer_.clear();
    skipped_ = 0;
}

// ---- Device ------------------------------------------------------------

SimDevice::SimDevice(const SimImage &image) : image_(image) {}

int SimDevice::ack_length(int command)
{
    switch (command) {
    case proto::kCmdPipOnOff:
        return proto::kAckPip;
    case proto::kCmdCustomResolution:
        return proto::kAckCustomResolution;
    case proto::kCmdPresetResolution:
        return proto::kAckPresetResolution;
    case proto::kCmdImportInput:
        return proto::kAckImportInput;
    case proto::kCmdImportGlobal:
        return proto::kAckImportGlobal;
    case proto::kCmdImportMode:
        return proto::kAckImportMode;
    default:
        return proto::kAckShort;
    }
}

QByteArray SimDevice::handle(const QByteArray &frame)
{
    const In in(frame);
    if (!in.need(proto::kMinFrameLength) || in.u8(0) != proto::kDelimiter ||
        in.u8(4) * 256 + in.u8(6) != frame.size() || in.u8(frame.size() - 1) != proto::kDelimiter)
        return {};
    if (in.u8(1) != device_id_)
        return {};
    if (in.u8(5) == proto::kCmdRead) {
        if (!in.need(proto::kShortFrameLength))
            return {};
        return read_reply(in.u8(7), in.u8(8));
    }
    apply(frame);
    return acknowledge(frame);
}

QByteArray SimDevice::acknowledge(const QByteArray &frame) const
{
    const int command = uint8_t(frame[5]);
    const int length = ack_length(command);
    Out o(device_id_, uint8_t(command), length);
    // Longer acknowledgements echo the command's payload, as far as it goes.
    const In in(frame);
    for (int pos = proto::kHeaderLength; pos < length - 1 && pos < frame.size() - 1; ++pos)
        o.u8(pos, in.u8(pos));
    return o.bytes();
}

QByteArray SimDevice::read_reply(int selector, int index) const
{
    const SimImage &m = image_;
    auto start = [&](int length) {
        Out o(device_id_, proto::kCmdRead, length);
        o.u8(7, selector);
        o.u8(8, index);
        return o;
    };

    switch (selector) {
    case proto::kSelStatus: {
        Out o = start(proto::kStatusReplyLength);
        o.u8(9, (m.out_rate_60hz ? 1 : 0) | (m.full_format_list ? 2 : 0) | (m.mosaic_on ? 4 : 0));
        int cards = 0;
        for (int c = 0; c < kInputCards; ++c)
            cards |= (m.in_card_present[c] ? 1 : 0) << c;
        cards |= (m.aux_card_present ? 1 : 0) << 4;
        cards |= (m.out_card_present[0] ? 1 : 0) << 5;
        cards |= (m.out_card_present[1] ? 1 : 0) << 6;
        o.u8(10, cards);
        int signal_bits = (m.status_spare[0] ? 1 : 0) << 1 | (m.status_spare[1] ? 1 : 0) << 2;
        for (int c = 0; c < kInputCards; ++c)
            signal_bits |= (m.in_signal_ok[c] ? 1 : 0) << (3 + c);
        o.u8(11, signal_bits);
        o.u8(12, (m.in_source[2] & 0x0F) | (m.in_source[3] & 0x0F) << 4);
        o.u8(13, (m.in_source[0] & 0x0F) | (m.in_source[1] & 0x0F) << 4);
        o.u8(14, (m.pip_param[0] & 0x0F) | (m.pip_param[1] & 0x0F) << 4);
        o.u8(15, (m.pip_state[0] & 7) | (m.in_vga[0] ? 8 : 0) | (m.pip_state[1] & 7) << 4 |
                     (m.in_vga[1] ? 0x80 : 0));
        o.u8(16, (m.cur_mul_mode & 0x0F) << 4 | (m.cur_out_mode & 0x0F));
        o.u8(19, (m.out_card_sel & 1) | (m.out_port_sel & 3) << 1 | (m.out_format & 0x1F) << 3);
        o.u8(20, (m.switch_effect & 0x0F) << 4);
        o.u16(21, m.custom_res_w);
        o.u16(23, m.custom_res_h);
        return o.bytes();
    }
    case proto::kSelInputCard: {
        if (index >= kAdjustCards)
            return {};
        Out o = start(proto::kInputCardReplyLength);
        o.u8(9, m.in_adjust[index].brightness);
        o.u8(10, m.in_adjust[index].contrast);
        o.u8(11, m.in_adjust[index].colour);
        o.rect(12, m.pip_rect[index].main);
        o.rect(20, m.pip_rect[index].sub);
        return o.bytes();
    }
    case proto::kSelWindows: {
        if (!is_mode(index))
            return {};
        Out o = start(proto::kWindowsReplyLength);
        for (int w = 0; w < kWindows; ++w) {
            o.rect(kData + 16 * w, m.mode_data[index].win_in[w]);
            o.rect(kData + 16 * w + 8, m.mode_data[index].win_out[w]);
        }
        return o.bytes();
    }
    case proto::kSelLedRects: {
        if (!is_mode(index))
            return {};
        Out o = start(proto::kLedRectsReplyLength);
        for (int c = 0; c < kOutputCards; ++c)
            for (int p = 0; p < kPorts; ++p) {
                o.rect(73 + 64 * c + 16 * p, m.mode_data[index].led_in_rect[c][p]);
                o.rect(73 + 64 * c + 16 * p + 8, m.mode_data[index].led_out_rect[c][p]);
            }
        return o.bytes();
    }
    case proto::kSelLedSizes: {
        if (m.mosaic_on) {
            Out o = start(proto::kWallSizesReplyLength);
            for (int md = 0; md < kModes; ++md)
                for (int k = 0; k < kWalls; ++k) {
                    o.u16(kData + 16 * md + 4 * k, m.mode_data[md].wall_size[k].w);
                    o.u16(kData + 16 * md + 4 * k + 2, m.mode_data[md].wall_size[k].h);
                }
            return o.bytes();
        }
        Out o = start(proto::kLedTotalsReplyLength);
        for (int md = 0; md < kModes; ++md) {
            o.u16(kData + 4 * md, m.mode_data[md].out_total_w);
            o.u16(kData + 4 * md + 2, m.mode_data[md].out_total_h);
        }
        return o.bytes();
    }
    case proto::kSelUnitRects: {
        if (!is_mode(index))
            return {};
        Out o = start(proto::kUnitRectsReplyLength);
        for (int c = 0; c < kOutputCards; ++c)
            for (int p = 0; p < kPorts; ++p)
                o.rect(kData + 32 * c + 8 * p, m.mode_data[index].unit_rect[c][p]);
        return o.bytes();
    }
    case proto::kSelWinAdjust: {
        Out o = start(proto::kWinAdjustReplyLength);
        for (int i = 0; i < 5; ++i) {
            const SimAdjust &a = m.win_adjust[kAdjustWire[i]];
            o.u8(kData + i, a.brightness);
            o.u8(kData + 5 + i, a.contrast);
            o.u8(kData + 10 + i, a.colour);
        }
        return o.bytes();
    }
    case proto::kSelWinBorders: {
        Out o = start(proto::kWinBordersReplyLength);
        for (int w = 0; w < kWindows; ++w) {
            const SimBorder &b = m.win_frame[w];
            o.u8(kData + 5 * w, b.on);
            o.u8(kData + 5 * w + 1, b.red);
            o.u8(kData + 5 * w + 2, b.green);
            o.u8(kData + 5 * w + 3, b.blue);
            o.u8(kData + 5 * w + 4, b.size);
        }
        return o.bytes();
    }
    case proto::kSelModeTable: {
        Out o = start(proto::kModeTableReplyLength);
        for (int md = 0; md < kModes; ++md) {
            const SimMode &mode = m.mode_data[md];
            const int base = 44 + 10 * md;
            for (int w = 0; w < kWindows; ++w) {
                o.u8(base + w, mode.win_source[w]);
                o.u8(base + 4 + w, mode.win_layers[w]);
            }
            o.u8(base + 8, mode.layer_code);
            o.u8(base + 9, open_byte(mode, m.switch_effect));
        }
        put_output_block(o, 204, m, 0);
        put_output_block(o, 243, m, 1);
        return o.bytes();
    }
    default:
        return {};
    }
}

void SimDevice::apply(const QByteArray &frame)
{
    const In in(frame);
    SimImage &m = image_;
    const int a = in.u8(7);
    const int b = in.u8(8);

    switch (in.u8(5)) {
    case proto::kCmdPipRect:
        if (in.need(17) && a < 2 * kAdjustCards) {
            SimPip &pip = m.pip_rect[a >> 1];
            (a & 1 ? pip.main : pip.sub) = in.rect(8);
        }
        break;
    case proto::kCmdInputBrightness:
    case proto::kCmdInputContrast:
    case proto::kCmdInputColour:
        if (in.need(10) && a < kAdjustCards) {
            SimAdjust &adj = m.in_adjust[a];
            const int command = in.u8(5);
            (command == proto::kCmdInputBrightness ? adj.brightness
             : command == proto::kCmdInputContrast ? adj.contrast
                                                   : adj.colour) = b;
        }
        break;
    case proto::kCmdAutoAdjust:
        break; // the device adjusts its own sampling; nothing it reports changes
    case proto::kCmdLayerSelect:
        if (in.need(10) && b < kWindows)
            selected_window_ = b;
        break;
    case proto::kCmdSelectMode:
        if (in.need(10) && is_mode(b))
            (a & proto::kOutputForm ? m.cur_out_mode : m.cur_mul_mode) = b;
        break;
    case proto::kCmdCopyMode:
        apply_copy(frame);
        break;
    case proto::kCmdWindowSources:
        if (in.need(12))
            for (int w = 0; w < kWindows; ++w)
                m.mode_data[m.cur_mul_mode].win_source[w] = in.u8(7 + w);
        break;
    case proto::kCmdOpenMask:
        if (in.need(9))
            for (int w = 0; w < kWindows; ++w)
                m.mode_data[m.cur_mul_mode].win_open[w] = (a >> w) & 1;
        break;
    case proto::kCmdRectangle:
        apply_rectangle(frame, (a & proto::kOutputForm) != 0);
        break;
    case proto::kCmdDerivedPortRects:
        apply_rectangle(frame, true);
        break;
    case proto::kCmdBorder:
        if (in.need(14) && a < kWindows) {
            SimBorder &border = m.win_frame[a];
            border.on = b != 0 ? 1 : 0;
            border.red = in.u8(9);
            border.green = in.u8(10);
            border.blue = in.u8(11);
            border.size = in.u8(12);
        }
        break;
    case proto::kCmdBrightness:
    case proto::kCmdContrast:
    case proto::kCmdColour:
        apply_picture_values(frame);
        break;
    case proto::kCmdLayerMove:
        apply_layer_move(frame);
        break;
    case proto::kCmdLedSize: {
        SimMode &mode = m.mode_data[m.cur_out_mode];
        if (frame.size() == 12) {
            mode.out_total_w = in.u16(7);
            mode.out_total_h = in.u16(9);
        } else if (in.need(13) && in.u8(11) < kWalls) {
            mode.wall_size[in.u8(11)] = {in.u16(7), in.u16(9)};
        }
        break;
    }
    case proto::kCmdInputSource:
        if (in.need(10) && a < kInputCards && b <= 0x0F)
            m.in_source[a] = b;
        break;
    case proto::kCmdPipOnOff:
        if (in.need(10) && a < kAdjustCards)
            m.pip_state[a] = b != 0 ? 1 : 0;
        break;
    case proto::kCmdPipSource:
        if (in.need(10) && a < kAdjustCards && b <= 0x0F)
            m.pip_param[a] = b;
        break;
    case proto::kCmdCustomResolution:
        if (in.need(13)) {
            m.custom_res_w = in.u16(7);
            m.custom_res_h = in.u16(9);
            m.out_rate_60hz = in.u8(11) != 0 ? 1 : 0;
        }
        break;
    case proto::kCmdPresetResolution:
        if (in.need(10)) {
            if (a == 19)
                m.out_rate_60hz = 1;
            else if (a == 34)
                m.out_rate_60hz = 0;
            if (b <= 0x1F)
                m.out_format = b;
        }
        break;
    case proto::kCmdUnitRects:
        if (in.need(72))
            for (int c = 0; c < kOutputCards; ++c)
                for (int p = 0; p < kPorts; ++p)
                    m.mode_data[m.cur_out_mode].unit_rect[c][p] = in.rect(7 + 32 * c + 8 * p);
        break;
    case proto::kCmdDeviceInit:
        m.reset_to_factory();
        selected_window_ = 0;
        break;
    case proto::kCmdImportInput:
        apply_import_input(frame);
        break;
    case proto::kCmdImportGlobal:
        apply_import_global(frame);
        break;
    case proto::kCmdImportMode:
        apply_import_mode(frame);
        break;
    case proto::kCmdImportEnd:
        break; // the blocks took effect as they arrived
    default:
        break; // unknown commands are acknowledged and otherwise ignored
    }
}

void SimDevice::apply_rectangle(const QByteArray &frame, bool port_form)
{
    const In in(frame);
    if (!in.need(25))
        return;
    const int sel = in.u8(7);
    if (port_form) {
        const PortSel s = port_sel(sel);
        SimMode &mode = image_.mode_data[s.mode];
        mode.led_in_rect[s.card][s.port] = in.rect(8);
        mode.led_out_rect[s.card][s.port] = in.rect(16);
        return;
    }
    const int window = sel >> 4; // bit 7 is clear here, so 0..7
    if (window >= kWindows)
        return;
    SimMode &mode = image_.mode_data[sel & 0x0F];
    mode.win_in[window] = in.rect(8);
    mode.win_out[window] = in.rect(16);
}

void SimDevice::apply_picture_values(const QByteArray &frame)
{
    const In in(frame);
    const int command = in.u8(5);
    const int sel = in.u8(7);
    if (!(sel & proto::kOutputForm)) {
        if (!in.need(15))
            return;
        for (int i = 0; i < 5; ++i) {
            SimAdjust &a = image_.win_adjust[kAdjustWire[i]];
            (command == proto::kCmdBrightness ? a.brightness
             : command == proto::kCmdContrast ? a.contrast
                                              : a.colour) = in.u8(9 + i);
        }
        return;
    }
    const int card = (sel >> 6) & 1;
    SimAdjust &light = image_.out_light[card];
    auto &ports = image_.port_quality[card];
    if (command == proto::kCmdColour) {
        if (!in.need(15))
            return;
        light.colour = in.u8(9);
        for (int p = 0; p < kPorts; ++p)
            ports[p][kColourValue] = in.u8(10 + p);
        return;
    }
    if (!in.need(27))
        return;
    const bool brightness = command == proto::kCmdBrightness;
    (brightness ? light.brightness : light.contrast) = in.u8(9);
    const int *order = brightness ? kBrightnessWire : kContrastWire;
    for (int p = 0; p < kPorts; ++p)
        for (int i = 0; i < 4; ++i)
            ports[p][order[i]] = in.u8(10 + 4 * p + i);
}

void SimDevice::apply_layer_move(const QByteArray &frame)
{
    const In in(frame);
    if (!in.need(10))
        return;
    const bool to_top = (in.u8(7) & 1) != 0;
    if (in.u8(8) <= 3)
        image_.switch_effect = in.u8(8);
    SimMode &mode = image_.mode_data[image_.cur_mul_mode];
    int32_t *layers = mode.win_layers;
    int at = -1;
    for (int i = 0; i < kWindows; ++i)
        if (layers[i] == selected_window_)
            at = i;
    if (at < 0)
        return;
    const int32_t moved = layers[at];
    if (to_top) {
        for (int i = at; i > 0; --i)
            layers[i] = layers[i - 1];
        layers[0] = moved;
    } else {
        for (int i = at; i < kWindows - 1; ++i)
            layers[i] = layers[i + 1];
        layers[kWindows - 1] = moved;
    }
    const int code = SimImage::layer_code_of(mode.win_layers);
    if (code >= 0)
        mode.layer_code = code;
}

void SimDevice::apply_copy(const QByteArray &frame)
{
    const In in(frame);
    const int source = in.u8(8);
    const int target = in.u8(9);
    if (!in.need(11) || !is_mode(source) || !is_mode(target))
        return;
    const SimMode &from = image_.mode_data[source];
    SimMode &to = image_.mode_data[target];
    if (in.u8(7) & proto::kOutputForm) {
        for (int c = 0; c < kOutputCards; ++c)
            for (int p = 0; p < kPorts; ++p) {
                to.led_in_rect[c][p] = from.led_in_rect[c][p];
                to.led_out_rect[c][p] = from.led_out_rect[c][p];
                to.unit_rect[c][p] = from.unit_rect[c][p];
            }
        to.out_total_w = from.out_total_w;
        to.out_total_h = from.out_total_h;
        for (int k = 0; k < kWalls; ++k)
            to.wall_size[k] = from.wall_size[k];
        return;
    }
    for (int w = 0; w < kWindows; ++w) {
        to.win_in[w] = from.win_in[w];
        to.win_out[w] = from.win_out[w];
        to.win_source[w] = from.win_source[w];
        to.win_layers[w] = from.win_layers[w];
        to.win_open[w] = from.win_open[w];
    }
    to.layer_code = from.layer_code;
}

void SimDevice::apply_import_input(const QByteArray &frame)
{
    const In in(frame);
    if (!in.need(46))
        return;
    for (int c = 0; c < kAdjustCards; ++c) {
        const int base = 7 + 19 * c;
        image_.in_adjust[c] = {in.u8(base), in.u8(base + 1), in.u8(base + 2)};
        image_.pip_rect[c].main = in.rect(base + 3);
        image_.pip_rect[c].sub = in.rect(base + 11);
    }
}

void SimDevice::apply_import_global(const QByteArray &frame)
{
    const In in(frame);
    if (!in.need(281))
        return;
    SimImage &m = image_;
    for (int i = 0; i < 5; ++i) {
        SimAdjust &a = m.win_adjust[kAdjustWire[i]];
        a.brightness = in.u8(7 + i);
        a.contrast = in.u8(12 + i);
        a.colour = in.u8(17 + i);
    }
    for (int w = 0; w < kWindows; ++w) {
        const int base = 22 + 5 * w;
        m.win_frame[w] = {uint8_t(in.u8(base) != 0 ? 1 : 0), in.u8(base + 1), in.u8(base + 2),
                          in.u8(base + 3), in.u8(base + 4)};
    }
    int effect = m.switch_effect;
    for (int md = 0; md < kModes; ++md) {
        SimMode &mode = m.mode_data[md];
        const int base = 42 + 10 * md;
        for (int w = 0; w < kWindows; ++w) {
            mode.win_source[w] = in.u8(base + w);
            mode.win_layers[w] = in.u8(base + 4 + w) & 3;
        }
        mode.layer_code = in.u8(base + 8);
        const int last = in.u8(base + 9);
        for (int w = 0; w < kWindows; ++w)
            mode.win_open[w] = (last >> w) & 1;
        effect = effect_of_open_byte(last);
    }
    if (effect <= 3)
        m.switch_effect = effect;
    get_output_block(in, 202, m, 0);
    get_output_block(in, 241, m, 1);
}

void SimDevice::apply_import_mode(const QByteArray &frame)
{
    const In in(frame);
    if (!in.need(201) || !is_mode(in.u8(7)))
        return;
    SimMode &mode = image_.mode_data[in.u8(7)];
    for (int w = 0; w < kWindows; ++w) {
        mode.win_in[w] = in.rect(8 + 16 * w);
        mode.win_out[w] = in.rect(16 + 16 * w);
    }
    for (int c = 0; c < kOutputCards; ++c)
        for (int p = 0; p < kPorts; ++p) {
            mode.led_in_rect[c][p] = in.rect(72 + 64 * c + 16 * p);
            mode.led_out_rect[c][p] = in.rect(80 + 64 * c + 16 * p);
        }
}

} // namespace sim
