// Every reply decoder of the codec. Input: decoder, index (signed: mode or card),
// canvas width and height (signed, x 32), then the reply as it sits in rx_buf.
// Properties: a decoder accepts exactly the replies with ':' at byte 0, the read
// command at byte 5, its own length in bytes 4 and 6 and a valid index; a refused
// reply leaves every byte of the records as it was; an accepted one is decoded
// from its own N bytes only, whatever follows them in the buffer.

#include <vector>

#include "fuzz_common.h"

namespace {

// The record's bytes (a detach or resize of a list changes its pointer) and its
// lists, copied deeply: sharing them here would make the next write detach.
struct Snapshot {
    explicit Snapshot(const DeviceData &d)
        : raw(reinterpret_cast<const unsigned char *>(&d),
              reinterpret_cast<const unsigned char *>(&d) + sizeof d)
    {
        for (const ModeData &m : d.mode_data)
            layers.emplace_back(m.win_layers.cbegin(), m.win_layers.cend());
    }
    bool operator==(const Snapshot &o) const { return raw == o.raw && layers == o.layers; }
    std::vector<unsigned char> raw;
    std::vector<std::vector<int32_t>> layers;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const Decoder &decoder = kDecoders[data[0] % kDecoderCount];
    const int index = int8_t(data[1]), w = int8_t(data[2]) * 32, h = int8_t(data[3]) * 32;
    const QByteArray reply(reinterpret_cast<const char *>(data + 4), int(size - 4));
    DeviceData d;
    d.reset_device_data();
    d.load_default_layouts();
    const Snapshot before(d);

    // Acceptance written out from the reply format, not through the codec's helpers.
    const int n = decoder.read.length;
    const bool index_ok = decoder.index_limit == 0 || (index >= 0 && index < decoder.index_limit);
    const bool accepted = decoder.decode(reply, index, w, h, d);
    FUZZ_CHECK(accepted == (index_ok && reply.size() >= n && u8(reply, 0) == ':' &&
                            u8(reply, 5) == 254 && u8(reply, 4) * 256 + u8(reply, 6) == n));
    if (!accepted) {
        FUZZ_CHECK(Snapshot(d) == before);
        return 0;
    }
    // Same frame, other bytes behind it: the second decode must change nothing.
    QByteArray moved = reply.left(n);
    for (int i = n; i < reply.size(); ++i)
        moved.append(char(~reply.at(i)));
    moved.append(QByteArray(kBufferSize, '\x5a'));
    const Snapshot decoded(d);
    FUZZ_CHECK(decoder.decode(moved, index, w, h, d) && Snapshot(d) == decoded);
    return 0;
}
