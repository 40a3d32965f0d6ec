// What a configuration file would change: the comparison of two sets of 2000
// values. Line numbers are literals from the file layout table.

#include <QtTest>

#include "maintenance/config_diff.h"

using codec::ConfigValues;
using codec::DiffArea;

namespace {

// `v` with the given lines set: pairs of line number and value.
ConfigValues with(ConfigValues v, std::initializer_list<int> pairs)
{
    for (auto it = pairs.begin(); it != pairs.end(); it += 2)
        v[size_t(*it)] = *(it + 1);
    return v;
}

// A device with a value in every line the tables below touch: InA and InB
// contrast, WIN2 brightness ("grey level"), WIN1 border size, WIN3 border
// colour, M0 WIN1 open, OutA DVI-2 grey red (value 1), M3 WIN2 output
// rectangle in wire order x, width, y, height, the resolution, and the
// switch effect of every mode.
ConfigValues device_values()
{
    ConfigValues v = with({}, {1,   50,  12,  50,  28,   128,  42,   3,    49,   128, 50,
                               128, 51,  128, 73,  1,    341,  128,  742,  600,  743, 2640,
                               744, 200, 745, 600, 1997, 1920, 1998, 1080, 1999, 6});
    for (int m = 0; m < 16; ++m)
        for (int copy = 0; copy < 4; ++copy)
            v[size_t(60 + 17 * m + 9 + copy)] = 2;
    return v;
}

} // namespace

class TestConfigDiff : public QObject
{
    Q_OBJECT

private slots:
    void compare();
};

// One line changed at a time, then several lines of one meaning.
void TestConfigDiff::compare()
{
    const struct {
        int line, value;
        DiffArea area;
        const char *text;
    } rows[] = {
        {12, 55, DiffArea::InputCards, "InB · picture · contrast 50 → 55"},
        {28, 140, DiffArea::WindowPicture, "WIN2 · grey level 128 → 140"},
        {49, 255, DiffArea::Borders, "WIN3 · border colour (128, 128, 128) → (255, 128, 128)"},
        {53, 7, DiffArea::Borders, "WIN4 · border off → on"},
        {742, 0, DiffArea::DisplayModes,
         "M3 · WIN2 · output rectangle (600, 200, 2640, 600) → (0, 200, 2640, 600)"},
        {60 + 17 * 5 + 2, 1, DiffArea::DisplayModes, "M5 · WIN3 · source InA → InB"},
        // The effect kept by the import.
        {327, 3, DiffArea::DisplayModes, "switch effect 2 → 3"},
        {341, 140, DiffArea::OutputPorts, "OutA DVI-2 · grey level red 128 → 140"},
        {400, 90, DiffArea::OutputPorts, "OutB · brightness 0 → 90"},
        {447, 1920, DiffArea::LedWalls,
         "M0 · OutB DVI-1 · LED output rectangle (0, 0, 0, 0) → (0, 0, 1920, 0)"},
        {1999, 17, DiffArea::Resolution, "output resolution 1920x1080@60Hz → 2048x1200@50Hz"},
    };
    const ConfigValues device = device_values();
    for (const auto &r : rows) {
        const QVector<codec::ConfigChange> changes =
            codec::compare_config(device, with(device, {r.line, r.value}));
        // The texts, then the count of every area.
        QStringList got, expected{QString::fromUtf8(r.text)};
        for (const codec::ConfigChange &c : changes)
            got << c.line(true);
        for (int a = 0; a < codec::kDiffAreaCount; ++a) {
            got << QString::number(codec::count_changes(changes, DiffArea(a)));
            expected << QString::number(DiffArea(a) == r.area);
        }
        QCOMPARE(got, expected);
    }
    // Lines that count for nothing, as the device would hold them: a value
    // unchanged, an effect copy the import overwrites, zero by layout, a flag
    // written as 5, a byte beyond 255 sent as its low 8 bits, a negative
    // rectangle value sent as 0, a custom size beside a preset format.
    const std::pair<int, int> unchanged[] = {
        {1, 50}, {60 + 17 * 4 + 10, 3}, {37, 9}, {73, 5}, {1, 50 + 256}, {446, -5}, {1997, 2000}};
    for (const auto &[line, value] : unchanged)
        QVERIFY2(codec::compare_config(device, with(device, {line, value})).isEmpty(),
                 qPrintable(QString::number(line)));

    // All four lines of one rectangle, the three of a border colour and the
    // four of a layer order: three changes.
    const int layers = 60 + 17 * 7 + 4;
    const QVector<codec::ConfigChange> changes = codec::compare_config(
        device, with(device, {742, 0, 743, 1920, 744,    0, 745,        1080, 49,         0,
                              50,  0, 51,  0,    layers, 3, layers + 1, 2,    layers + 2, 1}));
    QCOMPARE(changes.size(), 3);
    QCOMPARE(codec::count_changes(changes, DiffArea::DisplayModes), 2);
    QCOMPARE(codec::count_changes(changes, DiffArea::Borders), 1);
    QCOMPARE(changes[1].line(true), QStringLiteral("M3 · WIN2 · output rectangle (600, 200, 2640, "
                                                   "600) → (0, 0, 1920, 1080)"));
    QCOMPARE(changes[2].line(true), QStringLiteral("M7 · layer order (0, 0, 0, 0) → (3, 2, 1, 0)"));

    // With the custom format only the custom size is compared.
    const ConfigValues custom = with(device, {1999, 9});
    QCOMPARE(codec::compare_config(custom, with(custom, {1997, 2000})).value(0).line(false),
             QStringLiteral("输出分辨率 1920x1080（自定义） → 2000x1080（自定义）"));
    QCOMPARE(codec::compare_config(device, with(device, {73, 0})).value(0).line(false),
             QStringLiteral("M0 · WIN1 开启 → 关闭"));
}

QTEST_MAIN(TestConfigDiff)
#include "tst_config_diff.moc"
