// Byte layouts of frames and read replies, and the records they fill. Expected
// bytes and values are literals from the protocol's worked examples and reply
// tables; replies are assembled here by hand, never with the code under test.

#include <QtTest>

#include "device/codec.h"

using namespace codec;
// A list, not a vector: a failing QCOMPARE then names the first item that differs.
using Ints = QList<int>;

namespace {

using Pokes = QList<std::pair<int, const char *>>;

// A data reply as the device sends it: header, selector, index, 0x5a in every data byte (so that
// every field it fills changes) and a closing ':', with the given hex bytes at their positions.
QByteArray reply(int length, int selector, int index, const Pokes &pokes = {})
{
    QByteArray r = QByteArray::fromHex("3a010401") + char(length / 256) + char(0xfe) +
                   char(length % 256) + char(selector) + char(index) +
                   QByteArray(length - 10, char(0x5a)) + ':';
    for (const auto &[pos, hex] : pokes)
        r.replace(pos, QByteArray::fromHex(hex).size(), QByteArray::fromHex(hex));
    return r;
}

const auto values = [](const Adjust &a) { return Ints{a.brightness, a.contrast, a.colour}; };
const auto flat = [](const DevRect &r) { return Ints{r.x, r.y, r.w, r.h}; };

// Per decoder, its reply from the read table (index_count 0: it takes no mode or
// card) and a valid one for `index` with values at the first and last slot of
// each stride, positions from the reply tables; then the fields they land in,
// which also hold the last field the decoder writes, and their expected values.
struct Decoder {
    const char *name;
    int length, selector, index_count, index;
    bool (*decode)(const QByteArray &, int, DeviceData &);
    Pokes pokes;
    Ints (*fields)(const DeviceData &);
    Ints expected;
};

// clang-format off
bool decode_status_at(const QByteArray &r, int, DeviceData &d) { return decode_status(r, d); }

Ints status_fields(const DeviceData &d)
{
    return {d.out_rate_60hz, d.full_format_list, d.mosaic_on,
            d.in_card_present[0], d.in_card_present[1], d.in_card_present[2], d.in_card_present[3],
            d.aux_card_present, d.out_card_present[0], d.out_card_present[1],
            d.in_signal_ok[0], d.in_signal_ok[1], d.in_signal_ok[2], d.in_signal_ok[3],
            d.in_source[0], d.in_source[1], d.in_source[2], d.in_source[3],
            d.pip_param[0], d.pip_param[1], d.pip_state[0], d.pip_state[1],
            d.in_vga[0], d.in_vga[1], d.cur_mul_mode, d.cur_out_mode, d.out_card_sel,
            d.out_port_sel, d.out_format, d.switch_effect, d.custom_res_w, d.custom_res_h};
}

const Decoder kDecoders[] = {
    // Bytes 9..24; each bit field differs between the two; bytes 17, 18, bits 0
    // and 7 of byte 11 and bits 0..3 of byte 20 are filler the decoder must ignore.
    // Every bit of InB's source nibble differs too (4 and 11), the top one included.
    {"status a", 26, 0, 0, 0, decode_status_at, {{9, "0555a96541312bc3ffffa52f08000480"}},
     status_fields, {1, 0, 1, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 0, 1, 4,
                     5, 6, 1, 3, 3, 2, 1, 0, 12, 3, 1, 2, 20, 2, 2048, 1152}},
    {"status b", 26, 0, 0, 0, decode_status_at, {{9, "022a5037b404d43c00004a3007800438"}},
     status_fields, {0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 4, 11,
                     7, 3, 4, 0, 4, 5, 0, 1, 3, 12, 0, 1, 9, 3, 1920, 1080}},
    {"input card", 29, 1, 2, 1, [](auto &r, int i, auto &d) { return decode_input_card(r, i, d); },
     {{9, "102030 0064 0780 00c8 0438 0001 0002 0003 0004"}},
     [](const DeviceData &d) {
         return values(d.in_adjust[1]) + flat(d.pip_rect[1].main) + flat(d.pip_rect[1].sub);
     }, {0x10, 0x20, 0x30, 100, 200, 1920, 1080, 1, 3, 2, 4}},
    {"windows", 74, 3, 16, 5,
     [](auto &r, int i, auto &d) { return decode_windows(r, i, 815, 548, d); },
     {{25, "0000 0f00 0000 0870 0258 0a50 00c8 0258"},
      {57, "0001 0002 0003 0004 0005 0006 0007 0008"}},
     [](const DeviceData &d) {
         const ModeData &m = d.mode_data[5];
         return flat(m.win_in[1]) + flat(m.win_out[1]) + flat(m.win_canvas[1]) + flat(m.win_in[3]) +
                flat(m.win_out[3]);
     }, {0, 0, 3840, 2160, 600, 200, 2640, 600, 127, 50, 560, 152, 1, 3, 2, 4, 5, 7, 6, 8}},
    // Modes 0 and 15 (open bits 0101): sources, layers, code; OutA from 204:
    // brightness, 4 x 4 port values, contrast, 4 x 4, colour, 4; OutB 39 bytes
    // later. Port values 0, 1, 3, 2 and 4, 5, 7, 6 travel in that order, then 8.
    {"mode table", 283, 9, 0, 0, [](auto &r, int, auto &d) { return decode_mode_table(r, d); },
     {{44, "00010203 00010203 17 0f"}, {194, "03020100 01030002 0a 05"},
      {204, "61 0102030405060708090a0b0c0d0e0f10 62 2122232425262728292a2b2c2d2e2f30 63 41424344"},
      {243, "e1 8182838485868788898a8b8c8d8e8f90 e2 a1a2a3a4a5a6a7a8a9aaabacadaeafb0 e3 c1c2c3c4"}},
     [](const DeviceData &d) {
         const ModeData &m = d.mode_data[15];
         const int32_t *q0 = d.port_quality[0][0], *q7 = d.port_quality[1][3];
         return Ints{d.mode_data[0].layer_code, m.win_source[0], m.layer_code, m.win_open[0],
                     m.win_open[1], m.win_open[2], m.win_open[3]} + Ints(m.win_layers.begin(),
                m.win_layers.end()) + Ints(q0, q0 + 9) + Ints(q7, q7 + 9) + values(d.out_light[0]) +
                values(d.out_light[1]);
     }, {23, 3, 10, 1, 0, 1, 0, 1, 3, 0, 2, 0x01, 0x02, 0x04, 0x03, 0x21, 0x22, 0x24, 0x23, 0x41,
         0x8d, 0x8e, 0x90, 0x8f, 0xad, 0xae, 0xb0, 0xaf, 0xc4, 0x61, 0x62, 0x63, 0xe1, 0xe2, 0xe3}},
    // Entry order 4, 0, 1, 2, 3.
    {"window adjustment", 108, 7, 0, 0,
     [](auto &r, int, auto &d) { return decode_win_adjust(r, d); },
     {{9, "0501020304 1511121314 2521222324"}},
     [](const DeviceData &d) {
         return values(d.win_adjust[0]) + values(d.win_adjust[4]) + values(d.win_adjust[3]);
     }, {1, 17, 33, 5, 21, 37, 4, 20, 36}},
    // Any non-zero "on" byte is on.
    {"window borders", 30, 8, 0, 0, [](auto &r, int, auto &d) { return decode_win_borders(r, d); },
     {{9, "0010203001 0211213102 ff12223203 0113233304"}},
     [](const DeviceData &d) {
         const WinFrame &f = d.win_frame[2];
         return Ints{d.win_frame[0].on, f.on, f.red, f.green, f.blue, f.size, d.win_frame[3].size};
     }, {0, 1, 0x12, 0x22, 0x32, 3, 4}},
    // OutA DVI-1; OutB DVI-3 at 9 + 32 + 16.
    {"unit rects", 74, 6, 16, 3, [](auto &r, int i, auto &d) { return decode_unit_rects(r, i, d); },
     {{9, "0001 0002 0003 0004"}, {57, "0780 0780 0000 0438"}},
     [](const DeviceData &d) {
         const ModeData &m = d.mode_data[3];
         return flat(m.unit_rect[0][0]) + flat(m.unit_rect[1][2]) + flat(m.unit_rect[1][3]);
     }, {1, 3, 2, 4, 1920, 0, 1920, 1080, 0x5a5a, 0x5a5a, 0x5a5a, 0x5a5a}},
    // Bytes 9..72 are not data; OutA DVI-1 in, out; OutB DVI-4 at 73 + 64 + 48.
    {"LED rects", 202, 4, 16, 6, [](auto &r, int i, auto &d) { return decode_led_rects(r, i, d); },
     {{73, "0000 0f00 0000 0870 0000 0780 0000 0438"},
      {185, "0780 0780 0000 0870 0001 0002 0003 0004"}},
     [](const DeviceData &d) {
         const ModeData &m = d.mode_data[6];
         return flat(m.led_in_rect[0][0]) + flat(m.led_out_rect[0][0]) + flat(m.led_in_rect[1][3]) +
                flat(m.led_out_rect[1][3]);
     }, {0, 0, 3840, 2160, 0, 0, 1920, 1080, 1920, 0, 1920, 2160, 1, 3, 2, 4}},
    // Both forms under selector 5: one wall per mode (74 bytes), mode 15 at 9 + 60;
    // four (266), mode 15 wall 3 at 9 + 240 + 12.
    {"LED totals", 74, 5, 0, 0, [](auto &r, int, auto &d) { return decode_led_totals(r, d); },
     {{69, "1e00 0870"}},
     [](auto &d) { return Ints{d.mode_data[15].out_total_w, d.mode_data[15].out_total_h}; },
     {7680, 2160}},
    {"wall sizes", 266, 5, 0, 0, [](auto &r, int, auto &d) { return decode_wall_sizes(r, d); },
     {{261, "0f00 0870"}},
     [](const DeviceData &d) { return Ints{d.mode_data[15].wall_size[3].w,
                                          d.mode_data[15].wall_size[3].h}; }, {3840, 2160}},
};
// clang-format on

enum Defect { None, Padded, BadStart, BadCommand, BadLength, Short, IndexLow, IndexHigh };

} // namespace

class TestCodec : public QObject
{
    Q_OBJECT

private slots:
    void frames()
    {
        QByteArray clamped; // values outside 16 bits are clamped, not wrapped
        put_rect(clamped, DevRect{-5, 0, 70000, 600});
        // Worked examples: read selector 3 mode 12; byte 1 is the device number;
        // an 8-byte frame closes at byte 7; the longest has byte 4 = 1, byte 6 = 25.
        const QByteArray rows[][2] = {
            {read_request(1, 3, 12), QByteArray::fromHex("3a01040100fe0a030c3a")},
            {read_request(7, 0, 0), QByteArray::fromHex("3a07040100fe0a00003a")},
            {build_frame(1, 176, {}), QByteArray::fromHex("3a01040100b0083a")},
            {build_frame(1, 21, clamped), QByteArray::fromHex("3a0104010015100000ffff00000258 3a")},
            {build_frame(1, 193, QByteArray(273, '\0')),
             QByteArray::fromHex("3a01040101c119") + QByteArray(273, '\0') + ':'}};
        for (const auto &[frame, expected] : rows) {
            QCOMPARE(frame.toHex(' '), expected.toHex(' '));
            QCOMPARE(frame_length(frame), expected.size());
        }
    }

    // Every decoder takes its reply whole, also inside the 300-byte buffer, and
    // refuses a damaged one or an index out of range without writing anything.
    void decoders()
    {
        const char *const names[] = {"valid",        "in the 300-byte buffer", "start byte",
                                     "command byte", "length field",           "short",
                                     "index -1",     "index past the end"};
        for (const Decoder &c : kDecoders) {
            const QByteArray r = reply(c.length, c.selector, c.index, c.pokes);
            const QByteArrayList damaged =
                QByteArrayList() << r << r + QByteArray(300 - c.length, '\0') << ';' + r.mid(1)
                                 << r.left(5) + '\x11' + r.mid(6)
                                 << r.left(6) + char(r[6] + 1) + r.mid(7) << r.chopped(1) << r << r;
            for (int x = None; x <= (c.index_count ? IndexHigh : Short); ++x) {
                const QByteArray what = QByteArray(c.name) + ": " + names[x];
                const int index = x == IndexLow ? -1 : x == IndexHigh ? c.index_count : c.index;
                DeviceData d;
                d.reset_device_data();
                d.mode_data[15].win_layers.clear(); // a list never reset is grown, not overrun
                const Ints before = c.fields(d);
                QVERIFY2(c.decode(damaged[x], index, d) == (x <= Padded), what);
                QVERIFY2(c.fields(d) == (x <= Padded ? c.expected : before), what);
                QVERIFY2(!c.decode(QByteArray(), index, d), what);
            }
        }
    }

    void to_canvas()
    {
        // Quad layout, window 3: 1920 * 815 / 3840 = 407.5 truncates to 407; a zero
        // reference gives 0 on its own axis only.
        const DevRect quad{1920, 1080, 1920, 1080};
        QCOMPARE(flat(to_canvas_rect(quad, 815, 548, 3840, 2160)) +
                     flat(to_canvas_rect(quad, 815, 548, 0, 2160)) +
                     flat(to_canvas_rect(quad, 815, 548, 3840, 0)),
                 (Ints{407, 274, 407, 274, 0, 274, 0, 274, 407, 0, 407, 0}));
    }

    void presets()
    {
        // Rows of the preset table (the first five are the short list), and codes of none.
        const struct {
            int code, index; // index -1: no row
            QSize res;       // out_res after apply_format_code
        } rows[] = {{1, 0, QSize(1440, 1440)},  {9, 2, QSize(2048, 1152)},
                    {11, 4, QSize(1200, 1600)}, {24, 12, QSize(1200, 1960)},
                    {-1, -1, QSize(111, 222)},  {8, -1, QSize(111, 222)},
                    {25, -1, QSize(111, 222)}};
        for (const auto &r : rows) {
            const ResolutionPreset *p = preset_for_code(r.code);
            QCOMPARE(p ? &preset_at(r.index) : nullptr, p);
            DeviceData d;
            d.out_format = r.code;
            d.out_res_w = 111;
            d.out_res_h = 222;
            d.custom_res_w = 2048;
            d.custom_res_h = 1152;
            QCOMPARE(apply_format_code(d), r.index);
            QCOMPARE(QSize(d.out_res_w, d.out_res_h), r.res);
        }
        // An empty combo's -1, or a stray row, is clamped to the table.
        QCOMPARE(preset_at(-1).index, 0);
        QCOMPARE(preset_at(kPresetCount).index, kPresetCount - 1);
    }

    // What the reset, the default layouts and the LED defaults put into the records, and
    // what the reset leaves alone: values only a read reply or the operator sets.
    void defaults()
    {
        DeviceData d;
        ModeData &m7 = d.mode_data[7], &m4 = d.mode_data[4];
        m7.win_layers = {0, 1};
        m7.win_open[2] = 1;
        m7.win_source[3] = 3;
        m7.out_total_w = 7680;
        m7.win_canvas[1] = {1, 2, 3, 4};
        d.win_adjust[4] = {9, 8, 7};
        d.pip_rect[1].sub = {10, 20, 30, 40};
        d.port_quality[1][2][8] = 77;
        m4.win_out[1] = {5, 6, 7, 8};
        m4.unit_rect[1][3] = {1, 1, 1, 1};
        d.reset_device_data();
        d.reset_device_data(); // twice still leaves exactly four layers
        QCOMPARE(m7.win_layers + d.mode_data[0].win_layers,
                 (QVector<int32_t>{3, 2, 1, 0, 3, 2, 1, 0}));
        const WinFrame &f = d.win_frame[3];
        QCOMPARE((Ints{m7.win_open[2], m7.win_source[3], m7.out_total_w, d.in_adjust[1].contrast,
                       d.win_adjust[3].colour, f.on, f.red, f.green, f.blue, f.size,
                       d.win_adjust[4].contrast, d.port_quality[1][2][8]}) +
                     flat(m7.win_canvas[1]) + flat(d.pip_rect[1].sub) + flat(m4.win_out[1]) +
                     flat(m4.unit_rect[1][3]),
                 (Ints{0, 0, 0,  50, 128, 0,  128, 128, 128, 3, 8, 77, 0, 0,
                       0, 0, 10, 20, 30,  40, 5,   6,   7,   8, 1, 1,  1, 1}));

        // Modes 0 and 3..15: one full window with three overlays; mode 1 a cascade,
        // mode 2 four quarters. Windows 1 and 2 crop the 4K picture, 3 and 4 the HD one.
        d.load_default_layouts();
        const struct {
            int mode, window;
            DevRect out;
        } layouts[] = {{0, 1, {600, 200, 2640, 600}},   {3, 2, {600, 1360, 800, 600}},
                       {15, 3, {2440, 1360, 800, 600}}, {1, 0, {900, 0, 2940, 1560}},
                       {1, 3, {0, 600, 2940, 1560}},    {2, 1, {1920, 0, 1920, 1080}},
                       {2, 2, {0, 1080, 1920, 1080}}};
        for (const auto &l : layouts) {
            const ModeData &m = d.mode_data[l.mode];
            QCOMPARE(flat(m.win_out[l.window]) + flat(m.win_in[l.window]),
                     flat(l.out) +
                         (l.window < 2 ? Ints{0, 0, 3840, 2160} : Ints{0, 0, 1920, 1080}));
        }

        d.out_format = 20; // 1920 x 1080
        derive_led_defaults(d);
        for (const ModeData &m : d.mode_data) {
            for (int c = 0; c < kOutputCardCount; ++c) {
                for (int p = 0; p < kPortCount; ++p)
                    QCOMPARE(flat(m.unit_rect[c][p]) + flat(m.led_in_rect[c][p]) +
                                 flat(m.led_out_rect[c][p]),
                             (Ints{0, 0, 1920, 1080, 0, 0, 3840, 2160, 0, 0, 1920, 1080}));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"
