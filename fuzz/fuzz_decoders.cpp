// Every reply decoder of the codec, chosen by the first input byte.
//
// Input: decoder, index (signed: mode or card), canvas width and height (signed,
// x 32, for the windows decoder), then the reply as it would sit in rx_buf.
//
// Properties: a decoder accepts exactly the replies with ':' at byte 0, the read
// command at byte 5, its own length in bytes 4 and 6 and a valid index; a
// refused reply leaves every byte of the records as it was; an accepted one is
// decoded from its own N bytes only, whatever follows them in the buffer.

#include <QByteArray>
#include <cstring>
#include <vector>

#include "device/codec.h"
#include "device/protocol.h"
#include "fuzz_check.h"

namespace {

constexpr int kHeader = 4;

struct Call {
    int decoder;
    int index;
    int canvas_w;
    int canvas_h;
};

using namespace codec;

// Per decoder: its reply length and index limit (0: it takes no index).
const struct {
    int length;
    int index_limit;
    bool (*decode)(const QByteArray &, const Call &, DeviceData &);
} kSpecs[] = {
    {proto::kStatusReplyLength, 0, [](auto &r, auto &, auto &d) { return decode_status(r, d); }},
    {proto::kInputCardReplyLength, 2,
     [](auto &r, auto &c, auto &d) { return decode_input_card(r, c.index, d); }},
    {proto::kWindowsReplyLength, 16,
     [](auto &r, auto &c, auto &d) {
         return decode_windows(r, c.index, c.canvas_w, c.canvas_h, d);
     }},
    {proto::kModeTableReplyLength, 0,
     [](auto &r, auto &, auto &d) { return decode_mode_table(r, d); }},
    {proto::kWinAdjustReplyLength, 0,
     [](auto &r, auto &, auto &d) { return decode_win_adjust(r, d); }},
    {proto::kWinBordersReplyLength, 0,
     [](auto &r, auto &, auto &d) { return decode_win_borders(r, d); }},
    {proto::kUnitRectsReplyLength, 16,
     [](auto &r, auto &c, auto &d) { return decode_unit_rects(r, c.index, d); }},
    {proto::kLedRectsReplyLength, 16,
     [](auto &r, auto &c, auto &d) { return decode_led_rects(r, c.index, d); }},
    {proto::kLedTotalsReplyLength, 0,
     [](auto &r, auto &, auto &d) { return decode_led_totals(r, d); }},
    {proto::kWallSizesReplyLength, 0,
     [](auto &r, auto &, auto &d) { return decode_wall_sizes(r, d); }},
};
constexpr int kDecoderCount = int(sizeof kSpecs / sizeof kSpecs[0]);

// The record's own bytes plus what lives on the heap behind it. The same object
// is compared before and after, so untouched containers keep their pointers and
// a detach or a resize counts as a change. The lists are copied deeply: sharing
// them here would make the next write detach.
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

int u8(const QByteArray &a, int pos)
{
    return static_cast<uint8_t>(a.at(pos));
}

// Acceptance written out from the reply format, not through the codec's helpers.
bool should_accept(const Call &c, const QByteArray &reply)
{
    const auto &s = kSpecs[c.decoder];
    if (s.index_limit > 0 && (c.index < 0 || c.index >= s.index_limit))
        return false;
    return reply.size() >= s.length && u8(reply, 0) == ':' && u8(reply, 5) == 254 &&
           u8(reply, 4) * 256 + u8(reply, 6) == s.length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < kHeader)
        return 0;
    const Call call{data[0] % kDecoderCount, static_cast<int8_t>(data[1]),
                    static_cast<int8_t>(data[2]) * 32, static_cast<int8_t>(data[3]) * 32};
    const QByteArray reply(reinterpret_cast<const char *>(data + kHeader),
                           static_cast<int>(size - kHeader));

    DeviceData d;
    d.reset_device_data();
    d.load_default_layouts();
    const Snapshot before(d);

    const auto &spec = kSpecs[call.decoder];
    const bool accepted = spec.decode(reply, call, d);
    FUZZ_CHECK(accepted == should_accept(call, reply));
    if (!accepted) {
        FUZZ_CHECK(Snapshot(d) == before);
        return 0;
    }

    // Same frame, different bytes behind it: the second decode must change nothing.
    const int length = spec.length;
    QByteArray moved = reply.left(length);
    for (int i = length; i < reply.size(); ++i)
        moved.append(static_cast<char>(~reply.at(i)));
    moved.append(QByteArray(kBufferSize, '\x5a'));
    const Snapshot decoded(d);
    FUZZ_CHECK(spec.decode(moved, call, d));
    FUZZ_CHECK(Snapshot(d) == decoded);
    return 0;
}
