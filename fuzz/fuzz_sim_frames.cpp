// The simulator's receive path: a byte stream cut by FrameAssembler, each frame
// handled by SimDevice.
//
// Input: chunk size (0: the whole stream at once), flags, then the stream.
// Flags: bit 0 gives up a partial frame whenever a chunk completes none (as the
// server does after a quiet line), bit 1 starts from factory settings instead of
// the demo image, bit 2 turns the four-wall mosaic on.
//
// Properties: every frame taken is well-formed and no byte is lost or counted
// twice; every reply is a well-formed frame to our device number echoing the
// command; every read reply is one the program's decoder of that table accepts;
// and whatever the commands did, the image can still be saved and loaded back.

#include <QByteArray>
#include <QJsonObject>
#include <cstring>
#include <type_traits>

#include "device/codec.h"
#include "device/protocol.h"
#include "fuzz_check.h"
#include "sim_device.h"

namespace {

constexpr int kHeader = 2;
static_assert(std::is_trivially_copyable_v<sim::SimImage>, "the image is compared bytewise");

int u8(const QByteArray &a, int pos)
{
    return static_cast<uint8_t>(a.at(pos));
}

int length_field(const QByteArray &f)
{
    return u8(f, 4) * 256 + u8(f, 6);
}

bool well_formed(const QByteArray &f)
{
    return f.size() >= proto::kMinFrameLength && f.size() <= proto::kMaxFrameLength &&
           u8(f, 0) == ':' && u8(f, f.size() - 1) == ':' && length_field(f) == f.size();
}

// The program's decoder of the table the read asked for.
bool program_accepts(int selector, const QByteArray &reply)
{
    static DeviceData d; // a decoder's verdict does not depend on the record's contents
    const int index = u8(reply, 8);
    switch (selector) {
    case proto::kSelStatus:
        return codec::decode_status(reply, d);
    case proto::kSelInputCard:
        return codec::decode_input_card(reply, index, d);
    case proto::kSelWindows:
        return codec::decode_windows(reply, index, d.canvas_w, d.canvas_h, d);
    case proto::kSelLedRects:
        return codec::decode_led_rects(reply, index, d);
    case proto::kSelLedSizes:
        return reply.size() == proto::kWallSizesReplyLength ? codec::decode_wall_sizes(reply, d)
                                                            : codec::decode_led_totals(reply, d);
    case proto::kSelUnitRects:
        return codec::decode_unit_rects(reply, index, d);
    case proto::kSelWinAdjust:
        return codec::decode_win_adjust(reply, d);
    case proto::kSelWinBorders:
        return codec::decode_win_borders(reply, d);
    case proto::kSelModeTable:
        return codec::decode_mode_table(reply, d);
    default:
        return false;
    }
}

void check_reply(const sim::SimDevice &device, const QByteArray &frame, const QByteArray &reply)
{
    if (reply.isEmpty())
        return;
    FUZZ_CHECK(well_formed(reply));
    FUZZ_CHECK(u8(reply, 1) == device.device_id());
    FUZZ_CHECK(u8(reply, 2) == proto::kByte2);
    FUZZ_CHECK(u8(reply, 5) == u8(frame, 5));
    if (u8(frame, 5) == proto::kCmdRead) {
        FUZZ_CHECK(u8(reply, 7) == u8(frame, 7) && u8(reply, 8) == u8(frame, 8));
        FUZZ_CHECK(program_accepts(u8(frame, 7), reply));
    } else {
        FUZZ_CHECK(reply.size() == sim::SimDevice::ack_length(u8(frame, 5)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < kHeader)
        return 0;
    const int chunk = data[0] == 0 ? int(size) : data[0];
    const bool give_up_partials = data[1] & 1;
    static const sim::SimImage demo = sim::SimImage::demo();
    static const sim::SimImage factory = sim::SimImage::factory();
    sim::SimImage image = data[1] & 2 ? factory : demo;
    image.mosaic_on = (data[1] >> 2) & 1;
    sim::SimDevice device(image);

    const QByteArray stream(reinterpret_cast<const char *>(data + kHeader),
                            static_cast<int>(size - kHeader));
    sim::FrameAssembler assembler;
    qint64 taken = 0;
    bool wrote = false;
    for (int pos = 0; pos < stream.size(); pos += chunk) {
        assembler.feed(stream.mid(pos, chunk));
        QByteArray frame;
        bool any = false;
        while (assembler.next(frame)) {
            any = true;
            taken += frame.size();
            FUZZ_CHECK(well_formed(frame));
            const QByteArray reply = device.handle(frame);
            check_reply(device, frame, reply);
            wrote = wrote || (!reply.isEmpty() && u8(frame, 5) != proto::kCmdRead);
        }
        if (give_up_partials && !any)
            assembler.skip_partial();
    }
    FUZZ_CHECK(taken + assembler.skipped() + assembler.pending() == stream.size());

    // The save and load round trip is costly; skip it when no byte of the image moved.
    if (wrote && std::memcmp(&image, &device.image(), sizeof image) != 0) {
        const QJsonObject saved = device.image().to_json();
        sim::SimImage reloaded = factory;
        FUZZ_CHECK(reloaded.from_json(saved));
        FUZZ_CHECK(reloaded.to_json() == saved);
    }
    return 0;
}
