#pragma once

// Everything the simulated processor remembers: the values its read replies
// carry. Field names follow the program's records so tests can compare them
// one by one, but nothing here is shared with the program's code.

#include <QJsonObject>
#include <QString>
#include <cstdint>

namespace sim {

constexpr int kModes = 16;
constexpr int kWindows = 4;
constexpr int kInputCards = 4;
constexpr int kAdjustCards = 2; // only InA and InB have picture values and PIP
constexpr int kOutputCards = 2;
constexpr int kPorts = 4;
constexpr int kWalls = 4;
constexpr int kQualityValues = 9;

// In memory x, y, width, height, like the program; the wire order is
// x, width, y, height and is the encoder's business.
struct SimRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};

inline bool operator==(const SimRect &a, const SimRect &b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
inline bool operator!=(const SimRect &a, const SimRect &b)
{
    return !(a == b);
}

struct SimSize {
    int32_t w = 0;
    int32_t h = 0;
};

struct SimAdjust {
    int32_t brightness = 0;
    int32_t contrast = 0;
    int32_t colour = 0;
};

struct SimBorder {
    uint8_t on = 0;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t size = 0;
};

struct SimPip {
    SimRect main;
    SimRect sub;
};

struct SimMode {
    SimRect win_in[kWindows];
    SimRect win_out[kWindows];
    int32_t win_source[kWindows] = {};
    int32_t win_layers[kWindows] = {3, 2, 1, 0}; // first entry is the topmost window
    int32_t layer_code = 0;
    uint8_t win_open[kWindows] = {};
    SimRect led_in_rect[kOutputCards][kPorts];
    SimRect led_out_rect[kOutputCards][kPorts];
    SimRect unit_rect[kOutputCards][kPorts];
    int32_t out_total_w = 0;
    int32_t out_total_h = 0;
    SimSize wall_size[kWalls];
};

struct SimImage {
    // Status reply.
    int32_t out_rate_60hz = 0;
    uint8_t full_format_list = 0;
    uint8_t mosaic_on = 0;
    uint8_t in_card_present[kInputCards] = {};
    uint8_t aux_card_present = 0;
    uint8_t out_card_present[kOutputCards] = {};
    uint8_t in_signal_ok[kInputCards] = {};
    uint8_t status_spare[2] = {}; // bits 1 and 2 of status byte 11
    int32_t in_source[kInputCards] = {};
    int32_t pip_param[kAdjustCards] = {};
    int32_t pip_state[kAdjustCards] = {};
    int32_t in_vga[kAdjustCards] = {};
    int32_t cur_mul_mode = 0;
    int32_t cur_out_mode = 0;
    int32_t out_card_sel = 0;
    int32_t out_port_sel = 0;
    int32_t out_format = 0;
    int32_t switch_effect = 0;
    int32_t custom_res_w = 0;
    int32_t custom_res_h = 0;

    SimMode mode_data[kModes];

    SimAdjust in_adjust[kAdjustCards];
    SimPip pip_rect[kAdjustCards];
    SimAdjust win_adjust[5]; // entry 4 is the set that travels first on the wire
    SimBorder win_frame[kWindows];
    SimAdjust out_light[kOutputCards];
    // Record order: brightness values 0..3, contrast values 4..7, colour value 8.
    int32_t port_quality[kOutputCards][kPorts][kQualityValues] = {};

    // The settings of a freshly initialised device: one full-screen window
    // at 1920 x 1080, neutral picture values, default stacking.
    static SimImage factory();
    // A rich image in which every field differs from the program's reset
    // values, so a read-back that drops or misplaces a field shows up.
    static SimImage demo();

    // Factory settings, keeping what the hardware decides (fitted cards,
    // signals, connector kind), as the initialization command does.
    void reset_to_factory();

    QJsonObject to_json() const;
    // All or nothing: a missing, mistyped or out-of-range value leaves the
    // image unchanged and returns false.
    bool from_json(const QJsonObject &object, QString *error = nullptr);
    bool save(const QString &path, QString *error = nullptr) const;
    bool load(const QString &path, QString *error = nullptr);

    // The stacking code 0..23 of a list of the four window numbers, -1 when
    // the list is not a permutation of 0..3.
    static int layer_code_of(const int32_t (&layers)[kWindows]);
    // The list of a code 0..23; false (list unchanged) for other codes.
    static bool layers_of_code(int code, int32_t (&layers)[kWindows]);
};

bool operator==(const SimImage &a, const SimImage &b);
inline bool operator!=(const SimImage &a, const SimImage &b)
{
    return !(a == b);
}

} // namespace sim
