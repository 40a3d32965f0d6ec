#pragma once

// The program's whole knowledge of the connected device and of the link:
// one plain aggregate, read and written directly by every page, command
// builder and reply decoder. No accessors, no notifications.

#include <QString>
#include <QVector>
#include <cstdint>

constexpr int kModeCount = 16;
constexpr int kWindowCount = 4;
constexpr int kInputCardCount = 4;
constexpr int kOutputCardCount = 2;
constexpr int kPortCount = 4;
constexpr int kBufferSize = 300;

// In memory x, y, width, height; on the wire x, width, y, height.
struct DevRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
};

inline bool operator==(const DevRect &a, const DevRect &b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}
inline bool operator!=(const DevRect &a, const DevRect &b)
{
    return !(a == b);
}

struct SizePair {
    int32_t w = 0;
    int32_t h = 0;
};

// Brightness, contrast, colour of one input card, one window or one output.
struct Adjust {
    int32_t brightness = 0;
    int32_t contrast = 0;
    int32_t colour = 0;
};

struct WinFrame {
    uint8_t on = 0;
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    int32_t size = 0;
};

struct PipRects {
    DevRect main;
    DevRect sub;
};

// One unit placed in the fast mosaic editor.
struct MosaicUnit {
    int id = 0;
    DevRect wall_rect;
    DevRect canvas_rect;
    int wall = 0;
};

struct ModeData {
    DevRect win_in[kWindowCount];
    DevRect win_out[kWindowCount];
    int32_t win_source[kWindowCount] = {};
    uint8_t win_open[kWindowCount] = {};
    QVector<int32_t> win_layers; // first entry is the topmost window
    int32_t layer_code = 0;
    DevRect win_canvas[kWindowCount];
    DevRect mosaic_rects[kOutputCardCount][kPortCount];
    DevRect led_in_rect[kOutputCardCount][kPortCount];
    DevRect led_out_rect[kOutputCardCount][kPortCount];
    DevRect unit_rect[kOutputCardCount][kPortCount];
    int32_t out_total_w = 0;
    int32_t out_total_h = 0;
    SizePair wall_size[4];
    int32_t led_screen[kOutputCardCount * kPortCount] = {}; // index card * 4 + port
};

class DeviceData
{
public:
    // Link
    uint8_t serial_open = 0;
    uint8_t net_open = 0;
    uint8_t lang_english = 0;
    uint8_t serial_chosen = 0;
    uint8_t rx_buf[kBufferSize] = {};
    uint8_t tx_buf[kBufferSize] = {};
    int32_t serial_wait_code = 0;
    int32_t net_wait_code = 0;
    int32_t serial_port_no = 0;
    QString device_ip = QStringLiteral("192.168.1.100");
    int32_t device_id = 1;

    // Device status
    int32_t out_rate_60hz = 0;
    uint8_t full_format_list = 0;
    uint8_t mosaic_on = 0;
    uint8_t in_card_present[kInputCardCount] = {};
    uint8_t aux_card_present = 0;
    uint8_t out_card_present[kOutputCardCount] = {};
    uint8_t in_signal_ok[kInputCardCount] = {};
    int32_t in_source[kInputCardCount] = {};
    int32_t pip_param[2] = {};
    int32_t in_vga[2] = {};
    int32_t pip_state[2] = {};
    int32_t cur_mul_mode = 0;
    int32_t cur_out_mode = 0;
    int32_t switch_effect = 0;
    int32_t out_format = 0;
    int32_t out_port_sel = 0;
    int32_t out_card_sel = 0;
    int32_t custom_res_w = 1920;
    int32_t custom_res_h = 1080;

    ModeData mode_data[kModeCount];

    Adjust in_adjust[2];
    PipRects pip_rect[2];
    Adjust win_adjust[5]; // entries 0..3 per window; entry 4 travels first on the wire
    WinFrame win_frame[kWindowCount];
    Adjust out_light[kOutputCardCount];
    // Per output card and port: brightness x4, contrast x4, colour x1.
    int32_t port_quality[kOutputCardCount][kPortCount][9] = {};

    int32_t canvas_ref_w = 3840;
    int32_t canvas_ref_h = 2160;
    int32_t canvas_w = 815;
    int32_t canvas_h = 548;

    int32_t out_res_w = 0;
    int32_t out_res_h = 0;
    int32_t in_frame_w = 3840;
    int32_t in_frame_h = 2160;

    // Fast mosaic editor
    SizePair single_canvas{526, 450};
    SizePair wall_canvas[4];
    QVector<MosaicUnit> unit_list;

    // Loads the values a full read-back starts from.
    void reset_device_data();
    // Loads the default window rectangles of all sixteen modes.
    void load_default_layouts();
    // Keeps the event loop turning for at least ms milliseconds.
    bool delay(int ms);
};

extern DeviceData device_data;
