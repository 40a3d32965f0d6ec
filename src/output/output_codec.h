#pragma once

// Pure payloads and derivations of the output page, the LED walls and the
// output picture values: no widgets, no I/O. Payloads are frame bytes 7..N-2.

#include <QByteArray>
#include <QString>

#include "device/device_data.h"

namespace codec {

// ---- Selectors and settings keys ------------------------------------------

// 128 + card * 64 + port * 16 + mode: bit 7 output form, bit 6 card, bits 5..4 port.
uint8_t port_selector(int card, int port, int mode);
// 128 + card * 64: the card of the output picture values.
uint8_t card_selector(int card);

// Settings file: group "M<mode>", key "LED<card * 4 + port>Screen".
QString led_screen_group(int mode);
QString led_screen_key(int index);

// ---- LED walls -------------------------------------------------------------

constexpr int kWallCount = 4; // walls of one output mode in four-wall mode

struct PortRects {
    DevRect input;
    DevRect output;
};

// The input capture and output rectangles of a unit screen in a wall of
// wall_w x wall_h: the whole wall maps onto the whole input frame. A wall side
// of 0 gives 0 for the input values scaled by it.
PortRects derive_port_rects(const DevRect &unit, int wall_w, int wall_h, int frame_w, int frame_h);

// The wall size that the derivation of a port uses: the single totals, or the
// size of `wall` (0..3, clamped) in four-wall mode.
SizePair wall_total(const ModeData &m, bool four_walls, int wall);

// Command 162: the unit rectangles of all eight ports of a mode, OutA first.
QByteArray unit_rects_payload(const ModeData &m);
// Commands 21 and 149: selector, then input and output rectangle in wire order.
QByteArray port_rects_payload(uint8_t selector, const DevRect &input, const DevRect &output);
// Command 32, 12-byte form: the single wall's totals.
QByteArray led_total_payload(int w, int h);
// Command 32, 13-byte form: one wall's size and its index.
QByteArray led_wall_payload(int w, int h, int wall);

// ---- Output resolution and modes ------------------------------------------

constexpr uint8_t kRate60Hz = 19;
constexpr uint8_t kRate50Hz = 34;
// Pixels per frame that the output can carry: 148.5 Mpixel/s at 60 or 50 Hz.
constexpr int kPixelLimit60Hz = 2475000;
constexpr int kPixelLimit50Hz = 2970000;
constexpr int kCustomMin = 960;
constexpr int kCustomMax = 2160;

// Command 159: rate byte (19 for 60 Hz, 34 for 50 Hz) and resolution code.
QByteArray preset_resolution_payload(bool rate_60hz, int code);
// Command 158: width, height (16 bit each) and the rate flag.
QByteArray custom_resolution_payload(int w, int h, bool rate_60hz);
// The largest value one custom side may take with the other side given; the
// plain maximum when the other side is 0 or negative (nothing to divide by).
int custom_side_max(int other_side, bool rate_60hz);
// Command 18 in its output form.
QByteArray copy_output_payload(int source, int target);

// ---- Manual rectangle limits ----------------------------------------------

struct Range {
    int bottom;
    int top;
};

// The limits of one field whose rectangle must stay inside `extent`:
// a position may go up to extent - size, a size (at least 8) up to extent - position.
Range position_range(int extent, int size);
Range size_range(int extent, int position);
constexpr int kMinRectSide = 8;

// ---- Output picture values ------------------------------------------------

// Wire order of the four values of each port: all, red, green, blue.
constexpr int kGrayWire[4] = {0, 1, 3, 2};
constexpr int kBrightWire[4] = {4, 5, 7, 6};
constexpr int kColorValue = 8;

// Commands 25 and 26: card selector, 15, card-wide value, four values per port.
QByteArray output_gray_payload(const DeviceData &d, int card);
QByteArray output_brightness_payload(const DeviceData &d, int card);
// Command 27: card selector, 15, card-wide colour, the colour of each port.
QByteArray output_color_payload(const DeviceData &d, int card);

} // namespace codec
