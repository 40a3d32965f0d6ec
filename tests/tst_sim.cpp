// The simulated device: frame assembly, reply layouts against hand-computed
// bytes, write-then-read round trips, and both transports in-process.

#include "sim_device.h"
#include "sim_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

using namespace sim;

namespace {

QByteArray hex(const char *s)
{
    return QByteArray::fromHex(s);
}

// Envelope only (':' id 4 1 lenHigh command lenLow payload ':'); the payloads
// the tests care about are written out literally.
QByteArray frame(int command, const QByteArray &payload, int id = 1)
{
    const int n = payload.size() + 8;
    const char header[] = {':', char(id), 4, 1, char(n >> 8), char(command), char(n & 0xff)};
    return QByteArray(header, 7) + payload + ':';
}

QByteArray read_req(int selector, int index)
{
    return frame(254, QByteArray(1, char(selector)) + char(index));
}

const QByteArray kStatusRead = hex("3a01040100 fe 0a 0000 3a");
const QByteArray kModeTableRead = hex("3a01040100 fe 0a 0900 3a");

// An image with distinctive values where the layout tests look.
SimImage probe_image()
{
    SimImage m = SimImage::factory();
    m.out_rate_60hz = 1;
    m.full_format_list = 0;
    m.mosaic_on = 1;
    const uint8_t cards[4] = {1, 0, 1, 0}, ok[4] = {0, 1, 1, 0};
    std::copy(cards, cards + 4, m.in_card_present);
    std::copy(ok, ok + 4, m.in_signal_ok);
    m.aux_card_present = 1;
    m.out_card_present[0] = 0;
    m.out_card_present[1] = 1;
    m.status_spare[0] = 1;
    m.status_spare[1] = 0;
    const int32_t sources[4] = {4, 1, 7, 5};
    std::copy(sources, sources + 4, m.in_source);
    m.pip_param[0] = 3;
    m.pip_param[1] = 4;
    m.pip_state[0] = 2;
    m.in_vga[0] = 0;
    m.pip_state[1] = 5;
    m.in_vga[1] = 1;
    m.cur_mul_mode = 11;
    m.cur_out_mode = 6;
    m.out_card_sel = 1;
    m.out_port_sel = 3;
    m.out_format = 20;
    m.switch_effect = 1;
    m.custom_res_w = 2048;
    m.custom_res_h = 1152;

    m.in_adjust[1] = {0x21, 0x22, 0x23};
    m.pip_rect[1].main = {100, 50, 640, 360};
    m.pip_rect[1].sub = {1, 2, 3, 4};
    for (int e = 0; e < 5; ++e)
        m.win_adjust[e] = {10 + e, 20 + e, 30 + e};
    m.win_frame[3] = {1, 0xff, 0x80, 0x00, 0x7f};
    m.out_light[1] = {0x11, 0x12, 0x13};
    for (int v = 0; v < 9; ++v)
        m.port_quality[1][2][v] = 21 + v;

    SimMode &m5 = m.mode_data[5];
    const int32_t src5[4] = {3, 2, 1, 0}, layers5[4] = {1, 3, 0, 2};
    std::copy(src5, src5 + 4, m5.win_source);
    std::copy(layers5, layers5 + 4, m5.win_layers);
    m5.layer_code = 10;
    const uint8_t open5[4] = {1, 0, 1, 1};
    std::copy(open5, open5 + 4, m5.win_open);
    m.mode_data[12].win_out[1] = {600, 200, 2640, 600};
    m.mode_data[7].led_in_rect[1][2] = {1920, 0, 1920, 2160};
    m.mode_data[7].led_out_rect[1][2] = {0, 0, 1920, 1080};
    m.mode_data[3].unit_rect[1][0] = {1920, 0, 1920, 1080};
    m.mode_data[15].out_total_w = 3840;
    m.mode_data[15].out_total_h = 1080;
    m.mode_data[15].wall_size[3] = {7680, 2160};
    return m;
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void assembler_data();
    void assembler();
    void status_packing();
    void reply_layout_data();
    void reply_layout();
    void wall_sizes_or_totals();
    void round_trip_data();
    void round_trip();
    void output_values_keep_record_order();
    void acknowledgement_lengths_data();
    void acknowledgement_lengths();
    void layer_moves();
    void layer_codes();
    void copy_modes();
    void initialization();
    void import_blocks();
    void device_id();
    void hostile_frames_data();
    void hostile_frames();
    void json_file();
    void tcp_faults_data();
    void tcp_faults();
    void tcp_stalled_junk_start();
    void pty_round_trip();
};

void TestSim::assembler_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<int>("left");

    const QByteArray a = kStatusRead, b = kModeTableRead;
    // Window rectangle with x = 58 (':') inside the payload.
    const QByteArray colon = hex("3a01040100 15 19 10 003a 0f00 0000 0870 003a 0f00 0000 0870 3a");
    QTest::newRow("whole") << QByteArrayList{a} << QByteArrayList{a} << 0;
    QTest::newRow("three pieces") << QByteArrayList{a.left(1), a.mid(1, 5), a.mid(6)}
                                  << QByteArrayList{a} << 0;
    QTest::newRow("junk first") << QByteArrayList{hex("00ff41") + a} << QByteArrayList{a} << 0;
    QTest::newRow("two in one chunk") << QByteArrayList{a + b} << QByteArrayList{a, b} << 0;
    QTest::newRow("length 400") << QByteArrayList{hex("3a0104010190fe") + a} << QByteArrayList{a}
                                << 0;
    QTest::newRow("length 5") << QByteArrayList{hex("3a01040100fe05") + a} << QByteArrayList{a}
                              << 0;
    QTest::newRow("no closing colon")
        << QByteArrayList{a.left(9) + '\0' + b} << QByteArrayList{b} << 0;
    QTest::newRow("colon in payload")
        << QByteArrayList{colon.left(12), colon.mid(12)} << QByteArrayList{colon} << 0;
    QTest::newRow("partial kept") << QByteArrayList{a + b.left(5)} << QByteArrayList{a} << 5;
}

void TestSim::assembler()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, frames);
    QFETCH(int, left);

    FrameAssembler assembler;
    QByteArrayList got;
    for (const QByteArray &chunk : chunks) {
        assembler.feed(chunk);
        QByteArray f;
        while (assembler.next(f))
            got << f;
    }
    QCOMPARE(got, frames);
    QCOMPARE(assembler.pending(), left);
}

void TestSim::status_packing()
{
    SimDevice device(probe_image());
    // byte 9: rate 60 | mosaic = 0x05; 10: InA, InC, aux, OutB = 0x55;
    // 11: spare bit 1, signals InB, InC = 0x32; 12: InC 7 | InD 5 = 0x57;
    // 13: InA 4 | InB 1 = 0x14; 14: PIP 3 | 4 = 0x43; 15: state 2, VGA A 0,
    // state 5, VGA B 1 = 0xd2; 16: modes 11 / 6 = 0xb6; 19: card 1, port 3,
    // format 20 = 0xa7; 20: effect 1 = 0x10; 2048 x 1152.
    QCOMPARE(device.handle(kStatusRead).toHex(),
             hex("3a01040100 fe 1a 0000 05 55 32 57 14 43 d2 b6 0000 a7 10 0800 0480 3a").toHex());
}

void TestSim::reply_layout_data()
{
    QTest::addColumn<int>("selector");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("input card 1 values") << 1 << 1 << 29 << 9 << hex("212223");
    // x 100, width 640, y 50, height 360, then the sub rectangle.
    QTest::newRow("input card 1 rects")
        << 1 << 1 << 29 << 12 << hex("0064 0280 0032 0168 0001 0003 0002 0004 3a");
    QTest::newRow("windows mode 12 win 1 out") << 3 << 12 << 74 << 33 << hex("0258 0a50 00c8 0258");
    QTest::newRow("led rects unused") << 4 << 7 << 202 << 9 << QByteArray(64, '\0');
    QTest::newRow("led rects mode 7 OutB DVI-3")
        << 4 << 7 << 202 << 169 << hex("0780 0780 0000 0870 0000 0780 0000 0438");
    QTest::newRow("unit rects mode 3 OutB DVI-1") << 6 << 3 << 74 << 41 << hex("0780078000000438");
    // Fifth set first: entries 4, 0, 1, 2, 3 of brightness, contrast, colour.
    QTest::newRow("window adjustment")
        << 7 << 0 << 108 << 9 << hex("0e 0a0b0c0d  18 14151617  22 1e1f2021");
    QTest::newRow("window 4 border") << 8 << 0 << 30 << 24 << hex("01 ff 80 00 7f 3a");
    // Mode 5 at 44 + 50: sources, layers, code 10, open 1011 with effect 1 on top.
    QTest::newRow("mode table mode 5") << 9 << 0 << 283 << 94 << hex("03020100 01030002 0a fd");
    // OutB block at 243: gray 0x11, port 2 values 0, 1, 3, 2 = 21, 22, 24, 23.
    QTest::newRow("mode table OutB gray") << 9 << 0 << 283 << 243 << hex("11");
    QTest::newRow("mode table OutB port 2 gray") << 9 << 0 << 283 << 252 << hex("15161817");
    QTest::newRow("mode table OutB brightness") << 9 << 0 << 283 << 260 << hex("12");
    QTest::newRow("mode table OutB port 2 bright") << 9 << 0 << 283 << 269 << hex("191a1c1b");
    // Colour 0x13, then value 8 of ports 0..3: 128 from the factory, 29 on port 2.
    QTest::newRow("mode table OutB colour") << 9 << 0 << 283 << 277 << hex("13 80 80 1d 80 3a");
}

void TestSim::reply_layout()
{
    QFETCH(int, selector);
    QFETCH(int, index);
    QFETCH(int, length);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    SimDevice device(probe_image());
    const QByteArray reply = device.handle(read_req(selector, index));
    QCOMPARE(reply.size(), length);
    QCOMPARE(reply.left(9).toHex(), (hex("3a010401") + char(length >> 8) + char(0xfe) +
                                     char(length & 0xff) + char(selector) + char(index))
                                        .toHex());
    QCOMPARE(reply.mid(offset, expected.size()).toHex(), expected.toHex());
}

void TestSim::wall_sizes_or_totals()
{
    SimDevice device(probe_image());
    QByteArray reply = device.handle(hex("3a01040100 fe 0a 0500 3a"));
    QCOMPARE(reply.size(), 266);
    // Mode 15, wall 3 at 9 + 16 x 15 + 4 x 3 = 261: 7680 x 2160.
    QCOMPARE(reply.mid(261, 5).toHex(), QByteArray("1e000870"
                                                   "3a"));

    device.image().mosaic_on = 0;
    reply = device.handle(hex("3a01040100 fe 0a 0500 3a"));
    QCOMPARE(reply.size(), 74);
    // Mode 15 at 9 + 4 x 15 = 69: 3840 x 1080.
    QCOMPARE(reply.mid(69, 5).toHex(), QByteArray("0f000438"
                                                  "3a"));

    // Wall size of wall 2 in output mode 6 (13 bytes), total size (12 bytes).
    device.handle(hex("3a01040100 20 0d 0780043802 3a"));
    device.handle(hex("3a01040100 20 0c 0a0005a0 3a"));
    const SimMode &m6 = device.image().mode_data[6];
    QCOMPARE(QVector<int>({m6.wall_size[2].w, m6.wall_size[2].h, m6.out_total_w, m6.out_total_h}),
             QVector<int>({1920, 1080, 2560, 1440}));
}

void TestSim::round_trip_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("ack");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray status = kStatusRead, table = kModeTableRead;
    // Rectangles go x, width, y, height: in (0, 0, 3840, 2160), out (600, 200, 2640, 600).
    QTest::newRow("window rect win 1 mode 5")
        << hex("3a01040100 15 19 15 0000 0f00 0000 0870 0258 0a50 00c8 0258 3a") << 8
        << read_req(3, 5) << 25 << hex("0000 0f00 0000 0870 0258 0a50 00c8 0258");
    // 128 + 64 + 32 + 5 = 229: OutB DVI-3 of mode 5.
    QTest::newRow("port rect OutB DVI-3 mode 5")
        << hex("3a01040100 15 19 e5 0780 0780 0000 0870 0000 0780 0000 0438 3a") << 8
        << read_req(4, 5) << 169 << hex("07800780000008700000078000000438");
    QTest::newRow("derived port rect OutA DVI-2 mode 0")
        << hex("3a01040100 95 19 90 000a 0014 001e 0028 0032 0046 003c 0050 3a") << 8
        << read_req(4, 0) << 89 << hex("000a0014001e002800320046003c0050");
    QTest::newRow("open mask") << hex("3a01040100 14 09 0b 3a") << 8 << table << 53 << hex("0b");
    QTest::newRow("sources") << hex("3a01040100 13 0c 03020100 3a") << 8 << table << 44
                             << hex("03020100");
    QTest::newRow("border win 3, on 5") << hex("3a01040100 18 0e 02 05ff800007 3a") << 8
                                        << read_req(8, 0) << 19 << hex("01ff800007");
    QTest::newRow("window brightness")
        << hex("3a01040100 19 1b 000f 0501020304 000000000000000000000000 3a") << 8
        << read_req(7, 0) << 9 << hex("0501020304");
    QTest::newRow("window colour") << hex("3a01040100 1b 0f 000f 0a0b0c0d0e 3a") << 8
                                   << read_req(7, 0) << 19 << hex("0a0b0c0d0e");
    QTest::newRow("output gray OutB")
        << hex("3a01040100 19 1b c00f 40 01020304 05060708 09101112 13141516 3a") << 8 << table
        << 243 << hex("4001020304050607080910111213141516");
    QTest::newRow("output colour OutB")
        << hex("3a01040100 1b 0f c00f 33 01020304 3a") << 8 << table << 277 << hex("3301020304");
    // Channel 2 x card + main: 3 = InB main, 0 = InA sub.
    QTest::newRow("PIP rect InB main") << hex("3a01040100 06 11 03 0064 0280 0032 0168 3a") << 8
                                       << read_req(1, 1) << 12 << hex("0064028000320168");
    QTest::newRow("input brightness InB")
        << hex("3a01040100 08 0a 012a 3a") << 8 << read_req(1, 1) << 9 << hex("2a3232");
    QTest::newRow("input colour InA")
        << hex("3a01040100 0a 0a 002c 3a") << 8 << read_req(1, 0) << 9 << hex("32322c");
    // Factory InD is 5: byte 12 = InC | InD << 4.
    QTest::newRow("input source InC 6")
        << hex("3a01040100 81 0a 0206 3a") << 8 << status << 12 << hex("56");
    // Factory: VGA on both cards, PIP off; InB on gives 0x10 | 0x80 | 0x08.
    QTest::newRow("PIP on InB") << hex("3a01040100 82 0a 0101 3a") << 10 << status << 15
                                << hex("98");
    QTest::newRow("PIP source InA SDI")
        << hex("3a01040100 83 0a 0004 3a") << 8 << status << 14 << hex("34");
    QTest::newRow("custom resolution size")
        << hex("3a01040100 9e 0d 0800 0480 00 3a") << 13 << status << 21 << hex("080004803a");
    // Rate byte 34 = 50 Hz, code 20: byte 19 = 20 << 3.
    QTest::newRow("preset 50 Hz code 20")
        << hex("3a01040100 9f 0a 2214 3a") << 10 << status << 19 << hex("a0");
    QTest::newRow("select window mode 9")
        << hex("3a01040100 11 0a 0009 3a") << 8 << status << 16 << hex("90");
    QTest::newRow("select output mode 12")
        << hex("3a01040100 11 0a 800c 3a") << 8 << status << 16 << hex("0c");
    // OutB DVI-1 starts at frame byte 39.
    QTest::newRow("unit rects") << frame(0xa2, QByteArray(32, '\0') + hex("0780078000000438") +
                                                   QByteArray(24, '\0'))
                                << 8 << read_req(6, 0) << 41 << hex("0780078000000438");
}

void TestSim::round_trip()
{
    QFETCH(QByteArray, command);
    QFETCH(int, ack);
    QFETCH(QByteArray, read);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    SimDevice device(SimImage::factory());
    const QByteArray reply = device.handle(command);
    QCOMPARE(reply.size(), ack);
    QCOMPARE(device.handle(read).mid(offset, expected.size()).toHex(), expected.toHex());
}

void TestSim::output_values_keep_record_order()
{
    // The wire carries all, red, green, blue; the record keeps all, red, blue, green.
    SimDevice device(SimImage::factory());
    device.handle(hex("3a01040100 19 1b c00f 40 01020304 05060708 09101112 13141516 3a"));
    device.handle(hex("3a01040100 1a 1b 800f4121222324000000000000000000000000 3a"));
    const auto &b = device.image().port_quality;
    QCOMPARE(QVector<int>({b[1][0][0], b[1][0][1], b[1][0][2], b[1][0][3]}),
             QVector<int>({1, 2, 4, 3}));
    QCOMPARE(QVector<int>({b[0][0][4], b[0][0][5], b[0][0][6], b[0][0][7]}),
             QVector<int>({0x21, 0x22, 0x24, 0x23}));
    QCOMPARE(device.image().out_light[1].brightness, 0x40);
    QCOMPARE(device.image().out_light[0].contrast, 0x41);
}

void TestSim::acknowledgement_lengths_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("length");
    // 176 (initialization) is left to its own test: it changes the image.
    const int eight[] = {6,  8,  9,  10, 13, 16,  17,  18,  19,  20,  21, 24,
                         25, 26, 27, 29, 32, 129, 131, 149, 162, 195, 77};
    for (int c : eight)
        QTest::addRow("command %d", c) << c << 8;
    QTest::newRow("PIP on/off") << 130 << 10;
    QTest::newRow("custom resolution") << 158 << 13;
    QTest::newRow("preset resolution") << 159 << 10;
    QTest::newRow("import input") << 192 << 46;
    QTest::newRow("import global") << 193 << 281;
    QTest::newRow("import mode") << 194 << 201;
}

void TestSim::acknowledgement_lengths()
{
    QFETCH(int, command);
    QFETCH(int, length);
    // An 8-byte frame carries no payload: too short to change anything.
    SimDevice device(SimImage::demo());
    const QByteArray reply = device.handle(frame(command, {}));
    QCOMPARE(reply.left(7).toHex(), frame(command, QByteArray(length - 8, '\0')).left(7).toHex());
    QCOMPARE(reply.size(), length);
    QCOMPARE(reply.back(), ':');
    QVERIFY(device.image() == SimImage::demo());
}

void TestSim::layer_moves()
{
    SimDevice device(SimImage::factory());
    device.handle(hex("3a01040100 11 0a 0004 3a")); // multi-window mode 4
    device.handle(hex("3a01040100 10 0a 0002 3a")); // select window 2
    device.handle(hex("3a01040100 1d 0a 8101 3a")); // to top, effect 1
    // Mode 4 at 44 + 40 = 84: layers at 88, code at 92.
    QCOMPARE(device.handle(kModeTableRead).mid(88, 5).toHex(), QByteArray("0203010001"));
    QCOMPARE(device.image().switch_effect, 1);

    device.handle(hex("3a01040100 10 0a 0003 3a")); // select window 3
    device.handle(hex("3a01040100 1d 0a 8000 3a")); // to bottom, cut
    QCOMPARE(device.handle(kModeTableRead).mid(88, 5).toHex(), QByteArray("0201000309"));
    QCOMPARE(device.image().switch_effect, 0);
    // Other modes keep the reset order.
    QCOMPARE(device.image().mode_data[0].layer_code, 0);
}

void TestSim::layer_codes()
{
    QCOMPARE(SimImage::layer_code_of({3, 2, 1, 0}), 0);
    QCOMPARE(SimImage::layer_code_of({0, 1, 2, 3}), 23);
    QCOMPARE(SimImage::layer_code_of({1, 3, 0, 2}), 10);
    QCOMPARE(SimImage::layer_code_of({1, 1, 0, 2}), -1);
    QCOMPARE(SimImage::layer_code_of({4, 3, 0, 2}), -1);
    for (int code = 0; code < 24; ++code) {
        int32_t layers[4] = {};
        QVERIFY(SimImage::layers_of_code(code, layers));
        QCOMPARE(SimImage::layer_code_of(layers), code);
    }
}

void TestSim::copy_modes()
{
    SimImage image = SimImage::demo();
    SimDevice device(image);
    device.handle(hex("3a01040100 12 0b 000207 3a")); // window form: mode 2 onto 7
    const SimMode &m2 = image.mode_data[2], &m7 = device.image().mode_data[7];
    QCOMPARE(m7.win_out[3], m2.win_out[3]);
    QCOMPARE(m7.win_in[0], m2.win_in[0]);
    QCOMPARE(m7.layer_code, m2.layer_code);
    QCOMPARE(m7.win_source[0], m2.win_source[0]);
    QCOMPARE(m7.unit_rect[1][3], image.mode_data[7].unit_rect[1][3]); // outputs untouched

    device.handle(hex("3a01040100 12 0b 800209 3a")); // output form: mode 2 onto 9
    const SimMode &m9 = device.image().mode_data[9];
    QCOMPARE(m9.unit_rect[1][3], m2.unit_rect[1][3]);
    QCOMPARE(m9.led_in_rect[0][1], m2.led_in_rect[0][1]);
    QCOMPARE(m9.wall_size[2].w, m2.wall_size[2].w);
    QCOMPARE(m9.out_total_h, m2.out_total_h);
    QCOMPARE(m9.win_out[0], image.mode_data[9].win_out[0]); // windows untouched
    QVERIFY(device.image().mode_data[2].win_out[0] == m2.win_out[0]);
}

void TestSim::initialization()
{
    SimDevice device(SimImage::demo());
    QCOMPARE(device.handle(hex("3a01040100 b0 08 3a")).toHex(), QByteArray("3a01040100b0083a"));
    QVERIFY(device.image() == SimImage::factory());

    // What the hardware decides survives: a missing card stays missing.
    device.image().in_card_present[1] = 0;
    device.image().in_signal_ok[2] = 0;
    device.image().cur_mul_mode = 9;
    device.handle(hex("3a01040100 b0 08 3a"));
    QCOMPARE(int(device.image().in_card_present[1]), 0);
    QCOMPARE(int(device.image().in_signal_ok[2]), 0);
    QCOMPARE(device.image().cur_mul_mode, 0);
}

void TestSim::import_blocks()
{
    SimDevice device(SimImage::factory());

    // Card 0: 10, 20, 30, main (x 1, w 2, y 3, h 4), sub (5, 6, 7, 8); card 1 likewise.
    const QByteArray input = frame(
        192, hex("0a141e0001000200030004000500060007000828323c00110012001300140015001600170018"));
    QCOMPARE(input.size(), 46);
    QCOMPARE(device.handle(input), input); // the acknowledgement echoes the block
    QCOMPARE(device.image().in_adjust[0].colour, 30);
    QCOMPARE(device.image().pip_rect[0].main, (SimRect{1, 3, 2, 4}));
    QCOMPARE(device.image().pip_rect[1].sub, (SimRect{0x15, 0x17, 0x16, 0x18}));

    QByteArray global(273, '\0');
    for (int i = 0; i < global.size(); ++i)
        global[i] = char((i * 7 + 3) % 200); // no meaning, just distinct bytes
    // Window borders on flag; each mode's last byte: effect 2 (0xe0) + open bits.
    for (int w = 0; w < 4; ++w)
        global[15 + 5 * w] = 1;
    for (int m = 0; m < 16; ++m) {
        for (int i = 0; i < 4; ++i)
            global[35 + 10 * m + 4 + i] = char(3 - i);
        global[35 + 10 * m + 8] = 0;
        global[35 + 10 * m + 9] = char(0xe0 | (m & 0x0f));
    }
    const QByteArray block = frame(193, global);
    QCOMPARE(block.size(), 281);
    QCOMPARE(int(block[4]), 1);
    QCOMPARE(int(block[6]), 25);
    QCOMPARE(device.handle(block), block);
    QCOMPARE(device.image().switch_effect, 2);
    QCOMPARE(int(device.image().mode_data[5].win_open[2]), 1);
    QCOMPARE(int(device.image().mode_data[5].win_open[1]), 0);
    // Entry 4 first: byte 7 is the brightness of entry 4.
    QCOMPARE(device.image().win_adjust[4].brightness, int(uint8_t(global[0])));
    QCOMPARE(device.image().win_adjust[0].brightness, int(uint8_t(global[1])));
    // The mode table carries bytes 42..279 of the block from its byte 44 on.
    const QByteArray table = device.handle(kModeTableRead);
    QCOMPARE(table.mid(44, 238).toHex(), block.mid(42, 238).toHex());

    QByteArray rects(193, '\0');
    rects[0] = 9; // mode
    for (int i = 1; i < rects.size(); ++i)
        rects[i] = char(i % 251);
    const QByteArray mode_block = frame(194, rects);
    QCOMPARE(mode_block.size(), 201);
    QCOMPARE(device.handle(mode_block), mode_block);
    QCOMPARE(device.handle(read_req(3, 9)).mid(9, 64).toHex(), mode_block.mid(8, 64).toHex());
    QCOMPARE(device.handle(read_req(4, 9)).mid(73, 128).toHex(), mode_block.mid(72, 128).toHex());

    const SimImage before = device.image();
    QCOMPARE(device.handle(hex("3a01040100 c3 08 3a")).toHex(), QByteArray("3a01040100c3083a"));
    QVERIFY(device.image() == before);
}

void TestSim::device_id()
{
    SimDevice device(SimImage::factory());
    QVERIFY(device.handle(hex("3a02040100 11 0a 0005 3a")).isEmpty());
    QVERIFY(device.handle(hex("3a02040100 fe 0a 0000 3a")).isEmpty());
    QCOMPARE(device.image().cur_mul_mode, 0);

    device.set_device_id(2);
    QVERIFY(device.handle(kStatusRead).isEmpty());
    QCOMPARE(device.handle(hex("3a02040100 11 0a 0005 3a")).toHex(),
             QByteArray("3a0204010011083a"));
    QCOMPARE(device.image().cur_mul_mode, 5);
}

void TestSim::hostile_frames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reply");

    QTest::newRow("window 5 rect")
        << hex("3a01040100 15 19 5100000f00000008700000000000000000 3a") << 8;
    QTest::newRow("PIP channel 7") << hex("3a01040100 06 11 070001000200030004 3a") << 8;
    QTest::newRow("input adjust card 2") << hex("3a01040100 08 0a 0210 3a") << 8;
    QTest::newRow("border window 4") << hex("3a01040100 18 0e 0401ff800007 3a") << 8;
    QTest::newRow("select mode 16") << hex("3a01040100 11 0a 0010 3a") << 8;
    QTest::newRow("copy onto mode 20") << hex("3a01040100 12 0b 000114 3a") << 8;
    QTest::newRow("wall 4") << hex("3a01040100 20 0d 0780043804 3a") << 8;
    QTest::newRow("input source card 4") << hex("3a01040100 81 0a 0403 3a") << 8;
    QTest::newRow("import mode 16")
        << frame(194, QByteArray(1, char(16)) + QByteArray(192, '\x11')) << 201;
    QTest::newRow("rect frame cut short") << frame(21, hex("15000100020003")) << 8;
    QTest::newRow("layer select 9 then move") << hex("3a01040100 10 0a 0009 3a") << 8;
    QTest::newRow("windows of mode 16") << hex("3a01040100 fe 0a 0310 3a") << 0;
    QTest::newRow("input card 2") << hex("3a01040100 fe 0a 0102 3a") << 0;
    QTest::newRow("selector 2") << hex("3a01040100 fe 0a 0200 3a") << 0;
    QTest::newRow("read without index") << hex("3a01040100 fe 09 00 3a") << 0;
    QTest::newRow("length field lies") << hex("3a01040100 fe 0c 0000 3a") << 0;
    QTest::newRow("no closing colon") << hex("3a01040100 fe 0a 0000 00") << 0;
    QTest::newRow("too short") << hex("3a0104013a") << 0;
}

void TestSim::hostile_frames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, reply);
    SimDevice device(SimImage::demo());
    QCOMPARE(device.handle(bytes).size(), reply);
    device.handle(hex("3a01040100 1d 0a 8100 3a")); // a layer move after any of them
    SimImage expected = SimImage::demo();
    // The move itself is legal: it raises the selected window 0 and sets the effect.
    SimMode &m = expected.mode_data[expected.cur_mul_mode];
    int32_t *l = m.win_layers;
    std::rotate(l, std::find(l, l + 4, 0), std::find(l, l + 4, 0) + 1);
    m.layer_code = SimImage::layer_code_of(m.win_layers);
    expected.switch_effect = 0;
    QVERIFY(device.image() == expected);
}

void TestSim::json_file()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("image.json");
    QVERIFY(SimImage::demo().save(path));
    SimImage image = SimImage::factory();
    QString error;
    QVERIFY2(image.load(path, &error), qPrintable(error));
    QVERIFY(image == SimImage::demo());

    // All or nothing: a damaged file leaves the image as it was.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    QJsonObject root = QJsonDocument::fromJson(good).object();
    QJsonArray modes = root["modes"].toArray();
    QJsonObject m3 = modes[3].toObject();
    m3["win_layers"] = QJsonArray{3, 2, 1, 4};
    modes[3] = m3;
    QJsonObject bad_layers = root;
    bad_layers["modes"] = modes;
    QJsonObject short_modes = root;
    modes.removeLast();
    short_modes["modes"] = modes;
    QJsonObject status = root["status"].toObject();
    status["cur_mul_mode"] = "3";
    QJsonObject text_mode = root;
    text_mode["status"] = status;
    const QByteArrayList damaged = {
        good.left(good.size() / 2), "[]", QJsonDocument(bad_layers).toJson(),
        QJsonDocument(short_modes).toJson(), QJsonDocument(text_mode).toJson()};
    for (const QByteArray &bytes : damaged) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        image = SimImage::factory();
        QVERIFY(!image.load(path));
        QVERIFY(image == SimImage::factory());
    }
    QVERIFY(!image.load(dir.filePath("missing.json")));
}

void TestSim::tcp_faults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("answered");

    const QByteArray open_mask = hex("3a01040100 14 09 00 3a");
    QTest::newRow("none") << "" << kStatusRead << true;
    QTest::newRow("split") << "split" << kStatusRead << true;
    QTest::newRow("junk") << "junk" << kStatusRead << true;
    QTest::newRow("delay") << "delay" << kStatusRead << true;
    QTest::newRow("bad ack") << "bad ack" << open_mask << true;
    QTest::newRow("bad ack spares reads") << "bad ack" << kStatusRead << true;
    QTest::newRow("bad command byte") << "bad command" << kStatusRead << true;
    QTest::newRow("mute status") << "mute reads" << kStatusRead << false;
    QTest::newRow("mute command") << "mute commands" << open_mask << false;
    QTest::newRow("mute all") << "mute" << kStatusRead << false;
}

void TestSim::tcp_faults()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, request);
    QFETCH(bool, answered);

    SimServer server(SimImage::factory());
    SimFaults &f = server.faults();
    f.split_ms = fault == "split" ? 80 : -1;
    f.junk = fault == "junk" ? hex("00ff3a") : QByteArray();
    f.delay_ms = fault == "delay" ? 150 : 0;
    f.bad_ack = fault == "bad ack";
    f.bad_command_byte = fault == "bad command";
    f.mute_all = fault == "mute";
    if (fault == "mute reads")
        f.mute_reads = {0};
    if (fault == "mute commands")
        f.mute_commands = {20};
    QVERIFY(server.listen_tcp());

    // The reply as the fault shapes it, from an independent device.
    SimDevice reference(SimImage::factory());
    auto shaped = [&](const QByteArray &frame) {
        QByteArray r = reference.handle(frame);
        if (f.bad_ack && frame.at(5) != char(0xfe))
            r[2] = 5;
        if (f.bad_command_byte)
            r[5] = char(uint8_t(r[5]) ^ 0x80);
        return f.junk + r;
    };
    QByteArray expected = shaped(request);
    if (!answered)
        expected.clear();
    // A mode table read behind it shows where the first reply ends.
    if (!f.mute_all)
        expected += shaped(kModeTableRead);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.tcp_port());
    QVERIFY(socket.waitForConnected(5000));
    QSignalSpy received(&server, &SimServer::frame_received);
    QSignalSpy sent(&server, &SimServer::reply_sent);
    QByteArray bytes;
    connect(&socket, &QTcpSocket::readyRead, this, [&] { bytes += socket.readAll(); });

    QElapsedTimer clock;
    clock.start();
    socket.write(request + kModeTableRead);
    QTRY_COMPARE(received.count(), 2);
    QTRY_COMPARE(bytes.size(), expected.size());
    QCOMPARE(bytes.toHex(), expected.toHex());
    const int per_reply = fault == "split" ? 2 : 1;
    QCOMPARE(sent.count(), per_reply * ((answered ? 1 : 0) + (f.mute_all ? 0 : 1)));
    QCOMPARE(server.frame_log().first(), QString(request.toHex()));
    if (fault == "delay")
        QVERIFY(clock.elapsed() >= 150);
    if (fault == "mute commands")
        QCOMPARE(server.image().mode_data[0].win_open[0], uint8_t(0)); // applied all the same
}

void TestSim::tcp_stalled_junk_start()
{
    SimServer server(SimImage::factory());
    server.set_partial_timeout_ms(50);
    QVERIFY(server.listen_tcp());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.tcp_port());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(hex("3a01040100fec8") + kStatusRead); // a start claiming 200 bytes
    QTRY_COMPARE(socket.bytesAvailable(), qint64(26));
    QCOMPARE(socket.readAll(), server.device().read_reply(0, 0));
}

void TestSim::pty_round_trip()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyTessel");
    SimServer server(SimImage::demo());
    const QString path = server.open_pty(link);
    QVERIFY(!path.isEmpty());
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    // Twice: closing the client's end must not break the device's end.
    for (int round = 0; round < 2; ++round) {
        QSerialPort port(link);
        port.setBaudRate(115200);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        port.clear();
        QByteArray bytes;
        connect(&port, &QSerialPort::readyRead, this, [&] { bytes += port.readAll(); });
        // 0x0d, 0x0a, 0x11 and 0x13 in the payload must pass a raw line untouched.
        port.write(hex("3a01040100 15 09 0d 3a"));
        port.write(hex("3a01040100 13 0c 0a111300 3a"));
        port.write(kModeTableRead);
        QTRY_COMPARE(bytes.size(), 8 + 8 + 283);
        QCOMPARE(bytes.mid(16).toHex(), server.device().read_reply(9, 0).toHex());
        QCOMPARE(bytes.mid(16 + 44 + 10 * 3, 4).toHex(), QByteArray("0a111300"));
        QCOMPARE(int(server.image().mode_data[3].win_open[2]), 1);
        port.close();
    }
    QCOMPARE(server.frame_log().size(), 6);
    server.close_pty();
    QVERIFY(!QFileInfo::exists(link));
#else
    QSKIP("pseudo-terminals are a Unix facility");
#endif
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
