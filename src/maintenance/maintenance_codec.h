#pragma once

// The configuration file of 2000 numbers and the four upload blocks that carry
// it back into a device. Pure: bytes and records in, bytes and records out.

#include <QByteArray>
#include <QSize>
#include <array>
#include <cstdint>

#include "device/device_data.h"

namespace codec {

constexpr int kConfigLineCount = 2000;
using ConfigValues = std::array<int32_t, kConfigLineCount>;

// Lines of the file that carry the custom size and the output format.
constexpr int kLineCustomW = 1997;
constexpr int kLineCustomH = 1998;
constexpr int kLineFormat = 1999;

// One line of the file as a number: optional blanks, an optional sign, digits
// with an optional fraction, optional blanks. The fraction is truncated toward
// zero and the value clamped to 32 bits; anything else reads as 0.
int32_t parse_config_line(const char *begin, const char *end);

// The tolerant reader: line n (ends "\n", "\r\n" or end of data) gives value n;
// missing lines are 0 and lines past the 2000th are ignored. The text is
// decoded as QTextStream does by default: UTF-8 with or without byte-order
// mark, UTF-16 or UTF-32 with one. Never fails, whatever the bytes.
ConfigValues read_config_file(const QByteArray &bytes);

// The 2000 values, one decimal integer per line, each ended by "\n" (the file
// is written in text mode, which gives the platform's line end).
QByteArray write_config_file(const ConfigValues &values);

// The export array filled from the records, zero where no field is carried.
ConfigValues export_values(const DeviceData &d);

// The values that the import does not put into the records at once.
struct ImportPending {
    int32_t format = 0;
    int32_t custom_w = 0;
    int32_t custom_h = 0;
};

// Copies the values into the records at the positions the export uses: flags
// become 0/1, switch_effect takes the last copy of the last mode, win_layers
// entries are overwritten in place. Returns the pending format values.
ImportPending parse_import_values(const ConfigValues &values, DeviceData &d);

// True when the file's output resolution is the device's: for the custom
// format only the custom size is compared, else only the format code.
bool import_resolution_matches(const ImportPending &pending, const DeviceData &d);

// The size the resolution hint asks for: the preset row of the format, the
// file's custom size for the custom format, 0 x 0 for a code without a row.
QSize import_hint_size(const ImportPending &pending);

// Payloads (frame bytes 7..N-2) of the upload commands.
QByteArray upload_input_payload(const DeviceData &d);          // command 192, N 46
QByteArray upload_global_payload(const DeviceData &d);         // command 193, N 281
QByteArray upload_mode_payload(const DeviceData &d, int mode); // command 194, N 201

} // namespace codec
