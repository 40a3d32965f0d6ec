// The configuration file and the upload blocks, byte for byte: the tolerant
// reader, the writer, the file layout of the records and the blocks built
// from a file's values. Expected values are literals from the layout tables.

#include <QRandomGenerator>
#include <QtTest>

#include "device/codec.h"
#include "maintenance/maintenance_codec.h"

using codec::ConfigValues;

namespace {

// Records in which every carried field holds a value of its own.
DeviceData filled_records()
{
    DeviceData d;
    d.reset_device_data();
    for (int c = 0; c < 2; ++c) {
        d.in_adjust[c] = {10 + c, 20 + c, 30 + c};
        d.pip_rect[c].main = {100 + c, 110 + c, 120 + c, 130 + c};
        d.pip_rect[c].sub = {200 + c, 210 + c, 220 + c, 230 + c};
    }
    for (int e = 0; e < 5; ++e)
        d.win_adjust[e] = {40 + e, 50 + e, 60 + e};
    for (int w = 0; w < 4; ++w)
        d.win_frame[w] = {1, 70 + w, 80 + w, 90 + w, 2 + w};
    for (int m = 0; m < kModeCount; ++m) {
        ModeData &md = d.mode_data[m];
        for (int w = 0; w < 4; ++w) {
            md.win_source[w] = (m + w) % 4;
            md.win_layers[w] = (m + 3 - w) % 4;
            md.win_open[w] = (m >> w) & 1;
            md.win_in[w] = {1000 + m, 1100 + w, 1200 + m, 1300 + w};
            md.win_out[w] = {2000 + m, 2100 + w, 2200 + m, 2300 + w};
            for (int o = 0; o < 2; ++o) {
                md.led_in_rect[o][w] = {3000 + m, 3100 + w, 3200 + o, 3300};
                md.led_out_rect[o][w] = {4000 + m, 4100 + w, 4200 + o, 4300};
            }
        }
        md.layer_code = m + 1;
    }
    d.switch_effect = 3;
    for (int o = 0; o < 2; ++o) {
        d.out_light[o] = {140 + o, 150 + o, 160 + o};
        for (int p = 0; p < 4; ++p)
            for (int v = 0; v < 9; ++v)
                d.port_quality[o][p][v] = 100 * o + 10 * p + v;
    }
    d.custom_res_w = 2048;
    d.custom_res_h = 1152;
    d.out_format = 6;
    return d;
}

} // namespace

class TestMaintenanceCodec : public QObject
{
    Q_OBJECT

private slots:
    void reader_line_forms_data();
    void reader_line_forms();
    void reader_file_shapes();
    void reader_survives_junk_and_huge_files();
    void writer_layout();
    void export_lines_data();
    void export_lines();
    void export_zero_lines();
    void import_reverses_export_with_its_differences();
    void upload_block_bytes_data();
    void upload_block_bytes();
    void upload_frames();
    void resolution_check_data();
    void resolution_check();
};

void TestMaintenanceCodec::reader_line_forms_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("value");
    QTest::newRow("integer") << QByteArray("42") << 42;
    QTest::newRow("fraction truncated") << QByteArray("12.7") << 12;
    QTest::newRow("negative fraction toward zero") << QByteArray("-12.7") << -12;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("number then letters") << QByteArray("12abc") << 0;
    QTest::newRow("blanks and CR around") << QByteArray(" \t42 \r") << 42;
    QTest::newRow("plus sign") << QByteArray("+7") << 7;
    QTest::newRow("trailing point") << QByteArray("5.") << 5;
    QTest::newRow("fraction only") << QByteArray(".9") << 0;
    QTest::newRow("two points") << QByteArray("1.2.3") << 0;
    QTest::newRow("exponent is not read") << QByteArray("1e3") << 0;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("inner blank") << QByteArray("1 2") << 0;
    QTest::newRow("above 32 bits clamps") << QByteArray("99999999999") << 2147483647;
    QTest::newRow("below 32 bits clamps") << QByteArray("-99999999999") << int(-2147483648LL);
    QTest::newRow("leading zeros") << QByteArray("000123") << 123;
    QTest::newRow("nul inside") << QByteArray("1\0"
                                              "2",
                                              3)
                                << 0;
}

void TestMaintenanceCodec::reader_line_forms()
{
    QFETCH(QByteArray, line);
    QFETCH(int, value);
    // Line 1, between two good lines: a bad line must not disturb its neighbours.
    const ConfigValues v = codec::read_config_file("5\n" + line + "\n6\n");
    QCOMPARE(v[0], 5);
    QCOMPARE(v[1], value);
    QCOMPARE(v[2], 6);
    QCOMPARE(v[3], 0);
}

void TestMaintenanceCodec::reader_file_shapes()
{
    // Short file without a final line end: missing lines read 0.
    ConfigValues v = codec::read_config_file("1\n2\n3");
    QCOMPARE(v[0], 1);
    QCOMPARE(v[2], 3);
    QCOMPARE(v[3], 0);
    QCOMPARE(v[1999], 0);

    // Windows line ends and a byte-order mark in front.
    v = codec::read_config_file("\xEF\xBB\xBF-4\r\n8\r\n");
    QCOMPARE(v[0], -4);
    QCOMPARE(v[1], 8);

    // An empty line is a line: it reads 0 and keeps the numbering.
    v = codec::read_config_file("1\n\n3\n");
    QCOMPARE(v[1], 0);
    QCOMPARE(v[2], 3);

    // Lines past the 2000th are ignored.
    QByteArray text;
    for (int i = 0; i < 2500; ++i)
        text += QByteArray::number(i + 1) + '\n';
    v = codec::read_config_file(text);
    QCOMPARE(v[0], 1);
    QCOMPARE(v[1999], 2000);

    v = codec::read_config_file(QByteArray());
    QVERIFY(std::all_of(v.begin(), v.end(), [](int32_t x) { return x == 0; }));
}

void TestMaintenanceCodec::reader_survives_junk_and_huge_files()
{
    QRandomGenerator rng(1234);
    QByteArray junk(64 * 1024, '\0');
    for (char &c : junk)
        c = static_cast<char>(rng.bounded(256));
    junk.prepend("17\n");
    ConfigValues v = codec::read_config_file(junk);
    QCOMPARE(v[0], 17);

    // 10 MB in one line: one value, and it is not a number.
    v = codec::read_config_file(QByteArray(10 * 1024 * 1024, '7') + "x");
    QCOMPARE(v[0], 0);
    // 10 MB of digits in one line saturates instead of overflowing.
    v = codec::read_config_file(QByteArray(10 * 1024 * 1024, '9'));
    QCOMPARE(v[0], 2147483647);
    // 10 MB of short lines: the first 2000 count.
    QByteArray many;
    many.reserve(10 * 1024 * 1024);
    while (many.size() < 10 * 1024 * 1024)
        many += "-3.5\n";
    v = codec::read_config_file(many);
    QCOMPARE(v[0], -3);
    QCOMPARE(v[1999], -3);
}

void TestMaintenanceCodec::writer_layout()
{
    ConfigValues v{};
    v[0] = -5;
    v[2] = 1234;
    v[1999] = 65536;
    const QByteArray out = codec::write_config_file(v);
    QVERIFY(out.startsWith("-5\n0\n1234\n0\n"));
    QVERIFY(out.endsWith("\n0\n65536\n"));
    QCOMPARE(out.count('\n'), 2000);
    QVERIFY(!out.contains('\r'));
    QVERIFY(!out.contains(' '));
    // What the writer writes, the reader reads.
    QCOMPARE(codec::read_config_file(out), v);
}

void TestMaintenanceCodec::export_lines_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("value");
    // Values of filled_records() at the positions of the file table.
    QTest::newRow("card 0 brightness") << 0 << 10;
    QTest::newRow("card 0 main x") << 3 << 100;
    QTest::newRow("card 0 main width") << 4 << 120;
    QTest::newRow("card 0 main y") << 5 << 110;
    QTest::newRow("card 0 sub height") << 10 << 230;
    QTest::newRow("card 1 colour") << 13 << 31;
    QTest::newRow("card 1 sub x") << 18 << 201;
    QTest::newRow("adjust entry 4 brightness") << 22 << 44;
    QTest::newRow("adjust entry 4 colour") << 24 << 64;
    QTest::newRow("adjust window 0 brightness") << 25 << 40;
    QTest::newRow("adjust window 3 colour") << 36 << 63;
    QTest::newRow("border 0 on") << 38 << 1;
    QTest::newRow("border 0 red") << 39 << 70;
    QTest::newRow("border 3 size") << 57 << 5;
    QTest::newRow("mode 0 source 1") << 61 << 1;
    QTest::newRow("mode 0 layer 0") << 64 << 3;
    QTest::newRow("mode 0 layer code") << 68 << 1;
    QTest::newRow("mode 0 effect copy 1") << 69 << 3;
    QTest::newRow("mode 0 effect copy 4") << 72 << 3;
    QTest::newRow("mode 5 open 0") << 60 + 85 + 13 << 1;
    QTest::newRow("mode 5 open 1") << 60 + 85 + 14 << 0;
    QTest::newRow("mode 15 open 3") << 331 << 1;
    QTest::newRow("out 0 brightness") << 335 << 140;
    QTest::newRow("out 0 port 0 value 0") << 336 << 0;
    QTest::newRow("out 0 port 0 third is value 3") << 338 << 3;
    QTest::newRow("out 0 port 0 fourth is value 2") << 339 << 2;
    QTest::newRow("out 0 port 3 value 2") << 351 << 32;
    QTest::newRow("out 0 contrast") << 356 << 150;
    QTest::newRow("out 0 port 1 value 7") << 363 << 17;
    QTest::newRow("out 0 colour") << 376 << 160;
    QTest::newRow("out 0 port 3 value 8") << 380 << 38;
    QTest::newRow("out 1 brightness") << 381 << 141;
    QTest::newRow("out 1 port 0 value 3") << 384 << 103;
    QTest::newRow("out 1 contrast") << 400 << 151;
    QTest::newRow("out 1 port 3 value 6") << 416 << 136;
    QTest::newRow("out 1 colour") << 420 << 161;
    QTest::newRow("out 1 port 3 value 8") << 424 << 138;
    QTest::newRow("mode 0 win_in 0 x") << 426 << 1000;
    QTest::newRow("mode 0 win_in 0 width") << 427 << 1200;
    QTest::newRow("mode 0 win_in 0 y") << 428 << 1100;
    QTest::newRow("mode 0 win_out 0 x") << 430 << 2000;
    QTest::newRow("mode 0 led_in out 0 x") << 434 << 3000;
    QTest::newRow("mode 0 led_out out 0 y") << 440 << 4100;
    QTest::newRow("mode 0 led_in out 1 width") << 443 << 3201;
    QTest::newRow("mode 0 led_out out 1 height") << 449 << 4300;
    QTest::newRow("mode 2 index 1 win_out width") << 426 + 192 + 24 + 5 << 2202;
    QTest::newRow("mode 15 index 3 led_out out 1 height") << 1961 << 4300;
    QTest::newRow("custom width") << 1997 << 2048;
    QTest::newRow("custom height") << 1998 << 1152;
    QTest::newRow("format") << 1999 << 6;
}

void TestMaintenanceCodec::export_lines()
{
    QFETCH(int, line);
    QFETCH(int, value);
    QCOMPARE(codec::export_values(filled_records())[size_t(line)], value);
}

void TestMaintenanceCodec::export_zero_lines()
{
    const ConfigValues v = codec::export_values(filled_records());
    QList<int> zero = {37,  58,  59,  332, 333, 334, 352, 353, 354, 355,
                       373, 374, 375, 398, 399, 417, 418, 419, 425};
    for (int line = 1962; line <= 1996; ++line)
        zero.append(line);
    for (int line : zero)
        QVERIFY2(v[size_t(line)] == 0, qPrintable(QString::number(line)));
}

void TestMaintenanceCodec::import_reverses_export_with_its_differences()
{
    const DeviceData source = filled_records();
    ConfigValues v = codec::export_values(source);
    v[38] = 7;       // border 0 on: any non-zero is 1
    v[60 + 13] = -2; // mode 0 window 0 open
    v[60 + 9] = 1;   // the first copies of the effect do not count...
    v[327] = 2;      // ...only the last copy of mode 15
    v[1997] = 1000;
    v[1998] = 500;
    v[1999] = 9;

    DeviceData d;
    d.mode_data[4].win_layers.clear(); // never written past its end
    const codec::ImportPending pending = codec::parse_import_values(v, d);

    QCOMPARE(pending.custom_w, 1000);
    QCOMPARE(pending.custom_h, 500);
    QCOMPARE(pending.format, 9);
    // The device's own resolution fields stay as they were.
    QCOMPARE(d.custom_res_w, 1920);
    QCOMPARE(d.out_format, 0);

    QCOMPARE(d.win_frame[0].on, uint8_t(1));
    QCOMPARE(d.mode_data[0].win_open[0], uint8_t(1));
    QCOMPARE(d.switch_effect, 2);

    for (int c = 0; c < 2; ++c) {
        QCOMPARE(d.in_adjust[c].contrast, source.in_adjust[c].contrast);
        QCOMPARE(d.pip_rect[c].main, source.pip_rect[c].main);
        QCOMPARE(d.pip_rect[c].sub, source.pip_rect[c].sub);
    }
    for (int e = 0; e < 5; ++e)
        QCOMPARE(d.win_adjust[e].colour, source.win_adjust[e].colour);
    QCOMPARE(d.win_frame[3].size, source.win_frame[3].size);
    for (int m = 0; m < kModeCount; ++m) {
        const ModeData &a = d.mode_data[m];
        const ModeData &b = source.mode_data[m];
        QCOMPARE(a.win_layers, b.win_layers);
        QCOMPARE(a.layer_code, b.layer_code);
        for (int w = 0; w < 4; ++w) {
            QCOMPARE(a.win_source[w], b.win_source[w]);
            QCOMPARE(a.win_in[w], b.win_in[w]);
            QCOMPARE(a.win_out[w], b.win_out[w]);
            if (m > 0)
                QCOMPARE(a.win_open[w], b.win_open[w]);
            for (int o = 0; o < 2; ++o) {
                QCOMPARE(a.led_in_rect[o][w], b.led_in_rect[o][w]);
                QCOMPARE(a.led_out_rect[o][w], b.led_out_rect[o][w]);
            }
        }
    }
    for (int o = 0; o < 2; ++o) {
        QCOMPARE(d.out_light[o].colour, source.out_light[o].colour);
        for (int p = 0; p < 4; ++p)
            for (int x = 0; x < 9; ++x)
                QCOMPARE(d.port_quality[o][p][x], source.port_quality[o][p][x]);
    }
}

void TestMaintenanceCodec::upload_block_bytes_data()
{
    // A file line holding a value lands in a block at a frame byte position.
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    const auto row = [](const char *name, int line, int value, int command, int mode, int offset,
                        const char *hex) {
        QTest::newRow(name) << line << value << command << mode << offset
                            << QByteArray::fromHex(hex);
    };
    row("input card 0 brightness", 0, 77, 192, 0, 7, "4d");
    row("input low 8 bits only", 2, 300, 192, 0, 9, "2c");
    row("input card 0 main x", 3, 0x0102, 192, 0, 10, "0102");
    row("input card 0 main width", 4, 0x0304, 192, 0, 12, "0304");
    row("input card 0 sub height", 10, 1080, 192, 0, 24, "0438");
    row("input card 1 brightness", 11, 5, 192, 0, 26, "05");
    row("input card 1 sub height", 21, 0x1234, 192, 0, 43, "1234");
    row("input 16 bits clamp", 3, 70000, 192, 0, 10, "ffff");
    row("global adjust entry 4 first", 22, 11, 193, 0, 7, "0b");
    row("global adjust window 0 brightness", 25, 12, 193, 0, 8, "0c");
    row("global adjust window 0 contrast", 26, 13, 193, 0, 13, "0d");
    row("global adjust window 3 colour", 36, 14, 193, 0, 21, "0e");
    row("global border on becomes 1", 38, 9, 193, 0, 22, "01");
    row("global border 3 size", 57, 6, 193, 0, 41, "06");
    row("global mode 2 source 0", 94, 3, 193, 0, 62, "03");
    row("global mode 2 layer 0", 98, 2, 193, 0, 66, "02");
    row("global mode 2 layer code", 102, 23, 193, 0, 70, "17");
    row("global mode 15 source 3", 318, 1, 193, 0, 195, "01");
    row("global out 0 brightness", 335, 99, 193, 0, 202, "63");
    row("global out 0 port 0 third", 338, 7, 193, 0, 205, "07");
    row("global out 0 contrast", 356, 98, 193, 0, 219, "62");
    row("global out 0 port 3 last contrast", 372, 8, 193, 0, 235, "08");
    row("global out 0 colour", 376, 97, 193, 0, 236, "61");
    row("global out 0 port 3 colour", 380, 96, 193, 0, 240, "60");
    row("global out 1 brightness", 381, 95, 193, 0, 241, "5f");
    row("global out 1 contrast", 400, 94, 193, 0, 258, "5e");
    row("global out 1 colour", 420, 93, 193, 0, 275, "5d");
    row("global out 1 port 3 colour", 424, 92, 193, 0, 279, "5c");
    row("mode 5 number", 0, 0, 194, 5, 7, "05");
    row("mode 5 win_in 1 x", 930, 0x0a0b, 194, 5, 24, "0a0b");
    row("mode 5 win_in 1 height", 933, 0x0c0d, 194, 5, 30, "0c0d");
    row("mode 5 win_out 1 x", 934, 3840, 194, 5, 32, "0f00");
    row("mode 5 out 0 port 1 led_in x", 938, 0x0102, 194, 5, 88, "0102");
    row("mode 5 out 0 port 1 led_out x", 942, 0x0304, 194, 5, 96, "0304");
    row("mode 5 out 1 port 1 led_in x", 946, 0x0506, 194, 5, 152, "0506");
    row("mode 5 out 1 port 1 led_out height", 953, 0x0708, 194, 5, 166, "0708");
    row("mode 15 out 1 port 3 led_out height", 1961, 2160, 194, 15, 198, "0870");
    row("mode 0 win_in 0 x", 426, 0x0203, 194, 0, 8, "0203");
    row("mode 0 out 0 port 0 led_in x", 434, 0x0405, 194, 0, 72, "0405");
    row("mode 0 out 1 port 0 led_in x", 442, 0x0607, 194, 0, 136, "0607");
}

void TestMaintenanceCodec::upload_block_bytes()
{
    QFETCH(int, line);
    QFETCH(int, value);
    QFETCH(int, command);
    QFETCH(int, mode);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    ConfigValues v{};
    v[size_t(line)] = value;
    DeviceData d;
    d.reset_device_data();
    codec::parse_import_values(v, d);
    QByteArray payload;
    if (command == 192)
        payload = codec::upload_input_payload(d);
    else if (command == 193)
        payload = codec::upload_global_payload(d);
    else
        payload = codec::upload_mode_payload(d, mode);
    const QByteArray frame = codec::build_frame(1, uint8_t(command), payload);
    QCOMPARE(frame.mid(offset, bytes.size()).toHex(), bytes.toHex());
}

void TestMaintenanceCodec::upload_frames()
{
    DeviceData d = filled_records();
    // Lengths and headers of the four commands.
    QCOMPARE(codec::build_frame(1, 192, codec::upload_input_payload(d)).left(7).toHex(),
             QByteArray("3a01040100c02e"));
    QCOMPARE(codec::build_frame(1, 193, codec::upload_global_payload(d)).size(), 281);
    QCOMPARE(codec::build_frame(1, 193, codec::upload_global_payload(d)).left(7).toHex(),
             QByteArray("3a01040101c119"));
    QCOMPARE(codec::build_frame(1, 194, codec::upload_mode_payload(d, 3)).left(8).toHex(),
             QByteArray("3a01040100c2c903"));
    QCOMPARE(codec::build_frame(1, 195, {}).toHex(), QByteArray("3a01040100c3083a"));

    // The last byte of each mode record: switch_effect x 240 + open mask, low 8 bits.
    const auto last_byte = [&d](int mode) {
        return uint8_t(codec::build_frame(1, 193, codec::upload_global_payload(d))[51 + 10 * mode]);
    };
    d.switch_effect = 2;
    for (int w = 0; w < 4; ++w)
        d.mode_data[0].win_open[w] = uint8_t(w == 0 || w == 2); // mask 5
    QCOMPARE(last_byte(0), uint8_t(229));                       // (480 + 5) mod 256
    d.switch_effect = 3;
    for (int w = 0; w < 4; ++w)
        d.mode_data[7].win_open[w] = 1;   // mask 15
    QCOMPARE(last_byte(7), uint8_t(223)); // (720 + 15) mod 256
    d.switch_effect = 0;
    for (int w = 0; w < 4; ++w)
        d.mode_data[9].win_open[w] = uint8_t(w == 3);
    QCOMPARE(last_byte(9), uint8_t(8));
}

void TestMaintenanceCodec::resolution_check_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("file_w");
    QTest::addColumn<int>("file_h");
    QTest::addColumn<int>("device_format");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<QSize>("hint");
    // The device has custom size 2048 x 1152 in every row.
    QTest::newRow("same preset") << 6 << 0 << 0 << 6 << true << QSize(1920, 1080);
    QTest::newRow("other preset") << 1 << 0 << 0 << 6 << false << QSize(1440, 1440);
    QTest::newRow("custom compares only the size")
        << 9 << 2048 << 1152 << 6 << true << QSize(2048, 1152);
    QTest::newRow("custom of another size") << 9 << 1000 << 500 << 9 << false << QSize(1000, 500);
    QTest::newRow("custom height differs") << 9 << 2048 << 1080 << 9 << false << QSize(2048, 1080);
    QTest::newRow("preset against custom device")
        << 24 << 0 << 0 << 9 << false << QSize(1200, 1960);
    QTest::newRow("code without a row") << 7 << 0 << 0 << 6 << false << QSize(0, 0);
}

void TestMaintenanceCodec::resolution_check()
{
    QFETCH(int, format);
    QFETCH(int, file_w);
    QFETCH(int, file_h);
    QFETCH(int, device_format);
    QFETCH(bool, matches);
    QFETCH(QSize, hint);
    DeviceData d;
    d.out_format = device_format;
    d.custom_res_w = 2048;
    d.custom_res_h = 1152;
    const codec::ImportPending pending{format, file_w, file_h};
    QCOMPARE(codec::import_resolution_matches(pending, d), matches);
    QCOMPARE(codec::import_hint_size(pending), hint);
}

QTEST_GUILESS_MAIN(TestMaintenanceCodec)
#include "tst_maintenance_codec.moc"
