// The fast mosaic editor's arithmetic: canvas sizes, the unit size rule, the
// edge snap of dragged units and the edge-corrected port rectangles. Expected
// values are worked out by hand from the rules, never by the code under test.

#include <QtTest>

#include <memory>

#include "output/mosaic/mosaic_codec.h"

Q_DECLARE_METATYPE(DevRect)

class TestMosaicCodec : public QObject
{
    Q_OBJECT

private slots:
    void canvas_size_data();
    void canvas_size();
    void unit_size_limit_data();
    void unit_size_limit();
    void wall_to_canvas();
    void wall_position_data();
    void wall_position();
    void clamp_to_canvas();
    void derive_edge_corrected_data();
    void derive_edge_corrected();
    void wall_total_follows_wall_mode();
};

void TestMosaicCodec::canvas_size_data()
{
    QTest::addColumn<int>("wall_w");
    QTest::addColumn<int>("wall_h");
    QTest::addColumn<int>("res_w");
    QTest::addColumn<int>("res_h");
    QTest::addColumn<int>("canvas_w");
    QTest::addColumn<int>("canvas_h");
    // Taller than wide: 550 high, 550 * 1920 / 3840 wide.
    QTest::newRow("1920x3840") << 1920 << 3840 << 1920 << 1080 << 275 << 550;
    // Wide: 940 wide, 940 * 1080 / 7680 = 132.19 high.
    QTest::newRow("7680x1080") << 7680 << 1080 << 1920 << 1080 << 940 << 132;
    QTest::newRow("square") << 2000 << 2000 << 1920 << 1080 << 550 << 550;
    // Same shape as the resolution: not relatively taller, 940 * 2160 / 3840 = 528.75.
    QTest::newRow("3840x2160") << 3840 << 2160 << 1920 << 1080 << 940 << 528;
    // Wider than high but relatively taller than 1920 x 1080 (1.85 > 1.5625).
    QTest::newRow("3000x2000") << 3000 << 2000 << 1920 << 1080 << 825 << 550;
    QTest::newRow("no resolution") << 3840 << 1080 << 0 << 0 << 940 << 264;
    QTest::newRow("no width") << 0 << 1080 << 1920 << 1080 << 0 << 0;
    QTest::newRow("no height") << 1920 << 0 << 1920 << 1080 << 0 << 0;
}

void TestMosaicCodec::canvas_size()
{
    QFETCH(int, wall_w);
    QFETCH(int, wall_h);
    QFETCH(int, res_w);
    QFETCH(int, res_h);
    const SizePair c = codec::mosaic_canvas_size({wall_w, wall_h}, res_w, res_h);
    QTEST(c.w, "canvas_w");
    QTEST(c.h, "canvas_h");
}

void TestMosaicCodec::unit_size_limit_data()
{
    QTest::addColumn<int>("wall_w");
    QTest::addColumn<int>("wall_h");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    // Output resolution 1920 x 1080 throughout; the four cases in their order.
    QTest::newRow("narrow and tall") << 1000 << 3000 << 1000 << 1080;
    QTest::newRow("wide and low") << 3000 << 1000 << 1920 << 1000;
    QTest::newRow("smaller both ways") << 1000 << 500 << 1000 << 500;
    QTest::newRow("larger both ways") << 7680 << 2160 << 1920 << 1080;
    // Narrow but exactly as high: none of the first three cases holds.
    QTest::newRow("narrow, equal height") << 1000 << 1080 << 1920 << 1080;
}

void TestMosaicCodec::unit_size_limit()
{
    QFETCH(int, wall_w);
    QFETCH(int, wall_h);
    const SizePair s = codec::unit_size_limit({wall_w, wall_h}, 1920, 1080);
    QTEST(s.w, "w");
    QTEST(s.h, "h");
}

void TestMosaicCodec::wall_to_canvas()
{
    // 7680 x 1080 on 940 x 132: 1920 * 940 / 7680 = 235, 1080 * 132 / 1080 = 132.
    QCOMPARE(codec::wall_to_canvas({1920, 0, 1920, 1080}, {940, 132}, {7680, 1080}),
             (DevRect{235, 0, 235, 132}));
    // 1000 * 940 / 3000 = 313.33 and 333 * 550 / 1000 = 183.15, truncated.
    QCOMPARE(codec::wall_to_canvas({1000, 333, 1000, 333}, {940, 550}, {3000, 1000}),
             (DevRect{313, 183, 313, 183}));
    QCOMPARE(codec::wall_to_canvas({10, 10, 100, 100}, {0, 0}, {0, 0}), (DevRect{0, 0, 0, 0}));
}

void TestMosaicCodec::wall_position_data()
{
    QTest::addColumn<int>("canvas_pos");
    QTest::addColumn<int>("canvas_len");
    QTest::addColumn<int>("extent");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("wall_len");
    QTest::addColumn<int>("expected");
    // 300 * 7680 / 940 = 2451.06.
    QTest::newRow("inside") << 300 << 235 << 940 << 7680 << 1920 << 2451;
    QTest::newRow("origin") << 0 << 235 << 940 << 7680 << 1920 << 0;
    // Touching the far edge: 7000 - 2333, where 627 * 7000 / 940 would give 4669.
    QTest::newRow("right edge") << 627 << 313 << 940 << 7000 << 2333 << 4667;
    QTest::newRow("one short of the edge") << 626 << 313 << 940 << 7000 << 2333 << 4661;
    QTest::newRow("no canvas") << 0 << 0 << 0 << 0 << 100 << 0;
}

void TestMosaicCodec::wall_position()
{
    QFETCH(int, canvas_pos);
    QFETCH(int, canvas_len);
    QFETCH(int, extent);
    QFETCH(int, total);
    QFETCH(int, wall_len);
    QTEST(codec::wall_position(canvas_pos, canvas_len, extent, total, wall_len), "expected");
}

void TestMosaicCodec::clamp_to_canvas()
{
    QCOMPARE(codec::clamp_to_canvas(-10, 100, 940), 0);
    QCOMPARE(codec::clamp_to_canvas(900, 100, 940), 840);
    QCOMPARE(codec::clamp_to_canvas(50, 100, 940), 50);
}

void TestMosaicCodec::derive_edge_corrected_data()
{
    QTest::addColumn<DevRect>("unit");
    QTest::addColumn<DevRect>("on_canvas");
    QTest::addColumn<int>("canvas_w");
    QTest::addColumn<int>("canvas_h");
    QTest::addColumn<int>("wall_w");
    QTest::addColumn<int>("wall_h");
    QTest::addColumn<DevRect>("in");
    // Input frame 3840 x 2160 throughout.
    // Right half of a 3840 x 1080 wall, touching both far edges.
    QTest::newRow("right half") << DevRect{1920, 0, 1920, 1080} << DevRect{470, 0, 470, 132} << 940
                                << 132 << 3840 << 1080 << DevRect{1920, 0, 1920, 2160};
    // At the right edge of a 7000 wide wall: x 4667 * 3840 / 7000 = 2560.27, and the
    // width runs to 3840 instead of 2333 * 3840 / 7000 = 1279.8.
    QTest::newRow("right edge rounding")
        << DevRect{4667, 0, 2333, 500} << DevRect{627, 0, 313, 67} << 940 << 134 << 7000 << 1000
        << DevRect{2560, 0, 1280, 1080};
    // Away from the edges the plain rule: 1000 * 3840 / 3000 = 1280, 1 * 3840 / 7680 = 0.
    QTest::newRow("inside") << DevRect{1, 0, 1000, 500} << DevRect{0, 0, 122, 68} << 940 << 136
                            << 7680 << 1000 << DevRect{0, 0, 500, 1080};
    QTest::newRow("width 1000 of 3000") << DevRect{0, 0, 1000, 500} << DevRect{0, 0, 313, 275}
                                        << 940 << 550 << 3000 << 1000 << DevRect{0, 0, 1280, 1080};
    QTest::newRow("wall without size") << DevRect{0, 0, 1000, 500} << DevRect{0, 0, 0, 0} << 0 << 0
                                       << 0 << 0 << DevRect{0, 0, 0, 0};
}

void TestMosaicCodec::derive_edge_corrected()
{
    QFETCH(DevRect, unit);
    QFETCH(DevRect, on_canvas);
    QFETCH(int, canvas_w);
    QFETCH(int, canvas_h);
    QFETCH(int, wall_w);
    QFETCH(int, wall_h);
    const codec::PortRects r = codec::derive_edge_corrected(unit, on_canvas, {canvas_w, canvas_h},
                                                            {wall_w, wall_h}, 3840, 2160);
    QTEST(r.input, "in");
    QCOMPARE(r.output, (DevRect{0, 0, unit.w, unit.h}));
}

void TestMosaicCodec::wall_total_follows_wall_mode()
{
    auto d = std::make_unique<DeviceData>();
    d->mode_data[5].out_total_w = 7680;
    d->mode_data[5].out_total_h = 1080;
    d->mode_data[5].wall_size[2] = {3000, 1000};
    d->single_canvas = {940, 132};
    d->wall_canvas[2] = {940, 313};
    QCOMPARE(codec::mosaic_wall_total(*d, 5, 2).w, 7680);
    QCOMPARE(codec::mosaic_wall_canvas(*d, 2).h, 132);
    d->mosaic_on = 1;
    QCOMPARE(codec::mosaic_wall_total(*d, 5, 2).w, 3000);
    QCOMPARE(codec::mosaic_wall_canvas(*d, 2).h, 313);
}

QTEST_APPLESS_MAIN(TestMosaicCodec)
#include "tst_mosaic_codec.moc"
