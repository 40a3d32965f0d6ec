// The configuration file and the upload blocks, line and byte exact. Positions
// are literals from the layout tables, never recomputed by the code under test.

#include <QtTest>
#include <climits>
#include <numeric>

#include "device/codec.h"
#include "maintenance/maintenance_codec.h"

using codec::ConfigValues;

class TestMaintenanceCodec : public QObject
{
    Q_OBJECT

private slots:
    void file_lines_records_and_upload_blocks();
};

void TestMaintenanceCodec::file_lines_records_and_upload_blocks()
{
    // One line form per line, bytes of no text encoding too; a bad line must not
    // disturb its neighbours.
    const QByteArray text = "42\n12.7\n-12.7\nabc\n12abc\n \t42 \r\n+7\n5.\n.9\n1.2.3\n1e3\n-\n\n"
                            "\xff\x80\n1 2\n000123\n99999999999\n-99999999999\n1" +
                            QByteArray(1, '\0') + "2\n6";
    const QVector<int> read{42, 12, -12, 0, 0,   42,      7,       5, 0, 0, 0,
                            0,  0,  0,   0, 123, INT_MAX, INT_MIN, 0, 6, 0};
    ConfigValues v = codec::read_config_file(text);
    QCOMPARE(QVector<int>(v.begin(), v.begin() + read.size()), read);
    QCOMPARE(codec::read_config_file("\xEF\xBB\xBF-4\r\n8")[0], -4);

    // 10 MB lines are read, not feared.
    QCOMPARE(codec::read_config_file(QByteArray(10 << 20, '9'))[0], INT_MAX);
    QCOMPARE(codec::read_config_file(QByteArray(10 << 20, '7') + "x")[0], 0);

    v = ConfigValues{};
    v[0] = -5, v[2] = 1234, v[1999] = 65536;
    const QByteArray written = codec::write_config_file(v);
    QCOMPARE(written, "-5\n0\n1234\n" + QByteArray("0\n").repeated(1996) + "65536\n");
    QVERIFY(codec::read_config_file(written + "7\n8\n") == v); // lines past the 2000th are ignored

    // Line n holds 1000 + n, so every record value tells which line it came from.
    ConfigValues file;
    std::iota(file.begin(), file.end(), 1000);
    file[60 + 17 * 5 + 13] = 0; // mode 5 window 0 closed; the other flags are non-zero
    DeviceData d;
    d.mode_data[4].win_layers.clear(); // grown, never written past its end
    const codec::ImportPending pending = codec::parse_import_values(file, d);
    QCOMPARE((QVector<int>{pending.custom_w, pending.custom_h, pending.format}),
             (QVector<int>{2997, 2998, 2999}));

    // Rectangles x, width, y, height; window adjust entry 4 first; port values
    // 0, 1, 3, 2 and 4, 5, 7, 6; the effect from the last copy.
    const QVector<int> records = {
        d.pip_rect[0].main.w, d.pip_rect[0].main.y, d.win_adjust[4].brightness,
        d.win_frame[3].size, d.mode_data[4].win_layers[3], d.switch_effect,
        d.port_quality[0][1][7], d.port_quality[1][3][6], d.mode_data[0].led_in_rect[1][0].w,
        d.mode_data[2].win_out[1].w, d.mode_data[15].led_out_rect[1][3].h};
    QCOMPARE(records, (QVector<int>{1004, 1005, 1022, 1057, 1135, 1327, 1363, 1416, 1443, 1647, 2961}));

    // Exported again, the records give the file back with flags 0/1, every effect copy
    // the last one, the device's resolution (kept until the read-back), the zero lines.
    ConfigValues want = file;
    for (int w = 0; w < 4; ++w)
        want[size_t(38 + 5 * w)] = 1;
    for (int m = 0; m < 16; ++m)
        for (int k = 0; k < 4; ++k) {
            want[size_t(60 + 17 * m + 9 + k)] = 1327;
            want[size_t(60 + 17 * m + 13 + k)] = m == 5 && k == 0 ? 0 : 1;
        }
    for (int line : {37, 58, 59, 332, 333, 334, 352, 353, 354, 355, 373, 374, 375, 398, 399, 417,
                     418, 419, 425})
        want[size_t(line)] = 0;
    std::fill(want.begin() + 1962, want.begin() + 1997, 0);
    want[1997] = 1920, want[1998] = 1080, want[1999] = 0;
    const ConfigValues got = codec::export_values(d);
    for (size_t line = 0; line < got.size(); ++line)
        QVERIFY2(got[line] == want[line], qPrintable(QString::number(line)));

    const QByteArray blocks[] = {codec::build_frame(1, 192, codec::upload_input_payload(d)),
                                 codec::build_frame(1, 193, codec::upload_global_payload(d)),
                                 codec::build_frame(1, 194, codec::upload_mode_payload(d, 5))};
    // Header with length, the mode block's mode number, and the closing byte.
    const auto ends = [](const QByteArray &f, int n) { return (f.left(n) + f.right(1)).toHex(); };
    QCOMPARE((QByteArrayList{ends(blocks[0], 7), ends(blocks[1], 7), ends(blocks[2], 8)}),
             (QByteArrayList{"3a01040100c02e3a", "3a01040101c1193a", "3a01040100c2c9053a"}));

    // {block, frame byte, bytes, file line}: the line's value, 16-bit or its low 8 bits.
    static const int kBytes[][4] = {
        {0, 7, 1, 0},     {0, 9, 1, 2},     {0, 10, 2, 3},     {0, 12, 2, 4},    {0, 24, 2, 10},
        {0, 26, 1, 11},   {0, 43, 2, 21},   {1, 7, 1, 22},     {1, 8, 1, 25},    {1, 13, 1, 26},
        {1, 21, 1, 36},   {1, 23, 1, 39},   {1, 41, 1, 57},    {1, 62, 1, 94},   {1, 66, 1, 98},
        {1, 70, 1, 102},  {1, 195, 1, 318}, {1, 202, 1, 335},  {1, 205, 1, 338}, {1, 219, 1, 356},
        {1, 235, 1, 372}, {1, 236, 1, 376}, {1, 240, 1, 380},  {1, 241, 1, 381}, {1, 258, 1, 400},
        {1, 275, 1, 420}, {1, 279, 1, 424}, {2, 8, 2, 906},    {2, 24, 2, 930},  {2, 30, 2, 933},
        {2, 32, 2, 934},  {2, 72, 2, 914},  {2, 88, 2, 938},   {2, 96, 2, 942},  {2, 136, 2, 922},
        {2, 152, 2, 946}, {2, 166, 2, 953}, {2, 198, 2, 1001},
    };
    for (const auto &b : kBytes) {
        const QByteArray &f = blocks[b[0]];
        const int v = b[2] == 2 ? uint8_t(f[b[1]]) << 8 | uint8_t(f[b[1] + 1]) : uint8_t(f[b[1]]);
        QVERIFY2(v == (b[2] == 2 ? 1000 + b[3] : (1000 + b[3]) & 0xff),
                 qPrintable(QStringLiteral("block %1 byte %2").arg(b[0]).arg(b[1])));
    }
    QCOMPARE(int(blocks[1][22]), 1); // border on flag
    d.pip_rect[0].main.x = 70000;
    QCOMPARE(codec::upload_input_payload(d).mid(3, 2).toHex(), QByteArray("ffff"));

    // The last byte of a mode record: switch_effect x 240 + open mask, low 8 bits.
    d.switch_effect = 2;
    for (int w = 0; w < 4; ++w)
        d.mode_data[0].win_open[w] = w % 2 == 0, d.mode_data[7].win_open[w] = 1,
        d.mode_data[9].win_open[w] = w == 3;
    const QByteArray global = codec::upload_global_payload(d);
    QCOMPARE((QVector<int>{uint8_t(global[44]), uint8_t(global[114]), uint8_t(global[134])}),
             (QVector<int>{229, 239, 232})); // masks 5, 15 and 8

    // {file format, file width, file height, device format, matches, hint width,
    // hint height}; the device's custom size is 2048 x 1152.
    static const int kRows[][7] = {
        {6, 0, 0, 6, 1, 1920, 1080},       {1, 0, 0, 6, 0, 1440, 1440},
        {9, 2048, 1152, 6, 1, 2048, 1152}, {9, 1000, 500, 9, 0, 1000, 500},
        {9, 2048, 1080, 9, 0, 2048, 1080}, {24, 0, 0, 9, 0, 1200, 1960},
        {7, 0, 0, 6, 0, 0, 0},
    };
    for (const auto &r : kRows) {
        d.out_format = r[3], d.custom_res_w = 2048, d.custom_res_h = 1152;
        const codec::ImportPending p{r[0], r[1], r[2]};
        QCOMPARE(codec::import_resolution_matches(p, d), bool(r[4]));
        QCOMPARE(codec::import_hint_size(p), QSize(r[5], r[6]));
    }
}

QTEST_GUILESS_MAIN(TestMaintenanceCodec)
#include "tst_maintenance_codec.moc"
