#include <cstring>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"

TesselView::Transport TesselView::active_transport() const
{
    if (device_data.serial_open)
        return Transport::Serial;
    if (device_data.net_open)
        return Transport::Network;
    return Transport::None;
}

qint64 TesselView::write_to_link(const char *data, int length)
{
    // Flushed at once so that the buffer clear of the next send cannot drop it.
    switch (active_transport()) {
    case Transport::Serial: {
        const qint64 written = m_serial.write(data, length);
        m_serial.flush();
        return written;
    }
    case Transport::Network: {
        const qint64 written = m_socket.write(data, length);
        m_socket.flush();
        return written;
    }
    case Transport::None:
        break;
    }
    return 0;
}

bool TesselView::send_read_request(uint8_t selector, uint8_t index)
{
    const QByteArray frame = codec::read_request(device_data.device_id, selector, index);
    // Stale bytes (an unread acknowledgement) must not be taken for the reply.
    if (active_transport() == Transport::Serial)
        m_serial.clear(QSerialPort::AllDirections);
    else if (active_transport() == Transport::Network)
        m_socket.readAll();
    return write_to_link(frame.constData(), frame.size()) == frame.size();
}

bool TesselView::send_short_command(uint8_t command, uint8_t a, uint8_t b)
{
    const QByteArray frame = codec::short_command(device_data.device_id, command, a, b);
    if (active_transport() == Transport::Serial)
        m_serial.clear(QSerialPort::AllDirections);
    return write_to_link(frame.constData(), frame.size()) == frame.size();
}

bool TesselView::send_buffer_command(uint8_t command, const QByteArray &payload)
{
    // Refused before anything is built: the frame must fit the transmit buffer.
    if (proto::kMinFrameLength + payload.size() > kBufferSize)
        return false;
    const QByteArray frame = codec::build_frame(device_data.device_id, command, payload);
    if (frame.size() > kBufferSize)
        return false;
    if (active_transport() == Transport::Serial)
        m_serial.clear(QSerialPort::AllDirections);
    std::memset(device_data.tx_buf, 0, kBufferSize);
    std::memcpy(device_data.tx_buf, frame.constData(), static_cast<size_t>(frame.size()));
    return write_to_link(reinterpret_cast<const char *>(device_data.tx_buf), frame.size()) ==
           frame.size();
}

void TesselView::set_wait_code(int code)
{
    if (active_transport() == Transport::Serial)
        device_data.serial_wait_code = code;
    else if (active_transport() == Transport::Network)
        device_data.net_wait_code = code;
}

bool TesselView::run_transmit(const std::function<bool()> &send, const TxWait &wait)
{
    if (wait.disable_window)
        setEnabled(false);
    const bool sent = send();
    // A partial write or no link: no code, no wait, no message.
    if (sent) {
        set_wait_code(wait.code);
        if (wait.arm_bound)
            arm_busy_bound();
        if (!wait.busy_text.isEmpty())
            run_busy_dialog(wait.busy_text, wait.busy_parent);
        else if (wait.delay_ms > 0)
            device_data.delay(wait.delay_ms);
    }
    if (wait.disable_window)
        setEnabled(true);
    return sent;
}

bool TesselView::transmit(uint8_t command, const QByteArray &payload, const TxWait &wait)
{
    return run_transmit([&] { return send_buffer_command(command, payload); }, wait);
}

bool TesselView::transmit_short(uint8_t command, uint8_t a, uint8_t b, const TxWait &wait)
{
    return run_transmit([&] { return send_short_command(command, a, b); }, wait);
}

QByteArray TesselView::take_socket_block()
{
    return m_socket.readAll();
}

int TesselView::direct_read(const proto::ReadSpec &request, uint8_t index)
{
    if (!send_read_request(request.selector, index))
        return 0;
    set_wait_code(request.wait_code);
    std::memset(device_data.rx_buf, 0, kBufferSize);

    if (active_transport() == Transport::Serial) {
        device_data.delay(request.serial_wait_ms);
        const qint64 n =
            m_serial.read(reinterpret_cast<char *>(device_data.rx_buf), request.length);
        return n < 0 ? 0 : static_cast<int>(n);
    }

    device_data.delay(request.net_first_wait_ms);
    QByteArray block = take_socket_block();
    // The reply is judged as a whole block: a block of any other length is dropped and
    // the next one taken, a bounded number of times.
    for (int poll = 0; block.size() != request.length; ++poll) {
        if (poll == proto::kNetMaxPolls || !device_data.net_open)
            return 0;
        device_data.delay(proto::kNetPollMs);
        block = take_socket_block();
    }
    std::memcpy(device_data.rx_buf, block.constData(), static_cast<size_t>(request.length));
    return request.length;
}

QByteArray TesselView::rx_reply() const
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(device_data.rx_buf), kBufferSize);
}
