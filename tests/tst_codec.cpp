// Byte layouts of frames and read replies, and the records they fill. Expected
// bytes and values are literals taken from the protocol's worked examples and
// reply tables; reply frames are assembled here by hand, never with the code
// under test.

#include <QtTest>

#include <iterator>

#include "device/codec.h"

char *toString(const DevRect &r)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3, %4)").arg(r.x).arg(r.y).arg(r.w).arg(r.h));
}

using namespace codec;

namespace {

// A data reply as the device sends it: header, selector, index, zero data, closing ':'.
QByteArray reply(int length, int selector, int index = 0)
{
    QByteArray r(length, '\0');
    const char header[] = {
        ':',        1, 4, 1, char(length / 256), char(0xfe), char(length % 256), char(selector),
        char(index)};
    r.replace(0, int(sizeof header), header, int(sizeof header));
    r[length - 1] = ':';
    return r;
}

void poke(QByteArray &r, int pos, const char *hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    r.replace(pos, bytes.size(), bytes);
}

DeviceData fresh()
{
    DeviceData d;
    d.reset_device_data();
    return d;
}

QVector<int> values(const Adjust &a)
{
    return {a.brightness, a.contrast, a.colour};
}

// Per decoder, its reply from the read table.
const struct {
    const char *name;
    int length;
    int selector;
    int index_count; // 0 when the decoder takes no mode or card
    bool (*decode)(const QByteArray &, int, DeviceData &);
} kDecoders[] = {
    {"status", 26, 0, 0, [](auto &r, int, auto &d) { return decode_status(r, d); }},
    {"input card", 29, 1, 2, [](auto &r, int i, auto &d) { return decode_input_card(r, i, d); }},
    {"windows", 74, 3, 16,
     [](auto &r, int i, auto &d) { return decode_windows(r, i, 815, 548, d); }},
    {"mode table", 283, 9, 0, [](auto &r, int, auto &d) { return decode_mode_table(r, d); }},
    {"window adjustment", 108, 7, 0, [](auto &r, int, auto &d) { return decode_win_adjust(r, d); }},
    {"window borders", 30, 8, 0, [](auto &r, int, auto &d) { return decode_win_borders(r, d); }},
    {"unit rects", 74, 6, 16, [](auto &r, int i, auto &d) { return decode_unit_rects(r, i, d); }},
    {"LED rects", 202, 4, 16, [](auto &r, int i, auto &d) { return decode_led_rects(r, i, d); }},
    {"LED totals", 74, 5, 0, [](auto &r, int, auto &d) { return decode_led_totals(r, d); }},
    {"wall sizes", 266, 5, 0, [](auto &r, int, auto &d) { return decode_wall_sizes(r, d); }},
};

// The last field each decoder writes, in the order of kDecoders: a decoder
// that writes before it checks the reply shows here.
QVector<int> last_fields(const DeviceData &d)
{
    const ModeData &m1 = d.mode_data[1], &m15 = d.mode_data[15];
    return {d.custom_res_h,          d.pip_rect[1].sub.h,     m1.win_out[3].h,
            d.port_quality[1][3][8], d.win_adjust[3].colour,  d.win_frame[3].size,
            m1.unit_rect[1][3].h,    m1.led_out_rect[1][3].h, m15.out_total_h,
            m15.wall_size[3].h};
}

enum Defect { None, Padded, BadStart, BadCommand, BadLength, Short, IndexLow, IndexHigh };

} // namespace

class TestCodec : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void status_data();
    void status();
    void byte_positions();
    void to_canvas();
    void rejection_data();
    void rejection();
    void presets_data();
    void presets();
    void defaults();
};

void TestCodec::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    // Worked examples of the frame layout: read selector 3 mode 12; byte 1 is the
    // device number; an 8-byte frame closes at byte 7.
    QTest::newRow("read 3, 12") << read_request(1, 3, 12)
                                << QByteArray::fromHex("3a01040100fe0a030c3a");
    QTest::newRow("device 7") << read_request(7, 0, 0)
                              << QByteArray::fromHex("3a07040100fe0a00003a");
    QTest::newRow("8 bytes") << build_frame(1, 176, {}) << QByteArray::fromHex("3a01040100b0083a");

    // Values outside 16 bits are clamped, not wrapped.
    QByteArray clamped;
    put_rect(clamped, DevRect{-5, 0, 70000, 600});
    QTest::newRow("clamped") << build_frame(1, 21, clamped)
                             << QByteArray::fromHex("3a01040100 15 10 0000 ffff 0000 0258 3a");
    // The longest frame: byte 4 = 1, byte 6 = 25.
    QTest::newRow("281 bytes") << build_frame(1, 193, QByteArray(273, '\0'))
                               << QByteArray::fromHex("3a01040101c119") + QByteArray(273, '\0') +
                                      ':';
}

void TestCodec::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    QCOMPARE(frame_length(frame), expected.size());
}

void TestCodec::status_data()
{
    QTest::addColumn<QByteArray>("data"); // bytes 9..24
    QTest::addColumn<QVector<int>>("fields");

    // Field order: rate, full list, mosaic | cards InA..InD, aux, OutA, OutB | signals
    // InA..InD | sources InA..InD | PIP params A, B | PIP states A, B | VGA A, B |
    // multi-window mode, output mode | card, port, format | effect | custom w, h.
    // Each bit field differs between the two; bytes 17, 18, bits 0 and 7 of
    // byte 11 and bits 0..3 of byte 20 are filler the decoder must ignore.
    QTest::newRow("a") << QByteArray::fromHex("0555a96541312bc3ffffa52f08000480")
                       << QVector<int>{1, 0, 1, 1, 0, 1, 0, 1, 0,  1, 1, 0, 1,  0, 1,    4,
                                       5, 6, 1, 3, 3, 2, 1, 0, 12, 3, 1, 2, 20, 2, 2048, 1152};
    QTest::newRow("b") << QByteArray::fromHex("022a50373404d43c00004a3007800438")
                       << QVector<int>{0, 1, 0, 0, 1, 0, 1, 0, 1, 0,  0, 1, 0, 1, 4,    3,
                                       7, 3, 4, 0, 4, 5, 0, 1, 3, 12, 0, 1, 9, 3, 1920, 1080};
}

void TestCodec::status()
{
    QFETCH(QByteArray, data);
    QFETCH(QVector<int>, fields);
    QByteArray r = reply(26, 0);
    r.replace(9, data.size(), data);
    DeviceData d = fresh();
    QVERIFY(decode_status(r, d));
    const QVector<int> got = {
        d.out_rate_60hz,       d.full_format_list,    d.mosaic_on,          d.in_card_present[0],
        d.in_card_present[1],  d.in_card_present[2],  d.in_card_present[3], d.aux_card_present,
        d.out_card_present[0], d.out_card_present[1], d.in_signal_ok[0],    d.in_signal_ok[1],
        d.in_signal_ok[2],     d.in_signal_ok[3],     d.in_source[0],       d.in_source[1],
        d.in_source[2],        d.in_source[3],        d.pip_param[0],       d.pip_param[1],
        d.pip_state[0],        d.pip_state[1],        d.in_vga[0],          d.in_vga[1],
        d.cur_mul_mode,        d.cur_out_mode,        d.out_card_sel,       d.out_port_sel,
        d.out_format,          d.switch_effect,       d.custom_res_w,       d.custom_res_h};
    QCOMPARE(got, fields);
}

// One reply per decoder, with values at the first and last slot of each
// stride, positions from the reply tables.
void TestCodec::byte_positions()
{
    DeviceData d = fresh();

    QByteArray card = reply(29, 1, 1);
    poke(card, 9, "102030 0064 0780 00c8 0438 0001 0002 0003 0004"); // values, main, sub
    QVERIFY(decode_input_card(card, 1, d));
    QCOMPARE(values(d.in_adjust[1]), (QVector<int>{0x10, 0x20, 0x30}));
    QCOMPARE(d.pip_rect[1].main, (DevRect{100, 200, 1920, 1080}));
    QCOMPARE(d.pip_rect[1].sub, (DevRect{1, 3, 2, 4}));

    QByteArray windows = reply(74, 3, 5);
    poke(windows, 25, "0000 0f00 0000 0870 0258 0a50 00c8 0258"); // window 1 in, out
    poke(windows, 57, "0001 0002 0003 0004 0005 0006 0007 0008"); // window 3 in, out
    QVERIFY(decode_windows(windows, 5, 815, 548, d));
    const ModeData &m5 = d.mode_data[5];
    QCOMPARE(m5.win_in[1], (DevRect{0, 0, 3840, 2160}));
    QCOMPARE(m5.win_out[1], (DevRect{600, 200, 2640, 600}));
    QCOMPARE(m5.win_canvas[1], (DevRect{127, 50, 560, 152})); // default WIN2 on the canvas
    QCOMPARE(m5.win_in[3], (DevRect{1, 3, 2, 4}));
    QCOMPARE(m5.win_out[3], (DevRect{5, 7, 6, 8}));

    QByteArray table = reply(283, 9);
    poke(table, 44, "00010203 00010203 17 0f");  // mode 0
    poke(table, 194, "03020100 01030002 0a 05"); // mode 15, open bits 0101
    // OutA from 204: brightness, 4 x 4 port values, contrast, 4 x 4, colour, 4;
    // OutB 39 bytes later.
    poke(table, 204,
         "61 0102030405060708090a0b0c0d0e0f10 62 2122232425262728292a2b2c2d2e2f30 63 41424344");
    poke(table, 243,
         "e1 8182838485868788898a8b8c8d8e8f90 e2 a1a2a3a4a5a6a7a8a9aaabacadaeafb0 e3 c1c2c3c4");
    d.mode_data[15].win_layers.clear(); // a list that was never reset is grown, not overrun
    QVERIFY(decode_mode_table(table, d));
    QCOMPARE(d.mode_data[0].layer_code, 23);
    QCOMPARE(d.mode_data[15].win_source[0], 3);
    QCOMPARE(d.mode_data[15].win_layers, (QVector<int32_t>{1, 3, 0, 2}));
    QCOMPARE(d.mode_data[15].layer_code, 10);
    const uint8_t *open = d.mode_data[15].win_open;
    QCOMPARE(QVector<int>(open, open + 4), (QVector<int>{1, 0, 1, 0}));
    // Values 0, 1, 3, 2 and 4, 5, 7, 6 travel in that order, then value 8.
    const int32_t *q = d.port_quality[0][0];
    QCOMPARE(QVector<int>(q, q + 9),
             (QVector<int>{0x01, 0x02, 0x04, 0x03, 0x21, 0x22, 0x24, 0x23, 0x41}));
    q = d.port_quality[1][3];
    QCOMPARE(QVector<int>(q, q + 9),
             (QVector<int>{0x8d, 0x8e, 0x90, 0x8f, 0xad, 0xae, 0xb0, 0xaf, 0xc4}));
    QCOMPARE(values(d.out_light[0]), (QVector<int>{0x61, 0x62, 0x63}));
    QCOMPARE(values(d.out_light[1]), (QVector<int>{0xe1, 0xe2, 0xe3}));

    // Adjustment runs in entry order 4, 0, 1, 2, 3; any non-zero border "on" byte is on.
    QByteArray adjust = reply(108, 7);
    poke(adjust, 9, "0501020304 1511121314 2521222324");
    QByteArray borders = reply(30, 8);
    poke(borders, 9, "0010203001 0211213102 ff12223203 0113233304");
    QVERIFY(decode_win_adjust(adjust, d));
    QVERIFY(decode_win_borders(borders, d));
    QCOMPARE(values(d.win_adjust[0]), (QVector<int>{1, 17, 33}));
    QCOMPARE(values(d.win_adjust[4]), (QVector<int>{5, 21, 37}));
    const WinFrame &f = d.win_frame[2];
    QCOMPARE(QVector<int>({d.win_frame[0].on, f.on, f.red, f.green, f.blue, f.size}),
             (QVector<int>{0, 1, 0x12, 0x22, 0x32, 3}));

    QByteArray units = reply(74, 6, 3);
    poke(units, 9, "0001 0002 0003 0004");  // OutA DVI-1
    poke(units, 57, "0780 0780 0000 0438"); // OutB DVI-3 at 9 + 32 + 16
    QByteArray leds = reply(202, 4, 6);
    leds.replace(9, 64, QByteArray(64, char(0xff)));            // bytes 9..72 are not data
    poke(leds, 73, "0000 0f00 0000 0870 0000 0780 0000 0438");  // OutA DVI-1 in, out
    poke(leds, 185, "0780 0780 0000 0870 0001 0002 0003 0004"); // OutB DVI-4 at 73 + 64 + 48
    QVERIFY(decode_unit_rects(units, 3, d));
    QVERIFY(decode_led_rects(leds, 6, d));
    QCOMPARE(d.mode_data[3].unit_rect[0][0], (DevRect{1, 3, 2, 4}));
    QCOMPARE(d.mode_data[3].unit_rect[1][2], (DevRect{1920, 0, 1920, 1080}));
    QCOMPARE(d.mode_data[6].led_in_rect[0][0], (DevRect{0, 0, 3840, 2160}));
    QCOMPARE(d.mode_data[6].led_out_rect[0][0], (DevRect{0, 0, 1920, 1080}));
    QCOMPARE(d.mode_data[6].led_in_rect[1][3], (DevRect{1920, 0, 1920, 2160}));
    QCOMPARE(d.mode_data[6].led_out_rect[1][3], (DevRect{1, 3, 2, 4}));

    // Both forms under selector 5: one wall per mode (74 bytes), four (266).
    QByteArray totals = reply(74, 5);
    poke(totals, 69, "1e00 0870"); // mode 15 at 9 + 60
    QByteArray walls = reply(266, 5);
    poke(walls, 261, "0f00 0870"); // mode 15, wall 3 at 9 + 240 + 12
    QVERIFY(decode_led_totals(totals, d));
    QVERIFY(decode_wall_sizes(walls, d));
    QCOMPARE(QVector<int>({d.mode_data[15].out_total_w, d.mode_data[15].out_total_h}),
             (QVector<int>{7680, 2160}));
    QCOMPARE(QVector<int>({d.mode_data[15].wall_size[3].w, d.mode_data[15].wall_size[3].h}),
             (QVector<int>{3840, 2160}));
}

void TestCodec::to_canvas()
{
    // Quad layout, window 3: 1920 * 815 / 3840 = 407.5 truncates to 407; a zero
    // reference gives 0 on its own axis only.
    const DevRect quad{1920, 1080, 1920, 1080};
    QCOMPARE(to_canvas_rect(quad, 815, 548, 3840, 2160), (DevRect{407, 274, 407, 274}));
    QCOMPARE(to_canvas_rect(quad, 815, 548, 0, 2160), (DevRect{0, 274, 0, 274}));
    QCOMPARE(to_canvas_rect(quad, 815, 548, 3840, 0), (DevRect{407, 0, 407, 0}));
}

void TestCodec::rejection_data()
{
    QTest::addColumn<int>("decoder");
    QTest::addColumn<int>("defect");
    const char *const names[] = {"valid",        "inside the 300-byte buffer",
                                 "start byte",   "command byte",
                                 "length field", "one byte short",
                                 "index -1",     "index past the end"};
    for (int i = 0; i < int(std::size(kDecoders)); ++i) {
        for (int x = None; x <= (kDecoders[i].index_count ? IndexHigh : Short); ++x)
            QTest::addRow("%s: %s", kDecoders[i].name, names[x]) << i << x;
    }
}

void TestCodec::rejection()
{
    QFETCH(int, decoder);
    QFETCH(int, defect);
    const auto &c = kDecoders[decoder];
    QByteArray r = reply(c.length, c.selector, 1);
    r.replace(9, c.length - 10, QByteArray(c.length - 10, char(0x5a)));
    const int index = defect == IndexLow ? -1 : defect == IndexHigh ? c.index_count : 1;
    if (defect == Padded)
        r.append(QByteArray(300 - c.length, '\0'));
    else if (defect == BadStart)
        r[0] = ';';
    else if (defect == BadCommand)
        r[5] = char(17);
    else if (defect == BadLength)
        r[6] = char(r[6] + 1);
    else if (defect == Short)
        r.chop(1);

    DeviceData d = fresh();
    const QVector<int> before = last_fields(d);
    const bool accepted = defect <= Padded;
    QCOMPARE(c.decode(r, index, d), accepted);
    QCOMPARE(last_fields(d)[decoder] != before[decoder], accepted);
    if (!accepted)
        QCOMPARE(last_fields(d), before);
    QVERIFY(!c.decode(QByteArray(), index, d));
}

void TestCodec::presets_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("index"); // -1: no row
    QTest::addColumn<QSize>("res"); // out_res after apply_format_code
    // Rows of the preset table (the first five are the short list); the record
    // starts at 111 x 222 with a custom size of 2048 x 1152.
    QTest::newRow("1") << 1 << 0 << QSize(1440, 1440);
    QTest::newRow("9 custom") << 9 << 2 << QSize(2048, 1152);
    QTest::newRow("11") << 11 << 4 << QSize(1200, 1600);
    QTest::newRow("24") << 24 << 12 << QSize(1200, 1960);
    for (int code : {-1, 8, 25})
        QTest::addRow("%d no row", code) << code << -1 << QSize(111, 222);
}

void TestCodec::presets()
{
    QFETCH(int, code);
    QFETCH(int, index);
    const ResolutionPreset *p = preset_for_code(code);
    QCOMPARE(p ? p->index : -1, index);
    if (p)
        QCOMPARE(&preset_at(index), p);
    DeviceData d;
    d.out_format = code;
    d.out_res_w = 111;
    d.out_res_h = 222;
    d.custom_res_w = 2048;
    d.custom_res_h = 1152;
    QCOMPARE(apply_format_code(d), index);
    QTEST(QSize(d.out_res_w, d.out_res_h), "res");
    // An empty combo's -1, or a stray row, is clamped to the table.
    QCOMPARE(preset_at(-1).index, 0);
    QCOMPARE(preset_at(kPresetCount).index, kPresetCount - 1);
}

// What the reset, the default layouts and the LED defaults put into the
// records, and what the reset leaves alone: values only a read reply or the
// operator sets.
void TestCodec::defaults()
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
    QCOMPARE(m7.win_layers, (QVector<int32_t>{3, 2, 1, 0}));
    QCOMPARE(d.mode_data[0].win_layers, (QVector<int32_t>{3, 2, 1, 0}));
    QCOMPARE(m7.win_open[2] + m7.win_source[3] + m7.out_total_w, 0);
    QCOMPARE(m7.win_canvas[1], DevRect{});
    const WinFrame &f = d.win_frame[3];
    QCOMPARE(QVector<int>({d.in_adjust[1].contrast, d.win_adjust[3].colour, f.on, f.red, f.green,
                           f.blue, f.size}),
             (QVector<int>{50, 128, 0, 128, 128, 128, 3}));
    QCOMPARE(QVector<int>({d.win_adjust[4].contrast, d.port_quality[1][2][8]}),
             (QVector<int>{8, 77}));
    QCOMPARE(d.pip_rect[1].sub, (DevRect{10, 20, 30, 40}));
    QCOMPARE(m4.win_out[1], (DevRect{5, 6, 7, 8}));
    QCOMPARE(m4.unit_rect[1][3], (DevRect{1, 1, 1, 1}));

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
        QCOMPARE(m.win_out[l.window], l.out);
        QCOMPARE(m.win_in[l.window],
                 (l.window < 2 ? DevRect{0, 0, 3840, 2160} : DevRect{0, 0, 1920, 1080}));
    }

    d.out_format = 20; // 1920 x 1080
    derive_led_defaults(d);
    for (const ModeData &m : d.mode_data) {
        for (int c = 0; c < kOutputCardCount; ++c) {
            for (int p = 0; p < kPortCount; ++p) {
                QCOMPARE(m.unit_rect[c][p], (DevRect{0, 0, 1920, 1080}));
                QCOMPARE(m.led_in_rect[c][p], (DevRect{0, 0, 3840, 2160}));
                QCOMPARE(m.led_out_rect[c][p], (DevRect{0, 0, 1920, 1080}));
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"
