#pragma once

// Pure frame building and reply decoding: no widgets, no I/O. Every function
// works on byte arrays and on the shared records only.

#include <QByteArray>
#include <cstdint>

#include "device/device_data.h"

namespace codec {

// ---- Frames ---------------------------------------------------------------

// A complete frame: ':' id 4 1 lenHigh command lenLow payload ':'.
QByteArray build_frame(int device_id, uint8_t command, const QByteArray &payload);
// The ten-byte read request for a selector and an index.
QByteArray read_request(int device_id, uint8_t selector, uint8_t index);
// The ten-byte short command with its two argument bytes.
QByteArray short_command(int device_id, uint8_t command, uint8_t a, uint8_t b);

// Appends a 16-bit big-endian value, clamped to 0..65535.
void put16(QByteArray &out, int32_t value);
// Appends a rectangle in wire order: x, width, y, height, 16 bits each.
void put_rect(QByteArray &out, const DevRect &r);
// Reads a 16-bit big-endian value at position pos.
int32_t get16(const QByteArray &in, int pos);
// Reads a wire-order rectangle at position pos.
DevRect get_rect(const QByteArray &in, int pos);

// Frame length N from bytes 4 and 6.
int frame_length(const QByteArray &frame);
// True when byte 0 is ':', byte 5 is the read command, the length field is `length`
// and the array holds at least that many bytes.
bool is_data_reply(const QByteArray &reply, int length);

// ---- Decoders -------------------------------------------------------------
// Each returns false and changes nothing unless the reply has a ':' at byte 0,
// 254 at byte 5 and its own length in bytes 4 and 6. `reply` may be longer
// than the frame (the 300-byte receive buffer).

bool decode_status(const QByteArray &reply, DeviceData &d);
bool decode_input_card(const QByteArray &reply, int card, DeviceData &d);
// Also derives win_canvas of the four windows for a canvas of canvas_w x canvas_h.
bool decode_windows(const QByteArray &reply, int mode, int canvas_w, int canvas_h, DeviceData &d);
bool decode_mode_table(const QByteArray &reply, DeviceData &d);
bool decode_win_adjust(const QByteArray &reply, DeviceData &d);
bool decode_win_borders(const QByteArray &reply, DeviceData &d);
bool decode_unit_rects(const QByteArray &reply, int mode, DeviceData &d);
bool decode_led_rects(const QByteArray &reply, int mode, DeviceData &d);
bool decode_led_totals(const QByteArray &reply, DeviceData &d);
bool decode_wall_sizes(const QByteArray &reply, DeviceData &d);

// ---- Canvas conversion ----------------------------------------------------

// value * num / den in double precision, truncated toward zero, whatever order a
// formula writes the factors in; 0 when den is 0, clamped to the int32 range.
int32_t scale(int32_t value, int num, int den);
// Output pixels to canvas pixels (truncated); 0 when the reference is 0.
DevRect to_canvas_rect(const DevRect &out, int canvas_w, int canvas_h, int ref_w, int ref_h);

// ---- Output resolution presets -------------------------------------------

struct ResolutionPreset {
    int index;        // row of the resolution list
    int code;         // the device's resolution code
    const char *text; // list text
    int width;        // 0 for the custom row
    int height;
};

constexpr int kPresetCount = 13;
constexpr int kShortPresetCount = 5;
constexpr int kCustomFormatCode = 9;
constexpr int kCustomFormatIndex = 2;

const ResolutionPreset &preset_at(int index);
// The row of a device code, or nullptr for a code without a row.
const ResolutionPreset *preset_for_code(int code);
// Sets out_res_w/out_res_h from the row of out_format (custom: the custom size);
// returns the row index, or -1 when out_format has no row (nothing changed).
int apply_format_code(DeviceData &d);

// Every port of every mode starts as one output-sized unit showing the whole input.
void derive_led_defaults(DeviceData &d);

} // namespace codec
