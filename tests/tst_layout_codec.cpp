// Byte layouts and pure rules of the multi-window layout.

#include <QtTest>
#include <algorithm>

#include "device/codec.h"
#include "device/protocol.h"
#include "layout/layout_codec.h"

// Independent decoder of the stacking code: g places window 0 (3 = first),
// t picks the order of the other three.
static QVector<int32_t> decode_layer_code(int code)
{
    static const int kOrders[6][3] = {{3, 2, 1}, {2, 3, 1}, {3, 1, 2}, {2, 1, 3}, {1, 3, 2}, {1, 2, 3}};
    QVector<int32_t> list(std::begin(kOrders[code % 6]), std::end(kOrders[code % 6]));
    list.insert(3 - code / 6, 0);
    return list;
}

class TestLayoutCodec : public QObject
{
    Q_OBJECT

private slots:
    void layers_conversions_frames_and_texts()
    {
        QVector<int32_t> list{0, 1, 2, 3};
        do {
            const int code = codec::layer_code(list);
            QVERIFY(code >= 0 && code < 24);
            QCOMPARE(decode_layer_code(code), list);
        } while (std::next_permutation(list.begin(), list.end()));
        for (const QVector<int32_t> &bad : {QVector<int32_t>{0, 1, 2}, {0, 1, 1, 3}, {0, 1, 2, 4}})
            QCOMPARE(codec::layer_code(bad), -1);

        // WIN3 raised, then WIN4 lowered (their codes 1 and 9 come through the item
        // menu's test); worked codes 10 and 23 pin the independent decoder above.
        QVector<int32_t> layers{3, 2, 1, 0};
        QVERIFY(codec::move_layer(layers, 2, true) && codec::move_layer(layers, 3, false));
        QVERIFY(!codec::move_layer(layers, 7, true));
        QCOMPARE(layers, (QVector<int32_t>{2, 1, 0, 3}));
        QCOMPARE(codec::layer_code({1, 3, 0, 2}), 10);
        QCOMPARE(codec::layer_code({0, 1, 2, 3}), 23);

        // 471.1, then 4.71, 3.94, 1917.6 and 1083.9: truncated, never rounded.
        QCOMPARE(codec::to_device_rect({100, 0, 815, 548}, 815, 548, 3840, 2160),
                 (DevRect{471, 0, 3840, 2160}));
        QCOMPARE(codec::to_device_rect({1, 1, 407, 275}, 815, 548, 3840, 2160),
                 (DevRect{4, 3, 1917, 1083}));
        QCOMPARE(codec::to_device_rect({10, 10, 10, 10}, 0, 0, 3840, 2160), DevRect{});

        ModeData m;
        m.win_open[0] = m.win_open[2] = 1;
        m.win_source[0] = 2, m.win_source[1] = 3, m.win_source[3] = 1;
        const Adjust adjust[5] = {{20, 21, 22}, {30, 31, 32}, {40, 41, 42}, {50, 51, 52}, {10, 11, 12}};
        using namespace proto;
        const std::tuple<uint8_t, QByteArray, const char *> rows[] = {
            // WIN2 of M0 (output x 600 travels as 2, 88) and WIN4 of M12.
            {kCmdRectangle, codec::window_rect_payload(0, 1, {0, 0, 3840, 2160}, {600, 200, 2640, 600}),
             "3a010401001519 10 0000 0f00 0000 0870 0258 0a50 00c8 0258 3a"},
            {kCmdRectangle, codec::window_rect_payload(12, 3, {0, 0, 1920, 1080}, {1, 2, 3, 4}),
             "3a010401001519 3c 0000 0780 0000 0438 0001 0003 0002 0004 3a"},
            {kCmdOpenMask, codec::open_mask_payload(m), "3a01040100140905 3a"},
            {kCmdWindowSources, codec::sources_payload(m), "3a01040100130c 02030001 3a"},
            {kCmdLayerSelect, codec::layer_select_payload(2), "3a01040100100a0002 3a"},
            // Top, with the Fade effect of 2 s.
            {kCmdLayerMove, codec::layer_move_payload(1, 2), "3a010401001d0a8102 3a"},
            {kCmdBorder, codec::border_payload(1, WinFrame{1, 255, 0, 16, 127}),
             "3a01040100180e0101ff00107f 3a"},
            // Fifth set first; brightness and contrast 27 bytes, colour 15.
            {kCmdBrightness, codec::win_adjust_payload(adjust, codec::AdjustField::Brightness),
             "3a01040100191b000f0a141e2832 000000000000000000000000 3a"},
            {kCmdContrast, codec::win_adjust_payload(adjust, codec::AdjustField::Contrast),
             "3a010401001a1b000f0b151f2933 000000000000000000000000 3a"},
            {kCmdColour, codec::win_adjust_payload(adjust, codec::AdjustField::Colour),
             "3a010401001b0f000f0c16202a34 3a"},
            // M3 to M7, then the output form.
            {kCmdCopyMode, codec::copy_mode_payload(3, 7), "3a01040100120b000307 3a"},
            {kCmdCopyMode, codec::copy_mode_payload(3, 7, true), "3a01040100120b800307 3a"},
        };
        for (const auto &[command, payload, hex] : rows)
            QCOMPARE(codec::build_frame(1, command, payload), QByteArray::fromHex(hex));

        QCOMPARE(codec::tree_row_text(1, 9), QStringLiteral("WINS:WIN2:"));
        const std::tuple<int, int, int, const char *> entries[] = {
            {0, 1, 0, "InA:CVBS-1"}, {0, 3, 0, "InA:HDMI-1"}, {0, 3, 1, "InA:VGA-1"},
            {0, 4, 0, "InA:SDI-1"},  {1, 1, 0, "InB:CVBS-2"}, {1, 3, 0, "InB:HDMI-4"},
            {1, 3, 1, "InB:VGA-2"},  {1, 4, 0, "InB:SDI-2"},  {2, 5, 0, "InC:HDMI-2"},
            {2, 6, 0, "InC:HDMI-3"}, {2, 7, 0, "InC:DP-1"},   {3, 5, 0, "InD:HDMI-5"},
            {3, 6, 0, "InD:HDMI-6"}, {3, 7, 0, "InD:DP-2"},   {0, 5, 0, ""},
            {0, 0, 0, ""},           {2, 3, 0, ""},           {3, 8, 0, ""},
        };
        for (const auto &[card, source, vga, text] : entries)
            QCOMPARE(codec::source_entry_text(card, source, vga), QString::fromLatin1(text));
    }
};

QTEST_APPLESS_MAIN(TestLayoutCodec)
#include "tst_layout_codec.moc"
