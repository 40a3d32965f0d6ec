// The shared records: values at start-up, the reset before a read-back and the
// default window layouts.

#include <QtTest>

#include "device/device_data.h"

Q_DECLARE_METATYPE(DevRect)

class TestDeviceData : public QObject
{
    Q_OBJECT

private slots:
    void start_up_values();
    void reset_values();
    void reset_keeps_what_it_does_not_own();
    void default_layouts_data();
    void default_layouts();
};

void TestDeviceData::start_up_values()
{
    const DeviceData d;
    QCOMPARE(d.device_id, 1);
    QCOMPARE(d.device_ip, QStringLiteral("192.168.1.100"));
    QCOMPARE(d.lang_english, uint8_t(0));
    QCOMPARE(d.custom_res_w, 1920);
    QCOMPARE(d.custom_res_h, 1080);
    QCOMPARE(d.canvas_ref_w, 3840);
    QCOMPARE(d.canvas_ref_h, 2160);
    QCOMPARE(d.in_frame_w, 3840);
    QCOMPARE(d.in_frame_h, 2160);
    QCOMPARE(d.out_res_w, 0);
    QCOMPARE(d.out_res_h, 0);
    QCOMPARE(d.single_canvas.w, 526);
    QCOMPARE(d.single_canvas.h, 450);
    // Nothing is open and every rectangle is empty until a read-back.
    for (const ModeData &m : d.mode_data) {
        QVERIFY(m.win_layers.isEmpty());
        for (int w = 0; w < kWindowCount; ++w) {
            QCOMPARE(m.win_open[w], uint8_t(0));
            QCOMPARE(m.win_in[w], DevRect{});
            QCOMPARE(m.win_out[w], DevRect{});
            QCOMPARE(m.win_canvas[w], DevRect{});
        }
        for (int i = 0; i < 8; ++i)
            QCOMPARE(m.led_screen[i], 0);
    }
}

void TestDeviceData::reset_values()
{
    DeviceData d;
    d.mode_data[7].win_layers = {0, 1};
    d.mode_data[7].win_open[2] = 1;
    d.mode_data[7].win_source[3] = 3;
    d.mode_data[7].out_total_w = 7680;
    d.mode_data[7].win_canvas[1] = {1, 2, 3, 4};
    d.reset_device_data();
    for (const ModeData &m : d.mode_data) {
        QCOMPARE(m.win_layers, (QVector<int32_t>{3, 2, 1, 0}));
        QCOMPARE(m.out_total_w, 0);
        QCOMPARE(m.out_total_h, 0);
        for (int w = 0; w < kWindowCount; ++w) {
            QCOMPARE(m.win_open[w], uint8_t(0));
            QCOMPARE(m.win_source[w], 0);
            QCOMPARE(m.win_canvas[w], DevRect{});
        }
    }
    for (const Adjust &a : d.in_adjust)
        QVERIFY(a.brightness == 50 && a.contrast == 50 && a.colour == 50);
    for (int w = 0; w < kWindowCount; ++w) {
        QVERIFY(d.win_adjust[w].brightness == 128 && d.win_adjust[w].contrast == 128 &&
                d.win_adjust[w].colour == 128);
        const WinFrame &f = d.win_frame[w];
        QVERIFY(f.on == 0 && f.red == 128 && f.green == 128 && f.blue == 128 && f.size == 3);
    }
    // Reset twice still leaves exactly four entries.
    d.reset_device_data();
    QCOMPARE(d.mode_data[0].win_layers.size(), 4);
}

void TestDeviceData::reset_keeps_what_it_does_not_own()
{
    DeviceData d;
    d.win_adjust[4] = {9, 8, 7};
    d.pip_rect[1].sub = {10, 20, 30, 40};
    d.out_light[1] = {1, 2, 3};
    d.port_quality[1][2][8] = 77;
    d.mode_data[4].win_out[1] = {5, 6, 7, 8};
    d.mode_data[4].unit_rect[1][3] = {1, 1, 1, 1};
    d.reset_device_data();
    QCOMPARE(d.win_adjust[4].contrast, 8);
    QCOMPARE(d.pip_rect[1].sub, (DevRect{10, 20, 30, 40}));
    QCOMPARE(d.out_light[1].colour, 3);
    QCOMPARE(d.port_quality[1][2][8], 77);
    QCOMPARE(d.mode_data[4].win_out[1], (DevRect{5, 6, 7, 8}));
    QCOMPARE(d.mode_data[4].unit_rect[1][3], (DevRect{1, 1, 1, 1}));
}

void TestDeviceData::default_layouts_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("window");
    QTest::addColumn<DevRect>("out");
    // Mode 0 and modes 3..15: one full window with three overlays.
    QTest::newRow("M0 WIN1") << 0 << 0 << DevRect{0, 0, 3840, 2160};
    QTest::newRow("M0 WIN2") << 0 << 1 << DevRect{600, 200, 2640, 600};
    QTest::newRow("M3 WIN3") << 3 << 2 << DevRect{600, 1360, 800, 600};
    QTest::newRow("M15 WIN4") << 15 << 3 << DevRect{2440, 1360, 800, 600};
    // Mode 1: a cascade.
    QTest::newRow("M1 WIN1") << 1 << 0 << DevRect{900, 0, 2940, 1560};
    QTest::newRow("M1 WIN2") << 1 << 1 << DevRect{600, 200, 2940, 1560};
    QTest::newRow("M1 WIN3") << 1 << 2 << DevRect{300, 400, 2940, 1560};
    QTest::newRow("M1 WIN4") << 1 << 3 << DevRect{0, 600, 2940, 1560};
    // Mode 2: four quarters.
    QTest::newRow("M2 WIN1") << 2 << 0 << DevRect{0, 0, 1920, 1080};
    QTest::newRow("M2 WIN2") << 2 << 1 << DevRect{1920, 0, 1920, 1080};
    QTest::newRow("M2 WIN3") << 2 << 2 << DevRect{0, 1080, 1920, 1080};
    QTest::newRow("M2 WIN4") << 2 << 3 << DevRect{1920, 1080, 1920, 1080};
}

void TestDeviceData::default_layouts()
{
    QFETCH(int, mode);
    QFETCH(int, window);
    QFETCH(DevRect, out);
    DeviceData d;
    d.load_default_layouts();
    QCOMPARE(d.mode_data[mode].win_out[window], out);
    // Windows 1 and 2 crop the full 4K picture, windows 3 and 4 the full HD one.
    const DevRect crop = window < 2 ? DevRect{0, 0, 3840, 2160} : DevRect{0, 0, 1920, 1080};
    QCOMPARE(d.mode_data[mode].win_in[window], crop);
}

QTEST_APPLESS_MAIN(TestDeviceData)
#include "tst_device_data.moc"
