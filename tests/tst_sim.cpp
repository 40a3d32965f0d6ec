// What the simulated device does that no test of the program reaches: how it
// cuts frames, what it makes of hostile ones, and its two links. What it
// applies and answers is checked through the pages and the fault matrix.

#include "sim_server.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QtTest>

#include "support/link_setup.h"

using namespace sim;

namespace {

const auto raw = [](const char *hex) { return QByteArray::fromHex(hex); };

// Envelope only: ':' id 4 1 lenHigh command lenLow payload ':'.
QByteArray frame(int command, const QByteArray &payload)
{
    const int n = payload.size() + 8;
    return raw("3a010401") + char(n >> 8) + char(command) + char(n & 0xff) + payload + ':';
}

const QByteArray kStatusRead = raw("3a01040100 fe 0a 0000 3a");
const QByteArray kModeTableRead = raw("3a01040100 fe 0a 0900 3a");

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void assembler()
    {
        const QByteArray a = kStatusRead, b = kModeTableRead;
        // Window rectangle with x = 58 (':') inside the payload.
        const QByteArray colon =
            raw("3a01040100 15 19 10 003a 0f00 0000 0870 003a 0f00 0000 0870 3a");
        const struct {
            const char *name;
            QByteArrayList chunks, frames;
            int left;
        } rows[] = {
            {"three pieces", {a.left(1), a.mid(1, 5), a.mid(6)}, {a}, 0},
            {"junk first", {raw("00ff41") + a}, {a}, 0},
            {"two in one chunk", {a + b}, {a, b}, 0},
            {"length 400", {raw("3a0104010190fe") + a}, {a}, 0},
            {"length 5", {raw("3a01040100fe05") + a}, {a}, 0},
            {"no closing colon", {a.left(9) + '\0' + b}, {b}, 0},
            {"colon in payload", {colon.left(12), colon.mid(12)}, {colon}, 0},
            {"partial kept", {a + b.left(5)}, {a}, 5},
        };
        for (const auto &r : rows) {
            FrameAssembler assembler;
            QByteArrayList got;
            for (const QByteArray &chunk : r.chunks) {
                assembler.feed(chunk);
                for (QByteArray f; assembler.next(f);)
                    got << f;
            }
            QVERIFY2(got == r.frames && assembler.pending() == r.left, r.name);
        }
    }

    void initialization()
    {
        SimDevice device(SimImage::demo());
        // What the hardware decides survives: a missing card stays missing.
        device.image().in_card_present[1] = 0;
        QCOMPARE(device.handle(raw("3a01040100b0083a")).toHex(), QByteArray("3a01040100b0083a"));
        SimImage factory = SimImage::factory();
        factory.in_card_present[1] = 0;
        QVERIFY(device.image() == factory);
    }

    // Frames out of range are acknowledged at their length (or not answered) and
    // change nothing; a legal layer move after each still works.
    void hostile_frames()
    {
        QList<std::tuple<QByteArray, QByteArray, int>> rows = {
            {"window 5 rect", raw("3a01040100 15 19 5100000f00000008700000000000000000 3a"), 8},
            {"input adjust card 2", raw("3a01040100 08 0a 0210 3a"), 8},
            {"select mode 16", raw("3a01040100 11 0a 0010 3a"), 8},
            {"copy onto mode 20", raw("3a01040100 12 0b 000114 3a"), 8},
            {"input source card 4", raw("3a01040100 81 0a 0403 3a"), 8},
            {"import mode 16", frame(194, QByteArray(1, char(16)) + QByteArray(192, '\x11')), 201},
            {"layer select 9 then move", raw("3a01040100 10 0a 0009 3a"), 8},
            {"windows of mode 16", raw("3a01040100 fe 0a 0310 3a"), 0},
            {"selector 2", raw("3a01040100 fe 0a 0200 3a"), 0},
            {"read without index", raw("3a01040100 fe 09 00 3a"), 0},
            {"other device", raw("3a02040100 11 0a 0005 3a"), 0}};
        // Every write command without its payload: acknowledged at its length, and
        // too short to change anything (176, the initialization, has its own test).
        const int lengths[][2] = {{6, 8},    {8, 8},    {9, 8},    {10, 8},    {13, 8},   {16, 8},
                                  {17, 8},   {18, 8},   {19, 8},   {20, 8},    {21, 8},   {24, 8},
                                  {25, 8},   {26, 8},   {27, 8},   {29, 8},    {32, 8},   {129, 8},
                                  {131, 8},  {149, 8},  {162, 8},  {195, 8},   {77, 8},   {130, 10},
                                  {158, 13}, {159, 10}, {192, 46}, {193, 281}, {194, 201}};
        for (const auto &l : lengths)
            rows.append({QByteArray::number(l[0]) + " without payload", frame(l[0], {}), l[1]});

        // The move raises the selected window 0 and sets the effect.
        SimImage expected = SimImage::demo();
        SimMode &m = expected.mode_data[expected.cur_mul_mode];
        int32_t *l = m.win_layers;
        std::rotate(l, std::find(l, l + 4, 0), std::find(l, l + 4, 0) + 1);
        m.layer_code = SimImage::layer_code_of(m.win_layers);
        expected.switch_effect = 0;
        for (const auto &[name, bytes, reply] : rows) {
            SimDevice device(SimImage::demo());
            const QByteArray answer = device.handle(bytes);
            const QByteArray header = frame(uint8_t(bytes[5]), QByteArray(reply - 8, '\0')).left(7);
            QVERIFY2(answer.size() == reply, name);
            QVERIFY2(!reply || (answer.startsWith(header) && answer.endsWith(':')), name);
            device.handle(raw("3a01040100 1d 0a 8100 3a"));
            QVERIFY2(device.image() == expected, name);
        }
    }

    void links_data() { add_link_rows(); }
    // Each link twice, as closing the client's end must not break the device's: paced, then with a
    // start that claims more than comes and bytes that a raw line must pass untouched.
    void links()
    {
        QFETCH(bool, serial);
        QTemporaryDir dir;
        const QString name = dir.filePath("ttyTessel");
        SimServer server(SimImage::demo());
        if (serial) {
            const QString path = server.open_pty(name);
            if (path.isEmpty())
                QSKIP("no pseudo-terminals here");
            QCOMPARE(QFileInfo(name).symLinkTarget(), path);
        } else {
            QVERIFY(server.listen_tcp());
        }
        QElapsedTimer clock;
        QList<qint64> received; // when each request counted as in
        connect(&server, &SimServer::frame_received, this, [&] { received << clock.elapsed(); });
        for (int round = 0; round < 2; ++round) {
            QTcpSocket socket;
            QSerialPort port(name);
            QIODevice *io = serial ? static_cast<QIODevice *>(&port) : &socket;
            if (serial) {
                QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
                port.clear();
            } else {
                socket.connectToHost(QHostAddress::LocalHost, server.tcp_port());
                QVERIFY(socket.waitForConnected(5000));
            }
            QByteArray bytes;
            QList<qint64> pieces; // when each piece of the replies came
            connect(io, &QIODevice::readyRead, this, [&] {
                bytes += io->readAll();
                pieces << clock.elapsed();
            });
            received.clear();
            clock.start();
            server.set_baud(round ? 0 : 9600);
            if (round == 0) {
                // Both requests in one write, at 1.04 ms a byte: the second is in only
                // once the line has carried the first one's bytes and its own.
                io->write(kStatusRead + kModeTableRead);
            } else {
                // A start that claims 200 bytes is junk once the line goes quiet; then
                // 0x0d, 0x0a, 0x11 and 0x13 in payloads.
                server.set_partial_timeout_ms(50);
                io->write(raw("3a01040100fec8 3a0104010014090d3a 3a01040100130c0a1113003a") +
                          kModeTableRead);
            }
            QTRY_COMPARE_WITH_TIMEOUT(bytes.size(), (round ? 8 + 8 : 26) + 283, 10000);
            QCOMPARE(bytes.right(283).toHex(), server.device().read_reply(9, 0).toHex());
            if (round) {
                QCOMPARE(bytes.mid(16 + 44 + 10 * 3, 4).toHex(), QByteArray("0a111300"));
                QCOMPARE(int(server.image().mode_data[3].win_open[1]), 0);
                continue;
            }
            QCOMPARE(bytes.left(26).toHex(), server.device().read_reply(0, 0).toHex());
            // Lower bounds only: a busy machine makes everything later, never earlier.
            // The 309 reply bytes take 322 ms after the first request is in, and leave
            // as the line carries them rather than in one write.
            const QString times =
                QString::asprintf("in at %lld/%lld ms, %d pieces to %lld ms", received.value(0),
                                  received.value(1), int(pieces.size()), pieces.last());
            QCOMPARE(received.size(), 2);
            QVERIFY2(received[0] >= 10 && received[1] >= 20, qPrintable(times));
            QVERIFY2(pieces.last() >= 300 && pieces.size() >= 3, qPrintable(times));
        }
        QCOMPARE(server.frame_log().size(), 5);
        server.close_pty();
        QVERIFY(!QFileInfo::exists(name));
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
