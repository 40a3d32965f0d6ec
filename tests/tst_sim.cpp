// The simulated device is only worth testing against if it behaves like the
// real one: it cuts frames like the device, applies each command to the right
// fields, and its replies decode, with the program's own decoders (pinned by
// the codec tests), back to the image it holds.

#include "sim_device.h"
#include "sim_server.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "device/codec.h"

using namespace sim;

namespace {

QByteArray hex(const char *s)
{
    return QByteArray::fromHex(s);
}

// Envelope only: ':' id 4 1 lenHigh command lenLow payload ':'.
QByteArray frame(int command, const QByteArray &payload)
{
    const int n = payload.size() + 8;
    const char header[] = {':', 1, 4, 1, char(n >> 8), char(command), char(n & 0xff)};
    return QByteArray(header, 7) + payload + ':';
}

const QByteArray kStatusRead = hex("3a01040100 fe 0a 0000 3a");
const QByteArray kModeTableRead = hex("3a01040100 fe 0a 0900 3a");

template <typename A> QVector<int> values(const A &a)
{
    return {a.brightness, a.contrast, a.colour};
}

// The demo image with neighbours that differ wherever the demo repeats a value,
// so a field swapped with its neighbour shows.
SimImage distinct_image()
{
    SimImage m = SimImage::demo();
    m.full_format_list = 0;
    for (int i = 0; i < kInputCards; ++i) {
        m.in_card_present[i] = i % 2 == 0;
        m.in_signal_ok[i] = i == 1 || i == 2;
        m.in_source[i] = (i * 3 + 1) % 8;
    }
    m.out_card_present[0] = 0;
    m.pip_param[1] = 5;
    m.pip_state[0] = 2;
    m.in_vga[0] = 0;
    m.cur_mul_mode = 11;
    m.cur_out_mode = 6;
    m.out_port_sel = 3;
    m.out_format = 20;
    m.win_frame[1].on = 0;
    for (int md = 0; md < kModes; ++md) {
        for (int w = 0; w < kWindows; ++w) {
            m.mode_data[md].win_open[w] = (md >> w) & 1;
            m.mode_data[md].win_source[w] = (md + w) % 4;
        }
    }
    return m;
}

QByteArray read_req(int selector, int index)
{
    return frame(254, QByteArray(1, char(selector)) + char(index));
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void assembler_data();
    void assembler();
    void replies_decode_to_the_image();
    void commands_data();
    void commands();
    void acknowledgement_lengths();
    void layers_and_copies();
    void initialization();
    void hostile_frames_data();
    void hostile_frames();
    void tcp_stalled_start();
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

void TestSim::replies_decode_to_the_image()
{
    const SimImage s = distinct_image();
    SimDevice device(s);
    DeviceData d;
    d.reset_device_data();
    QVERIFY(codec::decode_status(device.read_reply(0, 0), d));
    QVERIFY(codec::decode_mode_table(device.read_reply(9, 0), d));
    QVERIFY(codec::decode_win_adjust(device.read_reply(7, 0), d));
    QVERIFY(codec::decode_win_borders(device.read_reply(8, 0), d));
    QVERIFY(codec::decode_wall_sizes(device.read_reply(5, 0), d));
    device.image().mosaic_on = 0; // the same selector then carries one total per mode
    QVERIFY(codec::decode_led_totals(device.read_reply(5, 0), d));
    for (int card = 0; card < kAdjustCards; ++card)
        QVERIFY(codec::decode_input_card(device.read_reply(1, card), card, d));
    for (int m = 0; m < kModes; ++m) {
        QVERIFY(codec::decode_windows(device.read_reply(3, m), m, 815, 548, d));
        QVERIFY(codec::decode_unit_rects(device.read_reply(6, m), m, d));
        QVERIFY(codec::decode_led_rects(device.read_reply(4, m), m, d));
    }

    // Everything a read-back fills, in one list; the records and the image share field names.
    const auto fields = [](const auto &x) {
        QVector<int> v{x.out_rate_60hz, x.full_format_list, x.mosaic_on,    x.aux_card_present,
                       x.cur_mul_mode,  x.cur_out_mode,     x.out_card_sel, x.out_port_sel,
                       x.out_format,    x.switch_effect,    x.custom_res_w, x.custom_res_h};
        const auto add = [&v](const auto &r) { v << r.x << r.y << r.w << r.h; };
        for (int i = 0; i < kInputCards; ++i)
            v << x.in_card_present[i] << x.in_signal_ok[i] << x.in_source[i];
        for (int i = 0; i < 2; ++i) {
            v << x.out_card_present[i] << x.pip_param[i] << x.pip_state[i] << x.in_vga[i];
            v << values(x.in_adjust[i]) << values(x.out_light[i]);
            add(x.pip_rect[i].main), add(x.pip_rect[i].sub);
            for (const auto &port : x.port_quality[i])
                v << QVector<int>(std::begin(port), std::end(port));
        }
        for (const auto &a : x.win_adjust)
            v << values(a);
        for (const auto &f : x.win_frame)
            v << f.on << f.red << f.green << f.blue << f.size;
        for (const auto &m : x.mode_data) {
            v << m.layer_code << m.out_total_w << m.out_total_h;
            for (int w = 0; w < kWindows; ++w) {
                v << m.win_source[w] << m.win_open[w] << m.win_layers[w] << m.wall_size[w].w
                  << m.wall_size[w].h;
                add(m.win_in[w]), add(m.win_out[w]);
            }
            for (int c = 0; c < kOutputCards; ++c)
                for (int p = 0; p < kPorts; ++p)
                    add(m.unit_rect[c][p]), add(m.led_in_rect[c][p]), add(m.led_out_rect[c][p]);
        }
        return v;
    };
    QCOMPARE(fields(d), fields(s));
}

// A command, then a read: the bytes where the reply carries what it changed.
void TestSim::commands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray status = kStatusRead, table = kModeTableRead;
    // Window 1 of mode 5; rectangles go x, width, y, height.
    QTest::newRow("window rect")
        << hex("3a01040100 15 19 15 0000 0f00 0000 0870 0258 0a50 00c8 0258 3a") << read_req(3, 5)
        << 25 << hex("0000 0f00 0000 0870 0258 0a50 00c8 0258");
    // 128 + 64 + 32 + 5: port form, OutB, DVI-3, mode 5.
    QTest::newRow("port rect")
        << hex("3a01040100 15 19 e5 0780 0780 0000 0870 0000 0780 0000 0438 3a") << read_req(4, 5)
        << 169 << hex("07800780000008700000078000000438");
    QTest::newRow("derived port rect")
        << hex("3a01040100 95 19 90 000a 0014 001e 0028 0032 0046 003c 0050 3a") << read_req(4, 0)
        << 89 << hex("000a0014001e002800320046003c0050");
    QTest::newRow("unit rects") << frame(0xa2, QByteArray(32, '\0') + hex("0780078000000438") +
                                                   QByteArray(24, '\0'))
                                << read_req(6, 0) << 41 << hex("0780078000000438");
    QTest::newRow("open mask") << hex("3a01040100 14 09 0b 3a") << table << 53 << hex("0b");
    QTest::newRow("sources") << hex("3a01040100 13 0c 03020100 3a") << table << 44
                             << hex("03020100");
    QTest::newRow("border of window 3, on 5")
        << hex("3a01040100 18 0e 02 05ff800007 3a") << read_req(8, 0) << 19 << hex("01ff800007");
    QTest::newRow("window brightness")
        << hex("3a01040100 19 1b 000f 0501020304 000000000000000000000000 3a") << read_req(7, 0)
        << 9 << hex("0501020304");
    // Values 0, 1, 3, 2 of each port travel in that order.
    QTest::newRow("output gray OutB")
        << hex("3a01040100 19 1b c00f 40 01020304 05060708 09101112 13141516 3a") << table << 243
        << hex("4001020304050607080910111213141516");
    QTest::newRow("output colour OutB")
        << hex("3a01040100 1b 0f c00f 33 01020304 3a") << table << 277 << hex("3301020304");
    // Channel 2 x card + main: 3 = InB main.
    QTest::newRow("PIP rect InB main") << hex("3a01040100 06 11 03 0064 0280 0032 0168 3a")
                                       << read_req(1, 1) << 12 << hex("0064028000320168");
    QTest::newRow("input brightness InB")
        << hex("3a01040100 08 0a 012a 3a") << read_req(1, 1) << 9 << hex("2a3232");
    // Factory InD is 5: byte 12 = InC | InD << 4.
    QTest::newRow("input source InC 6")
        << hex("3a01040100 81 0a 0206 3a") << status << 12 << hex("56");
    // Factory: VGA on both cards, PIP off; InB on gives 0x10 | 0x80 | 0x08.
    QTest::newRow("PIP on InB") << hex("3a01040100 82 0a 0101 3a") << status << 15 << hex("98");
    QTest::newRow("custom resolution")
        << hex("3a01040100 9e 0d 0800 0480 00 3a") << status << 21 << hex("08000480");
    // Rate byte 0x22 = 50 Hz, code 20: byte 19 = 20 << 3.
    QTest::newRow("preset 50 Hz code 20")
        << hex("3a01040100 9f 0a 2214 3a") << status << 19 << hex("a0");
    QTest::newRow("output mode 12") << hex("3a01040100 11 0a 800c 3a") << status << 16 << hex("0c");
    QTest::newRow("total size") << hex("3a01040100 20 0c 0a0005a0 3a") << read_req(5, 0) << 9
                                << hex("0a0005a0");
}

void TestSim::commands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, read);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);
    SimDevice device(SimImage::factory());
    device.handle(command);
    QCOMPARE(device.handle(read).mid(offset, expected.size()).toHex(), expected.toHex());
}

void TestSim::acknowledgement_lengths()
{
    // 176 (initialization) changes the image and has its own test.
    const int lengths[][2] = {{6, 8},    {8, 8},    {9, 8},    {10, 8},    {13, 8},   {16, 8},
                              {17, 8},   {18, 8},   {19, 8},   {20, 8},    {21, 8},   {24, 8},
                              {25, 8},   {26, 8},   {27, 8},   {29, 8},    {32, 8},   {129, 8},
                              {131, 8},  {149, 8},  {162, 8},  {195, 8},   {77, 8},   {130, 10},
                              {158, 13}, {159, 10}, {192, 46}, {193, 281}, {194, 201}};
    SimDevice device(SimImage::demo());
    for (const auto &l : lengths) {
        // An 8-byte frame carries no payload: too short to change anything.
        const QByteArray reply = device.handle(frame(l[0], {}));
        QCOMPARE(reply.left(7).toHex(), frame(l[0], QByteArray(l[1] - 8, '\0')).left(7).toHex());
        QCOMPARE(reply.size(), l[1]);
        QCOMPARE(reply.back(), ':');
    }
    QVERIFY(device.image() == SimImage::demo());
}

void TestSim::layers_and_copies()
{
    SimDevice device(SimImage::factory());
    device.handle(hex("3a01040100 11 0a 0004 3a")); // multi-window mode 4
    device.handle(hex("3a01040100 10 0a 0002 3a")); // select window 2
    device.handle(hex("3a01040100 1d 0a 8101 3a")); // to the top, effect 1
    const SimMode &m4 = device.image().mode_data[4];
    QCOMPARE(QVector<int>(m4.win_layers, m4.win_layers + 4), (QVector<int>{2, 3, 1, 0}));
    QCOMPARE(m4.layer_code, 1);
    QCOMPARE(device.image().switch_effect, 1);
    device.handle(hex("3a01040100 10 0a 0003 3a")); // select window 3
    device.handle(hex("3a01040100 1d 0a 8000 3a")); // to the bottom, cut
    QCOMPARE(QVector<int>(m4.win_layers, m4.win_layers + 4), (QVector<int>{2, 1, 0, 3}));
    QCOMPARE(m4.layer_code, 9);
    QCOMPARE(device.image().switch_effect, 0);
    QCOMPARE(device.image().mode_data[0].layer_code, 0);

    // Window form copies windows only, output form outputs only.
    const SimImage image = SimImage::demo();
    device.set_image(image);
    device.handle(hex("3a01040100 12 0b 000207 3a")); // mode 2 onto 7
    device.handle(hex("3a01040100 12 0b 800209 3a")); // mode 2 onto 9
    const SimMode &m2 = image.mode_data[2], &m7 = device.image().mode_data[7],
                  &m9 = device.image().mode_data[9];
    QVERIFY(m7.win_out[3] == m2.win_out[3] && m7.win_in[0] == m2.win_in[0]);
    QVERIFY(m7.layer_code == m2.layer_code && m7.win_source[0] == m2.win_source[0]);
    QVERIFY(m7.unit_rect[1][3] == image.mode_data[7].unit_rect[1][3]);
    QVERIFY(m9.unit_rect[1][3] == m2.unit_rect[1][3] &&
            m9.led_in_rect[0][1] == m2.led_in_rect[0][1]);
    QVERIFY(m9.wall_size[2].w == m2.wall_size[2].w && m9.out_total_h == m2.out_total_h);
    QVERIFY(m9.win_out[0] == image.mode_data[9].win_out[0]);
}

void TestSim::initialization()
{
    SimDevice device(SimImage::demo());
    // What the hardware decides survives: a missing card stays missing.
    device.image().in_card_present[1] = 0;
    QCOMPARE(device.handle(hex("3a01040100 b0 08 3a")).toHex(), QByteArray("3a01040100b0083a"));
    SimImage factory = SimImage::factory();
    factory.in_card_present[1] = 0;
    QVERIFY(device.image() == factory);
}

void TestSim::hostile_frames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("reply");

    QTest::newRow("window 5 rect")
        << hex("3a01040100 15 19 5100000f00000008700000000000000000 3a") << 8;
    QTest::newRow("input adjust card 2") << hex("3a01040100 08 0a 0210 3a") << 8;
    QTest::newRow("select mode 16") << hex("3a01040100 11 0a 0010 3a") << 8;
    QTest::newRow("copy onto mode 20") << hex("3a01040100 12 0b 000114 3a") << 8;
    QTest::newRow("input source card 4") << hex("3a01040100 81 0a 0403 3a") << 8;
    QTest::newRow("import mode 16")
        << frame(194, QByteArray(1, char(16)) + QByteArray(192, '\x11')) << 201;
    QTest::newRow("layer select 9 then move") << hex("3a01040100 10 0a 0009 3a") << 8;
    QTest::newRow("windows of mode 16") << hex("3a01040100 fe 0a 0310 3a") << 0;
    QTest::newRow("selector 2") << hex("3a01040100 fe 0a 0200 3a") << 0;
    QTest::newRow("read without index") << hex("3a01040100 fe 09 00 3a") << 0;
    QTest::newRow("other device") << hex("3a02040100 11 0a 0005 3a") << 0;
}

void TestSim::hostile_frames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, reply);
    SimDevice device(SimImage::demo());
    QCOMPARE(device.handle(bytes).size(), reply);
    device.handle(hex("3a01040100 1d 0a 8100 3a")); // a layer move after any of them
    // The move itself is legal: it raises the selected window 0 and sets the effect.
    SimImage expected = SimImage::demo();
    SimMode &m = expected.mode_data[expected.cur_mul_mode];
    int32_t *l = m.win_layers;
    std::rotate(l, std::find(l, l + 4, 0), std::find(l, l + 4, 0) + 1);
    m.layer_code = SimImage::layer_code_of(m.win_layers);
    expected.switch_effect = 0;
    QVERIFY(device.image() == expected);
}

void TestSim::tcp_stalled_start()
{
    SimServer server(SimImage::factory());
    server.set_partial_timeout_ms(50);
    QVERIFY(server.listen_tcp());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.tcp_port());
    QVERIFY(socket.waitForConnected(5000));
    // A start that claims 200 bytes is taken for junk once the line goes quiet.
    socket.write(hex("3a01040100fec8") + kStatusRead);
    QTRY_COMPARE(socket.bytesAvailable(), qint64(26));
    QCOMPARE(socket.readAll(), server.device().read_reply(0, 0));
}

void TestSim::pty_round_trip()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyTessel");
    SimServer server(SimImage::demo());
    const QString path = server.open_pty(link);
    if (path.isEmpty())
        QSKIP("no pseudo-terminals here");
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
        port.write(hex("3a01040100 14 09 0d 3a"));
        port.write(hex("3a01040100 13 0c 0a111300 3a"));
        port.write(kModeTableRead);
        QTRY_COMPARE(bytes.size(), 8 + 8 + 283);
        QCOMPARE(bytes.mid(16).toHex(), server.device().read_reply(9, 0).toHex());
        QCOMPARE(bytes.mid(16 + 44 + 10 * 3, 4).toHex(), QByteArray("0a111300"));
        QCOMPARE(int(server.image().mode_data[3].win_open[1]), 0);
        port.close();
    }
    QCOMPARE(server.frame_log().size(), 6);
    server.close_pty();
    QVERIFY(!QFileInfo::exists(link));
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
