// Output page, LED wall and output picture frames, byte for byte, and the
// pure derivations behind them. Expected frames are literals taken from the
// worked examples and command tables of the output topics.

#include <QtTest>

#include "device/codec.h"
#include "device/device_data.h"
#include "device/protocol.h"
#include "output/output_codec.h"

namespace {

QByteArray frame(uint8_t command, const QByteArray &payload)
{
    return codec::build_frame(1, command, payload);
}

// A mode whose eight unit rectangles all differ: card c, port p gets
// x = 100c + 10p + 1, y = +2, w = +3, h = +4.
ModeData numbered_units()
{
    ModeData m;
    for (int c = 0; c < kOutputCardCount; ++c)
        for (int p = 0; p < kPortCount; ++p) {
            const int base = 100 * c + 10 * p;
            m.unit_rect[c][p] = DevRect{base + 1, base + 2, base + 3, base + 4};
        }
    return m;
}

} // namespace

Q_DECLARE_METATYPE(DevRect)

class TestOutputCodec : public QObject
{
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void port_selector_data();
    void port_selector();
    void unit_rects_place_each_port();
    void picture_values_both_cards();
    void derive_port_rects_data();
    void derive_port_rects();
    void wall_total_by_wall_mode();
    void custom_side_max_data();
    void custom_side_max();
    void settings_keys();
    void resolution_codes_data();
    void resolution_codes();
};

void TestOutputCodec::frames_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    // Custom 2048 x 1152 at 60 Hz: 4, 1, 0, 158, 13, 8, 0, 4, 128, 1.
    QTest::newRow("custom resolution 2048x1152@60")
        << frame(proto::kCmdCustomResolution, codec::custom_resolution_payload(2048, 1152, true))
        << QByteArray::fromHex("3a01040100 9e0d 0800048001 3a");
    QTest::newRow("custom resolution 1920x1200@50")
        << frame(proto::kCmdCustomResolution, codec::custom_resolution_payload(1920, 1200, false))
        << QByteArray::fromHex("3a01040100 9e0d 0780 04b0 00 3a");
    // Preset: rate 19 at 60 Hz, 34 at 50 Hz, then the code.
    QTest::newRow("preset 1920x1080@60 (code 6)")
        << frame(proto::kCmdPresetResolution, codec::preset_resolution_payload(true, 6))
        << QByteArray::fromHex("3a01040100 9f0a 1306 3a");
    QTest::newRow("preset follow-up of a custom size at 50 Hz")
        << frame(proto::kCmdPresetResolution, codec::preset_resolution_payload(false, 9))
        << QByteArray::fromHex("3a01040100 9f0a 2209 3a");
    // Copy output mode 2 to 7: 4, 1, 0, 18, 11, 128, 2, 7.
    QTest::newRow("copy output mode 2 to 7")
        << frame(proto::kCmdCopyMode, codec::copy_output_payload(2, 7))
        << QByteArray::fromHex("3a01040100 120b 800207 3a");
    // Port rectangles, wire order x, w, y, h: OutA DVI-2 of mode 0,
    // input (1920, 0, 1920, 2160), output (0, 0, 1920, 1080).
    QTest::newRow("port rectangles command 21")
        << frame(proto::kCmdRectangle,
                 codec::port_rects_payload(codec::port_selector(0, 1, 0),
                                           DevRect{1920, 0, 1920, 2160}, DevRect{0, 0, 1920, 1080}))
        << QByteArray::fromHex("3a01040100 1519 90 0780 0780 0000 0870 0000 0780 0000 0438 3a");
    QTest::newRow("derived port rectangles command 149")
        << frame(proto::kCmdDerivedPortRects,
                 codec::port_rects_payload(codec::port_selector(1, 3, 15), DevRect{1, 2, 3, 4},
                                           DevRect{5, 6, 7, 8}))
        << QByteArray::fromHex("3a01040100 9519 ff 0001 0003 0002 0004 0005 0007 0006 0008 3a");
    // LED totals, 12-byte form; wall size, 13-byte form with wall 3 -> 2 last.
    QTest::newRow("LED total 7680x1080")
        << frame(proto::kCmdLedSize, codec::led_total_payload(7680, 1080))
        << QByteArray::fromHex("3a01040100 200c 1e00 0438 3a");
    QTest::newRow("LED wall 3 size 3840x2160")
        << frame(proto::kCmdLedSize, codec::led_wall_payload(3840, 2160, 2))
        << QByteArray::fromHex("3a01040100 200d 0f00 0870 02 3a");
}

void TestOutputCodec::frames()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestOutputCodec::port_selector_data()
{
    QTest::addColumn<int>("card");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("selector");
    QTest::newRow("OutA DVI-1 mode 0") << 0 << 0 << 0 << 128;
    QTest::newRow("OutB DVI-3 mode 5") << 1 << 2 << 5 << 229;
    QTest::newRow("OutA DVI-2 mode 12") << 0 << 1 << 12 << 156;
    QTest::newRow("OutB DVI-4 mode 15") << 1 << 3 << 15 << 255;
}

void TestOutputCodec::port_selector()
{
    QFETCH(int, card);
    QFETCH(int, port);
    QFETCH(int, mode);
    QFETCH(int, selector);
    QCOMPARE(int(codec::port_selector(card, port, mode)), selector);
}

void TestOutputCodec::unit_rects_place_each_port()
{
    const QByteArray f = frame(proto::kCmdUnitRects, codec::unit_rects_payload(numbered_units()));
    QCOMPARE(f.size(), 72);
    QCOMPARE(QByteArray(f.left(7)).toHex(' '), QByteArray::fromHex("3a01040100a248").toHex(' '));
    // OutA DVI-1 from byte 7, OutB DVI-1 from byte 39, as x, w, y, h.
    QCOMPARE(f.mid(7, 8).toHex(' '), QByteArray::fromHex("0001000300020004").toHex(' '));
    QCOMPARE(f.mid(39, 8).toHex(' '), QByteArray::fromHex("0065006700660068").toHex(' '));
    // OutB DVI-4 last, just before the closing ':'.
    QCOMPARE(f.mid(63, 8).toHex(' '), QByteArray::fromHex("0083008500840086").toHex(' '));
    QCOMPARE(uint8_t(f.at(71)), uint8_t(':'));
}

void TestOutputCodec::picture_values_both_cards()
{
    DeviceData d;
    for (int c = 0; c < 2; ++c) {
        d.out_light[c] = Adjust{10 + c, 20 + c, 30 + c};
        for (int p = 0; p < 4; ++p)
            for (int v = 0; v < 9; ++v)
                d.port_quality[c][p][v] = 100 * c + 10 * p + v;
    }
    // OutB colour: 4, 1, 0, 27, 15, 192, 15, card-wide colour, then each port's colour.
    QCOMPARE(frame(proto::kCmdColour, codec::output_color_payload(d, 1)).toHex(' '),
             QByteArray::fromHex("3a01040100 1b0f c00f 1f 6c76808a 3a").toHex(' '));
    // Gray of OutA: per port values 0, 1, 3, 2 (all, red, green, blue).
    const QByteArray gray = frame(proto::kCmdBrightness, codec::output_gray_payload(d, 0));
    QCOMPARE(gray.size(), 27);
    QCOMPARE(gray.mid(5, 5).toHex(' '), QByteArray::fromHex("191b800f0a").toHex(' '));
    QCOMPARE(gray.mid(10, 4).toHex(' '), QByteArray::fromHex("00010302").toHex(' '));
    QCOMPARE(gray.mid(22, 4).toHex(' '), QByteArray::fromHex("1e1f2120").toHex(' '));
    // Brightness of OutB: values 4, 5, 7, 6 per port after the card-wide value.
    const QByteArray bright = frame(proto::kCmdContrast, codec::output_brightness_payload(d, 1));
    QCOMPARE(bright.mid(5, 5).toHex(' '), QByteArray::fromHex("1a1bc00f15").toHex(' '));
    QCOMPARE(bright.mid(10, 4).toHex(' '), QByteArray::fromHex("68696b6a").toHex(' '));
    // Only the low byte of a value travels.
    d.out_light[0].contrast = 0x180;
    QCOMPARE(uint8_t(codec::output_brightness_payload(d, 0).at(2)), uint8_t(0x80));
}

void TestOutputCodec::derive_port_rects_data()
{
    QTest::addColumn<DevRect>("unit");
    QTest::addColumn<int>("wall_w");
    QTest::addColumn<int>("wall_h");
    QTest::addColumn<DevRect>("input");

    QTest::newRow("OutA DVI-2 in 3840x1080")
        << DevRect{1920, 0, 1920, 1080} << 3840 << 1080 << DevRect{1920, 0, 1920, 2160};
    QTest::newRow("width 1000 of 3000")
        << DevRect{0, 0, 1000, 1080} << 3000 << 1080 << DevRect{0, 0, 1280, 2160};
    QTest::newRow("x 1 of 7680 truncates")
        << DevRect{1, 0, 1920, 1080} << 7680 << 1080 << DevRect{0, 0, 960, 2160};
    QTest::newRow("wall of 0 x 0 divides nothing")
        << DevRect{10, 20, 30, 40} << 0 << 0 << DevRect{0, 0, 0, 0};
    QTest::newRow("zero height only")
        << DevRect{1920, 540, 1920, 540} << 3840 << 0 << DevRect{1920, 0, 1920, 0};
}

void TestOutputCodec::derive_port_rects()
{
    QFETCH(DevRect, unit);
    QFETCH(int, wall_w);
    QFETCH(int, wall_h);
    QFETCH(DevRect, input);
    const codec::PortRects r = codec::derive_port_rects(unit, wall_w, wall_h, 3840, 2160);
    QCOMPARE(r.input, input);
    // The port always shows its whole output from the origin.
    QCOMPARE(r.output, (DevRect{0, 0, unit.w, unit.h}));
}

void TestOutputCodec::wall_total_by_wall_mode()
{
    ModeData m;
    m.out_total_w = 7680;
    m.out_total_h = 1080;
    m.wall_size[2] = SizePair{1920, 2160};
    QCOMPARE(codec::wall_total(m, false, 2).w, 7680);
    QCOMPARE(codec::wall_total(m, true, 2).h, 2160);
    // A wall index out of range never reads past the four walls.
    QCOMPARE(codec::wall_total(m, true, 9).w, 0);
}

void TestOutputCodec::custom_side_max_data()
{
    QTest::addColumn<int>("other");
    QTest::addColumn<bool>("rate60");
    QTest::addColumn<int>("max");
    QTest::newRow("1920 high at 60 Hz") << 1920 << true << 1289;
    QTest::newRow("1920 high at 50 Hz") << 1920 << false << 1546;
    QTest::newRow("1080 at 60 Hz") << 1080 << true << 2291;
    QTest::newRow("other side empty") << 0 << true << 2160;
    QTest::newRow("other side negative") << -5 << false << 2160;
}

void TestOutputCodec::custom_side_max()
{
    QFETCH(int, other);
    QFETCH(bool, rate60);
    QFETCH(int, max);
    QCOMPARE(codec::custom_side_max(other, rate60), max);
}

void TestOutputCodec::settings_keys()
{
    // OutB DVI-3 of mode 12.
    QCOMPARE(codec::led_screen_group(12), QStringLiteral("M12"));
    QCOMPARE(codec::led_screen_key(1 * 4 + 2), QStringLiteral("LED6Screen"));
}

void TestOutputCodec::resolution_codes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    // A code without a row keeps the previous size (here 640 x 480).
    QTest::newRow("6") << 6 << 1 << 1920 << 1080;
    QTest::newRow("20") << 20 << 9 << 1920 << 1080;
    QTest::newRow("24") << 24 << 12 << 1200 << 1960;
    QTest::newRow("9 custom") << 9 << 2 << 2048 << 1152;
    QTest::newRow("2 has no row") << 2 << -1 << 640 << 480;
    QTest::newRow("25 out of range") << 25 << -1 << 640 << 480;
}

void TestOutputCodec::resolution_codes()
{
    QFETCH(int, code);
    QFETCH(int, row);
    QFETCH(int, width);
    QFETCH(int, height);
    DeviceData d;
    d.out_res_w = 640;
    d.out_res_h = 480;
    d.custom_res_w = 2048;
    d.custom_res_h = 1152;
    d.out_format = code;
    QCOMPARE(codec::apply_format_code(d), row);
    QCOMPARE(d.out_res_w, width);
    QCOMPARE(d.out_res_h, height);
}

QTEST_APPLESS_MAIN(TestOutputCodec)
#include "tst_output_codec.moc"
