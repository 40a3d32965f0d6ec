// What a configuration file would change: the comparison of two sets of 2000
// values. Line numbers are literals from the file layout table.

#include <QtTest>

#include "maintenance/config_diff.h"

using codec::ConfigValues;
using codec::DiffArea;

namespace {

constexpr int kNoChange = -1;

// A device with a value in every line the table below touches.
ConfigValues device_values()
{
    ConfigValues v{};
    v[1] = 50;  // InA contrast
    v[12] = 50; // InB contrast
    v[28] = 128; // WIN2 brightness ("grey level")
    v[42] = 3;   // WIN1 border size
    v[49] = v[50] = v[51] = 128; // WIN3 border red, green, blue
    for (int m = 0; m < 16; ++m)
        for (int copy = 0; copy < 4; ++copy)
            v[size_t(60 + 17 * m + 9 + copy)] = 2; // switch effect
    v[73] = 1; // M0 WIN1 open
    v[341] = 128; // OutA DVI-2 grey red (value 1)
    // M3 WIN2 output rectangle, wire order x, width, y, height.
    v[742] = 600;
    v[743] = 2640;
    v[744] = 200;
    v[745] = 600;
    v[1997] = 1920;
    v[1998] = 1080;
    v[1999] = 6;
    return v;
}

} // namespace

class TestConfigDiff : public QObject
{
    Q_OBJECT

private slots:
    void single_line_data();
    void single_line();
    void one_change_per_meaning();
};

void TestConfigDiff::single_line_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("area"); // kNoChange: the line must not count
    QTest::addColumn<QString>("text");

    const auto row = [](const char *name, int line, int value, int area, const char *text) {
        QTest::newRow(name) << line << value << area << QString::fromUtf8(text);
    };
    const auto none = [](const char *name, int line, int value) {
        QTest::newRow(name) << line << value << kNoChange << QString();
    };
    row("input card", 12, 55, int(DiffArea::InputCards), "InB · picture · contrast 50 → 55");
    row("window picture", 28, 140, int(DiffArea::WindowPicture), "WIN2 · grey level 128 → 140");
    row("border colour", 49, 255, int(DiffArea::Borders),
        "WIN3 · border colour (128, 128, 128) → (255, 128, 128)");
    row("border flag", 53, 7, int(DiffArea::Borders), "WIN4 · border off → on");
    row("window rectangle", 742, 0, int(DiffArea::DisplayModes),
        "M3 · WIN2 · output rectangle (600, 200, 2640, 600) → (0, 200, 2640, 600)");
    row("window source", 60 + 17 * 5 + 2, 1, int(DiffArea::DisplayModes),
        "M5 · WIN3 · source InA → InB");
    row("effect kept by the import", 327, 3, int(DiffArea::DisplayModes),
        "switch effect 2 → 3");
    row("port value", 341, 140, int(DiffArea::OutputPorts),
        "OutA DVI-2 · grey level red 128 → 140");
    row("output card value", 400, 90, int(DiffArea::OutputPorts), "OutB · brightness 0 → 90");
    row("LED rectangle", 447, 1920, int(DiffArea::LedWalls),
        "M0 · OutB DVI-1 · LED output rectangle (0, 0, 0, 0) → (0, 0, 1920, 0)");
    row("resolution", 1999, 17, int(DiffArea::Resolution),
        "output resolution 1920x1080@60Hz → 2048x1200@50Hz");

    none("zero by layout", 37, 9);
    none("effect copy the import overwrites", 60 + 17 * 4 + 10, 3);
    none("flag written as 5", 73, 5);
    none("byte beyond 255 sent as its low 8 bits", 1, 50 + 256);
    none("negative rectangle value sent as 0", 446, -5);
    none("custom size of a preset format", 1997, 2000);
}

void TestConfigDiff::single_line()
{
    QFETCH(int, line);
    QFETCH(int, value);
    QFETCH(int, area);
    QFETCH(QString, text);

    const ConfigValues device = device_values();
    ConfigValues file = device;
    file[size_t(line)] = value;
    const QVector<codec::ConfigChange> changes = codec::compare_config(device, file);
    if (area == kNoChange) {
        QVERIFY2(changes.isEmpty(), qPrintable(changes.value(0).line(true)));
        return;
    }
    QCOMPARE(changes.size(), 1);
    QCOMPARE(int(changes[0].area), area);
    QCOMPARE(changes[0].line(true), text);
    for (int a = 0; a < codec::kDiffAreaCount; ++a)
        QCOMPARE(codec::count_changes(changes, DiffArea(a)), a == area ? 1 : 0);
}

void TestConfigDiff::one_change_per_meaning()
{
    const ConfigValues device = device_values();
    QVERIFY(codec::compare_config(device, device).isEmpty());

    ConfigValues file = device;
    // All four lines of one rectangle, the three of a border colour and the
    // four of a layer order: three changes.
    file[742] = 0;
    file[743] = 1920;
    file[744] = 0;
    file[745] = 1080;
    file[49] = file[50] = file[51] = 0;
    for (int i = 0; i < 4; ++i)
        file[size_t(60 + 17 * 7 + 4 + i)] = 3 - i;
    const QVector<codec::ConfigChange> changes = codec::compare_config(device, file);
    QCOMPARE(changes.size(), 3);
    QCOMPARE(codec::count_changes(changes, DiffArea::DisplayModes), 2);
    QCOMPARE(codec::count_changes(changes, DiffArea::Borders), 1);
    QCOMPARE(changes[1].line(true), QStringLiteral("M3 · WIN2 · output rectangle (600, 200, 2640, "
                                                   "600) → (0, 0, 1920, 1080)"));
    QCOMPARE(changes[2].line(true), QStringLiteral("M7 · layer order (0, 0, 0, 0) → (3, 2, 1, 0)"));

    // With the custom format only the custom size is compared.
    ConfigValues custom = device;
    custom[1999] = 9;
    ConfigValues other = custom;
    other[1997] = 2000;
    QCOMPARE(codec::compare_config(custom, other).value(0).line(false),
             QStringLiteral("输出分辨率 1920x1080（自定义） → 2000x1080（自定义）"));
    file = device;
    file[73] = 0;
    QCOMPARE(codec::compare_config(device, file).value(0).line(false),
             QStringLiteral("M0 · WIN1 开启 → 关闭"));
}

QTEST_MAIN(TestConfigDiff)
#include "tst_config_diff.moc"
