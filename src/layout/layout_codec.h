#pragma once

// Pure computations of the multi-window layout: window command payloads, the
// stacking-order code, canvas/device conversions, item zones and drag limits.
// No widgets, no I/O.

#include <QByteArray>
#include <QString>
#include <QVector>
#include <Qt>
#include <cstdint>

#include "device/device_data.h"

namespace codec {

// ---- Window model ---------------------------------------------------------

// Windows 0 and 1 show InC/InD (taken as 3840 x 2160), windows 2 and 3 InA/InB
// (taken as 1920 x 1080).
DevRect full_crop(int win);
int input_height(int win);
// The two input cards a window may show: {2, 3} for windows 0 and 1, {0, 1} else.
QVector<int> cards_of_window(int win);

// Stacking code 6 x g + t of a list of the four window numbers; -1 when the
// list is not a permutation of 0..3.
int layer_code(const QVector<int32_t> &layers);
// Moves `win` to the front (to_top) or the back; the others keep their order.
// False when `win` is not in the list (the list stays).
bool move_layer(QVector<int32_t> &layers, int win, bool to_top);

// Canvas pixels to output pixels, truncated; 0 where the canvas size is 0.
DevRect to_device_rect(const DevRect &canvas, int canvas_w, int canvas_h, int ref_w, int ref_h);

// ---- Command payloads (frame bytes 7..N-2) --------------------------------

enum class AdjustField { Brightness, Contrast, Colour };

QByteArray window_rect_payload(int mode, int win, const DevRect &in, const DevRect &out);
QByteArray open_mask_payload(const ModeData &m);
QByteArray sources_payload(const ModeData &m);
QByteArray layer_select_payload(int win);
// direction 1 = to top, 0 = to bottom.
QByteArray layer_move_payload(int direction, int switch_effect);
QByteArray border_payload(int win, const WinFrame &f);
// All five sets, the fifth first; brightness and contrast carry twelve zero bytes more.
QByteArray win_adjust_payload(const Adjust (&adjust)[5], AdjustField field);
// Byte 7 is 0 for window modes and the output-form bit for output modes.
QByteArray copy_mode_payload(int source, int target, bool output_form = false);

// ---- Canvas items ---------------------------------------------------------

enum Zone {
    kZoneTopLeft = 11,
    kZoneTop = 12,
    kZoneTopRight = 13,
    kZoneLeft = 21,
    kZoneCentre = 22,
    kZoneRight = 23,
    kZoneBottomLeft = 31,
    kZoneBottom = 32,
    kZoneBottomRight = 33,
};
constexpr int kEdgeBand = 10;
// An item never gets narrower or lower than this while resized.
constexpr int kMinItemSize = 2;

int item_zone(int x, int y, int width, int height);
Qt::CursorShape zone_cursor(int zone);
// A centre drag: the rectangle moved by (dx, dy), kept on the canvas.
DevRect drag_move(const DevRect &r, int dx, int dy, int canvas_w, int canvas_h);
// An edge or corner drag: the zone's edges moved by (dx, dy), kept on the
// canvas and at least kMinItemSize wide and high.
DevRect drag_resize(const DevRect &r, int zone, int dx, int dy, int canvas_w, int canvas_h);

// ---- Texts ----------------------------------------------------------------

// "InA".."InD", empty for another value.
QString card_name(int card);
// "WINS:WIN%1:" and the card name.
QString tree_row_text(int win, int source);
// The source menu entry of a card by its selected connector; empty when none.
QString source_entry_text(int card, int in_source, int in_vga);

} // namespace codec
