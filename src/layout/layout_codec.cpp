#include "layout/layout_codec.h"

#include <algorithm>
#include <limits>

#include "device/codec.h"
#include "device/protocol.h"

namespace codec {

namespace {

constexpr int kInputWideW = 3840;
constexpr int kInputWideH = 2160;
constexpr int kInputHalfW = 1920;
constexpr int kInputHalfH = 1080;

// Picture-value frames: a fixed 0, then the count of value bytes that follow.
constexpr uint8_t kAdjustCount = 15;
// Wire order of the five win_adjust sets.
constexpr int kAdjustWireEntry[5] = {4, 0, 1, 2, 3};
// Brightness and contrast frames are as long as their output form.
constexpr int kAdjustPadding = 12;

// Order of the three windows other than 0 for each t of the stacking code.
constexpr int kLayerOrders[6][3] = {{3, 2, 1}, {2, 3, 1}, {3, 1, 2},
                                    {2, 1, 3}, {1, 3, 2}, {1, 2, 3}};

char byte_of(int value)
{
    return static_cast<char>(value & 0xff);
}

} // namespace

// ---- Window model ---------------------------------------------------------

DevRect full_crop(int win)
{
    return win < 2 ? DevRect{0, 0, kInputWideW, kInputWideH}
                   : DevRect{0, 0, kInputHalfW, kInputHalfH};
}

int input_height(int win)
{
    return win < 2 ? kInputWideH : kInputHalfH;
}

QVector<int> cards_of_window(int win)
{
    return win < 2 ? QVector<int>{2, 3} : QVector<int>{0, 1};
}

int layer_code(const QVector<int32_t> &layers)
{
    if (layers.size() != kWindowCount)
        return -1;
    for (int w = 0; w < kWindowCount; ++w) {
        if (layers.count(w) != 1)
            return -1;
    }
    const int g = kWindowCount - 1 - layers.indexOf(0);
    int others[3];
    int k = 0;
    for (int32_t w : layers) {
        if (w != 0)
            others[k++] = w;
    }
    for (int t = 0; t < 6; ++t) {
        if (std::equal(others, others + 3, kLayerOrders[t]))
            return 6 * g + t;
    }
    return -1;
}

bool move_layer(QVector<int32_t> &layers, int win, bool to_top)
{
    const int at = layers.indexOf(win);
    if (at < 0)
        return false;
    layers.removeAt(at);
    if (to_top)
        layers.prepend(win);
    else
        layers.append(win);
    return true;
}

DevRect to_device_rect(const DevRect &canvas, int canvas_w, int canvas_h, int ref_w, int ref_h)
{
    DevRect r;
    r.x = scale(canvas.x, ref_w, canvas_w);
    r.y = scale(canvas.y, ref_h, canvas_h);
    r.w = scale(canvas.w, ref_w, canvas_w);
    r.h = scale(canvas.h, ref_h, canvas_h);
    return r;
}

// ---- Command payloads -----------------------------------------------------

QByteArray window_rect_payload(int mode, int win, const DevRect &in, const DevRect &out)
{
    QByteArray p;
    p.append(byte_of(win * 16 + mode));
    put_rect(p, in);
    put_rect(p, out);
    return p;
}

QByteArray open_mask_payload(const ModeData &m)
{
    int mask = 0;
    for (int w = 0; w < kWindowCount; ++w) {
        if (m.win_open[w])
            mask |= 1 << w;
    }
    return QByteArray(1, byte_of(mask));
}

QByteArray sources_payload(const ModeData &m)
{
    QByteArray p;
    for (int w = 0; w < kWindowCount; ++w)
        p.append(byte_of(m.win_source[w]));
    return p;
}

QByteArray layer_select_payload(int win)
{
    QByteArray p;
    p.append('\0');
    p.append(byte_of(win));
    return p;
}

QByteArray layer_move_payload(int direction, int switch_effect)
{
    QByteArray p;
    p.append(byte_of(0x80 + direction));
    p.append(byte_of(switch_effect));
    return p;
}

QByteArray border_payload(int win, const WinFrame &f)
{
    QByteArray p;
    p.append(byte_of(win));
    p.append(byte_of(f.on));
    p.append(byte_of(f.red));
    p.append(byte_of(f.green));
    p.append(byte_of(f.blue));
    p.append(byte_of(f.size));
    return p;
}

QByteArray win_adjust_payload(const Adjust (&adjust)[5], AdjustField field)
{
    QByteArray p;
    p.append('\0');
    p.append(static_cast<char>(kAdjustCount));
    for (int entry : kAdjustWireEntry) {
        const Adjust &a = adjust[entry];
        switch (field) {
        case AdjustField::Brightness:
            p.append(byte_of(a.brightness));
            break;
        case AdjustField::Contrast:
            p.append(byte_of(a.contrast));
            break;
        case AdjustField::Colour:
            p.append(byte_of(a.colour));
            break;
        }
    }
    if (field != AdjustField::Colour)
        p.append(QByteArray(kAdjustPadding, '\0'));
    return p;
}

QByteArray copy_mode_payload(int source, int target, bool output_form)
{
    QByteArray p;
    p.append(static_cast<char>(output_form ? proto::kOutputForm : 0));
    p.append(byte_of(source));
    p.append(byte_of(target));
    return p;
}

// ---- Canvas items ---------------------------------------------------------

int item_zone(int x, int y, int width, int height)
{
    // The right band includes x = W - 10, the bottom band excludes y = H - 10.
    const int column = x < kEdgeBand ? 1 : x >= width - kEdgeBand ? 3 : 2;
    const int row = y < kEdgeBand ? 10 : y > height - kEdgeBand ? 30 : 20;
    return row + column;
}

Qt::CursorShape zone_cursor(int zone)
{
    switch (zone) {
    case kZoneTopLeft:
    case kZoneBottomRight:
        return Qt::SizeFDiagCursor;
    case kZoneTop:
    case kZoneBottom:
        return Qt::SizeVerCursor;
    case kZoneTopRight:
    case kZoneBottomLeft:
        return Qt::SizeBDiagCursor;
    case kZoneLeft:
    case kZoneRight:
        return Qt::SizeHorCursor;
    default:
        return Qt::OpenHandCursor;
    }
}

DevRect drag_move(const DevRect &r, int dx, int dy, int canvas_w, int canvas_h)
{
    DevRect out = r;
    out.x = std::max(0, r.x + dx);
    out.y = std::max(0, r.y + dy);
    if (out.x + r.w > canvas_w)
        out.x = canvas_w - r.w;
    if (out.y + r.h > canvas_h)
        out.y = canvas_h - r.h;
    return out;
}

DevRect drag_resize(const DevRect &r, int zone, int dx, int dy, int canvas_w, int canvas_h)
{
    int left = r.x;
    int top = r.y;
    int right = r.x + r.w;
    int bottom = r.y + r.h;
    const int column = zone % 10;
    const int row = zone / 10;
    if (column == 1)
        left = std::min(std::max(0, left + dx), right - kMinItemSize);
    else if (column == 3)
        right = std::max(right + dx, left + kMinItemSize);
    if (row == 1)
        top = std::min(std::max(0, top + dy), bottom - kMinItemSize);
    else if (row == 3)
        bottom = std::max(bottom + dy, top + kMinItemSize);

    DevRect out{left, top, right - left, bottom - top};
    if (out.x + out.w > canvas_w)
        out.w = std::max(0, canvas_w - out.x);
    if (out.y + out.h > canvas_h)
        out.h = std::max(0, canvas_h - out.y);
    return out;
}

// ---- Texts ----------------------------------------------------------------

QString card_name(int card)
{
    static const char *const kNames[kInputCardCount] = {"InA", "InB", "InC", "InD"};
    if (card < 0 || card >= kInputCardCount)
        return QString();
    return QString::fromLatin1(kNames[card]);
}

QString tree_row_text(int win, int source)
{
    return QStringLiteral("WINS:WIN%1:").arg(win + 1) + card_name(source);
}

QString source_entry_text(int card, int in_source, int in_vga)
{
    // Connector names per card, by the codes of in_source.
    switch (card) {
    case 0:
    case 1: {
        const QString prefix = card_name(card) + QLatin1Char(':');
        const int n = card + 1;
        if (in_source == 1)
            return prefix + QStringLiteral("CVBS-%1").arg(n);
        if (in_source == 3) {
            return in_vga == 0 ? prefix + QStringLiteral("HDMI-%1").arg(3 * card + 1)
                               : prefix + QStringLiteral("VGA-%1").arg(n);
        }
        if (in_source == 4)
            return prefix + QStringLiteral("SDI-%1").arg(n);
        return QString();
    }
    case 2:
    case 3: {
        static const char *const kNames[2][3] = {{"HDMI-2", "HDMI-3", "DP-1"},
                                                 {"HDMI-5", "HDMI-6", "DP-2"}};
        if (in_source < 5 || in_source > 7)
            return QString();
        return card_name(card) + QLatin1Char(':') +
               QString::fromLatin1(kNames[card - 2][in_source - 5]);
    }
    default:
        return QString();
    }
}

} // namespace codec
