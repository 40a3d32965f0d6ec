// Writes the seeds of fuzz_decoders, fuzz_sim_frames and fuzz_config_file into
// the corpus folder given as the only argument: replies, command streams and
// configuration files as the simulator and the program's codec make them,
// whole, cut short and damaged.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "device/codec.h"
#include "device/protocol.h"
#include "maintenance/maintenance_codec.h"
#include "sim_device.h"

namespace {

QDir root;

void write(const QString &harness, const QString &name, const QByteArray &bytes)
{
    root.mkpath(harness);
    QFile file(root.filePath(harness + QLatin1Char('/') + name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
}

// Decoder numbers of fuzz_decoders and the read that feeds each.
struct Read {
    const char *name;
    int decoder;
    int selector;
    int index;
    bool mosaic;
};

constexpr Read kReads[] = {
    {"status", 0, proto::kSelStatus, 0, false},
    {"input-card", 1, proto::kSelInputCard, 1, false},
    {"windows", 2, proto::kSelWindows, 5, false},
    {"mode-table", 3, proto::kSelModeTable, 0, false},
    {"win-adjust", 4, proto::kSelWinAdjust, 0, false},
    {"win-borders", 5, proto::kSelWinBorders, 0, false},
    {"unit-rects", 6, proto::kSelUnitRects, 15, false},
    {"led-rects", 7, proto::kSelLedRects, 3, false},
    {"led-totals", 8, proto::kSelLedSizes, 0, false},
    {"wall-sizes", 9, proto::kSelLedSizes, 0, true},
};

void decoder_seeds()
{
    for (const Read &r : kReads) {
        sim::SimImage image = sim::SimImage::demo();
        image.mosaic_on = r.mosaic;
        const QByteArray reply = sim::SimDevice(image).read_reply(r.selector, r.index);
        // Canvas 800 x 544 for the windows decoder: 25 x 32 and 17 x 32.
        QByteArray head;
        head.append(char(r.decoder)).append(char(r.index)).append(char(25)).append(char(17));
        const QString name = QLatin1String(r.name);

        write("fuzz_decoders", name, head + reply);
        QByteArray buffer = reply; // as it sits in the 300-byte receive buffer
        buffer.append(QByteArray(kBufferSize - reply.size(), '\0'));
        write("fuzz_decoders", name + "-in-buffer", head + buffer);
        write("fuzz_decoders", name + "-short", head + reply.left(reply.size() / 2));
        QByteArray wrong_command = reply;
        wrong_command[5] = char(proto::kCmdRead - 1);
        write("fuzz_decoders", name + "-wrong-command", head + wrong_command);
        QByteArray wrong_length = reply;
        wrong_length[6] = char(reply.at(6) + 1);
        write("fuzz_decoders", name + "-wrong-length", head + wrong_length);
    }
}

QByteArray rect(int x, int y, int w, int h)
{
    QByteArray out;
    codec::put_rect(out, DevRect{x, y, w, h});
    return out;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

void sim_seeds()
{
    const int id = 1;
    QByteArray reads;
    for (int selector = 0; selector <= proto::kSelModeTable; ++selector)
        for (int index = 0; index < 2; ++index)
            reads += codec::read_request(id, uint8_t(selector), uint8_t(index));

    QByteArray writes;
    writes += codec::short_command(id, proto::kCmdSelectMode, 0, 3);
    writes += codec::short_command(id, proto::kCmdSelectMode, proto::kOutputForm, 2);
    writes += codec::build_frame(id, proto::kCmdCopyMode, bytes({0, 3, 7}));
    writes += codec::build_frame(id, proto::kCmdRectangle,
                                 bytes({0x13}) + rect(0, 0, 1920, 1080) + rect(100, 50, 960, 540));
    writes += codec::build_frame(id, proto::kCmdRectangle,
                                 bytes({0xd2}) + rect(0, 0, 3840, 2160) + rect(0, 0, 1920, 1080));
    writes += codec::short_command(id, proto::kCmdLayerSelect, 0, 2);
    writes += codec::short_command(id, proto::kCmdLayerMove, 1, 2);
    writes += codec::build_frame(id, proto::kCmdBorder, bytes({1, 1, 255, 0, 0, 4}));
    writes += codec::build_frame(id, proto::kCmdBrightness, bytes({0, 0, 50, 51, 52, 53, 54}));
    writes += codec::build_frame(id, proto::kCmdContrast, bytes({0x80, 0}) + QByteArray(17, 60));
    writes += codec::build_frame(id, proto::kCmdColour, bytes({0xc0, 0, 70, 71, 72, 73, 74}));
    writes += codec::build_frame(id, proto::kCmdLedSize, bytes({0x0f, 0, 0x08, 0x70}));
    writes += codec::build_frame(id, proto::kCmdLedSize, bytes({0x07, 0x80, 0x04, 0x38, 2}));
    writes += codec::short_command(id, proto::kCmdInputSource, 0, 3);
    writes += codec::short_command(id, proto::kCmdPipOnOff, 1, 1);
    writes +=
        codec::build_frame(id, proto::kCmdCustomResolution, bytes({0x07, 0x80, 0x04, 0x38, 1}));
    writes += codec::short_command(id, proto::kCmdPresetResolution, 19, 6);
    writes += codec::build_frame(id, proto::kCmdImportInput, QByteArray(38, 7));
    writes += codec::build_frame(id, proto::kCmdImportGlobal, QByteArray(273, 1));
    writes += codec::build_frame(id, proto::kCmdImportMode, bytes({4}) + QByteArray(192, 2));
    writes += codec::short_command(id, proto::kCmdImportEnd, 0, 0);
    writes += codec::short_command(id, proto::kCmdDeviceInit, 0, 0);

    const QByteArray whole = bytes({0, 0});
    write("fuzz_sim_frames", "reads", whole + reads);
    write("fuzz_sim_frames", "reads-mosaic-factory", bytes({0, 6}) + reads);
    write("fuzz_sim_frames", "writes-then-reads", whole + writes + reads);
    write("fuzz_sim_frames", "writes-in-pieces", bytes({5, 1}) + writes);
    write("fuzz_sim_frames", "other-device",
          whole + codec::read_request(2, proto::kSelStatus, 0) + codec::short_command(2, 17, 0, 1));

    // A ':' with a plausible length of 200 in front of a real frame, junk
    // between frames, a frame cut short and a colon inside a payload.
    const QByteArray status = codec::read_request(id, proto::kSelStatus, 0);
    QByteArray junk = QByteArray::fromHex("3a01040100fec8") + status;
    junk += QByteArray::fromHex("00ff3a3a41") + writes.left(40) + reads.right(25);
    write("fuzz_sim_frames", "junk-and-stalls", bytes({7, 1}) + junk);
    write("fuzz_sim_frames", "junk-whole", whole + junk);
}

// The records as a read-back of the demo image leaves them, written out as the export does.
QByteArray exported_file()
{
    const sim::SimDevice device(sim::SimImage::demo());
    DeviceData d;
    d.reset_device_data();
    d.load_default_layouts();
    codec::decode_status(device.read_reply(proto::kSelStatus, 0), d);
    codec::decode_mode_table(device.read_reply(proto::kSelModeTable, 0), d);
    codec::decode_win_adjust(device.read_reply(proto::kSelWinAdjust, 0), d);
    codec::decode_win_borders(device.read_reply(proto::kSelWinBorders, 0), d);
    for (int card = 0; card < 2; ++card)
        codec::decode_input_card(device.read_reply(proto::kSelInputCard, card), card, d);
    for (int mode = 0; mode < kModeCount; ++mode) {
        codec::decode_windows(device.read_reply(proto::kSelWindows, mode), mode, d.canvas_w,
                              d.canvas_h, d);
        codec::decode_led_rects(device.read_reply(proto::kSelLedRects, mode), mode, d);
    }
    return codec::write_config_file(codec::export_values(d));
}

void config_seeds()
{
    const QByteArray file = exported_file();
    write("fuzz_config_file", "export", file);
    QByteArray crlf = file;
    write("fuzz_config_file", "export-crlf-bom", "\xEF\xBB\xBF" + crlf.replace("\n", "\r\n"));
    write("fuzz_config_file", "export-cut", file.left(file.size() / 3));
    write("fuzz_config_file", "odd-lines",
          " 12 \n-7\n+3\n4.9\n-4.9\n.5\n5.\n1e3\n0x10\n\n \n--1\n2147483648\n-2147483649\n"
          "99999999999999999999\n\t8\t\r\n12a\n\r");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    root = QDir(QString::fromLocal8Bit(argv[1]));
    decoder_seeds();
    sim_seeds();
    config_seeds();
    return 0;
}
