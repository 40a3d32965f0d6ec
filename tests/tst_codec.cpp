// Byte layouts of frames and read replies. Expected bytes and values are
// literals taken from the protocol's worked examples and reply tables; reply
// frames are assembled here by hand, never with the code under test.

#include <QtTest>

#include <climits>
#include <iterator>

#include "device/codec.h"

Q_DECLARE_METATYPE(DevRect)

char *toString(const DevRect &r)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3, %4)").arg(r.x).arg(r.y).arg(r.w).arg(r.h));
}

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

QVector<int> status_fields(const DeviceData &d)
{
    return {
        d.out_rate_60hz,       d.full_format_list,    d.mosaic_on,          d.in_card_present[0],
        d.in_card_present[1],  d.in_card_present[2],  d.in_card_present[3], d.aux_card_present,
        d.out_card_present[0], d.out_card_present[1], d.in_signal_ok[0],    d.in_signal_ok[1],
        d.in_signal_ok[2],     d.in_signal_ok[3],     d.in_source[0],       d.in_source[1],
        d.in_source[2],        d.in_source[3],        d.pip_param[0],       d.pip_param[1],
        d.pip_state[0],        d.pip_state[1],        d.in_vga[0],          d.in_vga[1],
        d.cur_mul_mode,        d.cur_out_mode,        d.out_card_sel,       d.out_port_sel,
        d.out_format,          d.switch_effect,       d.custom_res_w,       d.custom_res_h};
}

// Everything a decoder may write, flattened, so "changes nothing" is one comparison.
QVector<int> snapshot(const DeviceData &d)
{
    QVector<int> v = status_fields(d);
    auto rect = [&v](const DevRect &r) { v << r.x << r.y << r.w << r.h; };
    auto adjust = [&v](const Adjust &a) { v << a.brightness << a.contrast << a.colour; };
    for (int c = 0; c < 2; ++c) {
        adjust(d.in_adjust[c]);
        rect(d.pip_rect[c].main);
        rect(d.pip_rect[c].sub);
        adjust(d.out_light[c]);
        for (const auto &port : d.port_quality[c])
            for (int value : port)
                v << value;
    }
    for (const Adjust &a : d.win_adjust)
        adjust(a);
    for (const WinFrame &f : d.win_frame)
        v << f.on << f.red << f.green << f.blue << f.size;
    for (const ModeData &m : d.mode_data) {
        for (int w = 0; w < kWindowCount; ++w) {
            rect(m.win_in[w]);
            rect(m.win_out[w]);
            rect(m.win_canvas[w]);
            v << m.win_source[w] << m.win_open[w];
        }
        v << m.win_layers.size() << m.win_layers << m.layer_code << m.out_total_w << m.out_total_h;
        for (const SizePair &s : m.wall_size)
            v << s.w << s.h;
        for (int c = 0; c < kOutputCardCount; ++c) {
            for (int p = 0; p < kPortCount; ++p) {
                rect(m.unit_rect[c][p]);
                rect(m.led_in_rect[c][p]);
                rect(m.led_out_rect[c][p]);
            }
        }
    }
    v << d.out_res_w << d.out_res_h;
    return v;
}

struct DecoderCase {
    const char *name;
    int length; // reply length from the read table
    int selector;
    int index_count; // 0 when the decoder takes no mode or card
    bool (*decode)(const QByteArray &, int, DeviceData &);
};

const DecoderCase kDecoders[] = {
    {"status", 26, 0, 0,
     [](const QByteArray &r, int, DeviceData &d) { return codec::decode_status(r, d); }},
    {"input card", 29, 1, 2,
     [](const QByteArray &r, int i, DeviceData &d) { return codec::decode_input_card(r, i, d); }},
    {"windows", 74, 3, 16,
     [](const QByteArray &r, int i, DeviceData &d) {
         return codec::decode_windows(r, i, 815, 548, d);
     }},
    {"mode table", 283, 9, 0,
     [](const QByteArray &r, int, DeviceData &d) { return codec::decode_mode_table(r, d); }},
    {"window adjustment", 108, 7, 0,
     [](const QByteArray &r, int, DeviceData &d) { return codec::decode_win_adjust(r, d); }},
    {"window borders", 30, 8, 0,
     [](const QByteArray &r, int, DeviceData &d) { return codec::decode_win_borders(r, d); }},
    {"unit rectangles", 74, 6, 16,
     [](const QByteArray &r, int i, DeviceData &d) { return codec::decode_unit_rects(r, i, d); }},
    {"LED rectangles", 202, 4, 16,
     [](const QByteArray &r, int i, DeviceData &d) { return codec::decode_led_rects(r, i, d); }},
    {"LED totals", 74, 5, 0,
     [](const QByteArray &r, int, DeviceData &d) { return codec::decode_led_totals(r, d); }},
    {"wall sizes", 266, 5, 0,
     [](const QByteArray &r, int, DeviceData &d) { return codec::decode_wall_sizes(r, d); }},
};

enum Defect { None, Padded, Empty, BadStart, BadCommand, BadLength, Short, IndexLow, IndexHigh };

} // namespace

class TestCodec : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void put16_data();
    void put16();
    void rect_wire_order();

    void status_data();
    void status();
    void input_card();
    void windows();
    void to_canvas_data();
    void to_canvas();
    void mode_table();
    void window_picture_values();
    void unit_and_led_rects();
    void led_sizes_both_forms();
    void rejection_data();
    void rejection();

    void presets_data();
    void presets();
    void preset_list_order();
    void led_defaults_data();
    void led_defaults();
};

void TestCodec::frames_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    // Read request example: selector 3, mode 12.
    QTest::newRow("read selector 3 mode 12")
        << codec::read_request(1, 3, 12) << QByteArray::fromHex("3a01040100fe0a030c3a");
    // Byte 1 carries the device number.
    QTest::newRow("read status, device 7")
        << codec::read_request(7, 0, 0) << QByteArray::fromHex("3a07040100fe0a00003a");
    // Device initialisation: the 8-byte frame, byte 7 is the closing ':'.
    QTest::newRow("8 bytes, no payload")
        << codec::build_frame(1, 176, {}) << QByteArray::fromHex("3a01040100b0083a");
    // Multi-window mode select: short command 17, a = 0, b = mode.
    QTest::newRow("short 17 a=0 b=5")
        << codec::short_command(1, 17, 0, 5) << QByteArray::fromHex("3a01040100110a00053a");

    // Custom resolution example: 2048 x 1152 at 60 Hz.
    QByteArray custom;
    codec::put16(custom, 2048);
    codec::put16(custom, 1152);
    custom.append(char(1));
    QTest::newRow("custom 2048x1152 60Hz")
        << codec::build_frame(1, 158, custom) << QByteArray::fromHex("3a010401009e0d08000480013a");

    // Derived port rectangles example: OutA DVI-2 of mode 0 in a 3840 x 1080 wall,
    // input (1920, 0, 1920, 2160), output (0, 0, 1920, 1080), sent x, w, y, h.
    QByteArray port(1, char(0x90));
    codec::put_rect(port, DevRect{1920, 0, 1920, 2160});
    codec::put_rect(port, DevRect{0, 0, 1920, 1080});
    QTest::newRow("derived port rects")
        << codec::build_frame(1, 149, port)
        << QByteArray::fromHex("3a01040100951990 07800780 00000870 00000780 00000438 3a");

    // The longest frame, import block 2: 281 bytes, byte 4 = 1, byte 6 = 25.
    const QByteArray longest =
        QByteArray::fromHex("3a01040101c119") + QByteArray(273, '\0') + QByteArray(":");
    QTest::newRow("281 bytes") << codec::build_frame(1, 193, QByteArray(273, '\0')) << longest;
    // Longer than tx_buf: built all the same (no assertion), for the sender to refuse.
    QTest::newRow("301 bytes")
        << codec::build_frame(1, 193, QByteArray(293, '\0'))
        << QByteArray::fromHex("3a01040101c12d") + QByteArray(293, '\0') + QByteArray(":");
}

void TestCodec::frames()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    QCOMPARE(codec::frame_length(frame), expected.size());
}

void TestCodec::put16_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("read_back");

    QTest::newRow("600") << 600 << QByteArray::fromHex("0258") << 600;
    QTest::newRow("255") << 255 << QByteArray::fromHex("00ff") << 255;
    QTest::newRow("256") << 256 << QByteArray::fromHex("0100") << 256;
    QTest::newRow("65535") << 65535 << QByteArray::fromHex("ffff") << 65535;
    // Negative values never reach the wire; oversized ones saturate.
    QTest::newRow("-5 clamps to 0") << -5 << QByteArray::fromHex("0000") << 0;
    QTest::newRow("INT_MIN clamps to 0") << INT_MIN << QByteArray::fromHex("0000") << 0;
    QTest::newRow("70000 clamps") << 70000 << QByteArray::fromHex("ffff") << 65535;
}

void TestCodec::put16()
{
    QFETCH(int, value);
    QFETCH(QByteArray, wire);
    QFETCH(int, read_back);
    QByteArray out("x");
    codec::put16(out, value);
    QCOMPARE(out, QByteArray("x") + wire);
    QCOMPARE(codec::get16(out, 1), read_back);
}

void TestCodec::rect_wire_order()
{
    QByteArray out;
    codec::put_rect(out, DevRect{1, 2, 3, 4}); // x, y, w, h in memory
    QCOMPARE(out, QByteArray::fromHex("0001000300020004"));
    QCOMPARE(codec::get_rect(out, 0), (DevRect{1, 2, 3, 4}));
    // Reads past the end give 0 instead of touching memory.
    QCOMPARE(codec::get16(out, 7), 0);
    QCOMPARE(codec::get16(out, -1), 0);
}

void TestCodec::status_data()
{
    QTest::addColumn<QByteArray>("data"); // bytes 9..24
    // Field order: rate, full list, mosaic | cards InA..InD, aux, OutA, OutB | signals
    // InA..InD | sources InA..InD | PIP params A, B | PIP states A, B | VGA A, B |
    // multi-window mode, output mode | card, port, format | effect | custom w, h.
    QTest::addColumn<QVector<int>>("fields");

    // Two patterns that set each bit field to a different value; bytes 17, 18 and
    // bits 0, 7 of byte 11 and 0..3 of byte 20 are filler the decoder must ignore.
    QTest::newRow("pattern a") << QByteArray::fromHex("0555a96541312bc3ffffa52f08000480")
                               << QVector<int>{1, 0, 1,  1, 0, 1, 0,  1, 0,    1,   1,
                                               0, 1, 0,  1, 4, 5, 6,  1, 3,    3,   2,
                                               1, 0, 12, 3, 1, 2, 20, 2, 2048, 1152};
    QTest::newRow("pattern b") << QByteArray::fromHex("022a50373404d43c00004a3007800438")
                               << QVector<int>{0, 1, 0, 0,  1, 0, 1, 0, 1,    0,   0,
                                               1, 0, 1, 4,  3, 7, 3, 4, 0,    4,   5,
                                               0, 1, 3, 12, 0, 1, 9, 3, 1920, 1080};
}

void TestCodec::status()
{
    QFETCH(QByteArray, data);
    QFETCH(QVector<int>, fields);
    QByteArray r = reply(26, 0);
    r.replace(9, data.size(), data);
    DeviceData d = fresh();
    QVERIFY(codec::decode_status(r, d));
    QCOMPARE(status_fields(d), fields);
}

void TestCodec::input_card()
{
    QByteArray r = reply(29, 1, 1);
    poke(r, 9, "102030");
    poke(r, 12, "0064 0780 00c8 0438"); // main: x 100, w 1920, y 200, h 1080
    poke(r, 20, "0001 0002 0003 0004"); // sub
    DeviceData d = fresh();
    const Adjust in_a = d.in_adjust[0];
    QVERIFY(codec::decode_input_card(r, 1, d));
    QCOMPARE(d.in_adjust[1].brightness, 0x10);
    QCOMPARE(d.in_adjust[1].contrast, 0x20);
    QCOMPARE(d.in_adjust[1].colour, 0x30);
    QCOMPARE(d.pip_rect[1].main, (DevRect{100, 200, 1920, 1080}));
    QCOMPARE(d.pip_rect[1].sub, (DevRect{1, 3, 2, 4}));
    QCOMPARE(d.in_adjust[0].brightness, in_a.brightness);
}

void TestCodec::windows()
{
    QByteArray r = reply(74, 3, 5);
    poke(r, 25, "0000 0f00 0000 0870"); // window 1 win_in (0, 0, 3840, 2160)
    poke(r, 33, "0258 0a50 00c8 0258"); // window 1 win_out (600, 200, 2640, 600)
    poke(r, 57, "0001 0002 0003 0004"); // window 3 win_in
    poke(r, 65, "0005 0006 0007 0008"); // window 3 win_out
    DeviceData d = fresh();
    d.load_default_layouts();
    const DevRect mode4 = d.mode_data[4].win_out[1];
    QVERIFY(codec::decode_windows(r, 5, 815, 548, d));
    const ModeData &m = d.mode_data[5];
    QCOMPARE(m.win_in[1], (DevRect{0, 0, 3840, 2160}));
    QCOMPARE(m.win_out[1], (DevRect{600, 200, 2640, 600}));
    // Default WIN2 of mode 0 on the 815 x 548 layout canvas.
    QCOMPARE(m.win_canvas[1], (DevRect{127, 50, 560, 152}));
    QCOMPARE(m.win_in[3], (DevRect{1, 3, 2, 4}));
    QCOMPARE(m.win_out[3], (DevRect{5, 7, 6, 8}));
    QCOMPARE(m.win_out[0], DevRect{});
    QCOMPARE(d.mode_data[4].win_out[1], mode4);
}

void TestCodec::to_canvas_data()
{
    QTest::addColumn<DevRect>("out");
    QTest::addColumn<int>("ref_w");
    QTest::addColumn<int>("ref_h");
    QTest::addColumn<DevRect>("canvas");

    QTest::newRow("WIN2 default") << DevRect{600, 200, 2640, 600} << 3840 << 2160
                                  << DevRect{127, 50, 560, 152};
    // Quad layout, window 3: 1920 * 815 / 3840 = 407.5 truncates to 407.
    QTest::newRow("quad WIN4") << DevRect{1920, 1080, 1920, 1080} << 3840 << 2160
                               << DevRect{407, 274, 407, 274};
    QTest::newRow("no width reference")
        << DevRect{600, 200, 2640, 600} << 0 << 2160 << DevRect{0, 50, 0, 152};
    QTest::newRow("no references") << DevRect{600, 200, 2640, 600} << 0 << 0 << DevRect{};
}

void TestCodec::to_canvas()
{
    QFETCH(DevRect, out);
    QFETCH(int, ref_w);
    QFETCH(int, ref_h);
    QFETCH(DevRect, canvas);
    QCOMPARE(codec::to_canvas_rect(out, 815, 548, ref_w, ref_h), canvas);
}

void TestCodec::mode_table()
{
    QByteArray r = reply(283, 9);
    poke(r, 44, "00010203 00010203 17 0f");  // mode 0: list 0, 1, 2, 3 has code 23
    poke(r, 194, "03020100 01030002 0a 05"); // mode 15: list 1, 3, 0, 2 has code 10
    // OutA block from 204: brightness, 4 x 4 port values, contrast, 4 x 4, colour, 4.
    poke(r, 204,
         "61 0102030405060708090a0b0c0d0e0f10 62 2122232425262728292a2b2c2d2e2f30"
         " 63 41424344");
    // OutB block, 39 bytes later at 243.
    poke(r, 243,
         "e1 8182838485868788898a8b8c8d8e8f90 e2 a1a2a3a4a5a6a7a8a9aaabacadaeafb0"
         " e3 c1c2c3c4");

    DeviceData d = fresh();
    d.mode_data[15].win_layers.clear(); // a list that was never reset is grown, not overrun
    QVERIFY(codec::decode_mode_table(r, d));

    const ModeData &m0 = d.mode_data[0];
    QCOMPARE(m0.win_layers, (QVector<int32_t>{0, 1, 2, 3}));
    QCOMPARE(m0.layer_code, 23);
    for (int w = 0; w < kWindowCount; ++w) {
        QCOMPARE(m0.win_source[w], w);
        QCOMPARE(int(m0.win_open[w]), 1);
    }
    const ModeData &m15 = d.mode_data[15];
    QCOMPARE(m15.win_source[0], 3);
    QCOMPARE(m15.win_layers, (QVector<int32_t>{1, 3, 0, 2}));
    QCOMPARE(m15.layer_code, 10);
    QCOMPARE(QVector<int>({m15.win_open[0], m15.win_open[1], m15.win_open[2], m15.win_open[3]}),
             (QVector<int>{1, 0, 1, 0}));

    auto quality = [&d](int o, int p) {
        const int32_t *q = d.port_quality[o][p];
        return QVector<int>(q, q + 9);
    };
    // Wire order per port: values 0, 1, 3, 2 and 4, 5, 7, 6, then value 8.
    QCOMPARE(quality(0, 0), (QVector<int>{0x01, 0x02, 0x04, 0x03, 0x21, 0x22, 0x24, 0x23, 0x41}));
    QCOMPARE(quality(0, 3), (QVector<int>{0x0d, 0x0e, 0x10, 0x0f, 0x2d, 0x2e, 0x30, 0x2f, 0x44}));
    QCOMPARE(quality(1, 0), (QVector<int>{0x81, 0x82, 0x84, 0x83, 0xa1, 0xa2, 0xa4, 0xa3, 0xc1}));
    QCOMPARE(quality(1, 3), (QVector<int>{0x8d, 0x8e, 0x90, 0x8f, 0xad, 0xae, 0xb0, 0xaf, 0xc4}));
    QCOMPARE(d.out_light[0].brightness, 0x61);
    QCOMPARE(d.out_light[0].contrast, 0x62);
    QCOMPARE(d.out_light[0].colour, 0x63);
    QCOMPARE(d.out_light[1].brightness, 0xe1);
    QCOMPARE(d.out_light[1].contrast, 0xe2);
    QCOMPARE(d.out_light[1].colour, 0xe3);
}

void TestCodec::window_picture_values()
{
    // Adjustment: brightness, contrast, colour runs, each in entry order 4, 0, 1, 2, 3.
    QByteArray adjust = reply(108, 7);
    poke(adjust, 9, "0501020304 1511121314 2521222324");
    // Borders: on, red, green, blue, size per window; any non-zero "on" byte is on.
    QByteArray borders = reply(30, 8);
    poke(borders, 9, "0010203001 0211213102 ff12223203 0113233304");

    DeviceData d = fresh();
    QVERIFY(codec::decode_win_adjust(adjust, d));
    QVERIFY(codec::decode_win_borders(borders, d));

    const int expected[5][3] = {{1, 17, 33}, {2, 18, 34}, {3, 19, 35}, {4, 20, 36}, {5, 21, 37}};
    for (int e = 0; e < 5; ++e) {
        QCOMPARE(d.win_adjust[e].brightness, expected[e][0]);
        QCOMPARE(d.win_adjust[e].contrast, expected[e][1]);
        QCOMPARE(d.win_adjust[e].colour, expected[e][2]);
    }
    QCOMPARE(int(d.win_frame[0].on), 0);
    QCOMPARE(int(d.win_frame[1].on), 1);
    QCOMPARE(int(d.win_frame[2].on), 1);
    QCOMPARE(int(d.win_frame[3].on), 1);
    const WinFrame &f = d.win_frame[2];
    QCOMPARE(QVector<int>({f.red, f.green, f.blue, f.size}), (QVector<int>{0x12, 0x22, 0x32, 3}));
}

void TestCodec::unit_and_led_rects()
{
    QByteArray units = reply(74, 6, 3);
    poke(units, 9, "0001 0002 0003 0004");  // OutA DVI-1
    poke(units, 57, "0780 0780 0000 0438"); // OutB DVI-3 at 9 + 32 + 16

    QByteArray leds = reply(202, 4, 6);
    leds.replace(9, 64, QByteArray(64, char(0xff)));            // bytes 9..72 are not data
    poke(leds, 73, "0000 0f00 0000 0870 0000 0780 0000 0438");  // OutA DVI-1 in, out
    poke(leds, 185, "0780 0780 0000 0870 0001 0002 0003 0004"); // OutB DVI-4 at 73 + 64 + 48

    DeviceData d = fresh();
    QVERIFY(codec::decode_unit_rects(units, 3, d));
    QVERIFY(codec::decode_led_rects(leds, 6, d));

    QCOMPARE(d.mode_data[3].unit_rect[0][0], (DevRect{1, 3, 2, 4}));
    QCOMPARE(d.mode_data[3].unit_rect[1][2], (DevRect{1920, 0, 1920, 1080}));
    QCOMPARE(d.mode_data[3].unit_rect[0][1], DevRect{});
    QCOMPARE(d.mode_data[2].unit_rect[1][2], DevRect{});

    const ModeData &m = d.mode_data[6];
    QCOMPARE(m.led_in_rect[0][0], (DevRect{0, 0, 3840, 2160}));
    QCOMPARE(m.led_out_rect[0][0], (DevRect{0, 0, 1920, 1080}));
    QCOMPARE(m.led_in_rect[1][3], (DevRect{1920, 0, 1920, 2160}));
    QCOMPARE(m.led_out_rect[1][3], (DevRect{1, 3, 2, 4}));
    QCOMPARE(m.led_in_rect[0][1], DevRect{});
}

void TestCodec::led_sizes_both_forms()
{
    // One wall per mode: 74 bytes under selector 5, width and height per mode.
    QByteArray totals = reply(74, 5);
    poke(totals, 9, "0f00 0438");  // mode 0: 3840 x 1080
    poke(totals, 69, "1e00 0870"); // mode 15: 7680 x 2160
    // Four walls per mode: 266 bytes under the same selector.
    QByteArray walls = reply(266, 5);
    poke(walls, 9, "0780 0438");   // mode 0, wall 0
    poke(walls, 45, "0500 0300");  // mode 2, wall 1 at 9 + 32 + 4
    poke(walls, 261, "0f00 0870"); // mode 15, wall 3 at 9 + 240 + 12

    DeviceData d = fresh();
    // Each form is rejected by the other's decoder.
    QVERIFY(!codec::decode_wall_sizes(totals, d));
    QVERIFY(!codec::decode_led_totals(walls, d));
    QVERIFY(codec::decode_led_totals(totals, d));
    QVERIFY(codec::decode_wall_sizes(walls, d));

    QCOMPARE(d.mode_data[0].out_total_w, 3840);
    QCOMPARE(d.mode_data[0].out_total_h, 1080);
    QCOMPARE(d.mode_data[15].out_total_w, 7680);
    QCOMPARE(d.mode_data[15].out_total_h, 2160);
    QCOMPARE(d.mode_data[1].out_total_w, 0);
    QCOMPARE(d.mode_data[0].wall_size[0].w, 1920);
    QCOMPARE(d.mode_data[0].wall_size[0].h, 1080);
    QCOMPARE(d.mode_data[2].wall_size[1].w, 1280);
    QCOMPARE(d.mode_data[2].wall_size[1].h, 768);
    QCOMPARE(d.mode_data[15].wall_size[3].w, 3840);
    QCOMPARE(d.mode_data[15].wall_size[3].h, 2160);
    QCOMPARE(d.mode_data[15].wall_size[2].w, 0);
}

void TestCodec::rejection_data()
{
    QTest::addColumn<int>("decoder");
    QTest::addColumn<int>("defect");
    QTest::addColumn<bool>("accepted");

    const struct {
        Defect defect;
        const char *name;
        bool accepted;
    } defects[] = {
        {None, "valid", true},
        {Padded, "inside the 300-byte buffer", true},
        {Empty, "empty array", false},
        {BadStart, "wrong start byte", false},
        {BadCommand, "wrong command byte", false},
        {BadLength, "wrong length field", false},
        {Short, "array one byte short", false},
        {IndexLow, "index -1", false},
        {IndexHigh, "index past the end", false},
    };
    for (int i = 0; i < int(std::size(kDecoders)); ++i) {
        for (const auto &x : defects) {
            if ((x.defect == IndexLow || x.defect == IndexHigh) && kDecoders[i].index_count == 0)
                continue;
            QTest::addRow("%s: %s", kDecoders[i].name, x.name) << i << int(x.defect) << x.accepted;
        }
    }
}

void TestCodec::rejection()
{
    QFETCH(int, decoder);
    QFETCH(int, defect);
    QFETCH(bool, accepted);
    const DecoderCase &c = kDecoders[decoder];

    QByteArray r = reply(c.length, c.selector, 1);
    // Data that differ from every reset value, so an accepted reply shows.
    r.replace(9, c.length - 10, QByteArray(c.length - 10, char(0x5a)));
    int index = 1;
    switch (defect) {
    case Padded:
        r.append(QByteArray(300 - c.length, '\0'));
        break;
    case Empty:
        r.clear();
        break;
    case BadStart:
        r[0] = ';';
        break;
    case BadCommand:
        r[5] = char(17);
        break;
    case BadLength:
        r[6] = char(r[6] + 1);
        break;
    case Short:
        r.chop(1);
        break;
    case IndexLow:
        index = -1;
        break;
    case IndexHigh:
        index = c.index_count;
        break;
    }

    DeviceData d = fresh();
    const QVector<int> before = snapshot(d);
    QCOMPARE(c.decode(r, index, d), accepted);
    if (accepted)
        QVERIFY(snapshot(d) != before);
    else
        QCOMPARE(snapshot(d), before);
}

void TestCodec::presets_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("index"); // -1: no row
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("res_w"); // out_res after apply_format_code
    QTest::addColumn<int>("res_h");

    // Rows of the resolution preset table; other records start at 111 x 222,
    // the custom size is 2048 x 1152.
    QTest::newRow("1") << 1 << 0 << QStringLiteral("1440x1440@60Hz") << 1440 << 1440;
    QTest::newRow("6") << 6 << 1 << QStringLiteral("1920x1080@60Hz") << 1920 << 1080;
    QTest::newRow("9 custom") << 9 << 2 << QStringLiteral("Custom Resolution") << 2048 << 1152;
    QTest::newRow("12") << 12 << 5 << QStringLiteral("1600x1344@60Hz") << 1600 << 1344;
    QTest::newRow("20") << 20 << 9 << QStringLiteral("1920x1080@50Hz") << 1920 << 1080;
    QTest::newRow("24") << 24 << 12 << QStringLiteral("1200x1960@50Hz") << 1200 << 1960;
    for (int code : {-1, 0, 2, 8, 13, 25, 255})
        QTest::addRow("%d no row", code) << code << -1 << QString() << 111 << 222;
}

void TestCodec::presets()
{
    QFETCH(int, code);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, res_w);
    QFETCH(int, res_h);

    const codec::ResolutionPreset *p = codec::preset_for_code(code);
    if (index < 0) {
        QVERIFY(!p);
    } else {
        QVERIFY(p);
        QCOMPARE(p->index, index);
        QCOMPARE(p->code, code);
        QCOMPARE(QString::fromLatin1(p->text), text);
        QCOMPARE(&codec::preset_at(index), p);
    }

    DeviceData d;
    d.out_format = code;
    d.out_res_w = 111;
    d.out_res_h = 222;
    d.custom_res_w = 2048;
    d.custom_res_h = 1152;
    QCOMPARE(codec::apply_format_code(d), index);
    QCOMPARE(d.out_res_w, res_w);
    QCOMPARE(d.out_res_h, res_h);
}

void TestCodec::preset_list_order()
{
    // The short list offers exactly the first five rows.
    const char *const short_list[] = {"1440x1440@60Hz", "1920x1080@60Hz", "Custom Resolution",
                                      "2160x960@60Hz", "1200x1600@60Hz"};
    QCOMPARE(codec::kShortPresetCount, 5);
    for (int i = 0; i < codec::kShortPresetCount; ++i)
        QCOMPARE(codec::preset_at(i).text, short_list[i]);
    QCOMPARE(codec::preset_at(codec::kPresetCount - 1).code, 24);
    // Out-of-range rows are clamped, never read past the table.
    QCOMPARE(codec::preset_at(-1).index, 0);
    QCOMPARE(codec::preset_at(13).index, 12);
}

void TestCodec::led_defaults_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("res_w");
    QTest::addColumn<int>("res_h");

    QTest::newRow("custom 1600x900") << 9 << 1600 << 900;
    QTest::newRow("preset 20") << 20 << 1920 << 1080;
    // No row: the previous output size (1280 x 720 here) stays and is used.
    QTest::newRow("code 2") << 2 << 1280 << 720;
}

void TestCodec::led_defaults()
{
    QFETCH(int, format);
    QFETCH(int, res_w);
    QFETCH(int, res_h);

    DeviceData d = fresh();
    d.out_format = format;
    d.custom_res_w = 1600;
    d.custom_res_h = 900;
    d.out_res_w = 1280;
    d.out_res_h = 720;
    codec::derive_led_defaults(d);

    QCOMPARE(d.out_res_w, res_w);
    QCOMPARE(d.out_res_h, res_h);
    const DevRect output{0, 0, res_w, res_h};
    for (const ModeData &m : d.mode_data) {
        for (int c = 0; c < kOutputCardCount; ++c) {
            for (int p = 0; p < kPortCount; ++p) {
                QCOMPARE(m.unit_rect[c][p], output);
                QCOMPARE(m.led_in_rect[c][p], (DevRect{0, 0, 3840, 2160}));
                QCOMPARE(m.led_out_rect[c][p], output);
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestCodec)
#include "tst_codec.moc"
