// The link's direct reads, their decoders and the read-back of a connection.

#include "link/device_link.h"

#include <algorithm>
#include <cstring>

#include "device/codec.h"

// ---- Direct reads ---------------------------------------------------------

int DeviceLink::direct_read(const proto::ReadSpec &request, uint8_t index)
{
    if (!send_read_request(request.selector, index))
        return 0;
    set_wait_code(request.wait_code);
    std::memset(m_data.rx_buf, 0, kBufferSize);
    const int length = request.length;
    m_pending_reply = length;

    int got = 0;
    if (transport() == Transport::Serial) {
        // Whatever is in after the wait, up to the reply's length.
        await_bytes(length, request.serial_wait_ms);
        got = std::min(static_cast<int>(m_rx.size()), length);
    } else {
        // The whole reply or nothing, within the first wait and ten polls.
        bool whole;
        if (m_full_timing) {
            whole = await_bytes(length, request.net_first_wait_ms);
            for (int poll = 0; !whole && poll < proto::kNetMaxPolls && m_data.net_open; ++poll)
                whole = await_bytes(length, proto::kNetPollMs);
        } else {
            whole = collect(length,
                            request.net_first_wait_ms + proto::kNetMaxPolls * proto::kNetPollMs);
        }
        got = whole ? length : 0;
    }
    std::memcpy(m_data.rx_buf, m_rx.constData(), static_cast<size_t>(got));
    if (got == length) {
        m_pending_reply = 0;
        emit reply_taken();
    }
    return got;
}

QByteArray DeviceLink::reply() const
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(m_data.rx_buf), kBufferSize);
}

bool DeviceLink::read_status(bool boot)
{
    const proto::ReadSpec &spec = boot ? proto::kReadStatusBoot : proto::kReadStatusInput;
    return direct_read(spec, 0) == proto::kStatusReplyLength &&
           codec::decode_status(reply(), m_data);
}

bool DeviceLink::read_input_card(int card)
{
    return direct_read(proto::kReadInputCard, static_cast<uint8_t>(card)) ==
               proto::kInputCardReplyLength &&
           codec::decode_input_card(reply(), card, m_data);
}

bool DeviceLink::read_mode_table()
{
    return direct_read(proto::kReadModeTable, 0) == proto::kModeTableReplyLength &&
           codec::decode_mode_table(reply(), m_data);
}

bool DeviceLink::read_windows(int mode, QSize canvas)
{
    return direct_read(proto::kReadWindows, static_cast<uint8_t>(mode)) ==
               proto::kWindowsReplyLength &&
           codec::decode_windows(reply(), mode, canvas.width(), canvas.height(), m_data);
}

bool DeviceLink::read_led_rects(int mode)
{
    return direct_read(proto::kReadLedRects, static_cast<uint8_t>(mode)) ==
               proto::kLedRectsReplyLength &&
           codec::decode_led_rects(reply(), mode, m_data);
}

bool DeviceLink::read_unit_rects(int mode)
{
    return direct_read(proto::kReadUnitRects, static_cast<uint8_t>(mode)) ==
               proto::kUnitRectsReplyLength &&
           codec::decode_unit_rects(reply(), mode, m_data);
}

bool DeviceLink::read_led_sizes()
{
    if (m_data.mosaic_on)
        return direct_read(proto::kReadWallSizes, 0) == proto::kWallSizesReplyLength &&
               codec::decode_wall_sizes(reply(), m_data);
    return direct_read(proto::kReadLedTotals, 0) == proto::kLedTotalsReplyLength &&
           codec::decode_led_totals(reply(), m_data);
}

bool DeviceLink::read_win_adjust()
{
    return direct_read(proto::kReadWinAdjust, 0) == proto::kWinAdjustReplyLength &&
           codec::decode_win_adjust(reply(), m_data);
}

bool DeviceLink::read_win_borders()
{
    return direct_read(proto::kReadWinBorders, 0) == proto::kWinBordersReplyLength &&
           codec::decode_win_borders(reply(), m_data);
}

// ---- Read-back ------------------------------------------------------------

bool DeviceLink::read_back(QSize canvas)
{
    m_data.reset_device_data();
    m_data.load_default_layouts();

    m_status_length = direct_read(proto::kReadStatusBoot, 0);
    if (m_status_length != proto::kStatusReplyLength)
        return false;
    codec::decode_status(reply(), m_data);

    if (direct_read(proto::kReadModeTable, 0) != proto::kModeTableReplyLength)
        return false;
    codec::decode_mode_table(reply(), m_data);

    // The output size the LED defaults are derived from.
    codec::apply_format_code(m_data);
    codec::derive_led_defaults(m_data);

    read_windows(m_data.cur_mul_mode, canvas);
    return true;
}
