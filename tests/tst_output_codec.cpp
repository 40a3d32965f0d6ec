// Output, LED wall and picture frames byte for byte, from the worked examples.

#include <QtTest>

#include "device/codec.h"
#include "device/device_data.h"
#include "device/protocol.h"
#include "output/output_codec.h"

class TestOutputCodec : public QObject
{
    Q_OBJECT

private slots:
    void frames()
    {
        // Every frame to device 1 starts 3a 01 04 01 00.
        const auto frame = [](uint8_t command, const QByteArray &payload, const char *hex) {
            QCOMPARE(codec::build_frame(1, command, payload).toHex(' '),
                     QByteArray::fromHex(QByteArray("3a01040100") + hex).toHex(' '));
        };
        using namespace codec;
        using namespace proto;
        frame(kCmdCustomResolution, custom_resolution_payload(2048, 1152, true),
              "9e0d 0800048001 3a");
        frame(kCmdCustomResolution, custom_resolution_payload(1920, 1200, false),
              "9e0d 078004b000 3a");
        // Preset: rate 34 at 50 Hz (19 at 60), then the code.
        frame(kCmdPresetResolution, preset_resolution_payload(false, 9), "9f0a 2209 3a");
        frame(kCmdCopyMode, copy_output_payload(2, 7), "120b 800207 3a");
        // Rectangles in wire order x, w, y, h: input, then output.
        const DevRect in{1, 2, 3, 4}, out{5, 6, 7, 8};
        frame(kCmdDerivedPortRects, port_rects_payload(port_selector(1, 2, 5), in, out),
              "9519 e5 0001 0003 0002 0004 0005 0007 0006 0008 3a");
        frame(kCmdRectangle, port_rects_payload(port_selector(0, 3, 12), in, out),
              "1519 bc 0001 0003 0002 0004 0005 0007 0006 0008 3a");
        frame(kCmdLedSize, led_total_payload(7680, 1080), "200c 1e00 0438 3a");
        frame(kCmdLedSize, led_wall_payload(3840, 2160, 2), "200d 0f00 0870 02 3a");

        // All distinct: rectangles 100c + 10p + 1..4, values 100c + 10p + v, cards 10/20/30 + c.
        DeviceData d;
        for (int i = 0; i < kOutputCardCount * kPortCount; ++i) {
            const int c = i / kPortCount, p = i % kPortCount, base = 100 * c + 10 * p;
            d.out_light[c] = Adjust{10 + c, 20 + c, 30 + c};
            d.mode_data[0].unit_rect[c][p] = DevRect{base + 1, base + 2, base + 3, base + 4};
            for (int v = 0; v < 9; ++v)
                d.port_quality[c][p][v] = base + v;
        }
        // All eight ports, OutA DVI-1 first, as x, w, y, h.
        frame(kCmdUnitRects, unit_rects_payload(d.mode_data[0]),
              "a248 0001000300020004 000b000d000c000e 0015001700160018 001f002100200022"
              " 0065006700660068 006f007100700072 0079007b007a007c 0083008500840086 3a");
        // OutB colour: 4, 1, 0, 27, 15, 192, 15, card-wide colour, each port's colour.
        frame(kCmdColour, output_color_payload(d, 1), "1b0f c00f 1f 6c76808a 3a");
        // Per port all, red, green, blue: records 0, 1, 3, 2 (gray), 4, 5, 7, 6 (brightness).
        frame(kCmdBrightness, output_gray_payload(d, 0),
              "191b 800f 0a 00010302 0a0b0d0c 14151716 1e1f2120 3a");
        frame(kCmdContrast, output_brightness_payload(d, 1),
              "1a1b c00f 15 68696b6a 72737574 7c7d7f7e 86878988 3a");
    }
};

QTEST_APPLESS_MAIN(TestOutputCodec)
#include "tst_output_codec.moc"
