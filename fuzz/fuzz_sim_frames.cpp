// The simulator's receive path: FrameAssembler cuts a byte stream, SimDevice
// handles each frame. Input: chunk size (0: all at once), flags, the stream.
// Flags: bit 0 gives up a partial frame whenever a chunk completes none (as the
// server does after a quiet line), bit 1 starts from factory settings instead of
// the demo image, bit 2 turns the four-wall mosaic on. Properties: frames taken
// are well-formed and no byte is lost or counted twice; replies are well-formed
// frames to our device number echoing the command, read replies ones the
// program's decoder of that table accepts; the image still saves and loads back.

#include <QJsonObject>
#include <algorithm>
#include <cstring>

#include "fuzz_common.h"
#include "sim_device.h"

namespace {

static_assert(std::is_trivially_copyable_v<sim::SimImage>, "the image is compared bytewise");

bool well_formed(const QByteArray &f)
{
    return f.size() >= proto::kMinFrameLength && f.size() <= proto::kMaxFrameLength &&
           u8(f, 0) == ':' && u8(f, f.size() - 1) == ':' && u8(f, 4) * 256 + u8(f, 6) == f.size();
}

void check_reply(const sim::SimDevice &device, const QByteArray &frame, const QByteArray &reply)
{
    if (reply.isEmpty())
        return;
    FUZZ_CHECK(well_formed(reply) && u8(reply, 1) == device.device_id() &&
               u8(reply, 2) == proto::kByte2 && u8(reply, 5) == u8(frame, 5));
    if (u8(frame, 5) != proto::kCmdRead) // a write: its acknowledgement
        return FUZZ_CHECK(reply.size() == sim::SimDevice::ack_length(u8(frame, 5)));
    FUZZ_CHECK(u8(reply, 7) == u8(frame, 7) && u8(reply, 8) == u8(frame, 8));
    static DeviceData d; // a decoder's verdict does not depend on the record's contents
    FUZZ_CHECK(std::any_of(std::begin(kDecoders), std::end(kDecoders), [&](const Decoder &dec) {
        return dec.read.selector == u8(frame, 7) &&
               dec.decode(reply, u8(reply, 8), d.canvas_w, d.canvas_h, d);
    }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int chunk = data[0] == 0 ? int(size) : data[0];
    static const sim::SimImage demo = sim::SimImage::demo();
    static const sim::SimImage factory = sim::SimImage::factory();
    sim::SimImage image = data[1] & 2 ? factory : demo;
    image.mosaic_on = (data[1] >> 2) & 1;
    sim::SimDevice device(image);

    const QByteArray stream(reinterpret_cast<const char *>(data + 2), int(size - 2));
    sim::FrameAssembler assembler;
    qint64 taken = 0;
    for (int pos = 0; pos < stream.size(); pos += chunk) {
        assembler.feed(stream.mid(pos, chunk));
        const qint64 taken_before = taken;
        QByteArray frame;
        while (assembler.next(frame)) {
            taken += frame.size();
            FUZZ_CHECK(well_formed(frame));
            check_reply(device, frame, device.handle(frame));
        }
        if ((data[1] & 1) && taken == taken_before)
            assembler.skip_partial();
    }
    FUZZ_CHECK(taken + assembler.skipped() + assembler.pending() == stream.size());

    // The save and load round trip is costly; skip it when no byte of the image moved.
    if (std::memcmp(&image, &device.image(), sizeof image) != 0) {
        const QJsonObject saved = device.image().to_json();
        sim::SimImage reloaded = factory;
        FUZZ_CHECK(reloaded.from_json(saved) && reloaded.to_json() == saved);
    }
    return 0;
}
