#include "output/output_codec.h"

#include <algorithm>

#include "device/codec.h"
#include "device/protocol.h"

namespace codec {

namespace {

constexpr uint8_t kAllPorts = 15; // byte 8 of the output picture commands

QByteArray four_value_payload(const DeviceData &d, int card, int32_t card_value,
                              const int (&wire)[4])
{
    QByteArray out;
    out.append(static_cast<char>(card_selector(card)));
    out.append(static_cast<char>(kAllPorts));
    out.append(static_cast<char>(card_value & 0xff));
    for (int p = 0; p < kPortCount; ++p) {
        for (int slot : wire)
            out.append(static_cast<char>(d.port_quality[card][p][slot] & 0xff));
    }
    return out;
}

} // namespace

uint8_t port_selector(int card, int port, int mode)
{
    return static_cast<uint8_t>(proto::kOutputForm | ((card & 1) << 6) | ((port & 3) << 4) |
                                (mode & 0x0f));
}

uint8_t card_selector(int card)
{
    return static_cast<uint8_t>(proto::kOutputForm | ((card & 1) << 6));
}

QString led_screen_group(int mode)
{
    return QStringLiteral("M%1").arg(mode);
}

QString led_screen_key(int index)
{
    return QStringLiteral("LED%1Screen").arg(index);
}

PortRects derive_port_rects(const DevRect &unit, int wall_w, int wall_h, int frame_w, int frame_h)
{
    PortRects r;
    r.output = DevRect{0, 0, unit.w, unit.h};
    r.input = DevRect{scale(unit.x, frame_w, wall_w), scale(unit.y, frame_h, wall_h),
                      scale(unit.w, frame_w, wall_w), scale(unit.h, frame_h, wall_h)};
    return r;
}

SizePair wall_total(const ModeData &m, bool four_walls, int wall)
{
    if (four_walls)
        return m.wall_size[std::clamp(wall, 0, kWallCount - 1)];
    return SizePair{m.out_total_w, m.out_total_h};
}

QByteArray unit_rects_payload(const ModeData &m)
{
    QByteArray out;
    for (int c = 0; c < kOutputCardCount; ++c) {
        for (int p = 0; p < kPortCount; ++p)
            put_rect(out, m.unit_rect[c][p]);
    }
    return out;
}

QByteArray port_rects_payload(uint8_t selector, const DevRect &input, const DevRect &output)
{
    QByteArray out;
    out.append(static_cast<char>(selector));
    put_rect(out, input);
    put_rect(out, output);
    return out;
}

QByteArray led_total_payload(int w, int h)
{
    QByteArray out;
    put16(out, w);
    put16(out, h);
    return out;
}

QByteArray led_wall_payload(int w, int h, int wall)
{
    QByteArray out = led_total_payload(w, h);
    out.append(static_cast<char>(std::clamp(wall, 0, kWallCount - 1)));
    return out;
}

QByteArray preset_resolution_payload(bool rate_60hz, int code)
{
    QByteArray out;
    out.append(static_cast<char>(rate_60hz ? kRate60Hz : kRate50Hz));
    out.append(static_cast<char>(code & 0xff));
    return out;
}

QByteArray custom_resolution_payload(int w, int h, bool rate_60hz)
{
    QByteArray out;
    put16(out, w);
    put16(out, h);
    out.append(static_cast<char>(rate_60hz ? 1 : 0));
    return out;
}

int custom_side_max(int other_side, bool rate_60hz)
{
    if (other_side <= 0)
        return kCustomMax;
    return (rate_60hz ? kPixelLimit60Hz : kPixelLimit50Hz) / other_side;
}

QByteArray copy_output_payload(int source, int target)
{
    QByteArray out;
    out.append(static_cast<char>(proto::kOutputForm));
    out.append(static_cast<char>(source & 0xff));
    out.append(static_cast<char>(target & 0xff));
    return out;
}

Range position_range(int extent, int size)
{
    return Range{0, extent - size};
}

Range size_range(int extent, int position)
{
    return Range{kMinRectSide, extent - position};
}

QByteArray output_gray_payload(const DeviceData &d, int card)
{
    return four_value_payload(d, card, d.out_light[card].brightness, kGrayWire);
}

QByteArray output_brightness_payload(const DeviceData &d, int card)
{
    return four_value_payload(d, card, d.out_light[card].contrast, kBrightWire);
}

QByteArray output_color_payload(const DeviceData &d, int card)
{
    QByteArray out;
    out.append(static_cast<char>(card_selector(card)));
    out.append(static_cast<char>(kAllPorts));
    out.append(static_cast<char>(d.out_light[card].colour & 0xff));
    for (int p = 0; p < kPortCount; ++p)
        out.append(static_cast<char>(d.port_quality[card][p][kColorValue] & 0xff));
    return out;
}

} // namespace codec
