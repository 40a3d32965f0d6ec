// The shared records: what the reset before a read-back sets and what it must
// leave alone, and the default window layouts.

#include <QtTest>

#include "device/device_data.h"

Q_DECLARE_METATYPE(DevRect)

class TestDeviceData : public QObject
{
    Q_OBJECT

private slots:
    void reset();
    void default_layouts_data();
    void default_layouts();
};

void TestDeviceData::reset()
{
    DeviceData d;
    d.mode_data[7].win_layers = {0, 1};
    d.mode_data[7].win_open[2] = 1;
    d.mode_data[7].win_source[3] = 3;
    d.mode_data[7].out_total_w = 7680;
    d.mode_data[7].win_canvas[1] = {1, 2, 3, 4};
    // Not the reset's business: values only a read reply or the operator sets.
    d.win_adjust[4] = {9, 8, 7};
    d.pip_rect[1].sub = {10, 20, 30, 40};
    d.port_quality[1][2][8] = 77;
    d.mode_data[4].win_out[1] = {5, 6, 7, 8};
    d.mode_data[4].unit_rect[1][3] = {1, 1, 1, 1};
    d.reset_device_data();
    d.reset_device_data(); // twice still leaves exactly four layers
    const ModeData &m = d.mode_data[7];
    QCOMPARE(m.win_layers, (QVector<int32_t>{3, 2, 1, 0}));
    QCOMPARE(d.mode_data[0].win_layers, (QVector<int32_t>{3, 2, 1, 0}));
    QCOMPARE(m.win_open[2] + m.win_source[3] + m.out_total_w, 0);
    QCOMPARE(m.win_canvas[1], DevRect{});
    QCOMPARE(d.in_adjust[1].contrast, 50);
    QCOMPARE(d.win_adjust[3].colour, 128);
    const WinFrame &f = d.win_frame[3];
    QCOMPARE(QVector<int>({f.on, f.red, f.green, f.blue, f.size}),
             (QVector<int>{0, 128, 128, 128, 3}));

    QCOMPARE(d.win_adjust[4].contrast, 8);
    QCOMPARE(d.pip_rect[1].sub, (DevRect{10, 20, 30, 40}));
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
    QTest::newRow("M0 WIN2") << 0 << 1 << DevRect{600, 200, 2640, 600};
    QTest::newRow("M3 WIN3") << 3 << 2 << DevRect{600, 1360, 800, 600};
    QTest::newRow("M15 WIN4") << 15 << 3 << DevRect{2440, 1360, 800, 600};
    // Mode 1: a cascade; mode 2: four quarters.
    QTest::newRow("M1 WIN1") << 1 << 0 << DevRect{900, 0, 2940, 1560};
    QTest::newRow("M1 WIN4") << 1 << 3 << DevRect{0, 600, 2940, 1560};
    QTest::newRow("M2 WIN2") << 2 << 1 << DevRect{1920, 0, 1920, 1080};
    QTest::newRow("M2 WIN3") << 2 << 2 << DevRect{0, 1080, 1920, 1080};
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
