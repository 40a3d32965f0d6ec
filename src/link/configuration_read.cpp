// The fresh read of every value the configuration file holds: what an export
// writes and what a file is compared with.

#include "link/device_link.h"

#include <QVector>

#include <memory>

#include "device/codec.h"

namespace {

using Decoder = bool (*)(const QByteArray &reply, int index, DeviceData &d);

// One direct read of the configuration and where its reply goes.
struct ConfigRead {
    const proto::ReadSpec *spec;
    int index;
    int pause_ms;
    Decoder decode;
    QString name;
};

QString mode_name(int mode)
{
    return QStringLiteral("M%1").arg(mode);
}

QVector<ConfigRead> configuration_reads()
{
    QVector<ConfigRead> reads{
        {&proto::kReadStatusInput, 0, 0,
         [](const QByteArray &r, int, DeviceData &d) { return codec::decode_status(r, d); },
         QStringLiteral("the status request")},
        {&proto::kReadModeTable, 0, 0,
         [](const QByteArray &r, int, DeviceData &d) { return codec::decode_mode_table(r, d); },
         QStringLiteral("the mode table request")},
    };
    for (int card = 0; card < 2; ++card)
        reads.append({&proto::kReadInputCard, card, 0,
                      [](const QByteArray &r, int c, DeviceData &d) {
                          return codec::decode_input_card(r, c, d);
                      },
                      QStringLiteral("the input card In%1 request").arg(QChar('A' + card))});
    reads.append(
        {&proto::kReadWinAdjust, 0, 0,
         [](const QByteArray &r, int, DeviceData &d) { return codec::decode_win_adjust(r, d); },
         QStringLiteral("the window picture values request")});
    reads.append(
        {&proto::kReadWinBorders, 0, 0,
         [](const QByteArray &r, int, DeviceData &d) { return codec::decode_win_borders(r, d); },
         QStringLiteral("the window borders request")});
    for (int mode = 0; mode < kModeCount; ++mode)
        reads.append({&proto::kReadWindows, mode, DeviceLink::kWindowsReadPauseMs,
                      [](const QByteArray &r, int m, DeviceData &d) {
                          return codec::decode_windows(r, m, d.canvas_w, d.canvas_h, d);
                      },
                      QStringLiteral("the window rectangles request of %1").arg(mode_name(mode))});
    for (int mode = 0; mode < kModeCount; ++mode)
        reads.append({&proto::kReadLedRects, mode, DeviceLink::kLedReadPauseMs,
                      [](const QByteArray &r, int m, DeviceData &d) {
                          return codec::decode_led_rects(r, m, d);
                      },
                      QStringLiteral("the LED rectangles request of %1").arg(mode_name(mode))});
    return reads;
}

} // namespace

bool DeviceLink::read_configuration(DeviceData &into, const Progress &progress, QString *failed)
{
    // Four layer entries per mode before the mode table overwrites them in place.
    into.reset_device_data();
    into.load_default_layouts();
    const QVector<ConfigRead> reads = configuration_reads();
    for (int i = 0; i < reads.size(); ++i) {
        const ConfigRead &read = reads[i];
        if (progress)
            progress(i + 1, reads.size());
        if (read.pause_ms > 0)
            pause(read.pause_ms);
        if (direct_read(*read.spec, static_cast<uint8_t>(read.index)) != read.spec->length ||
            !read.decode(reply(), read.index, into)) {
            if (failed)
                *failed = read.name;
            return false;
        }
    }
    return true;
}

std::optional<codec::ConfigValues> DeviceLink::read_configuration(const Progress &progress)
{
    // A scratch record: the caller's records stay as they are until an import is confirmed.
    auto fresh = std::make_unique<DeviceData>();
    if (!read_configuration(*fresh, progress))
        return std::nullopt;
    return codec::export_values(*fresh);
}
