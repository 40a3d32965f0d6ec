// The window's side of the link's transmit routine, and the members of the
// link that the pages call by their old names.

#include "app/tesselview.h"
#include "device/device_data.h"

namespace {

LinkWait link_wait(const TxWait &wait)
{
    LinkWait w;
    w.code = wait.code;
    w.delay_ms = wait.delay_ms;
    w.await_ack = !wait.busy_text.isEmpty();
    w.chain_step = wait.arm_bound;
    return w;
}

} // namespace

bool TesselView::send_read_request(uint8_t selector, uint8_t index)
{
    return m_link.send_read_request(selector, index);
}

bool TesselView::send_short_command(uint8_t command, uint8_t a, uint8_t b)
{
    return m_link.send_short_command(command, a, b);
}

bool TesselView::send_buffer_command(uint8_t command, const QByteArray &payload)
{
    return m_link.send_buffer_command(command, payload);
}

void TesselView::set_wait_code(int code)
{
    m_link.set_wait_code(code);
}

bool TesselView::run_transmit(
    const std::function<DeviceLink::Outcome(const LinkWait &, const std::function<void()> &)> &send,
    const TxWait &wait)
{
    if (wait.disable_window)
        setEnabled(false);
    std::function<void()> busy_wait;
    if (!wait.busy_text.isEmpty())
        busy_wait = [this, &wait] { run_busy_dialog(wait.busy_text, wait.busy_parent); };
    const bool sent = send(link_wait(wait), busy_wait) != DeviceLink::Outcome::NotSent;
    if (wait.disable_window)
        setEnabled(true);
    return sent;
}

bool TesselView::transmit(uint8_t command, const QByteArray &payload, const TxWait &wait)
{
    return run_transmit(
        [&](const LinkWait &w, const std::function<void()> &busy) {
            return m_link.transmit(command, payload, w, busy);
        },
        wait);
}

bool TesselView::transmit_short(uint8_t command, uint8_t a, uint8_t b, const TxWait &wait)
{
    return run_transmit(
        [&](const LinkWait &w, const std::function<void()> &busy) {
            return m_link.transmit_short(command, a, b, w, busy);
        },
        wait);
}

int TesselView::direct_read(const proto::ReadSpec &request, uint8_t index)
{
    return m_link.direct_read(request, index);
}

QByteArray TesselView::rx_reply() const
{
    return m_link.reply();
}
