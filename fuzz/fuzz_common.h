#pragma once

// What the harnesses and the seed generator share. FUZZ_CHECK stays on in
// optimised builds; abort() makes libFuzzer report a crash and keep the input.

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

#include "device/codec.h"
#include "device/protocol.h"

#define FUZZ_CHECK(condition)                                                                      \
    ((condition)                                                                                   \
         ? void()                                                                                  \
         : (std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition),  \
            std::abort()))

inline int u8(const QByteArray &a, int pos)
{
    return static_cast<uint8_t>(a.at(pos));
}

// Calls a decoder with what it takes of: index (mode or card) and canvas size.
template <auto F> bool call(const QByteArray &r, int index, int w, int h, DeviceData &d)
{
    if constexpr (std::is_invocable_v<decltype(F), const QByteArray &, DeviceData &>)
        return F(r, d);
    else if constexpr (std::is_invocable_v<decltype(F), const QByteArray &, int, DeviceData &>)
        return F(r, index, d);
    else
        return F(r, index, w, h, d);
}

// Every reply decoder: its read, index limit (0: none), and its seed's index and
// mosaic state. fuzz_decoders picks one by position, so the seeds fix the order.
struct Decoder {
    const char *name;
    proto::ReadSpec read;
    int index_limit, seed_index;
    bool seed_mosaic;
    bool (*decode)(const QByteArray &reply, int index, int w, int h, DeviceData &d);
};

inline const Decoder kDecoders[] = {
    {"status", proto::kReadStatusBoot, 0, 0, false, call<codec::decode_status>},
    {"input-card", proto::kReadInputCard, 2, 1, false, call<codec::decode_input_card>},
    {"windows", proto::kReadWindows, 16, 5, false, call<codec::decode_windows>},
    {"mode-table", proto::kReadModeTable, 0, 0, false, call<codec::decode_mode_table>},
    {"win-adjust", proto::kReadWinAdjust, 0, 0, false, call<codec::decode_win_adjust>},
    {"win-borders", proto::kReadWinBorders, 0, 0, false, call<codec::decode_win_borders>},
    {"unit-rects", proto::kReadUnitRects, 16, 15, false, call<codec::decode_unit_rects>},
    {"led-rects", proto::kReadLedRects, 16, 3, false, call<codec::decode_led_rects>},
    {"led-totals", proto::kReadLedTotals, 0, 0, false, call<codec::decode_led_totals>},
    {"wall-sizes", proto::kReadWallSizes, 0, 0, true, call<codec::decode_wall_sizes>},
};
constexpr int kDecoderCount = int(sizeof kDecoders / sizeof kDecoders[0]);
