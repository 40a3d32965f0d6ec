// Byte layouts and pure rules of the multi-window layout.

#include <QtTest>
#include <algorithm>

#include "device/codec.h"
#include "device/protocol.h"
#include "layout/layout_codec.h"

Q_DECLARE_METATYPE(DevRect)

namespace {

// Independent decoder of the stacking code for the round trip: g places window
// 0 (3 = first), t picks the order of the other three.
QVector<int32_t> decode_layer_code(int code)
{
    static const int kOrders[6][3] = {{3, 2, 1}, {2, 3, 1}, {3, 1, 2},
                                      {2, 1, 3}, {1, 3, 2}, {1, 2, 3}};
    const int g = code / 6;
    const int t = code % 6;
    QVector<int32_t> list{kOrders[t][0], kOrders[t][1], kOrders[t][2]};
    list.insert(3 - g, 0);
    return list;
}

QByteArray frame(uint8_t command, const QByteArray &payload)
{
    return codec::build_frame(1, command, payload);
}

} // namespace

class TestLayoutCodec : public QObject
{
    Q_OBJECT

private slots:
    void layer_code_all_orders();
    void layer_code_worked_values_data();
    void layer_code_worked_values();
    void raise_and_lower();
    void conversions();
    void window_frames_data();
    void window_frames();
    void zones_data();
    void zones();
    void drags();
    void texts();
};

void TestLayoutCodec::layer_code_all_orders()
{
    QVector<int32_t> list{0, 1, 2, 3};
    QSet<int> seen;
    do {
        const int code = codec::layer_code(list);
        QVERIFY2(code >= 0 && code < 24, qPrintable(QString::number(code)));
        QCOMPARE(decode_layer_code(code), list);
        seen.insert(code);
    } while (std::next_permutation(list.begin(), list.end()));
    QCOMPARE(seen.size(), 24);
    // Anything but the four window numbers once each has no code.
    QCOMPARE(codec::layer_code({0, 1, 2}), -1);
    QCOMPARE(codec::layer_code({0, 1, 1, 3}), -1);
    QCOMPARE(codec::layer_code({0, 1, 2, 4}), -1);
}

void TestLayoutCodec::layer_code_worked_values_data()
{
    QTest::addColumn<QVector<int32_t>>("list");
    QTest::addColumn<int>("code");
    QTest::newRow("3 2 1 0") << QVector<int32_t>{3, 2, 1, 0} << 0;
    QTest::newRow("2 3 1 0 (WIN3 raised)") << QVector<int32_t>{2, 3, 1, 0} << 1;
    QTest::newRow("2 1 0 3 (WIN4 lowered)") << QVector<int32_t>{2, 1, 0, 3} << 9;
    QTest::newRow("1 3 0 2") << QVector<int32_t>{1, 3, 0, 2} << 10;
    QTest::newRow("0 1 2 3") << QVector<int32_t>{0, 1, 2, 3} << 23;
}

void TestLayoutCodec::layer_code_worked_values()
{
    QFETCH(QVector<int32_t>, list);
    QFETCH(int, code);
    QCOMPARE(codec::layer_code(list), code);
}

void TestLayoutCodec::raise_and_lower()
{
    QVector<int32_t> layers{3, 2, 1, 0};
    QVERIFY(codec::move_layer(layers, 2, true));
    QCOMPARE(layers, (QVector<int32_t>{2, 3, 1, 0}));
    QVERIFY(codec::move_layer(layers, 3, false));
    QCOMPARE(layers, (QVector<int32_t>{2, 1, 0, 3}));
    QVERIFY(!codec::move_layer(layers, 7, true));
    QCOMPARE(layers, (QVector<int32_t>{2, 1, 0, 3}));
}

void TestLayoutCodec::conversions()
{
    // Canvas x 100 on an 815-pixel canvas: 471.1 truncated.
    const DevRect out = codec::to_device_rect({100, 0, 815, 548}, 815, 548, 3840, 2160);
    QCOMPARE(out.x, 471);
    QCOMPARE(out.w, 3840);
    QCOMPARE(out.h, 2160);
    QCOMPARE(codec::to_device_rect({10, 10, 10, 10}, 0, 0, 3840, 2160), DevRect{});

    // WIN2 default and WIN4 of the quad layout on the 815 x 548 canvas.
    QCOMPARE(codec::to_canvas_rect({600, 200, 2640, 600}, 815, 548, 3840, 2160),
             (DevRect{127, 50, 560, 152}));
    QCOMPARE(codec::to_canvas_rect({1920, 1080, 1920, 1080}, 815, 548, 3840, 2160),
             (DevRect{407, 274, 407, 274}));

    QCOMPARE(codec::full_crop(1), (DevRect{0, 0, 3840, 2160}));
    QCOMPARE(codec::full_crop(2), (DevRect{0, 0, 1920, 1080}));
    QCOMPARE(codec::cards_of_window(0), (QVector<int>{2, 3}));
    QCOMPARE(codec::cards_of_window(3), (QVector<int>{0, 1}));
}

void TestLayoutCodec::window_frames_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    ModeData m;
    m.win_open[0] = 1;
    m.win_open[2] = 1;
    m.win_source[0] = 2;
    m.win_source[1] = 3;
    m.win_source[3] = 1;
    Adjust adjust[5];
    for (int i = 0; i < 5; ++i)
        adjust[i] = {10 * i + 20, 10 * i + 21, 10 * i + 22};
    adjust[4] = {10, 11, 12};

    // WIN2 of mode 0 at its default: output x 600 travels as 2, 88.
    QTest::newRow("rectangle WIN2 M0")
        << frame(proto::kCmdRectangle,
                 codec::window_rect_payload(0, 1, {0, 0, 3840, 2160}, {600, 200, 2640, 600}))
        << QByteArray::fromHex("3a010401001519"
                               "10"
                               "0000 0f00 0000 0870"
                               "0258 0a50 00c8 0258"
                               "3a");
    QTest::newRow("rectangle WIN4 M12 high nibble window")
        << frame(proto::kCmdRectangle,
                 codec::window_rect_payload(12, 3, {0, 0, 1920, 1080}, {1, 2, 3, 4}))
        << QByteArray::fromHex("3a010401001519"
                               "3c"
                               "00000780"
                               "00000438"
                               "00010003"
                               "00020004"
                               "3a");
    QTest::newRow("open mask WIN1 WIN3") << frame(proto::kCmdOpenMask, codec::open_mask_payload(m))
                                         << QByteArray::fromHex("3a01040100140905"
                                                                "3a");
    QTest::newRow("sources") << frame(proto::kCmdWindowSources, codec::sources_payload(m))
                             << QByteArray::fromHex("3a01040100130c"
                                                    "02030001"
                                                    "3a");
    QTest::newRow("layer select WIN3")
        << frame(proto::kCmdLayerSelect, codec::layer_select_payload(2))
        << QByteArray::fromHex("3a01040100100a0002"
                               "3a");
    QTest::newRow("layer move top, Fade 2s")
        << frame(proto::kCmdLayerMove, codec::layer_move_payload(1, 2))
        << QByteArray::fromHex("3a010401001d0a8102"
                               "3a");
    QTest::newRow("layer move bottom, Cut")
        << frame(proto::kCmdLayerMove, codec::layer_move_payload(0, 0))
        << QByteArray::fromHex("3a010401001d0a8000"
                               "3a");
    QTest::newRow("border WIN2") << frame(proto::kCmdBorder,
                                          codec::border_payload(1, WinFrame{1, 255, 0, 16, 127}))
                                 << QByteArray::fromHex("3a01040100180e0101ff00107f"
                                                        "3a");
    // Fifth set first; brightness and contrast 27 bytes, colour 15.
    QTest::newRow("brightness") << frame(proto::kCmdBrightness,
                                         codec::win_adjust_payload(adjust,
                                                                   codec::AdjustField::Brightness))
                                << QByteArray::fromHex("3a01040100191b000f0a141e2832"
                                                       "000000000000000000000000"
                                                       "3a");
    QTest::newRow("contrast") << frame(proto::kCmdContrast,
                                       codec::win_adjust_payload(adjust,
                                                                 codec::AdjustField::Contrast))
                              << QByteArray::fromHex("3a010401001a1b000f0b151f2933"
                                                     "000000000000000000000000"
                                                     "3a");
    QTest::newRow("colour") << frame(proto::kCmdColour,
                                     codec::win_adjust_payload(adjust, codec::AdjustField::Colour))
                            << QByteArray::fromHex("3a010401001b0f000f0c16202a34"
                                                   "3a");
    QTest::newRow("copy M3 to M7") << frame(proto::kCmdCopyMode, codec::copy_mode_payload(3, 7))
                                   << QByteArray::fromHex("3a01040100120b000307"
                                                          "3a");
    QTest::newRow("copy output form")
        << frame(proto::kCmdCopyMode, codec::copy_mode_payload(3, 7, true))
        << QByteArray::fromHex("3a01040100120b800307"
                               "3a");
}

void TestLayoutCodec::window_frames()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(), expected.toHex());
}

void TestLayoutCodec::zones_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("zone");
    QTest::addColumn<int>("cursor");
    const QSize box(100, 100);
    QTest::newRow("x 9 left") << QPoint(9, 50) << box << 21 << int(Qt::SizeHorCursor);
    QTest::newRow("x 10 centre") << QPoint(10, 50) << box << 22 << int(Qt::OpenHandCursor);
    QTest::newRow("x 89 centre") << QPoint(89, 50) << box << 22 << int(Qt::OpenHandCursor);
    QTest::newRow("x 90 right") << QPoint(90, 50) << box << 23 << int(Qt::SizeHorCursor);
    QTest::newRow("y 9 top") << QPoint(50, 9) << box << 12 << int(Qt::SizeVerCursor);
    QTest::newRow("y 90 middle") << QPoint(50, 90) << box << 22 << int(Qt::OpenHandCursor);
    QTest::newRow("y 91 bottom") << QPoint(50, 91) << box << 32 << int(Qt::SizeVerCursor);
    QTest::newRow("top left") << QPoint(0, 0) << box << 11 << int(Qt::SizeFDiagCursor);
    QTest::newRow("top right") << QPoint(99, 0) << box << 13 << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom left") << QPoint(0, 99) << box << 31 << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom right") << QPoint(99, 99) << box << 33 << int(Qt::SizeFDiagCursor);
    QTest::newRow("narrow: x 10 is right")
        << QPoint(10, 50) << QSize(15, 100) << 23 << int(Qt::SizeHorCursor);
}

void TestLayoutCodec::zones()
{
    QFETCH(QPoint, pos);
    QFETCH(QSize, size);
    QFETCH(int, zone);
    QFETCH(int, cursor);
    QCOMPARE(codec::item_zone(pos.x(), pos.y(), size.width(), size.height()), zone);
    QCOMPARE(int(codec::zone_cursor(zone)), cursor);
}

void TestLayoutCodec::drags()
{
    const int cw = 815;
    const int ch = 548;
    // Centre drags stop at every edge.
    QCOMPARE(codec::drag_move({500, 100, 200, 100}, 300, 0, cw, ch), (DevRect{615, 100, 200, 100}));
    QCOMPARE(codec::drag_move({50, 100, 200, 100}, -80, -150, cw, ch), (DevRect{0, 0, 200, 100}));
    QCOMPARE(codec::drag_move({50, 400, 200, 100}, 0, 90, cw, ch), (DevRect{50, 448, 200, 100}));
    // Top-left corner by (+20, +30): the bottom-right corner stays.
    QCOMPARE(codec::drag_resize({100, 100, 200, 100}, 11, 20, 30, cw, ch),
             (DevRect{120, 130, 180, 70}));
    // Right edge past the canvas: width canvas_w - x.
    QCOMPARE(codec::drag_resize({700, 100, 100, 100}, 23, 90, 0, cw, ch),
             (DevRect{700, 100, 115, 100}));
    // Bottom edge past the canvas.
    QCOMPARE(codec::drag_resize({0, 500, 100, 40}, 32, 0, 60, cw, ch), (DevRect{0, 500, 100, 48}));
    // Left edge to x = -40: x 0, right edge unchanged.
    QCOMPARE(codec::drag_resize({20, 100, 100, 100}, 21, -60, 0, cw, ch),
             (DevRect{0, 100, 120, 100}));
    QCOMPARE(codec::drag_resize({20, 30, 100, 100}, 12, 0, -50, cw, ch),
             (DevRect{20, 0, 100, 130}));
    // Edges dragged past the opposite edge stop 2 pixels short of it.
    QCOMPARE(codec::drag_resize({100, 100, 200, 100}, 23, -500, 0, cw, ch),
             (DevRect{100, 100, 2, 100}));
    QCOMPARE(codec::drag_resize({100, 100, 200, 100}, 21, 500, 0, cw, ch),
             (DevRect{298, 100, 2, 100}));
    QCOMPARE(codec::drag_resize({100, 100, 200, 100}, 13, 0, 400, cw, ch),
             (DevRect{100, 198, 200, 2}));
    QCOMPARE(codec::drag_resize({100, 100, 200, 100}, 33, -400, -400, cw, ch),
             (DevRect{100, 100, 2, 2}));
}

void TestLayoutCodec::texts()
{
    QCOMPARE(codec::tree_row_text(2, 0), QStringLiteral("WINS:WIN3:InA"));
    QCOMPARE(codec::tree_row_text(0, 3), QStringLiteral("WINS:WIN1:InD"));
    QCOMPARE(codec::tree_row_text(1, 9), QStringLiteral("WINS:WIN2:"));

    struct Row {
        int card, source, vga;
        const char *text;
    };
    const Row rows[] = {
        {0, 1, 0, "InA:CVBS-1"}, {0, 3, 0, "InA:HDMI-1"}, {0, 3, 1, "InA:VGA-1"},
        {0, 4, 0, "InA:SDI-1"},  {1, 1, 0, "InB:CVBS-2"}, {1, 3, 0, "InB:HDMI-4"},
        {1, 3, 1, "InB:VGA-2"},  {1, 4, 0, "InB:SDI-2"},  {2, 5, 0, "InC:HDMI-2"},
        {2, 6, 0, "InC:HDMI-3"}, {2, 7, 0, "InC:DP-1"},   {3, 5, 0, "InD:HDMI-5"},
        {3, 6, 0, "InD:HDMI-6"}, {3, 7, 0, "InD:DP-2"},   {0, 5, 0, ""},
        {0, 0, 0, ""},           {2, 3, 0, ""},           {3, 8, 0, ""},
    };
    for (const Row &r : rows) {
        QCOMPARE(codec::source_entry_text(r.card, r.source, r.vga), QString::fromLatin1(r.text));
    }
}

QTEST_APPLESS_MAIN(TestLayoutCodec)
#include "tst_layout_codec.moc"
