#include <cstring>

#include "app/tesselview.h"
#include "device/codec.h"
#include "device/device_data.h"

qint64 TesselView::write_to_link(const char *data, int length)
{
    // Flushed at once so that the buffer clear of the next send cannot drop it.
    qint64 written = 0;
    if (device_data.serial_open) {
        written = m_serial.write(data, length);
        m_serial.flush();
    } else if (device_data.net_open) {
        written = m_socket.write(data, length);
        m_socket.flush();
    }
    return written;
}

bool TesselView::send_read_request(uint8_t selector, uint8_t index)
{
    const QByteArray frame = codec::read_request(device_data.device_id, selector, index);
    // Stale bytes (an unread acknowledgement) must not be taken for the reply.
    if (device_data.serial_open)
        m_serial.clear(QSerialPort::AllDirections);
    else if (device_data.net_open)
        m_socket.readAll();
    return write_to_link(frame.constData(), frame.size()) == frame.size();
}

bool TesselView::send_short_command(uint8_t command, uint8_t a, uint8_t b)
{
    const QByteArray frame = codec::short_command(device_data.device_id, command, a, b);
    if (device_data.serial_open)
        m_serial.clear(QSerialPort::AllDirections);
    return write_to_link(frame.constData(), frame.size()) == frame.size();
}

bool TesselView::send_buffer_command(uint8_t command, const QByteArray &payload)
{
    const QByteArray frame = codec::build_frame(device_data.device_id, command, payload);
    if (frame.size() > kBufferSize)
        return false;
    if (device_data.serial_open)
        m_serial.clear(QSerialPort::AllDirections);
    std::memset(device_data.tx_buf, 0, kBufferSize);
    std::memcpy(device_data.tx_buf, frame.constData(), static_cast<size_t>(frame.size()));
    return write_to_link(reinterpret_cast<const char *>(device_data.tx_buf), frame.size()) ==
           frame.size();
}

void TesselView::set_wait_code(int code)
{
    if (device_data.serial_open)
        device_data.serial_wait_code = code;
    else if (device_data.net_open)
        device_data.net_wait_code = code;
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

    if (device_data.serial_open) {
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
