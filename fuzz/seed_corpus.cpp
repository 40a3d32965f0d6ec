// Writes the seeds of fuzz_decoders, fuzz_sim_frames and fuzz_config_file into
// the corpus folder given as the only argument, as the simulator and the
// program's codec make them: whole, cut short and damaged.

#include <QDir>
#include <QFile>

#include "fuzz_common.h"
#include "maintenance/maintenance_codec.h"
#include "sim_device.h"

using namespace proto;

// A write of every kind: the payload in hex (rectangles are x, width, y and
// height; 80 selects the output form), then for the uploads `fill` bytes of
// `value`. The initialisation comes first, so the image the writes leave is not
// the factory one that a reload which loads nothing would also give.
// clang-format off
const struct { int command; const char *payload; int fill = 0; char value = 0; } kWrites[] = {
    {kCmdDeviceInit, "0000"}, {kCmdSelectMode, "0003"}, {kCmdSelectMode, "8002"},
    {kCmdCopyMode, "000307"},
    {kCmdRectangle, "13 0000 0780 0000 0438 0064 03c0 0032 021c"},
    {kCmdRectangle, "d2 0000 0f00 0000 0870 0000 0780 0000 0438"},
    {kCmdLayerSelect, "0002"}, {kCmdLayerMove, "0102"}, {kCmdBorder, "0101ff000004"},
    {kCmdBrightness, "00003233343536"}, {kCmdContrast, "8000", 17, 60},
    {kCmdColour, "c000464748494a"}, {kCmdLedSize, "0f000870"}, {kCmdLedSize, "0780043802"},
    {kCmdInputSource, "0003"}, {kCmdPipOnOff, "0101"}, {kCmdCustomResolution, "0780043801"},
    {kCmdPresetResolution, "1306"}, {kCmdImportInput, "", 38, 7}, {kCmdImportGlobal, "", 273, 1},
    {kCmdImportMode, "04", 192, 2}, {kCmdImportEnd, "0000"},
};
// clang-format on

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const auto write = [&](const char *harness, const QString &name, const QByteArray &bytes) {
        root.mkpath(harness);
        QFile file(root.filePath(harness + QLatin1Char('/') + name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
    };

    // Each decoder's reply from the demo image: whole, as it sits in the 300-byte
    // receive buffer, cut short, and with a wrong command or length.
    for (int i = 0; i < kDecoderCount; ++i) {
        const Decoder &dec = kDecoders[i];
        sim::SimImage image = sim::SimImage::demo();
        image.mosaic_on = dec.seed_mosaic;
        const auto reply = sim::SimDevice(image).read_reply(dec.read.selector, dec.seed_index);
        // Canvas 800 x 544 for the windows decoder: 25 x 32 and 17 x 32.
        const char call[] = {char(i), char(dec.seed_index), 25, 17};
        const auto seed = [&](const char *suffix, const QByteArray &bytes) {
            write("fuzz_decoders", dec.name + QString(suffix), QByteArray(call, 4) + bytes);
        };
        seed("", reply);
        seed("-in-buffer", reply + QByteArray(kBufferSize - reply.size(), '\0'));
        seed("-short", reply.left(reply.size() / 2));
        seed("-wrong-command", QByteArray(reply).replace(5, 1, QByteArray(1, char(kCmdRead - 1))));
        seed("-wrong-length", QByteArray(reply).replace(6, 1, QByteArray(1, char(reply[6] + 1))));
    }

    QByteArray reads, writes;
    for (int selector = 0; selector <= kSelModeTable; ++selector)
        for (int index = 0; index < 2; ++index)
            reads += codec::read_request(1, uint8_t(selector), uint8_t(index));
    for (const auto &w : kWrites)
        writes += codec::build_frame(1, uint8_t(w.command),
                                     QByteArray::fromHex(w.payload) + QByteArray(w.fill, w.value));
    // A ':' with a plausible length of 200 in front of a real frame, junk
    // between frames, a frame cut short and a colon inside a payload.
    const QByteArray junk = QByteArray::fromHex("3a01040100fec8") +
                            codec::read_request(1, kSelStatus, 0) +
                            QByteArray::fromHex("00ff3a3a41") + writes.left(40) + reads.right(25);
    // The harness's chunk size and flags, then the stream.
    const auto stream = [&](const char *name, const char *head, const QByteArray &bytes) {
        write("fuzz_sim_frames", name, QByteArray::fromHex(head) + bytes);
    };
    stream("reads", "0000", reads);
    stream("reads-mosaic-factory", "0006", reads);
    stream("writes-then-reads", "0000", writes + reads);
    stream("writes-in-pieces", "0501", writes);
    stream("other-device", "0000",
           codec::read_request(2, kSelStatus, 0) + codec::short_command(2, 17, 0, 1));
    stream("junk-and-stalls", "0701", junk);
    stream("junk-whole", "0000", junk);

    // The records as a read-back of the demo image leaves them, exported.
    const sim::SimDevice demo(sim::SimImage::demo());
    DeviceData d;
    d.reset_device_data();
    d.load_default_layouts();
    for (const Decoder &dec : kDecoders)
        for (int index = 0; index < std::max(dec.index_limit, 1); ++index)
            dec.decode(demo.read_reply(dec.read.selector, index), index, d.canvas_w, d.canvas_h, d);
    const QByteArray file = codec::write_config_file(codec::export_values(d));
    write("fuzz_config_file", "export", file);
    write("fuzz_config_file", "export-crlf-bom",
          "\xEF\xBB\xBF" + QByteArray(file).replace("\n", "\r\n"));
    write("fuzz_config_file", "export-cut", file.left(file.size() / 3));
    write("fuzz_config_file", "odd-lines",
          " 12 \n-7\n+3\n4.9\n-4.9\n.5\n5.\n1e3\n0x10\n\n \n--1\n2147483648\n-2147483649\n"
          "99999999999999999999\n\t8\t\r\n12a\n\r");
    return 0;
}
